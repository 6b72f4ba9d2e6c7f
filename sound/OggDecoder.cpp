#include "OggDecoder.h"

#include <algorithm>  // Required for: std::max
#include <cerrno>     // Required for: errno
#include <cstdio>     // Required for: fopen(), fclose()
#include <cstring>    // Required for: strerror()

namespace {

// libvorbisfile hands out samples in the byte order asked for; OpenAL wants the host's.
const int kHostIsBigEndian = __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__ ? 1 : 0;
const int kBytesPerSample = 2;

const char* describeVorbisError(int code)
{
    switch (code) {
    case OV_EREAD: return "read error";
    case OV_ENOTVORBIS: return "not an Ogg Vorbis file";
    case OV_EVERSION: return "unsupported Vorbis version";
    case OV_EBADHEADER: return "damaged Vorbis header";
    default: return "unreadable Ogg Vorbis data";
    }
}

} // namespace

OggDecoder::~OggDecoder()
{
    if (m_isOpen)
        ov_clear(&m_file);
}

bool OggDecoder::open(const char* fileName, std::string& whyNot)
{
    // The file is opened here rather than by ov_fopen so that a missing file is reported
    // with the system's reason, not as a generic Vorbis failure.
    FILE* file = fopen(fileName, "rb");
    if (file == nullptr) {
        whyNot = strerror(errno);
        return false;
    }
    // With OV_CALLBACKS_DEFAULT the decoder closes the file in ov_clear, but not when
    // opening fails.
    const int result = ov_open_callbacks(file, &m_file, nullptr, 0, OV_CALLBACKS_DEFAULT);
    if (result != 0) {
        fclose(file);
        whyNot = describeVorbisError(result);
        return false;
    }
    m_isOpen = true;
    const vorbis_info* info = ov_info(&m_file, -1);
    m_channels = info->channels;
    m_rateHz = static_cast<int>(info->rate);
    // Negative for an unseekable stream, which a file opened here never is.
    m_lengthFrames = std::max<ogg_int64_t>(ov_pcm_total(&m_file, -1), 0);
    if (m_channels != 1 && m_channels != 2) {
        whyNot = "only mono and stereo tracks are played, this one has " +
                 std::to_string(m_channels) + " channels";
        return false;
    }
    return true;
}

bool OggDecoder::seek(int64_t frame)
{
    if (frame < 0 || frame > m_lengthFrames)
        return false;
    // The end is a position too, but one that libvorbisfile will not seek to.
    if (frame == m_lengthFrames) {
        m_atEnd = true;
        return true;
    }
    if (ov_pcm_seek(&m_file, frame) != 0)
        return false;
    m_atEnd = false;
    return true;
}

long OggDecoder::read(int16_t* frames, long maxFrames)
{
    const long frameBytes = static_cast<long>(m_channels) * kBytesPerSample;
    char* out = reinterpret_cast<char*>(frames);
    long bytesLeft = maxFrames * frameBytes;
    long bytesDone = 0;
    while (!m_atEnd && bytesLeft > 0) {
        int link = 0;
        const long got = ov_read(&m_file, out + bytesDone, static_cast<int>(bytesLeft),
                                 kHostIsBigEndian, kBytesPerSample, 1, &link);
        if (got == OV_HOLE)
            continue;  // a gap in the data: the decoder resynchronises on the next page
        if (got <= 0) {
            m_atEnd = true;  // the end, or damage it cannot get past
            break;
        }
        const vorbis_info* info = ov_info(&m_file, link);
        if (info->channels != m_channels || info->rate != m_rateHz) {
            m_atEnd = true;  // a chained stream in another format: not ours to convert
            break;
        }
        bytesDone += got;
        bytesLeft -= got;
    }
    return bytesDone / frameBytes;
}
