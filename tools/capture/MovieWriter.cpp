#include "MovieWriter.h"

extern "C" {
#include <libavcodec/avcodec.h>     // Required for: the encoders
#include <libavformat/avformat.h>   // Required for: the MP4 and Matroska muxers
#include <libavutil/opt.h>          // Required for: av_opt_set() of x264's settings
#include <libswresample/swresample.h>  // Required for: 16-bit PCM to the audio encoder's format
#include <libswscale/swscale.h>     // Required for: RGBA to yuv420p
}

#include <algorithm>  // Required for: std::min

#include "MusicTrack.h"
#include "sys/TAV_Exception.h"

namespace {

// x264's speed preset. Measured at 800x600 on the demo's frames, per frame of CPU time:
// "fast" 34 ms, "veryfast" 16 ms, "superfast" 10 ms, against about 34 ms for rendering with
// Mesa's software renderer. "superfast" keeps encoding within a third of the rendering cost
// for files about a tenth larger at the same quality setting.
const char* const kX264Preset = "superfast";
// AAC at 192 kbit/s in stereo is transparent for music to nearly every listener.
const int64_t kAacBitRate = 192000;

}  // namespace

MovieWriter::MovieWriter(const std::string& path, bool matroska, int widthPx, int heightPx, int fps, int crf,
                         const MusicTrack& music)
    : m_path(path), m_widthPx(widthPx), m_heightPx(heightPx), m_fps(fps), m_music(music)
{
    // FFmpeg's and x264's reports would bury the progress line; their errors still show.
    av_log_set_level(AV_LOG_ERROR);
    try {
        int error = avformat_alloc_output_context2(&m_format, nullptr, matroska ? "matroska" : "mp4", path.c_str());
        if (error < 0)
            fail("cannot set up the container for", error);
        m_packet = av_packet_alloc();
        if (!m_packet)
            fail("out of memory for", AVERROR(ENOMEM));
        openVideo(crf);
        openAudio(matroska);
        error = avio_open(&m_format->pb, path.c_str(), AVIO_FLAG_WRITE);
        if (error < 0)
            fail("cannot write", error);
        AVDictionary* muxerOptions = nullptr;
        // The index at the front, so that players and video sites can start before the end.
        if (!matroska)
            av_dict_set(&muxerOptions, "movflags", "+faststart", 0);
        error = avformat_write_header(m_format, &muxerOptions);
        av_dict_free(&muxerOptions);
        if (error < 0)
            fail("cannot start", error);
    } catch (...) {
        release();
        throw;
    }
}

MovieWriter::~MovieWriter()
{
    release();
}

void MovieWriter::writeFrame(const uint8_t* rgbaBottomUp, int index, int64_t musicStartFrame)
{
    int error = av_frame_make_writable(m_picture);
    if (error < 0)
        fail("out of memory for", error);
    // Read from the last row up with a negative stride: the picture comes out top row first.
    const int rowBytes = m_widthPx * 4;
    const uint8_t* topRow = rgbaBottomUp + size_t(m_heightPx - 1) * size_t(rowBytes);
    const int stride = -rowBytes;
    sws_scale(m_toYuv, &topRow, &stride, 0, m_heightPx, m_picture->data, m_picture->linesize);
    m_picture->pts = index;
    encode(m_video, m_videoStream, m_picture);
    m_framesWritten = index + 1;
    encodeMusicTo(m_music.frameStart(m_framesWritten, m_fps), musicStartFrame, false);
}

void MovieWriter::finish()
{
    encodeMusicTo(m_music.frameStart(m_framesWritten, m_fps), m_musicStartFrame, true);
    encode(m_video, m_videoStream, nullptr);
    int error = av_write_trailer(m_format);
    if (error < 0)
        fail("cannot complete", error);
    // What is still buffered is written as the file closes: a full disk may show only here.
    error = avio_closep(&m_format->pb);
    if (error < 0)
        fail("cannot write", error);
}

