#include "PictureWatch.h"

#include <sys/inotify.h>  // Required for: inotify_init1(), inotify_add_watch()
#include <unistd.h>       // Required for: read(), close()

#include <cerrno>   // Required for: errno
#include <cstdio>   // Required for: fprintf()
#include <cstring>  // Required for: strerror(), strlen()

namespace {

bool isPicture(const char* name)
{
    const size_t length = std::strlen(name);
    return length > 4 && std::strcmp(name + length - 4, ".png") == 0;
}

}  // namespace

PictureWatch::PictureWatch(const char* folder)
    : folderName(folder)
{
    watchFd = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (watchFd < 0 || inotify_add_watch(watchFd, folder, IN_CLOSE_WRITE | IN_MOVED_TO) < 0) {
        std::fprintf(stderr, "tavlen_studio: %s/ is not watched (%s); R reloads the pictures\n", folder,
                     std::strerror(errno));
        if (watchFd >= 0)
            close(watchFd);
        watchFd = -1;
    }
}

PictureWatch::~PictureWatch()
{
    if (watchFd >= 0)
        close(watchFd);
}

bool PictureWatch::nextChanged(std::string& path)
{
    while (eventOffset < eventBytes || refill()) {
        const inotify_event* event = reinterpret_cast<const inotify_event*>(events + eventOffset);
        eventOffset += int(sizeof(inotify_event) + event->len);
        if (event->len > 0 && !(event->mask & IN_ISDIR) && isPicture(event->name)) {
            path = folderName + "/" + event->name;
            return true;
        }
    }
    return false;
}

bool PictureWatch::refill()
{
    eventOffset = 0;
    eventBytes = 0;
    if (watchFd < 0)
        return false;
    const ssize_t bytes = read(watchFd, events, sizeof(events));
    if (bytes <= 0)
        return false;  // EAGAIN: nothing has happened
    eventBytes = int(bytes);
    return true;
}
