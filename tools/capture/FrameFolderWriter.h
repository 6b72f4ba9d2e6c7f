// FrameFolderWriter: the capture as a folder for video editors: one PNG per frame, named
// frame000000.png, frame000001.png, ... (RGB, top row first), and music.wav with the music
// of exactly those frames (16-bit PCM at the track's rate).
//
// The folder must exist, and its files are created only where nothing is: an entry already
// there is refused, not overwritten. The WAV header's sizes are filled in by finish(); until
// then the file is incomplete. Errors throw TAV_Exception* naming the file. One thread at a time.
#pragma once

#include <cstdint>  // Required for: int16_t, int64_t
#include <cstdio>   // Required for: FILE
#include <string>
#include <vector>

#include "FrameSink.h"

class MusicTrack;

class FrameFolderWriter : public FrameSink {
public:
    // `folder` ends in '/'.
    FrameFolderWriter(const std::string& folder, int widthPx, int heightPx, int fps, const MusicTrack& music);
    ~FrameFolderWriter() override;
    FrameFolderWriter(const FrameFolderWriter&) = delete;
    FrameFolderWriter& operator=(const FrameFolderWriter&) = delete;

    void writeFrame(const uint8_t* rgbaBottomUp, int index, int64_t musicStartFrame) override;
    void finish() override;

    // Name of frame `index` inside the folder.
    static std::string frameName(int index);
    static const char* const MUSIC_NAME;

private:
    void writeWavHeader(uint32_t dataBytes);

    std::string m_folder;
    int m_widthPx;
    int m_heightPx;
    int m_fps;
    const MusicTrack& m_music;
    FILE* m_wav = nullptr;
    int64_t m_musicWritten = 0;  // output samples in the WAV
    std::vector<int16_t> m_pcm;
};
