// StreamOpening: the one way a music file becomes a stream, on every platform's output.
//
// Each platform has its own SoundDevice and SoundStream (OpenAL's on the desktop, Web
// Audio's in the browser, under the same names); what turns a file name into a playing or a
// silent stream is the same for both and lives here. Main thread only.
#pragma once

#include <memory>  // Required for: std::unique_ptr
#include <string>

class SoundDevice;
class SoundStream;

// A stream of the Ogg file on the device. A file that cannot be played still gives a stream,
// a silent one on a clock of real time, and `whyNot` says why ("cannot play FILE (REASON)").
std::unique_ptr<SoundStream> openMusicStream(SoundDevice& device, const char* fileName, std::string& whyNot);
