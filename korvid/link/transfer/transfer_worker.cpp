#include "korvid/link/transfer/transfer_worker.h"

namespace korvid {

bool TransferWorker::start(std::unique_ptr<SerialLine> line,
                           LinkClock& clock,
                           TransferObserver& observer,
                           const ExchangeSetup& setup,
                           std::shared_ptr<void> keep,
                           AfterLoop after)
{
    if (m_worker.active() || !line)
        return false;
    m_result = ExchangeResult{};
    m_loop = std::make_unique<ExchangeLoop>(*line, clock, observer, setup, m_running);
    m_running = true;
    ExchangeLoop* loop = m_loop.get();
    auto job = [this, loop, &observer, line = std::move(line), keep = std::move(keep),
                after = std::move(after)](const std::atomic<bool>& stop) mutable {
        ExchangeResult r = loop->run();
        if (after)
            after(*line, r, stop.load());
        line.reset(); // closes the port
        keep.reset(); // the payload or receive buffer, released here and only here
        m_result = r;
        observer.on_finished(r);
    };
    // The loop polls its running flag, which it also clears itself when it ends: a stop is passed
    // on to it.
    if (!m_worker.start(std::move(job), [this] { m_running = false; })) {
        m_running = false;
        return false;
    }
    return true;
}

} // namespace korvid
