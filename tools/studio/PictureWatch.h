// PictureWatch: tells the studio which pictures in a folder have changed, through inotify.
//
// It watches for files written and closed, or moved in (how many paint programs save: a new
// file renamed over the old), and reports each changed *.png once, by its path as the
// loader was given it ("data/o14_logo.png"). Checking is non-blocking and cheap, once per
// frame; the buffer is the object's own, so checking allocates nothing but the reported path.
// Without inotify (or without the folder) it reports nothing and says so once on stderr.
// Main thread only.
#pragma once

#include <string>

class PictureWatch {
public:
    // Watches `folder` ("data").
    explicit PictureWatch(const char* folder);
    ~PictureWatch();
    PictureWatch(const PictureWatch&) = delete;
    PictureWatch& operator=(const PictureWatch&) = delete;

    bool isWatching() const { return watchFd >= 0; }
    // The next changed picture's path; false when there is none now.
    bool nextChanged(std::string& path);

private:
    // Reads what inotify has, when the buffer is used up; false when nothing is pending.
    bool refill();

    std::string folderName;
    int watchFd = -1;
    // inotify's records, read a buffer at a time and walked one by one.
    alignas(8) char events[4096];
    int eventBytes = 0;
    int eventOffset = 0;
};
