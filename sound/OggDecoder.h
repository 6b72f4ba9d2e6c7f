// OggDecoder: an Ogg Vorbis file decoded piece by piece into 16-bit PCM.
//
// Owns the open file. Opening reads only the headers; read() decodes as much as is asked,
// so a long track costs nothing up front, and seek() moves to any frame, sample-exactly. Only mono and stereo tracks are accepted, and the
// format of the first logical stream holds for the whole file: decoding stops where a
// chained file changes it. Used by one thread at a time.
#pragma once

#include <vorbis/vorbisfile.h>  // Required for: OggVorbis_File

#include <cstdint>  // Required for: int16_t, int64_t
#include <string>

class OggDecoder {
public:
    OggDecoder() = default;
    ~OggDecoder();
    OggDecoder(const OggDecoder&) = delete;
    OggDecoder& operator=(const OggDecoder&) = delete;

    // Opens `fileName`; on failure returns false with the reason in `whyNot`.
    bool open(const char* fileName, std::string& whyNot);

    int channels() const { return m_channels; }
    int rateHz() const { return m_rateHz; }
    // The track's length in frames, known from opening on.
    int64_t lengthFrames() const { return m_lengthFrames; }

    // Moves to `frame` (0 to lengthFrames()); the next read() decodes from there. Returns
    // false, and changes nothing, for a frame outside the track or a file that cannot seek.
    bool seek(int64_t frame);

    // Decodes up to `maxFrames` frames (one sample per channel each), interleaved, into
    // `frames`. Returns the number of frames written; 0 only at the end of the track.
    long read(int16_t* frames, long maxFrames);

private:
    OggVorbis_File m_file;
    bool m_isOpen = false;
    bool m_atEnd = false;
    int m_channels = 0;
    int m_rateHz = 0;
    int64_t m_lengthFrames = 0;
};
