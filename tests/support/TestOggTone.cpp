#include "TestOggTone.h"

#include <gtest/gtest.h>

#include <vorbis/vorbisenc.h>  // Required for: vorbis_encode_init_vbr() and the encoder

#include <algorithm>  // Required for: std::min
#include <cmath>      // Required for: cos()
#include <cstdio>     // Required for: fopen(), fwrite()
#include <memory>

namespace {

const double kTonesHz[] = {440.0, 523.25, 659.25, 783.99, 349.23, 392.0};
const double kToneSeconds = 0.5;
const double kTwoPi = 6.283185307179586;

bool writePage(FILE* file, const ogg_page& page)
{
    return fwrite(page.header, 1, page.header_len, file) == static_cast<size_t>(page.header_len) &&
           fwrite(page.body, 1, page.body_len, file) == static_cast<size_t>(page.body_len);
}

} // namespace

namespace tavtest {

double toneFrequencyHz(double timeSec)
{
    const int count = sizeof(kTonesHz) / sizeof(kTonesHz[0]);
    return kTonesHz[static_cast<int>(timeSec / kToneSeconds) % count];
}

bool writeToneOgg(const std::string& path, double seconds, int rateHz)
{
    std::unique_ptr<FILE, int (*)(FILE*)> file(fopen(path.c_str(), "wb"), fclose);
    if (!file) {
        ADD_FAILURE() << "cannot write " << path;
        return false;
    }
    vorbis_info info;
    vorbis_info_init(&info);
    if (vorbis_encode_init_vbr(&info, 2, rateHz, 0.5f) != 0) {
        vorbis_info_clear(&info);
        ADD_FAILURE() << "libvorbisenc refused " << rateHz << " Hz stereo";
        return false;
    }
    vorbis_comment comment;
    vorbis_comment_init(&comment);
    vorbis_dsp_state dsp;
    vorbis_analysis_init(&dsp, &info);
    vorbis_block block;
    vorbis_block_init(&dsp, &block);
    ogg_stream_state stream;
    ogg_stream_init(&stream, 20240601);

    ogg_packet header, commentHeader, codeHeader;
    vorbis_analysis_headerout(&dsp, &comment, &header, &commentHeader, &codeHeader);
    ogg_stream_packetin(&stream, &header);
    ogg_stream_packetin(&stream, &commentHeader);
    ogg_stream_packetin(&stream, &codeHeader);
    ogg_page page;
    bool ok = true;
    while (ogg_stream_flush(&stream, &page) != 0)
        ok = ok && writePage(file.get(), page);

    // Hands the encoder's finished packets to the Ogg stream and writes the full pages.
    auto drain = [&]() {
        while (vorbis_analysis_blockout(&dsp, &block) == 1) {
            vorbis_analysis(&block, nullptr);
            vorbis_bitrate_addblock(&block);
            ogg_packet packet;
            while (vorbis_bitrate_flushpacket(&dsp, &packet) != 0) {
                ogg_stream_packetin(&stream, &packet);
                while (ogg_stream_pageout(&stream, &page) != 0)
                    ok = ok && writePage(file.get(), page);
            }
        }
    };
    const long totalFrames = static_cast<long>(seconds * rateHz);
    const long chunkFrames = 4096;
    double leftPhase = 0.0, rightPhase = 0.0;
    for (long done = 0; done < totalFrames;) {
        const long frames = std::min(chunkFrames, totalFrames - done);
        float** channels = vorbis_analysis_buffer(&dsp, static_cast<int>(frames));
        for (long i = 0; i < frames; ++i) {
            const double frequencyHz = toneFrequencyHz(static_cast<double>(done + i) / rateHz);
            // Cosine, so the track starts at full level rather than at a zero crossing.
            channels[0][i] = static_cast<float>(0.5 * cos(leftPhase));
            channels[1][i] = static_cast<float>(0.5 * cos(rightPhase));
            leftPhase += kTwoPi * frequencyHz / rateHz;
            rightPhase += kTwoPi * 1.5 * frequencyHz / rateHz;
        }
        vorbis_analysis_wrote(&dsp, static_cast<int>(frames));
        drain();
        done += frames;
    }
    vorbis_analysis_wrote(&dsp, 0);  // end of stream
    drain();
    while (ogg_stream_flush(&stream, &page) != 0)
        ok = ok && writePage(file.get(), page);
    ogg_stream_clear(&stream);
    vorbis_block_clear(&block);
    vorbis_dsp_clear(&dsp);
    vorbis_comment_clear(&comment);
    vorbis_info_clear(&info);
    if (!ok)
        ADD_FAILURE() << "short write to " << path;
    return ok;
}

} // namespace tavtest
