// MovieWriter: the capture as one video file through FFmpeg's libraries: H.264 (libx264,
// yuv420p, BT.709 colours in video range) at a constant frame rate, and the music as AAC in
// MP4 or as FLAC in Matroska.
//
// Frames arrive as RGBA read back from OpenGL (bottom row first); swscale turns them into
// the encoder's planes. The music is rendered from the MusicTrack in the audio encoder's
// frame size as soon as the video frames that cover it have arrived, so the two streams
// stay interleaved. Owns every FFmpeg object it creates; the file is complete only after
// finish(). Errors throw TAV_Exception* naming the file. One thread at a time.
#pragma once

#include <cstdint>  // Required for: int16_t, int64_t
#include <string>
#include <vector>

#include "FrameSink.h"

struct AVCodecContext;
struct AVFormatContext;
struct AVFrame;
struct AVPacket;
struct AVStream;
struct SwsContext;
struct SwrContext;
class MusicTrack;

class MovieWriter : public FrameSink {
public:
    // Opens `path` (any name: the container is `matroska` or MP4) and its two encoders.
    MovieWriter(const std::string& path, bool matroska, int widthPx, int heightPx, int fps, int crf,
                const MusicTrack& music);
    ~MovieWriter() override;
    MovieWriter(const MovieWriter&) = delete;
    MovieWriter& operator=(const MovieWriter&) = delete;

    void writeFrame(const uint8_t* rgbaBottomUp, int index, int64_t musicStartFrame) override;
    void finish() override;

private:
    void openVideo(int crf);
    void openAudio(bool matroska);
    // Encodes the music from where it stands up to output sample `endFrame`, in whole
    // encoder frames; `last` also sends the remainder and drains the encoder.
    void encodeMusicTo(int64_t endFrame, int64_t musicStartFrame, bool last);
    // Sends `frame` (null to drain) and writes every packet the encoder gives back.
    void encode(AVCodecContext* codec, AVStream* stream, AVFrame* frame);
    // Frees everything; shared by the destructor and a constructor that fails.
    void release();
    [[noreturn]] void fail(const char* what, int error) const;

    std::string m_path;
    int m_widthPx;
    int m_heightPx;
    int m_fps;
    const MusicTrack& m_music;

    AVFormatContext* m_format = nullptr;
    AVCodecContext* m_video = nullptr;
    AVCodecContext* m_audio = nullptr;
    AVStream* m_videoStream = nullptr;
    AVStream* m_audioStream = nullptr;
    AVFrame* m_picture = nullptr;
    AVFrame* m_sound = nullptr;
    AVPacket* m_packet = nullptr;
    SwsContext* m_toYuv = nullptr;
    SwrContext* m_toAudioFormat = nullptr;

    int m_framesWritten = 0;
    int64_t m_musicWritten = 0;        // output samples handed to the audio encoder
    int64_t m_musicStartFrame = NO_MUSIC_YET;
    std::vector<int16_t> m_pcm;        // one encoder frame of music, interleaved
};
