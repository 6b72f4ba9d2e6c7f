// EncoderThread: hands frames from the render loop to a FrameSink running on a thread of
// its own, through a bounded queue, so rendering and encoding overlap.
//
// The queue holds a fixed number of frame buffers made up front: the render loop takes a
// free one (waiting while the encoder is that many frames behind), fills it and submits it;
// the encoder thread writes frames in the order submitted and gives the buffers back. When
// the sink fails, the thread stops taking frames, acquire() returns null from then on, and
// finish() reports the sink's message. The sink is owned by the caller and used only by the
// encoder thread until finish() returns. acquire(), submit() and finish() are for one thread.
#pragma once

#include <condition_variable>  // Required for: std::condition_variable
#include <cstdint>             // Required for: uint8_t, int64_t
#include <deque>
#include <mutex>               // Required for: std::mutex
#include <string>
#include <thread>              // Required for: std::thread
#include <vector>

class FrameSink;

class EncoderThread {
public:
    // `frameBytes` per buffer, `depth` buffers. Starts the thread.
    EncoderThread(FrameSink& sink, size_t frameBytes, int depth);
    // Stops the thread without finishing the sink (when finish() was not called).
    ~EncoderThread();
    EncoderThread(const EncoderThread&) = delete;
    EncoderThread& operator=(const EncoderThread&) = delete;

    // A free buffer to fill, or null once the sink has failed.
    uint8_t* acquire();
    // Queues the buffer from acquire() as frame `index` with the music's place then known.
    void submit(uint8_t* frame, int index, int64_t musicStartFrame);
    // Writes what is queued, finishes the sink and stops the thread. Returns false with the
    // sink's message in `whyNot` when anything failed.
    bool finish(std::string& whyNot);

private:
    struct Job {
        uint8_t* frame;
        int index;
        int64_t musicStartFrame;
    };

    void run();

    FrameSink& m_sink;
    std::vector<std::vector<uint8_t>> m_buffers;

    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<uint8_t*> m_free;  // buffers the render loop may fill
    std::deque<Job> m_jobs;        // filled buffers, oldest first
    bool m_closing = false;        // no more jobs will come
    bool m_finishSink = false;     // finish the sink once the jobs are done
    bool m_failed = false;
    std::string m_failure;
    std::thread m_thread;
};
