// The capture as a program: a short stretch comes out with exactly its frames, each the
// player's frame of that moment, and the music placed to the sample; bad requests are
// refused with one line and leave nothing under the output's name; what already stands at
// the names it writes is left as it was; a capture cut short fails and leaves nothing.
#include <gtest/gtest.h>

#include <X11/extensions/XTest.h>  // Required for: XTestFakeKeyEvent(), Escape in the window
#include <X11/keysym.h>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libswscale/swscale.h>
}
#include <signal.h>    // Required for: kill() of a process group
#include <sys/stat.h>  // Required for: stat(), mkdir()
#include <unistd.h>    // Required for: chdir(), symlink(), readlink()

#include <png.h>  // Required for: png_image, to read the PNG frames back

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "DemoPlayer.h"
#include "OggDecoder.h"
#include "support/TestDisplayProbe.h"
#include "support/TestGLContext.h"
#include "support/TestProcess.h"
#include "support/TestXServer.h"

namespace {

// A stretch across the start of the music: 5800 to 6400 ms at 30 fps is frames 174 to 191,
// and the music starts with frame 180 (6000 ms), 0.2 s into the capture. The logo's grain
// has more detail per pixel at this small size than at full HD, so the stretch is encoded
// at a finer quality than the default to keep every frame within 35 dB of the player's.
const int kWidth = 320, kHeight = 240, kFps = 30;
const int kFirstFrame = 174, kFrames = 18, kMusicStartFrame = 180;
const std::vector<std::string> kStretch = {"--size", "320x240", "--fps", "30", "--from", "5800",
                                           "--to", "6400", "--quality", "10"};

const std::string kDataDir = std::string(TAVLEN_BINARY_DIR) + "/data";

bool exists(const std::string& path)
{
    struct stat info;
    return stat(path.c_str(), &info) == 0;
}

std::string readFile(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

// A PNG frame as RGB rows, top first; empty when it cannot be read.
std::vector<uint8_t> readRGB(const std::string& path)
{
    png_image image = {};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str()))
        return {};
    image.format = PNG_FORMAT_RGB;
    std::vector<uint8_t> rgb(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr))
        return {};
    return rgb;
}

// Starts the capture in `workDir` on `display`, or on an Xvfb of its own when that is
// empty, as the leader of a process group of its own like a shell's job (setsid). LD_PRELOAD
// keeps the GL driver mapped at exit, so LeakSanitizer can name its caches.
std::unique_ptr<TestProcess> startCapture(std::vector<std::string> args, const std::string& display = "",
                                          const std::string& workDir = TAVLEN_BINARY_DIR)
{
    args.insert(args.begin(), TAVLEN_CAPTURE);
    auto process = std::make_unique<TestProcess>("/usr/bin/setsid", args);
    process->setEnv("DISPLAY", display);
    process->setEnv("LD_PRELOAD", TAVLEN_KEEP_LIBRARIES);
    process->setWorkDir(workDir);
    EXPECT_TRUE(process->start()) << process->error();
    return process;
}

// Runs the capture to its end.
std::unique_ptr<TestProcess> capture(std::vector<std::string> args, const std::string& workDir = TAVLEN_BINARY_DIR)
{
    auto process = startCapture(args, "", workDir);
    EXPECT_TRUE(process->wait(240000)) << "still capturing after four minutes";
    return process;
}

// What stands at `path` (not following a link), and everything in it: to see that it is
// left exactly as it was.
std::string describe(const std::string& path)
{
    struct stat info;
    if (lstat(path.c_str(), &info) != 0)
        return "nothing";
    if (S_ISLNK(info.st_mode)) {
        char target[4096] = {};
        return "link to " + std::string(target, size_t(std::max<ssize_t>(0, readlink(path.c_str(), target, sizeof(target)))));
    }
    if (!S_ISDIR(info.st_mode)) {
        const std::string content = readFile(path);
        return "file of " + std::to_string(content.size()) + " bytes, hash " + std::to_string(std::hash<std::string>()(content));
    }
    std::vector<std::string> entries;
    for (const auto& entry : std::filesystem::directory_iterator(path))
        entries.push_back(entry.path().filename().string() + ": " + describe(entry.path().string()));
    std::sort(entries.begin(), entries.end());
    std::string text = "folder {";
    for (const std::string& entry : entries)
        text += entry + "; ";
    return text + "}";
}

