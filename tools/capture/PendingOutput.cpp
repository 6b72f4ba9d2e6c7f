#include "PendingOutput.h"

#include <dirent.h>    // Required for: fdopendir(), readdir() to empty the folder
#include <fcntl.h>     // Required for: open(), O_EXCL, O_NOFOLLOW, unlinkat()
#include <sys/stat.h>  // Required for: lstat(), mkdir()
#include <unistd.h>    // Required for: close(), unlink(), rmdir()

#include <cerrno>   // Required for: errno
#include <chrono>
#include <cstdio>   // Required for: rename(), renameat2()
#include <cstring>  // Required for: strerror()
#include <thread>   // Required for: std::this_thread::sleep_for

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

// "a folder", "a link", ... for a refusal that says what is in the way.
const char* kindOf(unsigned mode)
{
    if (S_ISDIR(mode))
        return "a folder";
    if (S_ISLNK(mode))
        return "a link";
    if (S_ISREG(mode))
        return "a file";
    return "a special file";
}

}  // namespace

PendingOutput::PendingOutput(const std::string& output)
    : m_final(output), m_folder(!output.empty() && output.back() == '/')
{
    while (m_final.size() > 1 && m_final.back() == '/')
        m_final.pop_back();
    m_temporary = m_final + ".part";
    m_writePath = m_temporary + (m_folder ? "/" : "");
}

PendingOutput::~PendingOutput()
{
    discard();
}

bool PendingOutput::create(std::string& whyNot)
{
    Identity existing;
    unsigned mode = 0;
    m_replacing = identify(m_final, existing, mode);
    if (m_replacing) {
        // What the user named may be replaced by the capture only when it is what a capture
        // makes: a regular file, or a folder with nothing in it. A link is not followed.
        const char* const wanted = m_folder ? "a folder" : "a file";
        if (m_folder ? !S_ISDIR(mode) : !S_ISREG(mode)) {
            whyNot = "cannot write " + m_final + (m_folder ? "/" : "") + ": it is " + kindOf(mode) + ", not "
                + wanted;
            return false;
        }
        if (m_folder && !isEmptyFolder(m_final)) {
            whyNot = "cannot write " + m_final + "/: it exists and is not empty";
            return false;
        }
        m_replaced = existing;
    }

    // O_EXCL and mkdir() fail on anything already there, a dangling link included, and
    // neither follows a link: the temporary is this capture's own or it is not made at all.
    int made = -1;
    if (m_folder) {
        if (mkdir(m_temporary.c_str(), 0777) == 0) {
            made = open(m_temporary.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
            if (made < 0) {
                const int error = errno;
                rmdir(m_temporary.c_str());
                errno = error;
            }
        }
    } else {
        made = open(m_temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    }
    if (made < 0) {
        const int error = errno;
        if (error == EEXIST && identify(m_temporary, existing, mode)) {
            whyNot = "cannot write " + m_temporary + ": " + kindOf(mode)
                + " of that name is in the way (the capture writes there first, and leaves alone what it did not make)";
        } else {
            whyNot = "cannot write " + m_temporary + " (" + std::strerror(error) + ")";
        }
        return false;
    }
    struct stat info;
    fstat(made, &info);
    m_made.device = info.st_dev;
    m_made.inode = info.st_ino;
    m_pending = true;
    if (m_folder) {
        m_folderFd = made;
    } else if (close(made) != 0) {
        whyNot = "cannot write " + m_temporary + " (" + std::strerror(errno) + ")";
        return false;
    }
    return true;
}

bool PendingOutput::commit(std::string& whyNot)
{
    const std::string move = "cannot move " + m_temporary + " to " + m_final;
    int moved = -1;
    if (!m_replacing) {
        // Nothing was there at the start: what has turned up since is not overwritten.
        moved = renameat2(AT_FDCWD, m_temporary.c_str(), AT_FDCWD, m_final.c_str(), RENAME_NOREPLACE);
        if (moved != 0 && errno == EEXIST) {
            whyNot = move + ": " + m_final + " was made by something else during the capture";
            return false;
        }
    }
    if (moved != 0 && (m_replacing || errno == EINVAL || errno == ENOSYS)) {
        // Replacing what create() agreed to replace, or on a file system without
        // RENAME_NOREPLACE: only the very file or folder found at the start is replaced (and
        // rename() itself replaces a folder only while it is empty).
        Identity now;
        unsigned mode = 0;
        if (identify(m_final, now, mode) != m_replacing || (m_replacing && !(now == m_replaced))) {
            whyNot = move + ": " + m_final + " was changed by something else during the capture";
            return false;
        }
        moved = std::rename(m_temporary.c_str(), m_final.c_str());
    }
    if (moved != 0) {
        whyNot = move + " (" + std::strerror(errno) + ")";
        return false;
    }
    m_pending = false;
    if (m_folderFd >= 0)
        close(m_folderFd);
    m_folderFd = -1;
    return true;
}

void PendingOutput::discard()
{
    if (!m_pending)
        return;
    m_pending = false;
    Identity now;
    unsigned mode = 0;
    const bool stillOurs = identify(m_temporary, now, mode) && now == m_made;
    if (!m_folder) {
        if (stillOurs)
            unlink(m_temporary.c_str());
        return;
    }
    // Out of the writers' way first: a frame that the encoder starts as the capture gives up
    // is opened at the old name, which then leads nowhere, instead of landing after the
    // folder was emptied. The folder is still emptied through its own descriptor.
    std::string folder = m_temporary;
    const std::string away = m_temporary + ".discarded";
    if (stillOurs && renameat2(AT_FDCWD, m_temporary.c_str(), AT_FDCWD, away.c_str(), RENAME_NOREPLACE) == 0)
        folder = away;
    // A frame opened before the move may still be closing: go round again while files
    // appear, but not for a folder put inside by hand.
    const int kAttempts = 100;
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        const int removed = emptyFolder();
        if (!stillOurs || rmdir(folder.c_str()) == 0 || errno != ENOTEMPTY || (removed == 0 && attempt > 0))
            break;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    // Kept because something not the capture's is inside: back under the name it had.
    if (folder != m_temporary && rmdir(folder.c_str()) != 0)
        renameat2(AT_FDCWD, folder.c_str(), AT_FDCWD, m_temporary.c_str(), RENAME_NOREPLACE);
    close(m_folderFd);
    m_folderFd = -1;
}

bool PendingOutput::identify(const std::string& path, Identity& identity, unsigned& mode)
{
    struct stat info;
    if (lstat(path.c_str(), &info) != 0)
        return false;
    identity.device = info.st_dev;
    identity.inode = info.st_ino;
    mode = info.st_mode;
    return true;
}

int PendingOutput::emptyFolder()
{
    // Through the folder's own descriptor: whatever is at its name now, what is emptied is
    // the folder this capture made. Folders inside it were not made by the capture and stay.
    int removed = 0;
    if (DIR* folder = fdopendir(dup(m_folderFd))) {
        while (const dirent* entry = readdir(folder))
            if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0)
                removed += unlinkat(m_folderFd, entry->d_name, 0) == 0;
        closedir(folder);
    }
    return removed;
}
