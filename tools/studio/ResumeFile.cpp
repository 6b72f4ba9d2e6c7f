#include "ResumeFile.h"

#include <sys/stat.h>  // Required for: mkdir()

#include <cerrno>    // Required for: errno, EEXIST
#include <cstdio>    // Required for: rename(), remove()
#include <cstdlib>   // Required for: getenv(), strtol()
#include <fstream>

#include "LoadObject.h"

namespace {

const char kMusicKey[] = "MUSIC_MS=";
const char kLoadKey[] = "LOAD_MS=";
// Far longer than any line this file holds: anything larger is not ours.
const std::streamsize kMaxFileBytes = 256;

bool startsWith(const std::string& text, const char* prefix)
{
    return text.compare(0, std::char_traits<char>::length(prefix), prefix) == 0;
}

// Makes `folder` and its parents; true when it exists afterwards.
bool makeFolders(const std::string& folder)
{
    for (size_t slash = folder.find('/', 1); ; slash = folder.find('/', slash + 1)) {
        const std::string part = folder.substr(0, slash);
        if (mkdir(part.c_str(), 0755) != 0 && errno != EEXIST)
            return false;
        if (slash == std::string::npos)
            return true;
    }
}

}  // namespace

std::string ResumeFile::path(const char* xdgConfigHome, const char* home)
{
    // A relative XDG_CONFIG_HOME is invalid by the XDG rules and is ignored, as the launcher does.
    if (xdgConfigHome && xdgConfigHome[0] == '/')
        return std::string(xdgConfigHome) + "/tavlen/studio-position";
    if (home && home[0] != '\0')
        return std::string(home) + "/.config/tavlen/studio-position";
    return "";
}

std::string ResumeFile::pathFromEnvironment()
{
    return path(std::getenv("XDG_CONFIG_HOME"), std::getenv("HOME"));
}

std::string ResumeFile::format(int demoMs)
{
    if (demoMs < LoadObject::PRE_ROLL_MS)
        return kLoadKey + std::to_string(demoMs < 0 ? 0 : demoMs) + "\n";
    return kMusicKey + std::to_string(demoMs - LoadObject::PRE_ROLL_MS) + "\n";
}

bool ResumeFile::parse(const std::string& text, int& demoMs)
{
    const bool music = startsWith(text, kMusicKey);
    if (!music && !startsWith(text, kLoadKey))
        return false;
    const std::string number = text.substr(music ? sizeof(kMusicKey) - 1 : sizeof(kLoadKey) - 1);
    if (number.empty() || number[0] < '0' || number[0] > '9')
        return false;
    char* end = nullptr;
    const long value = std::strtol(number.c_str(), &end, 10);
    // One line: the number may be followed by the end of the line, nothing else.
    const std::string rest(end);
    if ((!rest.empty() && rest != "\n" && rest != "\r\n") || value > 10L * LoadObject::RUN_LENGTH_MS)
        return false;
    if (!music && value >= LoadObject::PRE_ROLL_MS)
        return false;
    demoMs = music ? LoadObject::PRE_ROLL_MS + int(value) : int(value);
    return true;
}

bool ResumeFile::save(const std::string& path, int demoMs)
{
    const size_t slash = path.rfind('/');
    if (path.empty() || slash == std::string::npos || !makeFolders(path.substr(0, slash)))
        return false;
    const std::string temporary = path + ".new";
    {
        std::ofstream file(temporary, std::ios::binary | std::ios::trunc);
        file << format(demoMs);
        file.close();
        if (!file) {
            std::remove(temporary.c_str());
            return false;
        }
    }
    if (std::rename(temporary.c_str(), path.c_str()) != 0) {
        std::remove(temporary.c_str());
        return false;
    }
    return true;
}

bool ResumeFile::load(const std::string& path, int& demoMs)
{
    std::ifstream file(path, std::ios::binary);
    if (!file)
        return false;
    std::string text(kMaxFileBytes + 1, '\0');
    file.read(&text[0], kMaxFileBytes + 1);
    const std::streamsize bytes = file.gcount();
    if (bytes > kMaxFileBytes)
        return false;
    text.resize(size_t(bytes));
    return parse(text, demoMs);
}