// The process id of the child of `parent` running `command`; -1 when there is none.
pid_t childOf(pid_t parent, const std::string& command)
{
    for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
        // /proc/PID/stat: "PID (COMMAND) STATE PPID ..."
        std::ifstream stat(entry.path() / "stat");
        std::string pid, name, state;
        pid_t parentPid = 0;
        if (stat >> pid >> name >> state >> parentPid && parentPid == parent && name == "(" + command + ")")
            return pid_t(std::stol(pid));
    }
    return -1;
}

// The capture's stderr is exactly one line holding `says`.
void expectOneLine(const TestProcess& process, const std::string& says)
{
    const std::string said = process.stderrText();
    EXPECT_NE(std::string::npos, said.find(says)) << said;
    EXPECT_EQ(1, std::count(said.begin(), said.end(), '\n')) << said;
}

// What a file holds, read back with libavformat and libavcodec.
struct Decoded {
    std::vector<std::string> codecs;         // per stream
    int videoFrames = 0;
    int width = 0, height = 0;
    std::vector<std::vector<uint8_t>> rgb;   // every picture, RGB rows top first
    std::vector<int16_t> pcm;                // the audio when it decodes to 16-bit samples
};

Decoded decode(const std::string& path)
{
    Decoded out;
    AVFormatContext* format = nullptr;
    if (avformat_open_input(&format, path.c_str(), nullptr, nullptr) < 0)
        return out;
    avformat_find_stream_info(format, nullptr);
    std::vector<AVCodecContext*> decoders;
    for (unsigned i = 0; i < format->nb_streams; ++i) {
        const AVCodecParameters* parameters = format->streams[i]->codecpar;
        out.codecs.push_back(std::string(avcodec_get_name(parameters->codec_id))
                             + (parameters->format == AV_PIX_FMT_YUV420P && parameters->codec_type == AVMEDIA_TYPE_VIDEO
                                    ? "/yuv420p" : ""));
        AVCodecContext* decoder = avcodec_alloc_context3(avcodec_find_decoder(parameters->codec_id));
        avcodec_parameters_to_context(decoder, parameters);
        avcodec_open2(decoder, decoder->codec, nullptr);
        decoders.push_back(decoder);
    }
    AVPacket* packet = av_packet_alloc();
    AVFrame* frame = av_frame_alloc();
    SwsContext* toRgb = nullptr;
    auto take = [&](AVCodecContext* decoder) {
        while (avcodec_receive_frame(decoder, frame) == 0) {
            if (decoder->codec_type == AVMEDIA_TYPE_VIDEO) {
                out.width = frame->width;
                out.height = frame->height;
                if (!toRgb) {
                    toRgb = sws_getContext(frame->width, frame->height, AVPixelFormat(frame->format), frame->width,
                                           frame->height, AV_PIX_FMT_RGB24, SWS_BILINEAR | SWS_ACCURATE_RND,
                                           nullptr, nullptr, nullptr);
                    sws_setColorspaceDetails(toRgb, sws_getCoefficients(SWS_CS_ITU709), 0,
                                             sws_getCoefficients(SWS_CS_ITU709), 1, 0, 1 << 16, 1 << 16);
                }
                std::vector<uint8_t> rgb(size_t(frame->width) * frame->height * 3);
                uint8_t* planes[1] = {rgb.data()};
                const int strides[1] = {frame->width * 3};
                sws_scale(toRgb, frame->data, frame->linesize, 0, frame->height, planes, strides);
                out.rgb.push_back(rgb);
                ++out.videoFrames;
            } else if (frame->format == AV_SAMPLE_FMT_S16) {
                const int16_t* samples = reinterpret_cast<const int16_t*>(frame->data[0]);
                out.pcm.insert(out.pcm.end(), samples, samples + frame->nb_samples * frame->ch_layout.nb_channels);
            }
        }
    };
    while (av_read_frame(format, packet) >= 0) {
        AVCodecContext* decoder = decoders[size_t(packet->stream_index)];
        avcodec_send_packet(decoder, packet);
        take(decoder);
        av_packet_unref(packet);
    }
    for (AVCodecContext* decoder : decoders) {
        avcodec_send_packet(decoder, nullptr);
        take(decoder);
        avcodec_free_context(&decoder);
    }
    sws_freeContext(toRgb);
    av_frame_free(&frame);
    av_packet_free(&packet);
    avformat_close_input(&format);
    return out;
}

