// FrameSink: where the capture's frames and music go, one frame at a time.
//
// A sink writes frame after frame, each with the music that sounds while it is shown: frame
// i covers output samples [music.frameStart(i), music.frameStart(i + 1)). The music's first
// sample is at output sample `musicStartFrame`, which the caller knows once the player has
// started the music; until then it passes NO_MUSIC_YET, and the frames it sends lie before
// the music's start, so they carry silence either way. Sinks throw TAV_Exception* when a
// file cannot be written; they are used by one thread at a time (the encoder thread).
#pragma once

#include <cstdint>  // Required for: uint8_t, int64_t

class FrameSink {
public:
    static constexpr int64_t NO_MUSIC_YET = INT64_MAX / 4;

    virtual ~FrameSink() = default;

    // Frame `index` (0 for the capture's first): width x height RGBA, bottom row first.
    virtual void writeFrame(const uint8_t* rgbaBottomUp, int index, int64_t musicStartFrame) = 0;
    // Completes the output after the last frame; nothing is written after it.
    virtual void finish() = 0;
};
