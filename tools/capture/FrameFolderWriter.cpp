#include "FrameFolderWriter.h"

#include <png.h>  // Required for: writing the frames

#include <cerrno>    // Required for: errno
#include <cstring>   // Required for: strerror()
#include <memory>    // Required for: std::unique_ptr

#include "MusicTrack.h"
#include "sys/TAV_Exception.h"

namespace {

// zlib level 3: most of level 9's saving at a fraction of its time, so writing keeps pace
// with rendering.
const int kPngCompression = 3;

// libpng's own handlers print to stderr, a second line beside the capture's one: its
// failures jump back to writePng(), which says what failed.
void quietPngError(png_structp png, png_const_charp)
{
    png_longjmp(png, 1);
}

void quietPngWarning(png_structp, png_const_charp)
{
}

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
    : m_folder(folder), m_widthPx(widthPx), m_heightPx(heightPx), m_fps(fps), m_music(music),
      m_rows(size_t(heightPx))
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
    writePng(m_folder + frameName(index), rgbaBottomUp);
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

void FrameFolderWriter::writePng(const std::string& path, const uint8_t* rgbaBottomUp)
{
    std::unique_ptr<FILE, int (*)(FILE*)> file(std::fopen(path.c_str(), "wbx"), std::fclose);
    if (!file)
        throw new TAV_Exception(TAV_Exception::BAD_FILE, "cannot write %s (%s)", path.c_str(), std::strerror(errno));
    errno = 0;  // what a failed write leaves here is the reason given
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, quietPngError, quietPngWarning);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        throw new TAV_Exception(TAV_Exception::BAD_FILE, "cannot write %s (out of memory)", path.c_str());
    }
    if (setjmp(png_jmpbuf(png))) {
        const int error = errno;
        png_destroy_write_struct(&png, &info);
        throw new TAV_Exception(TAV_Exception::BAD_FILE, "cannot write %s (%s)", path.c_str(),
                                error ? std::strerror(error) : "libpng refused it");
    }
    png_init_io(png, file.get());
    png_set_compression_level(png, kPngCompression);
    png_set_IHDR(png, info, png_uint_32(m_widthPx), png_uint_32(m_heightPx), 8, PNG_COLOR_TYPE_RGB,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    // The frame's alpha is whatever the effects left there, not transparency: it is dropped.
    png_set_filler(png, 0, PNG_FILLER_AFTER);
    const size_t rowBytes = size_t(m_widthPx) * 4;
    for (int y = 0; y < m_heightPx; ++y)
        m_rows[size_t(y)] = rgbaBottomUp + size_t(m_heightPx - 1 - y) * rowBytes;
    png_write_image(png, const_cast<png_bytepp>(m_rows.data()));
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    // The last of the frame reaches the disk only as the file is closed: a full disk shows there.
    if (std::fclose(file.release()) != 0)
        throw new TAV_Exception(TAV_Exception::BAD_FILE, "cannot write %s (%s)", path.c_str(), std::strerror(errno));
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