// The music as the capture should hold it: silence, then the track from its first sample.
std::vector<int16_t> expectedMusic(long silentFrames, size_t samples)
{
    OggDecoder decoder;
    std::string whyNot;
    EXPECT_TRUE(decoder.open((kDataDir + "/ormund_france.ogg").c_str(), whyNot)) << whyNot;
    std::vector<int16_t> pcm(samples, 0);
    const size_t from = size_t(silentFrames) * size_t(decoder.channels());
    size_t at = from;
    while (at < samples) {
        const long read = decoder.read(&pcm[at], long(samples - at) / decoder.channels());
        if (read <= 0)
            break;
        at += size_t(read) * size_t(decoder.channels());
    }
    return pcm;
}

// Peak signal-to-noise ratio of an RGB picture (top row first) against a player frame
// (RGBA, bottom row first), in dB.
double psnr(const std::vector<uint8_t>& rgb, const std::vector<uint8_t>& rgbaBottomUp)
{
    double squares = 0.0;
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x)
            for (int c = 0; c < 3; ++c) {
                const double d = double(rgb[(size_t(y) * kWidth + x) * 3 + c])
                    - double(rgbaBottomUp[(size_t(kHeight - 1 - y) * kWidth + x) * 4 + c]);
                squares += d * d;
            }
    const double mse = squares / (double(kWidth) * kHeight * 3);
    return mse == 0.0 ? 99.0 : 10.0 * std::log10(255.0 * 255.0 / mse);
}

// The player's own frames of the stretch, rendered in this process.
const std::vector<std::vector<uint8_t>>& playerFrames()
{
    static std::vector<std::vector<uint8_t>> frames;
    if (!frames.empty() || !TestXServer::sharedXvfb() || chdir(TAVLEN_BINARY_DIR) != 0)
        return frames;
    setenv("ALSOFT_DRIVERS", "null", 1);
    DemoPlayer player(1000.0 / kFps, kWidth, kHeight);
    tavtest::pinGLDriverLibraries();
    while (player.frameCount() < kFirstFrame + kFrames && player.step())
        if (player.frameCount() > kFirstFrame)
            frames.push_back(player.readFrame());
    return frames;
}

}  // namespace

TEST(CaptureRun, AStretchHoldsExactlyItsFramesTheirPicturesAndTheMusicInPlace)
{
    const long rate = 44100;
    const long silent = (kMusicStartFrame - kFirstFrame) * rate / kFps;  // 8820 sample frames
    const size_t samples = size_t(kFrames) * rate / kFps * 2;            // stereo, 0.6 s
    const std::vector<int16_t> music = expectedMusic(silent, samples);
    const std::vector<std::vector<uint8_t>>& player = playerFrames();
    ASSERT_EQ(size_t(kFrames), player.size());

    struct Case {
        const char* output;
        std::vector<std::string> codecs;
        bool exactMusic;  // lossless audio: the samples themselves are compared
    };
    const Case cases[] = {
        {"stretch.mkv", {"h264/yuv420p", "flac"}, true},
        {"stretch.mp4", {"h264/yuv420p", "aac"}, false},
        {"frames/", {}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.output);
        const std::string output = tavtest::scratchDir() + "/" + c.output;
        std::vector<std::string> args = kStretch;
        args.push_back(output);
        const auto process = capture(args);
        ASSERT_EQ(0, process->exitCode()) << process->stderrText();
        const std::string name = c.output;
        EXPECT_FALSE(exists(tavtest::scratchDir() + "/" + name.substr(0, name.find('/')) + ".part"));

        if (c.codecs.empty()) {
            // Frames as PNG, bit for bit the player's; the WAV holds the same music.
            for (int i = 0; i <= kFrames; ++i) {
                char frame[32];
                std::snprintf(frame, sizeof(frame), "frame%06d.png", i);
                if (i == kFrames) {
                    EXPECT_FALSE(exists(output + frame));
                    break;
                }
                const std::vector<uint8_t> png = readRGB(output + frame);
                ASSERT_EQ(size_t(kWidth) * kHeight * 3, png.size()) << frame;
                EXPECT_EQ(99.0, psnr(png, player[size_t(i)])) << frame << " differs from the player's";
            }
            const std::string wav = readFile(output + "music.wav");
            ASSERT_EQ(44 + samples * 2, wav.size());
            EXPECT_TRUE(std::equal(music.begin(), music.end(), reinterpret_cast<const int16_t*>(wav.data() + 44)));
            continue;
        }
        const Decoded file = decode(output);
        EXPECT_EQ(c.codecs, file.codecs);
        EXPECT_EQ(kFrames, file.videoFrames);
        ASSERT_EQ(kWidth, file.width);
        ASSERT_EQ(kHeight, file.height);
        // Every frame matches the player's frame of its moment, and not its neighbours'.
        for (int i = 0; i < file.videoFrames; ++i)
            EXPECT_GE(psnr(file.rgb[size_t(i)], player[size_t(i)]), 35.0) << "frame " << i;
        if (c.exactMusic) {
            ASSERT_EQ(samples, file.pcm.size());
            EXPECT_TRUE(file.pcm == music) << "the music is not the track placed at the frame that starts it";
        }
    }
}

