#include "EncoderThread.h"

#include "FrameSink.h"
#include "sys/TAV_Exception.h"

EncoderThread::EncoderThread(FrameSink& sink, size_t frameBytes, int depth)
    : m_sink(sink), m_buffers(size_t(depth), std::vector<uint8_t>(frameBytes))
{
    for (std::vector<uint8_t>& buffer : m_buffers)
        m_free.push_back(buffer.data());
    m_thread = std::thread(&EncoderThread::run, this);
}

EncoderThread::~EncoderThread()
{
    if (m_thread.joinable()) {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_closing = true;
            m_jobs.clear();  // given up: what is queued is not written
        }
        m_changed.notify_all();
        m_thread.join();
    }
}

uint8_t* EncoderThread::acquire()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    m_changed.wait(lock, [this] { return m_failed || !m_free.empty(); });
    if (m_failed)
        return nullptr;
    uint8_t* frame = m_free.back();
    m_free.pop_back();
    return frame;
}

void EncoderThread::submit(uint8_t* frame, int index, int64_t musicStartFrame)
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_jobs.push_back(Job{frame, index, musicStartFrame});
    }
    m_changed.notify_all();
}

bool EncoderThread::finish(std::string& whyNot)
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_closing = true;
        m_finishSink = true;
    }
    m_changed.notify_all();
    m_thread.join();
    whyNot = m_failure;
    return !m_failed;
}

void EncoderThread::run()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    for (;;) {
        m_changed.wait(lock, [this] { return m_closing || !m_jobs.empty(); });
        if (m_jobs.empty())
            break;  // closing, and everything queued is written
        const Job job = m_jobs.front();
        m_jobs.pop_front();
        lock.unlock();
        TAV_Exception* failure = nullptr;
        if (!m_failed) {
            try {
                m_sink.writeFrame(job.frame, job.index, job.musicStartFrame);
            } catch (TAV_Exception* e) {
                failure = e;
            }
        }
        lock.lock();
        m_free.push_back(job.frame);
        if (failure) {
            m_failed = true;
            m_failure = failure->getMessage();
            delete failure;
        }
        m_changed.notify_all();
    }
    const bool finishSink = m_finishSink && !m_failed;
    lock.unlock();
    if (!finishSink)
        return;
    try {
        m_sink.finish();
    } catch (TAV_Exception* e) {
        lock.lock();
        m_failed = true;
        m_failure = e->getMessage();
        delete e;
    }
}
