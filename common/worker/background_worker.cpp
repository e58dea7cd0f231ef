#include "common/worker/background_worker.h"

#include <chrono>
#include <system_error>

namespace common {

namespace {

// The worker whose job this thread runs, so that a job that asks to wait for itself is told no
// rather than joining its own thread. Set by the thread itself, so no one else ever writes it.
thread_local const BackgroundWorker* t_running_worker = nullptr;

} // namespace

BackgroundWorker::~BackgroundWorker()
{
    request_stop();
    wait();
}

bool BackgroundWorker::launch(std::unique_ptr<TaskBase> task, StopRelay relay)
{
    if (on_worker_thread() || active())
        return false;
    // A job before this one has ended; its join waits for nothing but the thread's return.
    if (m_thread.joinable())
        m_thread.join();
    m_stop = false;
    m_relay = std::move(relay);
    {
        std::lock_guard lock(m_mutex);
        m_state = State::Running;
    }
    try {
        m_thread = std::thread([this, task = std::move(task)]() mutable { run(std::move(task)); });
    } catch (const std::system_error&) {
        m_relay = nullptr;
        std::lock_guard lock(m_mutex);
        m_state = State::Idle;
        return false;
    }
    return true;
}

void BackgroundWorker::run(std::unique_ptr<TaskBase> task)
{
    t_running_worker = this;
    task->run(m_stop);
    // What the job held goes here, on its own thread, before anyone is told it has ended.
    task.reset();
    // Notified under the lock: an owner that sees the end joins, and only then may it destroy
    // the condition variable.
    std::lock_guard lock(m_mutex);
    m_state = State::Ended;
    m_ended_cv.notify_all();
}

void BackgroundWorker::request_stop()
{
    if (!active())
        return;
    m_stop = true;
    if (m_relay)
        m_relay();
}

bool BackgroundWorker::stop(std::optional<uint32_t> wait_ms)
{
    request_stop();
    return wait(wait_ms);
}

bool BackgroundWorker::wait(std::optional<uint32_t> wait_ms)
{
    if (on_worker_thread())
        return false;
    std::unique_lock lock(m_mutex);
    auto ended = [this] { return m_state != State::Running; };
    bool done = true;
    if (wait_ms)
        done = m_ended_cv.wait_for(lock, std::chrono::milliseconds(*wait_ms), ended);
    else
        m_ended_cv.wait(lock, ended);
    lock.unlock();
    if (done && m_thread.joinable())
        m_thread.join();
    return done;
}

bool BackgroundWorker::active() const
{
    std::lock_guard lock(m_mutex);
    return m_state == State::Running;
}

bool BackgroundWorker::finished() const
{
    std::lock_guard lock(m_mutex);
    return m_state == State::Ended;
}

bool BackgroundWorker::on_worker_thread() const
{
    return t_running_worker == this;
}

} // namespace common
