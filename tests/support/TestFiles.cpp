// GoogleTest first: TestGLContext.h pulls in Xlib, whose macros break GoogleTest's headers.
#include <gtest/gtest.h>

#include "support/TestFiles.h"

#include <limits.h>    // Required for: PATH_MAX
#include <sys/stat.h>  // Required for: mkdir()
#include <unistd.h>    // Required for: chdir(), getcwd()

#include <algorithm>  // Required for: std::copy_n()
#include <cerrno>
#include <cstdlib>  // Required for: getenv()

// Required for: writeFramePNG(), scratchDir()
#include "support/TestGLContext.h"

namespace tavtest {

bool makeDirectories(const std::string& path)
{
    for (size_t slash = path.find('/', 1); ; slash = path.find('/', slash + 1)) {
        const std::string prefix = path.substr(0, slash);
        if (!prefix.empty() && mkdir(prefix.c_str(), 0755) != 0 && errno != EEXIST)
            return false;
        if (slash == std::string::npos)
            break;
    }
    struct stat info;
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool writePicturePNG(const std::string& path, int width, int height, const std::vector<uint8_t>& rgbaTopDown)
{
    const size_t slash = path.rfind('/');
    if (slash != std::string::npos && slash > 0 && !makeDirectories(path.substr(0, slash)))
        return false;
    // writeFramePNG takes rows as OpenGL reads them, bottom row first.
    const size_t rowBytes = size_t(width) * 4;
    std::vector<uint8_t> bottomUp(rgbaTopDown.size());
    for (int y = 0; y < height; ++y)
        std::copy_n(&rgbaTopDown[size_t(y) * rowBytes], rowBytes, &bottomUp[size_t(height - 1 - y) * rowBytes]);
    return writeFramePNG(path, width, height, bottomUp);
}

std::string framePath(const std::string& name)
{
    const char* kept = std::getenv("TAVLEN_TEST_FRAMES");
    const std::string dir = kept && *kept ? std::string(kept) : scratchDir();
    makeDirectories(dir);
    return dir + "/" + name;
}

ScopedWorkingDirectory::ScopedWorkingDirectory(const std::string& path)
{
    char current[PATH_MAX];
    if (!getcwd(current, sizeof(current))) {
        ADD_FAILURE() << "cannot read the working directory";
        return;
    }
    previous = current;
    if (chdir(path.c_str()) != 0) {
        ADD_FAILURE() << "cannot change into " << path;
        return;
    }
    changed = true;
}

ScopedWorkingDirectory::~ScopedWorkingDirectory()
{
    if (changed && chdir(previous.c_str()) != 0)
        ADD_FAILURE() << "cannot change back into " << previous;
}

}  // namespace tavtest
