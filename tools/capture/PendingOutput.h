// PendingOutput: the capture's output under a temporary name beside the real one, renamed
// into place only when it is complete, so the output's name never holds half a capture.
//
// A file OUT.mp4 is written as OUT.mp4.part; a folder OUT/ as OUT.part/ (the frames and the
// WAV inside it). The temporary is created exclusively: whatever already stands at that name
// (a file, a folder, a link, a leftover of a killed capture) is refused, never followed,
// emptied or deleted. The capture removes only what it made itself: the temporary, when it
// is still pending as the object goes (a failure, an interrupt). At the output's name it
// replaces only what it found there at the start and agreed to replace: a regular file for
// a file output, an empty folder for a folder output. Main thread.
#pragma once

#include <sys/types.h>  // Required for: dev_t, ino_t

#include <string>

class PendingOutput {
public:
    // `output` as given on the command line; a folder ends in '/'.
    explicit PendingOutput(const std::string& output);
    ~PendingOutput();
    PendingOutput(const PendingOutput&) = delete;
    PendingOutput& operator=(const PendingOutput&) = delete;

    // Checks what stands at the output's name and creates the temporary file or folder,
    // which proves the output can be written there. Returns false with the reason in
    // `whyNot`, which names the path in the way.
    bool create(std::string& whyNot);
    // Where to write: the temporary file, or the temporary folder ending in '/'.
    const std::string& path() const { return m_writePath; }
    // Moves the temporary into the output's name. Returns false with the reason in `whyNot`
    // when the name now holds something other than what create() found there.
    bool commit(std::string& whyNot);
    // Removes the temporary now, if it is still pending (the destructor does it too). Safe
    // while the encoder still adds frames to a folder: they are removed until it is gone.
    void discard();

private:
    // Something on disk, told apart from whatever may later take its name.
    struct Identity {
        dev_t device = 0;
        ino_t inode = 0;
        bool operator==(const Identity& other) const { return device == other.device && inode == other.inode; }
    };

    // The thing at `path` itself (a link is not followed); false when there is none.
    static bool identify(const std::string& path, Identity& identity, unsigned& mode);
    // Unlinks what the temporary folder holds, apart from folders; returns how many went.
    int emptyFolder();

    std::string m_final;      // without a trailing '/'
    std::string m_temporary;  // without a trailing '/'
    std::string m_writePath;  // m_temporary, with a trailing '/' for a folder
    bool m_folder;
    bool m_pending = false;
    Identity m_made;               // the temporary this capture created
    int m_folderFd = -1;           // the temporary folder, to empty it whatever its name
    bool m_replacing = false;      // create() found a file or empty folder to replace
    Identity m_replaced;
};
