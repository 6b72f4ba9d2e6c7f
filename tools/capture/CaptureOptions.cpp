#include "CaptureOptions.h"

#include <climits>  // Required for: INT_MAX
#include <cstdio>   // Required for: snprintf()
#include <cstdlib>  // Required for: strtol()

namespace {

// A whole decimal number that fills the text, within [low, high].
bool readInt(const std::string& text, long low, long high, int& value)
{
    if (text.empty() || text.size() > 12)
        return false;
    char* end = nullptr;
    const long parsed = std::strtol(text.c_str(), &end, 10);
    if (*end != '\0' || parsed < low || parsed > high)
        return false;
    value = int(parsed);
    return true;
}

bool endsWith(const std::string& text, const std::string& tail)
{
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

std::string format(const char* pattern, const std::string& a, long b = 0, long c = 0)
{
    char text[512];
    std::snprintf(text, sizeof(text), pattern, a.c_str(), b, c);
    return text;
}

}  // namespace

bool CaptureOptions::parse(const std::vector<std::string>& args, std::string& whyNot)
{
    bool toGiven = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--help" || arg == "-h") {
            helpAsked = true;
            return true;
        }
        const bool takesValue = arg == "--size" || arg == "--fps" || arg == "--from" || arg == "--to"
            || arg == "--quality";
        if (!takesValue) {
            if (!arg.empty() && arg[0] == '-') {
                whyNot = "unknown option " + arg;
                return false;
            }
            if (!output.empty()) {
                whyNot = "one output only (" + output + " and " + arg + ")";
                return false;
            }
            output = arg;
            continue;
        }
        if (i + 1 == args.size()) {
            whyNot = arg + " needs a value";
            return false;
        }
        const std::string& value = args[++i];
        if (arg == "--size") {
            const size_t x = value.find('x');
            const bool read = x != std::string::npos
                && readInt(value.substr(0, x), MIN_SIZE_PX, MAX_SIZE_PX, widthPx)
                && readInt(value.substr(x + 1), MIN_SIZE_PX, MAX_SIZE_PX, heightPx);
            // H.264 in 4:2:0 halves the colour planes: odd sizes have no such video.
            if (!read || widthPx % 2 || heightPx % 2) {
                whyNot = format("bad size %s: give WIDTHxHEIGHT, even numbers from %ld to %ld", value, MIN_SIZE_PX,
                                MAX_SIZE_PX);
                return false;
            }
        } else if (arg == "--fps") {
            if (!readInt(value, 1, MAX_FPS, fps)) {
                whyNot = format("bad frame rate %s: give a whole number from 1 to %ld", value, MAX_FPS);
                return false;
            }
        } else if (arg == "--from" || arg == "--to") {
            int& ms = (arg == "--from") ? fromMs : toMs;
            if (!readInt(value, 0, DEMO_LENGTH_MS * 100L, ms)) {
                whyNot = format("bad time %s: give demo milliseconds, 0 or more", value);
                return false;
            }
            toGiven = toGiven || arg == "--to";
        } else {
            if (!readInt(value, 0, 51, crf)) {
                whyNot = format("bad quality %s: give x264's constant rate factor, 0 (lossless) to 51", value);
                return false;
            }
        }
    }

    if (output.empty()) {
        whyNot = "no output given";
        return false;
    }
    if (endsWith(output, "/"))
        container = FOLDER;
    else if (endsWith(output, ".mp4"))
        container = MP4;
    else if (endsWith(output, ".mkv"))
        container = MKV;
    else {
        whyNot = "unknown container for " + output + ": the output must end in .mp4, .mkv or / (a folder)";
        return false;
    }
    if (fromMs >= DEMO_LENGTH_MS) {
        whyNot = format("bad range: --from %s is past the end of the demo (%ld ms)", std::to_string(fromMs),
                        DEMO_LENGTH_MS);
        return false;
    }
    if (toGiven && toMs <= fromMs) {
        whyNot = format("bad range: --to %s must come after --from %ld", std::to_string(toMs), fromMs);
        return false;
    }
    if (toGiven && endFrame() <= firstFrame()) {
        whyNot = format("bad range: [%s, %ld) ms holds no frame at %ld fps", std::to_string(fromMs), toMs, fps);
        return false;
    }
    return true;
}

std::string CaptureOptions::usage()
{
    return "usage: tavlen_capture [--size WxH] [--fps N] [--from MS] [--to MS] [--quality CRF] OUTPUT\n"
           "  OUTPUT ending in .mp4 (H.264 + AAC) or .mkv (H.264 + FLAC): one video file;\n"
           "  ending in /: a folder of numbered PNG frames and music.wav.\n"
           "  Defaults: --size "
        + std::to_string(DEFAULT_WIDTH_PX) + "x" + std::to_string(DEFAULT_HEIGHT_PX)
        + ", --fps 60, --quality 18 (x264's CRF), the whole demo; --from and --to\n"
          "  in demo ms (the music starts at 6000) keep the frames shown in [from, to).\n";
}

int CaptureOptions::firstFrame() const
{
    // The first frame whose demo time k x 1000 / fps is at least fromMs.
    return int((long long)(fromMs) * fps / 1000 + ((long long)(fromMs) * fps % 1000 != 0));
}

int CaptureOptions::endFrame() const
{
    if (toMs < 0)
        return INT_MAX;
    return int((long long)(toMs) * fps / 1000 + ((long long)(toMs) * fps % 1000 != 0));
}

int CaptureOptions::expectedFrames() const
{
    const int endMs = (toMs < 0 || toMs > DEMO_LENGTH_MS) ? DEMO_LENGTH_MS : toMs;
    const int end = int((long long)(endMs) * fps / 1000 + ((long long)(endMs) * fps % 1000 != 0));
    return end > firstFrame() ? end - firstFrame() : 0;
}
