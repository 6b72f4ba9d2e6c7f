#include "VorbisWriter.h"

#include <vorbis/vorbisenc.h>  // Required for: vorbis_encode_init_vbr and the analysis calls

#include <algorithm>  // Required for: std::min, std::max
#include <cstdio>     // Required for: std::fopen, std::fwrite
#include <memory>
#include <stdexcept>

namespace {

// libogg and libvorbis state, released in reverse order whatever happens.
struct Encoder {
    ogg_stream_state stream;
    vorbis_info info;
    vorbis_comment comment;
    vorbis_dsp_state dsp;
    vorbis_block block;
    bool streamReady = false, dspReady = false, blockReady = false;

    Encoder()
    {
        vorbis_info_init(&info);
        vorbis_comment_init(&comment);
    }
    ~Encoder()
    {
        if (streamReady)
            ogg_stream_clear(&stream);
        if (blockReady)
            vorbis_block_clear(&block);
        if (dspReady)
            vorbis_dsp_clear(&dsp);
        vorbis_comment_clear(&comment);
        vorbis_info_clear(&info);
    }
    Encoder(const Encoder&) = delete;
    Encoder& operator=(const Encoder&) = delete;
};

void writePage(FILE* file, const ogg_page& page, const std::string& path)
{
    if (std::fwrite(page.header, 1, size_t(page.header_len), file) != size_t(page.header_len) ||
        std::fwrite(page.body, 1, size_t(page.body_len), file) != size_t(page.body_len))
        throw std::runtime_error("cannot write " + path);
}

}  // namespace

void writeVorbis(const std::string& path, const dsp::Stereo& signal, const VorbisSettings& settings)
{
    Encoder e;
    if (vorbis_encode_init_vbr(&e.info, 2, dsp::SAMPLE_RATE, settings.quality) != 0)
        throw std::runtime_error("the Vorbis encoder refuses its settings");
    for (const auto& tag : settings.comments)
        vorbis_comment_add_tag(&e.comment, tag.first.c_str(), tag.second.c_str());
    if (vorbis_analysis_init(&e.dsp, &e.info) != 0)
        throw std::runtime_error("the Vorbis encoder cannot start");
    e.dspReady = true;
    vorbis_block_init(&e.dsp, &e.block);
    e.blockReady = true;
    ogg_stream_init(&e.stream, settings.serial);
    e.streamReady = true;

    std::unique_ptr<FILE, int (*)(FILE*)> file(std::fopen(path.c_str(), "wb"), &std::fclose);
    if (!file)
        throw std::runtime_error("cannot create " + path);

    // The three header packets, flushed so that audio starts on a page of its own.
    ogg_packet identification, comments, codebooks;
    vorbis_analysis_headerout(&e.dsp, &e.comment, &identification, &comments, &codebooks);
    ogg_stream_packetin(&e.stream, &identification);
    ogg_stream_packetin(&e.stream, &comments);
    ogg_stream_packetin(&e.stream, &codebooks);
    ogg_page page;
    while (ogg_stream_flush(&e.stream, &page) != 0)
        writePage(file.get(), page, path);

    const size_t chunk = 4096;
    size_t done = 0;
    bool finished = false;
    while (!finished) {
        const size_t count = std::min(chunk, signal.frames() - done);
        if (count > 0) {
            float** buffer = vorbis_analysis_buffer(&e.dsp, int(count));
            for (size_t i = 0; i < count; ++i) {
                buffer[0][i] = std::max(-1.0f, std::min(1.0f, signal.left[done + i]));
                buffer[1][i] = std::max(-1.0f, std::min(1.0f, signal.right[done + i]));
            }
            vorbis_analysis_wrote(&e.dsp, int(count));
            done += count;
        } else {
            // Telling the encoder that no more samples come marks the end of the stream.
            vorbis_analysis_wrote(&e.dsp, 0);
        }
        while (vorbis_analysis_blockout(&e.dsp, &e.block) == 1) {
            vorbis_analysis(&e.block, nullptr);
            vorbis_bitrate_addblock(&e.block);
            ogg_packet packet;
            while (vorbis_bitrate_flushpacket(&e.dsp, &packet)) {
                ogg_stream_packetin(&e.stream, &packet);
                while (ogg_stream_pageout(&e.stream, &page) != 0) {
                    writePage(file.get(), page, path);
                    if (ogg_page_eos(&page))
                        finished = true;
                }
            }
        }
    }
    if (std::fclose(file.release()) != 0)
        throw std::runtime_error("cannot finish writing " + path);
}