void MovieWriter::openVideo(int crf)
{
    const AVCodec* codec = avcodec_find_encoder_by_name("libx264");
    if (!codec)
        fail("FFmpeg has no libx264 encoder for", AVERROR_ENCODER_NOT_FOUND);
    m_videoStream = avformat_new_stream(m_format, nullptr);
    m_video = avcodec_alloc_context3(codec);
    m_picture = av_frame_alloc();
    if (!m_videoStream || !m_video || !m_picture)
        fail("out of memory for", AVERROR(ENOMEM));
    m_video->width = m_widthPx;
    m_video->height = m_heightPx;
    m_video->pix_fmt = AV_PIX_FMT_YUV420P;
    m_video->time_base = AVRational{1, m_fps};
    m_video->framerate = AVRational{m_fps, 1};
    m_video->gop_size = 2 * m_fps;  // a key frame every two seconds, for seeking
    m_video->color_range = AVCOL_RANGE_MPEG;
    m_video->colorspace = AVCOL_SPC_BT709;
    m_video->color_primaries = AVCOL_PRI_BT709;
    m_video->color_trc = AVCOL_TRC_BT709;
    if (m_format->oformat->flags & AVFMT_GLOBALHEADER)
        m_video->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    av_opt_set(m_video->priv_data, "preset", kX264Preset, 0);
    av_opt_set(m_video->priv_data, "crf", std::to_string(crf).c_str(), 0);
    int error = avcodec_open2(m_video, codec, nullptr);
    if (error < 0)
        fail("cannot open the H.264 encoder for", error);
    error = avcodec_parameters_from_context(m_videoStream->codecpar, m_video);
    if (error < 0)
        fail("cannot describe the video of", error);
    m_videoStream->time_base = m_video->time_base;
    m_videoStream->avg_frame_rate = m_video->framerate;
    m_videoStream->r_frame_rate = m_video->framerate;

    m_picture->format = m_video->pix_fmt;
    m_picture->width = m_widthPx;
    m_picture->height = m_heightPx;
    error = av_frame_get_buffer(m_picture, 0);
    if (error < 0)
        fail("out of memory for", error);
    m_toYuv = sws_getContext(m_widthPx, m_heightPx, AV_PIX_FMT_RGBA, m_widthPx, m_heightPx, AV_PIX_FMT_YUV420P,
                             SWS_BILINEAR | SWS_ACCURATE_RND, nullptr, nullptr, nullptr);
    if (!m_toYuv)
        fail("cannot convert the frames of", AVERROR(EINVAL));
    // The colour matrix the stream is tagged with; the range is video range (16 to 235).
    sws_setColorspaceDetails(m_toYuv, sws_getCoefficients(SWS_CS_ITU709), 1, sws_getCoefficients(SWS_CS_ITU709), 0,
                             0, 1 << 16, 1 << 16);
}

void MovieWriter::openAudio(bool matroska)
{
    // FLAC keeps the decoded music bit for bit; MP4 players expect AAC.
    const AVCodec* codec = avcodec_find_encoder(matroska ? AV_CODEC_ID_FLAC : AV_CODEC_ID_AAC);
    if (!codec)
        fail("FFmpeg has no audio encoder for", AVERROR_ENCODER_NOT_FOUND);
    m_audioStream = avformat_new_stream(m_format, nullptr);
    m_audio = avcodec_alloc_context3(codec);
    m_sound = av_frame_alloc();
    if (!m_audioStream || !m_audio || !m_sound)
        fail("out of memory for", AVERROR(ENOMEM));
    m_audio->sample_rate = m_music.rateHz();
    av_channel_layout_default(&m_audio->ch_layout, m_music.channels());
    m_audio->sample_fmt = matroska ? AV_SAMPLE_FMT_S16 : AV_SAMPLE_FMT_FLTP;
    m_audio->time_base = AVRational{1, m_music.rateHz()};
    if (!matroska)
        m_audio->bit_rate = kAacBitRate;
    if (m_format->oformat->flags & AVFMT_GLOBALHEADER)
        m_audio->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    int error = avcodec_open2(m_audio, codec, nullptr);
    if (error < 0)
        fail("cannot open the audio encoder for", error);
    error = avcodec_parameters_from_context(m_audioStream->codecpar, m_audio);
    if (error < 0)
        fail("cannot describe the audio of", error);
    m_audioStream->time_base = m_audio->time_base;

    const int frameSize = m_audio->frame_size > 0 ? m_audio->frame_size : 1024;
    m_sound->format = m_audio->sample_fmt;
    m_sound->nb_samples = frameSize;
    m_sound->sample_rate = m_audio->sample_rate;
    error = av_channel_layout_copy(&m_sound->ch_layout, &m_audio->ch_layout);
    if (error >= 0)
        error = av_frame_get_buffer(m_sound, 0);
    if (error < 0)
        fail("out of memory for", error);
    m_pcm.resize(size_t(frameSize) * size_t(m_music.channels()));

    AVChannelLayout inLayout;
    av_channel_layout_default(&inLayout, m_music.channels());
    error = swr_alloc_set_opts2(&m_toAudioFormat, &m_audio->ch_layout, m_audio->sample_fmt, m_audio->sample_rate,
                                &inLayout, AV_SAMPLE_FMT_S16, m_music.rateHz(), 0, nullptr);
    av_channel_layout_uninit(&inLayout);
    if (error >= 0)
        error = swr_init(m_toAudioFormat);
    if (error < 0)
        fail("cannot convert the music of", error);
}

