// fsound: the music calls of the demo. Streams an Ogg Vorbis file to the default audio
// output (OpenAL Soft, decoded with libvorbisfile) and tells how far the listener is in it.
//
// Use
//   FSOUND_Init(44100, 1, 0);                            once, before any stream
//   FSOUND_STREAM* music = FSOUND_Stream_Open("data/track.ogg", FSOUND_2D, 0, 0);
//   FSOUND_Stream_Play(FSOUND_FREE, music);              starts the track from 0
//   int ms = FSOUND_Stream_GetTime(music);               once per frame: the music clock
//   FSOUND_Stream_SetTime(music, 32000);                 jump (tools that scrub the music)
//   FSOUND_Stream_SetPaused(music, true);                hold, and go on with false
//   FSOUND_Stream_SetSpeed(music, 0.5f);                 slow down, the pitch following
//   FSOUND_Stream_Close(music); FSOUND_Close();          at the end (FSOUND_Close alone also
//                                                        releases every stream still open)
//
// The music clock. FSOUND_Stream_GetTime reports what the listener hears now: the mixer's
// position with the output latency taken off, advanced between the mixer's 23 ms steps by
// the monotonic clock. While the music plays it never goes back, two readings a frame apart
// differ by the wall time between them within a millisecond or so, and it does not drift
// from the wall clock. Before the first sound reaches the output it reads where the track
// starts (0 unless moved); after the end of the track it runs on in real time. The clock learns the output's timing from the moment
// the stream is opened and knows it after about three seconds (the demo opens its music six
// seconds before playing it); a stream played at once may ease forward by up to the mixer's
// lateness, about 12 ms, during its first two seconds.
//
// Jumping, pausing and speed. The demo plays its music straight through; tools that scrub
// it (a studio, a sync editor) move it with three more calls. A jump sets the clock at once;
// the sound playing fades out over one mixer step as the new place fades in over 3 ms, from
// the next mixer step on, and the clock holds the jump's time until that sound is heard
// (the output latency later), so picture and sound stay together. A pause holds the clock
// where it stands and fades the sound out over one mixer step; the resume fades in from the
// sample the clock held, so the sound mixed ahead of the ear before the pause (the output
// latency's worth) is heard again after it. A speed other than 1 plays the track faster or
// slower through the output's pitch, and the clock runs at that speed from the moment the
// changed sound is heard. A silent stream does all of this on its clock alone. The browser
// build stops the sound at once instead of fading it, and starts the new sound 0.1 s later
// (sound/web/SoundStream.h); its clock holds meanwhile the same way.
//
// Failures never stop the program. Without an audio output, or when the file is missing or
// unreadable, a stream is still returned; it plays nothing and its clock starts at
// FSOUND_Stream_Play and runs in real time. One line on stderr says why there is no sound.
// OpenAL Soft's own messages are silenced unless ALSOFT_LOGLEVEL is set.
//
// The clock seam. Tests and tools that need a deterministic music clock call
// FSOUND_SetManualClock(true); from then on FSOUND_Stream_GetTime returns, for every stream,
// the last value given to FSOUND_SetManualTime (0 at first), until FSOUND_SetManualClock
// (false), whatever the calls above do meanwhile. Off by default; the demo never uses it.
// The music itself plays on regardless.
//
// Threads: all calls from one thread. Playback runs on a thread of its own per stream, so a
// slow frame never makes the music skip.
#pragma once

class SoundStream;

// A playing or playable music track. Opaque; owned by the library until FSOUND_Stream_Close.
typedef SoundStream FSOUND_STREAM;

// Channel argument of FSOUND_Stream_Play: let the library choose (it always can).
const int FSOUND_FREE = -1;
// Mode argument of FSOUND_Stream_Open: a plain stereo (or mono) stream, not placed in 3D.
// Every stream plays that way; the mode is accepted for the callers' sake.
const unsigned int FSOUND_2D = 0x2000;

// Opens the default audio output mixing at `mixRateHz` (44100 for the demo). The channel
// count and flags are accepted and change nothing: each stream takes one channel. Returns
// false when there is no output (then the line on stderr has been written and streams play
// silently). A second call while initialised changes nothing and returns the first result.
bool FSOUND_Init(int mixRateHz, int maxSoftwareChannels, unsigned int flags);

// Releases every stream still open and closes the audio output. FSOUND_Init may follow.
void FSOUND_Close();

// Opens the Ogg Vorbis file `fileName` for streaming, without starting it: only the headers
// and the first 0.74 s of music are decoded. `mode` is accepted and ignored; `offset` and
// `length` must be 0. Never returns null: a file that cannot be played gives a silent stream
// (see above).
FSOUND_STREAM* FSOUND_Stream_Open(const char* fileName, unsigned int mode, int offset, int length);

// Starts `stream` from position 0; later calls change nothing. `channel` is accepted and
// ignored. Returns the channel used (0), or -1 for a null stream.
int FSOUND_Stream_Play(int channel, FSOUND_STREAM* stream);

// The music clock of `stream` in milliseconds (see above); before FSOUND_Stream_Play the
// position it will start from (0 unless moved), and 0 for a null stream.
int FSOUND_Stream_GetTime(FSOUND_STREAM* stream);

// Moves `stream` to `timeMs` in the track. The clock reads timeMs from this call on (also
// backwards) and what is heard continues from there within one mixer step (23 ms). Works
// playing, paused (the resume starts there), and before FSOUND_Stream_Play (then playback
// starts from there). False for a null stream or a time outside [0, the track's length]; a
// silent stream takes any time from 0 on.
bool FSOUND_Stream_SetTime(FSOUND_STREAM* stream, int timeMs);

// Pauses or resumes `stream`. While paused the clock stands still and nothing is heard; a
// resume goes on from the same sample, with no jump and no click. Pausing before
// FSOUND_Stream_Play makes the play start paused. False only for a null stream.
bool FSOUND_Stream_SetPaused(FSOUND_STREAM* stream, bool paused);

// Whether `stream` is paused; false for a null stream.
bool FSOUND_Stream_GetPaused(FSOUND_STREAM* stream);

// The speeds FSOUND_Stream_SetSpeed accepts.
const float FSOUND_MIN_SPEED = 0.25f;
const float FSOUND_MAX_SPEED = 2.0f;

// Plays `stream` at `speed` times the normal rate, the pitch following, from the next mixer
// step on; the clock then advances at speed times wall time. 1 until changed; it holds
// through jumps and pauses. False for a null stream or a speed outside
// [FSOUND_MIN_SPEED, FSOUND_MAX_SPEED].
bool FSOUND_Stream_SetSpeed(FSOUND_STREAM* stream, float speed);

// Stops and releases `stream`. Returns false for a null or unknown stream.
bool FSOUND_Stream_Close(FSOUND_STREAM* stream);

// The clock seam: while on, FSOUND_Stream_GetTime returns the manual time for every stream.
void FSOUND_SetManualClock(bool enabled);
void FSOUND_SetManualTime(int timeMs);
