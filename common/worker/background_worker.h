#pragma once
// One job on a thread of its own, for work that must not hold up a window: a transfer, a copy, a
// conversion. The owner starts it, may ask it to stop, and learns that it has ended either by
// looking (finished(), from a timer of its own, no call across threads) or by waiting with a
// limit. The job never waits for its owner, so the owner may always wait for the job.
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <type_traits>
#include <utility>

namespace common {

class BackgroundWorker
{
public:
    // Called on the thread that asks for a stop, for a job whose core polls a flag of its own
    // (a loop's running flag, an engine's cancel): it passes the stop on.
    using StopRelay = std::function<void()>;

    BackgroundWorker() = default;
    // Asks a job still running to stop and waits for it without limit: what the job uses belongs
    // to the owner and dies with it. A job must never destroy its own worker.
    ~BackgroundWorker();
    BackgroundWorker(const BackgroundWorker&) = delete;
    BackgroundWorker& operator=(const BackgroundWorker&) = delete;

    // Runs `job(stop)` on a new thread, where `stop` turns true once a stop is asked; the job
    // polls it wherever stopping is safe. The job may hold what only it may release (a port, a
    // buffer): it is destroyed on the worker thread, and the worker counts as ended only after
    // that. False when a job is still running (nothing is taken then) or no thread could be made.
    template <class Job> bool start(Job&& job, StopRelay relay = {})
    {
        return launch(std::make_unique<Task<std::decay_t<Job>>>(std::forward<Job>(job)), std::move(relay));
    }

    // Sets the stop flag of a running job and passes it on through the relay; does not wait.
    void request_stop();
    // request_stop(), then wait(wait_ms).
    bool stop(std::optional<uint32_t> wait_ms = std::nullopt);
    // Waits up to `wait_ms` (without limit when none is given) for the job to end, and joins its
    // thread when it has. True when no job is running. On the worker thread itself it returns
    // false at once: a thread cannot wait for its own end.
    bool wait(std::optional<uint32_t> wait_ms = std::nullopt);

    // A job was started and has not ended yet.
    bool active() const;
    // The last job started has ended; what it wrote is visible to the caller from here on. Stays
    // true until the next start.
    bool finished() const;
    // A stop was asked of the last job started.
    bool stop_requested() const { return m_stop.load(); }

private:
    struct TaskBase
    {
        virtual ~TaskBase() = default;
        virtual void run(const std::atomic<bool>& stop) = 0;
    };
    // A job may own what cannot be copied (a serial line), which std::function would refuse.
    template <class Job> struct Task : TaskBase
    {
        explicit Task(Job&& j)
            : job(std::move(j))
        {}
        explicit Task(const Job& j)
            : job(j)
        {}
        void run(const std::atomic<bool>& stop) override { job(stop); }
        Job job;
    };
    enum class State
    {
        Idle,
        Running,
        Ended,
    };

    bool launch(std::unique_ptr<TaskBase> task, StopRelay relay);
    void run(std::unique_ptr<TaskBase> task);
    bool on_worker_thread() const;

    // start, wait, stop and the destructor belong to the owner's thread; request_stop may also be
    // called by the job itself, and the rest from anywhere.
    mutable std::mutex m_mutex;
    std::condition_variable m_ended_cv;
    State m_state = State::Idle; // guarded by m_mutex
    std::atomic<bool> m_stop{false};
    StopRelay m_relay; // set by start() while no job runs
    std::thread m_thread;
};

} // namespace common
