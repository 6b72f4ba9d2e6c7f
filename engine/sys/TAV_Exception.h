// TAV_Exception: the engine's one exception type, and its error policy.
//
// Error policy
//   - What throws: loaders and data operations, when a file cannot be opened or read or is
//     of the wrong kind, or when an operation is impossible on the data it is given; and the
//     window, when the X display, an OpenGL visual or a rendering context cannot be had.
//     Bad settings are never errors: the configuration getters fall back to their defaults.
//   - How: `throw new TAV_Exception(code, format, ...)`, always by pointer.
//   - Who catches: only the program entry. It ends the program with exit status 254 after
//     the orderly engine deletion and prints the message on stderr.
//   - What a message names: the subsystem's word for the failure and the file or the data
//     concerned ("unable to open file data/dot.png"). Messages are at most 254 characters.
//
// Codes
//   -55 memory exhausted while reading an image
//   -60 the X display, an OpenGL visual or a rendering context is not available
//   -70 a file cannot be opened, read or is of a wrong kind
//   -80 an operation is not possible on the given data
//   -90 a scene is deleted while it is shown
#pragma once

class TAV_Exception {
public:
    static constexpr int MEMORY_EXHAUSTED = -55;
    static constexpr int DISPLAY_UNAVAILABLE = -60;
    static constexpr int BAD_FILE = -70;
    static constexpr int IMPOSSIBLE_OPERATION = -80;
    static constexpr int SCENE_SHOWN = -90;

    // Longest message kept, in characters; longer texts are cut, never overrun.
    static constexpr int MAX_MESSAGE_LENGTH = 254;

    // Formats `format` printf-style into the message.
    TAV_Exception(int code, const char* format, ...) __attribute__((format(printf, 3, 4)));

    int getCode() const { return code; }
    const char* getMessage() const { return message; }

private:
    int code;
    char message[MAX_MESSAGE_LENGTH + 2];
};
