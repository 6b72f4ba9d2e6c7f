// CaptureOptions: the capture's command line, read and checked before anything starts.
//
//   tavlen_capture [--size WxH] [--fps N] [--from MS] [--to MS] [--quality CRF] OUTPUT
//
// Times are demo milliseconds: 0 is the first frame of the pre-roll, the music starts at
// 6000 and the closing ends at about 73000. Frame k of a capture is the player's frame k at
// that frame rate, which shows demo time k x 1000 / fps; a stretch keeps the frames whose
// demo time lies in [from, to), so its frames are exactly those of the whole capture.
// parse() never exits: a refusal comes back as one line of text for the caller to print.
#pragma once

#include "LoadObject.h"  // Required for: the demo's run length

#include <string>
#include <vector>

class CaptureOptions {
public:
    enum Container { MP4, MKV, FOLDER };

    // Reads `args` (without the program name). Returns false with the reason in `whyNot`.
    bool parse(const std::vector<std::string>& args, std::string& whyNot);

    // The usage text printed by --help.
    static std::string usage();

    // Index of the first frame captured and one past the last (INT_MAX-like when the
    // capture runs to the end of the demo), at fps frames per second.
    int firstFrame() const;
    int endFrame() const;
    // Frames a capture will hold, counting to the demo's nominal end when there is no --to.
    int expectedFrames() const;

    // A full-HD video: the demo draws its 4:3 picture between black bars, as on such a screen.
    static const int DEFAULT_WIDTH_PX = 1920, DEFAULT_HEIGHT_PX = 1080;

    int widthPx = DEFAULT_WIDTH_PX;
    int heightPx = DEFAULT_HEIGHT_PX;
    int fps = 60;
    int fromMs = 0;
    int toMs = -1;       // -1: to the end of the demo
    int crf = 18;        // x264's constant rate factor: 18 is close to transparent
    Container container = MP4;
    std::string output;  // as given; a folder ends in '/'
    bool helpAsked = false;

    // Demo time of the last frame of the closing, for range checks and the progress line.
    static const int DEMO_LENGTH_MS = LoadObject::RUN_LENGTH_MS;
    static const int MIN_SIZE_PX = 16;
    static const int MAX_SIZE_PX = 16384;
    static const int MAX_FPS = 240;
};
