#include "PendingOutput.h"

#include <dirent.h>    // Required for: opendir(), readdir() to empty the folder
#include <fcntl.h>     // Required for: open()
#include <sys/stat.h>  // Required for: mkdir()
#include <unistd.h>    // Required for: close(), unlink(), rmdir()

#include <cerrno>   // Required for: errno
#include <cstdio>   // Required for: rename()
#include <cstring>  // Required for: strerror()

namespace {

bool isEmptyFolder(const std::string& path)
{
    DIR* folder = opendir(path.c_str());
    if (!folder)
        return false;
    bool empty = true;
    while (const dirent* entry = readdir(folder))
        empty = empty && (std::strcmp(entry->d_name, ".") == 0 || std::strcmp(entry->d_name, "..") == 0);
    closedir(folder);
    return empty;
}

}  // namespace

PendingOutput::PendingOutput(const std::string& output)
    : m_final(output), m_folder(!output.empty() && output.back() == '/')
{
    while (m_final.size() > 1 && m_final.back() == '/')
        m_final.pop_back();
    m_temporary = m_final + ".part" + (m_folder ? "/" : "");
}

PendingOutput::~PendingOutput()
{
    discard();
}

bool PendingOutput::create(std::string& whyNot)
{
    struct stat existing;
    const bool exists = stat(m_final.c_str(), &existing) == 0;
    if (m_folder) {
        // A folder that holds something already is not replaced.
        if (exists && !S_ISDIR(existing.st_mode)) {
            whyNot = "cannot write " + m_final + "/: it is a file";
            return false;
        }
        if (exists && !isEmptyFolder(m_final)) {
            whyNot = "cannot write " + m_final + "/: it exists and is not empty";
            return false;
        }
        discard();
        if (mkdir(m_temporary.c_str(), 0777) != 0 && errno != EEXIST) {
            whyNot = "cannot write " + m_final + "/ (" + std::strerror(errno) + ")";
            return false;
        }
    } else {
        if (exists && S_ISDIR(existing.st_mode)) {
            whyNot = "cannot write " + m_final + ": it is a folder";
            return false;
        }
        const int fd = open(m_temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
        if (fd < 0) {
            whyNot = "cannot write " + m_final + " (" + std::strerror(errno) + ")";
            return false;
        }
        close(fd);
    }
    m_pending = true;
    return true;
}

bool PendingOutput::commit(std::string& whyNot)
{
    if (std::rename(m_temporary.c_str(), m_final.c_str()) != 0) {
        whyNot = "cannot move " + m_temporary + " to " + m_final + " (" + std::strerror(errno) + ")";
        return false;
    }
    m_pending = false;
    return true;
}

void PendingOutput::discard()
{
    if (!m_folder) {
        if (m_pending)
            unlink(m_temporary.c_str());
        m_pending = false;
        return;
    }
    // Only what the capture writes lives in its folder.
    if (DIR* folder = opendir(m_temporary.c_str())) {
        while (const dirent* entry = readdir(folder))
            if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0)
                unlink((m_temporary + entry->d_name).c_str());
        closedir(folder);
        rmdir(m_temporary.c_str());
    }
    m_pending = false;
}
