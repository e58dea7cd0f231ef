#include "korvid/link/transfer/transfer_worker.h"

#include <chrono>
#include <system_error>

namespace korvid {

TransferWorker::~TransferWorker()
{
    m_cancelled = true;
    m_running = false;
    if (m_thread.joinable())
        m_thread.join();
}

void TransferWorker::join_ended()
{
    // Only called once the worker said it ended; the join then waits for nothing but its return.
    if (m_thread.joinable())
        m_thread.join();
}

bool TransferWorker::start(std::unique_ptr<SerialLine> line,
                           LinkClock& clock,
                           TransferObserver& observer,
                           const ExchangeSetup& setup,
                           std::shared_ptr<void> keep,
                           AfterLoop after)
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (!m_ended)
            return false;
    }
    join_ended();
    if (!line)
        return false;
    m_cancelled = false;
    m_result = ExchangeResult{};
    m_loop = std::make_unique<ExchangeLoop>(*line, clock, observer, setup, m_running);
    m_running = true;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_ended = false;
    }
    ExchangeLoop* loop = m_loop.get();
    try {
        m_thread = std::thread([this, loop, &observer, line = std::move(line), keep = std::move(keep),
                                after = std::move(after)]() mutable {
            ExchangeResult r = loop->run();
            if (after)
                after(*line, r, m_cancelled.load());
            line.reset(); // closes the port
            keep.reset(); // the payload or receive buffer, released here and only here
            {
                std::lock_guard<std::mutex> lock(m_mutex);
                m_result = r;
            }
            observer.on_finished(r);
            {
                std::lock_guard<std::mutex> lock(m_mutex);
                m_ended = true;
            }
            m_ended_cv.notify_all();
        });
    } catch (const std::system_error&) {
        m_running = false;
        std::lock_guard<std::mutex> lock(m_mutex);
        m_ended = true;
        return false;
    }
    return true;
}

bool TransferWorker::stop(uint32_t wait_ms)
{
    if (!active())
        return wait(0);
    m_cancelled = true;
    m_running = false;
    return wait(wait_ms);
}

bool TransferWorker::wait(uint32_t wait_ms)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    bool ended = m_ended_cv.wait_for(lock, std::chrono::milliseconds(wait_ms), [this] { return m_ended; });
    lock.unlock();
    if (ended)
        join_ended();
    return ended;
}

bool TransferWorker::active() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return !m_ended;
}

uint32_t TransferWorker::offset() const
{
    return m_loop ? m_loop->offset() : 0;
}

ExchangeResult TransferWorker::result() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_result;
}

} // namespace korvid
