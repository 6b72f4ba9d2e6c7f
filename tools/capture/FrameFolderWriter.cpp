#include "FrameFolderWriter.h"

#include <cerrno>    // Required for: errno
#include <cstring>   // Required for: strerror()

#include "MusicTrack.h"
#include "image/TAV_PNGWriter.h"
#include "sys/TAV_Exception.h"

namespace {

// zlib level 3: most of level 9's saving at a fraction of its time, so writing keeps pace
// with rendering.
const int kPngCompression = 3;

void put16(uint8_t* at, unsigned value)
{
    at[0] = uint8_t(value);
    at[1] = uint8_t(value >> 8);
}

void put32(uint8_t* at, uint32_t value)
{
    put16(at, value & 0xffff);
    put16(at + 2, value >> 16);
}

}  // namespace

const char* const FrameFolderWriter::MUSIC_NAME = "music.wav";

FrameFolderWriter::FrameFolderWriter(const std::string& folder, int widthPx, int heightPx, int fps,
                                     const MusicTrack& music)
    : m_folder(folder), m_widthPx(widthPx), m_heightPx(heightPx), m_fps(fps), m_music(music)
{
    const std::string path = m_folder + MUSIC_NAME;
    m_wav = std::fopen(path.c_str(), "wbx");
    if (!m_wav)
        throw new TAV_Exception(TAV_Exception::BAD_FILE, "cannot write %s (%s)", path.c_str(), std::strerror(errno));
    writeWavHeader(0);
}

FrameFolderWriter::~FrameFolderWriter()
{
    if (m_wav)
        std::fclose(m_wav);
}

void FrameFolderWriter::writeFrame(const uint8_t* rgbaBottomUp, int index, int64_t musicStartFrame)
{
    TAV_PNGWriter::write((m_folder + frameName(index)).c_str(), rgbaBottomUp, m_widthPx, m_heightPx,
                         TAV_PNGWriter::RGBA_BOTTOM_UP, kPngCompression, TAV_PNGWriter::NEW_FILE_ONLY);
    const int64_t first = m_music.frameStart(index, m_fps);
    const long count = long(m_music.frameStart(index + 1, m_fps) - first);
    m_pcm.resize(size_t(count) * size_t(m_music.channels()));
    m_music.render(m_pcm.data(), first, count, musicStartFrame);
    // WAV samples are little-endian, as they are in memory on the machines this runs on.
    if (std::fwrite(m_pcm.data(), sizeof(int16_t), m_pcm.size(), m_wav) != m_pcm.size())
        throw new TAV_Exception(TAV_Exception::BAD_FILE, "cannot write %s%s (%s)", m_folder.c_str(), MUSIC_NAME,
                                std::strerror(errno));
    m_musicWritten += count;
}

void FrameFolderWriter::finish()
{
    const uint64_t bytes = uint64_t(m_musicWritten) * uint64_t(m_music.channels()) * 2;
    writeWavHeader(uint32_t(bytes));
    const int closed = std::fclose(m_wav);
    m_wav = nullptr;
    if (closed != 0)
        throw new TAV_Exception(TAV_Exception::BAD_FILE, "cannot write %s%s (%s)", m_folder.c_str(), MUSIC_NAME,
                                std::strerror(errno));
}

std::string FrameFolderWriter::frameName(int index)
{
    char name[32];
    std::snprintf(name, sizeof(name), "frame%06d.png", index);
    return name;
}

void FrameFolderWriter::writeWavHeader(uint32_t dataBytes)
{
    const unsigned channels = unsigned(m_music.channels());
    const uint32_t rate = uint32_t(m_music.rateHz());
    uint8_t header[44];
    std::memcpy(header, "RIFF", 4);
    put32(header + 4, 36 + dataBytes);
    std::memcpy(header + 8, "WAVEfmt ", 8);
    put32(header + 16, 16);           // size of the format block
    put16(header + 20, 1);            // integer PCM
    put16(header + 22, channels);
    put32(header + 24, rate);
    put32(header + 28, rate * channels * 2);  // bytes per second
    put16(header + 32, channels * 2);         // bytes per sample frame
    put16(header + 34, 16);
    std::memcpy(header + 36, "data", 4);
    put32(header + 40, dataBytes);
    if (std::fseek(m_wav, 0, SEEK_SET) != 0 || std::fwrite(header, 1, sizeof(header), m_wav) != sizeof(header)
        || std::fseek(m_wav, 0, SEEK_END) != 0)
        throw new TAV_Exception(TAV_Exception::BAD_FILE, "cannot write %s%s (%s)", m_folder.c_str(), MUSIC_NAME,
                                std::strerror(errno));
}
