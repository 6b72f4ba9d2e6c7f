#include "StreamOpening.h"

#include "OggDecoder.h"   // Required for: OggDecoder
#include "SoundStream.h"  // Required for: SoundStream (the platform's)

std::unique_ptr<SoundStream> openMusicStream(SoundDevice& device, const char* fileName, std::string& whyNot)
{
    whyNot.clear();
    if (fileName == nullptr) {
        whyNot = "FSOUND_Stream_Open was given no file name";
        return std::make_unique<SoundStream>();
    }
    auto decoder = std::make_unique<OggDecoder>();
    std::string decoderWhyNot;
    if (!decoder->open(fileName, decoderWhyNot)) {
        whyNot = std::string("cannot play ") + fileName + " (" + decoderWhyNot + ")";
        return std::make_unique<SoundStream>();
    }
    auto stream = std::make_unique<SoundStream>(device, std::move(decoder));
    if (stream->isSilent())
        whyNot = std::string("cannot play ") + fileName + " (" + stream->failure() + ")";
    return stream;
}
