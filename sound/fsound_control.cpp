// The calls that move, pause and pace a stream. Both platforms' streams (OpenAL here, Web
// Audio in sound/web) take them under the same names, so the calls are written once; the
// build's include path picks the platform's SoundStream.
#include "fsound.h"

#include "SoundStream.h"  // Required for: SoundStream

bool FSOUND_Stream_SetTime(FSOUND_STREAM* stream, int timeMs)
{
    return stream != nullptr && stream->setTimeMs(timeMs);
}

bool FSOUND_Stream_SetPaused(FSOUND_STREAM* stream, bool paused)
{
    if (stream == nullptr)
        return false;
    stream->setPaused(paused);
    return true;
}

bool FSOUND_Stream_GetPaused(FSOUND_STREAM* stream)
{
    return stream != nullptr && stream->isPaused();
}

bool FSOUND_Stream_SetSpeed(FSOUND_STREAM* stream, float speed)
{
    // Written so that NaN fails too.
    if (stream == nullptr || !(speed >= FSOUND_MIN_SPEED && speed <= FSOUND_MAX_SPEED))
        return false;
    stream->setSpeed(speed);
    return true;
}
