#include "Music.h"

#include "Mastering.h"
#include "Score.h"
#include "VorbisWriter.h"

namespace {

// About -14 LUFS, the level streaming services play music at. The ceiling holds the peaks
// between samples too, and leaves room for the overshoot of lossy encoding, so that the
// decoded file stays under -1 dBFS.
const double TARGET_LUFS = -14.0;
const float CEILING_DB = -2.2f;

}  // namespace

void writeMusic(const std::string& path)
{
    dsp::Stereo track = score::render();
    mastering::master(track, TARGET_LUFS, CEILING_DB);
    VorbisSettings settings;
    settings.quality = 0.5f;
    settings.comments = {{"TITLE", "Ormund France"}, {"ARTIST", "The Tavlen project"},
                         {"COMMENT", "Synthesised by the Tavlen build"}};
    writeVorbis(path, track, settings);
}