void MovieWriter::encodeMusicTo(int64_t endFrame, int64_t musicStartFrame, bool last)
{
    // Once the music has started its place is fixed; later frames repeat it.
    if (musicStartFrame != NO_MUSIC_YET)
        m_musicStartFrame = musicStartFrame;
    const int frameSize = int(m_pcm.size()) / m_music.channels();
    const bool smallLastFrame = m_audio->codec->capabilities & AV_CODEC_CAP_SMALL_LAST_FRAME;
    while (m_musicWritten < endFrame) {
        int count = frameSize;
        if (endFrame - m_musicWritten < frameSize) {
            if (!last)
                break;  // the next video frame fills this encoder frame
            // An encoder that takes only whole frames gets a last one that runs a little past
            // the video, with what the music has there.
            if (smallLastFrame)
                count = int(endFrame - m_musicWritten);
        }
        m_music.render(m_pcm.data(), m_musicWritten, count, m_musicStartFrame);
        int error = av_frame_make_writable(m_sound);
        if (error < 0)
            fail("out of memory for", error);
        m_sound->nb_samples = count;
        const uint8_t* in = reinterpret_cast<const uint8_t*>(m_pcm.data());
        error = swr_convert(m_toAudioFormat, m_sound->data, count, &in, count);
        if (error < 0)
            fail("cannot convert the music of", error);
        m_sound->pts = m_musicWritten;
        encode(m_audio, m_audioStream, m_sound);
        m_musicWritten += count;
    }
    if (last)
        encode(m_audio, m_audioStream, nullptr);
}

void MovieWriter::encode(AVCodecContext* codec, AVStream* stream, AVFrame* frame)
{
    int error = avcodec_send_frame(codec, frame);
    if (error < 0)
        fail("cannot encode", error);
    for (;;) {
        error = avcodec_receive_packet(codec, m_packet);
        if (error == AVERROR(EAGAIN) || error == AVERROR_EOF)
            return;
        if (error < 0)
            fail("cannot encode", error);
        av_packet_rescale_ts(m_packet, codec->time_base, stream->time_base);
        m_packet->stream_index = stream->index;
        error = av_interleaved_write_frame(m_format, m_packet);  // takes the packet's data
        if (error < 0)
            fail("cannot write", error);
    }
}

void MovieWriter::release()
{
    // A file given up half-way is closed as it stands: its owner deletes it.
    if (m_format && m_format->pb)
        avio_closep(&m_format->pb);
    sws_freeContext(m_toYuv);
    m_toYuv = nullptr;
    swr_free(&m_toAudioFormat);
    av_frame_free(&m_picture);
    av_frame_free(&m_sound);
    av_packet_free(&m_packet);
    avcodec_free_context(&m_video);
    avcodec_free_context(&m_audio);
    avformat_free_context(m_format);
    m_format = nullptr;
}

void MovieWriter::fail(const char* what, int error) const
{
    char reason[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(error, reason, sizeof(reason));
    throw new TAV_Exception(TAV_Exception::BAD_FILE, "%s %s (%s)", what, m_path.c_str(), reason);
}
