#pragma once
// One transfer on its own thread: the exchange loop over a line that the worker owns and closes
// when the loop ends, whatever ended it. The window (or the command line) never waits on the
// worker except through stop()/wait() with a limit; the worker never waits on the window.
#include "common/worker/background_worker.h"
#include "korvid/link/exchange_loop.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>

namespace korvid {

// How long Cancel and Stop wait for the worker to end, in milliseconds.
constexpr uint32_t CANCEL_WAIT_MS = 2000;

class TransferObserver : public ExchangeObserver
{
public:
    // The last call of the worker, from its thread: the loop has ended and the port is closed.
    // The observer must stay alive until this call has returned.
    virtual void on_finished(const ExchangeResult& /*result*/) {}
};

class TransferWorker
{
public:
    // Runs on the worker thread after the loop and before the line is closed: a last word to the
    // receiver, a flag to clear. `cancelled` tells whether the owner stopped the loop.
    using AfterLoop = std::function<void(SerialLine& line, ExchangeResult& result, bool cancelled)>;

    TransferWorker() = default;
    // Stops a running worker and waits for it without limit (the worker's own destructor): the
    // buffers it uses die with it.
    ~TransferWorker() = default;
    TransferWorker(const TransferWorker&) = delete;
    TransferWorker& operator=(const TransferWorker&) = delete;

    // Starts the loop on a new thread over `line`, which the worker owns from here on. `keep`
    // holds whatever the loop's buffers live in; the worker releases it once the loop and the
    // port are done with, so that it goes exactly once and never under the loop's feet.
    // False when a worker is still running (nothing is taken then) or no thread could be made.
    bool start(std::unique_ptr<SerialLine> line,
               LinkClock& clock,
               TransferObserver& observer,
               const ExchangeSetup& setup,
               std::shared_ptr<void> keep = {},
               AfterLoop after = {});

    // Cancel/Stop: clears the loop's running flag and waits up to `wait_ms` for the worker to end.
    // True when it has ended (or none ran).
    bool stop(uint32_t wait_ms = CANCEL_WAIT_MS) { return m_worker.stop(wait_ms); }
    // Waits up to `wait_ms` for the worker to end by itself.
    bool wait(uint32_t wait_ms) { return m_worker.wait(wait_ms); }

    // A worker was started and has not ended yet.
    bool active() const { return m_worker.active(); }
    bool cancelled() const { return m_worker.stop_requested(); }
    // Bytes confirmed so far; 0 before the first start.
    uint32_t offset() const { return m_loop ? m_loop->offset() : 0; }
    // The loop's result once the worker has ended; an empty one before.
    ExchangeResult result() const { return m_worker.finished() ? m_result : ExchangeResult{}; }

private:
    ExchangeResult m_result; // written by the worker just before its last report
    // The loop's own flag: cleared by a stop, or by the loop when it ends by itself.
    std::atomic<bool> m_running{false};
    std::unique_ptr<ExchangeLoop> m_loop;
    common::BackgroundWorker m_worker; // last: it stops and joins the job before the rest goes
};

} // namespace korvid
