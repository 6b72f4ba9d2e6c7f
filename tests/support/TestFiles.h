// TestFiles: small file-system helpers for tests that need files of their own: folders,
// pictures made in code, a temporary working directory, and the place where rendered frames
// are left for people to look at.
//
// Frames go to $TAVLEN_TEST_FRAMES when it is set (so a developer can keep them), else to
// the process's scratch folder, which is removed at exit.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tavtest {

// Creates `path` and its missing parents; true when the folder exists afterwards.
bool makeDirectories(const std::string& path);

// Writes an 8-bit RGBA PNG from rows given top row first, as a picture is seen. Creates the
// folder it goes in. Returns false when the file cannot be written.
bool writePicturePNG(const std::string& path, int width, int height, const std::vector<uint8_t>& rgbaTopDown);

// Full path for a rendered frame called `name` ("cowqube.png").
std::string framePath(const std::string& name);

// Makes `path` the working directory until destruction, then restores the previous one.
class ScopedWorkingDirectory {
public:
    explicit ScopedWorkingDirectory(const std::string& path);
    ~ScopedWorkingDirectory();
    ScopedWorkingDirectory(const ScopedWorkingDirectory&) = delete;
    ScopedWorkingDirectory& operator=(const ScopedWorkingDirectory&) = delete;

    // False when the change failed (the test has then been failed already).
    bool ok() const { return changed; }

private:
    std::string previous;
    bool changed = false;
};

}  // namespace tavtest
