#include "MusicTrack.h"

#include <algorithm>  // Required for: std::copy, std::fill

#include "OggDecoder.h"

bool MusicTrack::load(const char* fileName, std::string& whyNot)
{
    OggDecoder decoder;
    if (!decoder.open(fileName, whyNot))
        return false;
    m_channels = decoder.channels();
    m_rateHz = decoder.rateHz();
    const long chunkFrames = 16384;
    std::vector<int16_t> chunk(size_t(chunkFrames) * size_t(m_channels));
    m_pcm.clear();
    m_pcm.reserve(size_t(m_rateHz) * size_t(m_channels) * 80);  // the demo's track is 67 s
    for (;;) {
        const long frames = decoder.read(chunk.data(), chunkFrames);
        if (frames <= 0)
            break;
        m_pcm.insert(m_pcm.end(), chunk.begin(), chunk.begin() + frames * m_channels);
    }
    if (m_pcm.empty()) {
        whyNot = "no sound in it";
        return false;
    }
    return true;
}

int64_t MusicTrack::frameStart(int64_t frameIndex, int fps) const
{
    const int64_t scaled = frameIndex * m_rateHz;
    // Rounded towards minus infinity, so that every frame's samples follow the last one's.
    return scaled >= 0 ? scaled / fps : -((-scaled + fps - 1) / fps);
}

void MusicTrack::render(int16_t* out, int64_t firstOutputFrame, long count, int64_t musicStartFrame) const
{
    const int64_t length = lengthFrames();
    for (long i = 0; i < count;) {
        const int64_t musicFrame = firstOutputFrame + i - musicStartFrame;
        int16_t* to = out + i * m_channels;
        if (musicFrame < 0 || musicFrame >= length) {
            // Silence up to the music's start, or to the end of the request.
            const int64_t silent = musicFrame < 0 ? std::min<int64_t>(count - i, -musicFrame) : count - i;
            std::fill(to, to + silent * m_channels, int16_t(0));
            i += long(silent);
            continue;
        }
        const int64_t audible = std::min<int64_t>(count - i, length - musicFrame);
        const int16_t* from = m_pcm.data() + musicFrame * m_channels;
        std::copy(from, from + audible * m_channels, to);
        i += long(audible);
    }
}
