#pragma once
// One conversion run on a thread of its own. The job knows nothing of windows: it forwards the
// run's reports to a listener from the worker thread, and keeps the reading position of the
// current part where a window timer can look at it without a call across threads.
#include "common/worker/background_worker.h"
#include "dranfel/converter/conversion_run.h"

#include <atomic>
#include <functional>

namespace dranfel {

class ConversionJob
{
public:
    struct Listener
    {
        // Called on the worker thread; they must not block on the window thread.
        std::function<void(int part, int parts, int total_percent)> part_started;
        // The reading position of the current part moved to another percent; stored already.
        std::function<void(int percent)> progress;
        // The worker's last act: the thread ends right after it returns.
        std::function<void(const RunReport&)> finished;
    };

    // False when a run is still going or no thread could be made.
    bool start(ConversionRequest request, Listener listener);
    void cancel() { m_worker.request_stop(); }
    // True from start() until the worker has sent its finished report.
    bool running() const { return m_worker.active(); }
    // Waits for the worker thread; after the finished report this returns at once.
    void wait() { m_worker.wait(); }
    // Percent of the current part read so far.
    int current_percent() const { return m_current.load(std::memory_order_relaxed); }

private:
    class Relay;

    std::atomic<int> m_current{0};
    // Last: its destructor stops a run still going and waits for it while the rest is whole.
    common::BackgroundWorker m_worker;
};

} // namespace dranfel
