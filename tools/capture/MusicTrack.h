// MusicTrack: the demo's music, decoded by the music layer's own Ogg decoder, laid on the
// capture's time line.
//
// The whole track is decoded once, up front (67 s of stereo 16-bit PCM is about 12 MB), so
// the encoder can take any stretch of it without touching the disk. Output samples count
// from the capture's first frame; the music's first sample lands on the output sample where
// the frame that starts the music begins. What lies before that, and after the end of the
// track, is silence, as in the demo. Read-only after load(): any thread may read it.
#pragma once

#include <cstdint>  // Required for: int16_t, int64_t
#include <string>
#include <vector>

class MusicTrack {
public:
    // Decodes `fileName`. Returns false with the reason in `whyNot`.
    bool load(const char* fileName, std::string& whyNot);

    int channels() const { return m_channels; }
    int rateHz() const { return m_rateHz; }
    int64_t lengthFrames() const { return int64_t(m_pcm.size()) / (m_channels ? m_channels : 1); }

    // Output sample where video frame `frameIndex` begins at `fps` frames per second
    // (rounded down; also for negative indices, before the capture's first frame).
    int64_t frameStart(int64_t frameIndex, int fps) const;

    // Writes `count` sample frames (interleaved, channels() each) starting at output sample
    // `firstOutputFrame`, with the music starting at output sample `musicStartFrame` (which
    // may be negative when the capture starts after the music has).
    void render(int16_t* out, int64_t firstOutputFrame, long count, int64_t musicStartFrame) const;

private:
    std::vector<int16_t> m_pcm;
    int m_channels = 0;
    int m_rateHz = 0;
};
