// ResumeFile: where the studio was when it last ended, for --resume.
//
// One small file, studio-position, in the user's Tavlen folder: $XDG_CONFIG_HOME/tavlen when
// XDG_CONFIG_HOME is an absolute path, else $HOME/.config/tavlen (the folder the installed
// tavlen keeps its app.cfg in). It holds one line in app.cfg's manner: MUSIC_MS=<music time>
// or, for a run ended in the pre-roll, LOAD_MS=<pre-roll time>. Positions are demo time (see
// SectionNavigation). Written to a temporary name and renamed, so a reader never finds half
// a file. Main thread only.
#pragma once

#include <string>

class ResumeFile {
public:
    // The file's path, or "" when neither variable gives a folder.
    static std::string path(const char* xdgConfigHome, const char* home);
    // The same from this process's environment.
    static std::string pathFromEnvironment();

    // The line for a position, and back; parse is false for anything it did not write.
    static std::string format(int demoMs);
    static bool parse(const std::string& text, int& demoMs);

    // Writes the position, making the folder when it is missing; false when it cannot.
    static bool save(const std::string& path, int demoMs);
    // Reads it; false when the file is missing or holds no position.
    static bool load(const std::string& path, int& demoMs);
};