TEST(CaptureRun, RefusesBadRequestsWithOneLineAndLeavesNoFile)
{
    // A folder with the pictures but without the music.
    const std::string noMusic = tavtest::scratchDir() + "/no-music";
    mkdir(noMusic.c_str(), 0777);
    mkdir((noMusic + "/data").c_str(), 0777);
    ASSERT_EQ(0, symlink((kDataDir + "/o14_logo.png").c_str(), (noMusic + "/data/o14_logo.png").c_str()));
    const std::string out = tavtest::scratchDir() + "/refused.mp4";

    struct Case {
        std::vector<std::string> args;
        const char* says;
        std::string workDir;
        std::string output;
    };
    const Case cases[] = {
        {{"--size", "801x600"}, "bad size", TAVLEN_BINARY_DIR, out},
        {{"--size", "800by600"}, "bad size", TAVLEN_BINARY_DIR, out},
        {{"--fps", "0"}, "bad frame rate", TAVLEN_BINARY_DIR, out},
        {{"--from", "73000"}, "bad range", TAVLEN_BINARY_DIR, out},
        {{"--from", "5000", "--to", "5000"}, "bad range", TAVLEN_BINARY_DIR, out},
        {{"--from", "-5"}, "bad time", TAVLEN_BINARY_DIR, out},
        {{}, "unknown container", TAVLEN_BINARY_DIR, tavtest::scratchDir() + "/refused.avi"},
        {{}, "cannot write", TAVLEN_BINARY_DIR, tavtest::scratchDir() + "/no/such/folder/refused.mp4"},
        {{}, "cannot read the music", noMusic, out},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args = c.args;
        args.push_back(c.output);
        SCOPED_TRACE(::testing::PrintToString(args));
        const auto process = capture(args, c.workDir);
        EXPECT_NE(0, process->exitCode());
        expectOneLine(*process, c.says);
        EXPECT_FALSE(exists(c.output));
        EXPECT_FALSE(exists(c.output + ".part"));
    }
}

