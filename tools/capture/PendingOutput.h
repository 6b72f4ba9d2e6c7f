// PendingOutput: the capture's output under a temporary name beside the real one, renamed
// into place only when it is complete, so the output's name never holds half a capture.
//
// A file OUT.mp4 is written as OUT.mp4.part; a folder OUT/ as OUT.part/ (the frames and the
// WAV inside it). Whatever is still pending when the object goes (a failure, an interrupt)
// is deleted. Main thread.
#pragma once

#include <string>

class PendingOutput {
public:
    // `output` as given on the command line; a folder ends in '/'.
    explicit PendingOutput(const std::string& output);
    ~PendingOutput();
    PendingOutput(const PendingOutput&) = delete;
    PendingOutput& operator=(const PendingOutput&) = delete;

    // Creates the temporary file or folder, which proves the output can be written there.
    // Returns false with the reason in `whyNot`.
    bool create(std::string& whyNot);
    // Where to write: the temporary file, or the temporary folder ending in '/'.
    const std::string& path() const { return m_temporary; }
    // Moves the temporary into the output's name (replacing a file, or an empty folder).
    bool commit(std::string& whyNot);

private:
    void discard();

    std::string m_final;      // without a trailing '/'
    std::string m_temporary;
    bool m_folder;
    bool m_pending = false;
};