TEST(CaptureRun, LeavesWhatStandsAtItsNamesAsItWasAndNamesIt)
{
    const std::string dir = tavtest::scratchDir() + "/planted";
    std::filesystem::create_directories(dir + "/victim-folder");
    std::ofstream(dir + "/victim.txt") << "the user's";
    std::ofstream(dir + "/victim-folder/mine.txt") << "the user's";
    auto folderWithAFile = [](const std::string& path) {
        mkdir(path.c_str(), 0777);
        std::ofstream(path + "/mine.txt") << "the user's";
    };
    auto fileOf = [](const std::string& path) { std::ofstream(path) << "the user's"; };
    auto linkTo = [](const char* target) {
        return [target](const std::string& path) { ASSERT_EQ(0, symlink(target, path.c_str())); };
    };

    struct Case {
        const char* output;
        const char* inTheWay;  // planted there before the capture
        std::function<void(const std::string&)> plant;
    };
    const Case cases[] = {
        {"link.mp4", "link.mp4.part", linkTo("victim.txt")},
        {"dangling.mkv", "dangling.mkv.part", linkTo("no-such-file")},
        {"folder.mp4", "folder.mp4.part", folderWithAFile},
        {"file.mkv", "file.mkv.part", fileOf},
        {"frames/", "frames.part", folderWithAFile},
        {"linked/", "linked.part", linkTo("victim-folder")},
        {"filed/", "filed.part", fileOf},
        // At the output's own name only a file (or an empty folder) of the capture's kind
        // would be replaced, not a link.
        {"out-link.mp4", "out-link.mp4", linkTo("victim.txt")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.output);
        const std::string inTheWay = dir + "/" + c.inTheWay;
        c.plant(inTheWay);
        const std::string before = describe(dir);
        const auto process = capture({"--size", "160x120", "--from", "6000", "--to", "6200", dir + "/" + c.output});
        EXPECT_EQ(1, process->exitCode());
        expectOneLine(*process, "cannot write " + inTheWay);
        EXPECT_EQ(before, describe(dir));
    }
}

TEST(CaptureRun, ACaptureCutShortFailsInOneLineAndLeavesNothing)
{
    TestXServer server(TestXServer::XVFB);
    TestDisplayProbe probe(server.display());
    ASSERT_TRUE(probe.ok());
    auto escape = [&probe](pid_t) {
        const std::vector<TestDisplayProbe::WindowInfo> windows = probe.viewableTopLevelWindows();
        if (windows.size() != 1)
            return -1;
        XSetInputFocus(probe.display(), windows[0].id, RevertToPointerRoot, CurrentTime);
        const KeyCode key = XKeysymToKeycode(probe.display(), XK_Escape);
        XTestFakeKeyEvent(probe.display(), key, True, CurrentTime);
        XTestFakeKeyEvent(probe.display(), key, False, CurrentTime);
        XSync(probe.display(), False);
        return 0;
    };
    // Ctrl-C in a terminal signals the whole process group: the capture's own Xvfb must not
    // be hit, and the capture ends as after a SIGINT of its own. A server killed under it is
    // an error like any other.
    auto controlC = [](pid_t capture) { return kill(-capture, SIGINT); };
    auto killServer = [](pid_t capture) {
        const pid_t xvfb = childOf(capture, "Xvfb");
        return xvfb > 0 ? kill(xvfb, SIGKILL) : -1;  // never kill(-1): that is everyone
    };
    struct End {
        const char* name;
        std::string display;  // empty: the capture's own Xvfb
        std::function<int(pid_t)> send;
        const char* status;
        const char* says;
    };
    const End ends[] = {
        {"escape", server.display(), escape, "exit 1", "tavlen_capture: the demo was ended at demo time "},
        {"control-c", "", controlC, "exit 130", "tavlen_capture: interrupted: nothing written\n"},
        {"xvfb-killed", "", killServer, "exit 1", "tavlen_capture: lost the X display: nothing written\n"},
    };
    for (const End& end : ends) {
        SCOPED_TRACE(end.name);
        // The whole run at a size that renders fast, ended once its first frame is written.
        const std::string output = tavtest::scratchDir() + "/" + end.name + "/";
        const std::string pending = tavtest::scratchDir() + "/" + end.name + ".part";
        const auto process = startCapture({"--size", "160x120", "--to", "73000", output}, end.display);
        ASSERT_TRUE(TestDisplayProbe::waitFor(
            [&] { return exists(pending + "/frame000000.png") || !process->running(); }, 120000));
        ASSERT_TRUE(process->running()) << process->describeEnd() << "\n" << process->stderrText();
        ASSERT_EQ(0, end.send(process->pid()));
        ASSERT_TRUE(process->wait(240000)) << "still capturing";
        EXPECT_EQ(end.status, process->describeEnd());
        expectOneLine(*process, end.says);
        EXPECT_FALSE(exists(output));
        EXPECT_FALSE(exists(pending));
    }
}
