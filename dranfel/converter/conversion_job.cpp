#include "dranfel/converter/ui/conversion_job.h"

#include <system_error>

namespace dranfel {

class ConversionJob::Relay : public ConversionObserver
{
public:
    Relay(ConversionJob& job, const Listener& listener)
        : m_job(job)
        , m_listener(listener)
    {}

    void part_started(int part, int parts, int total_percent, const std::string&) override
    {
        m_job.m_current.store(0, std::memory_order_relaxed);
        if (m_listener.part_started)
            m_listener.part_started(part, parts, total_percent);
    }
    void current_progress(int percent) override
    {
        m_job.m_current.store(percent, std::memory_order_relaxed);
        if (m_listener.progress)
            m_listener.progress(percent);
    }

private:
    ConversionJob& m_job;
    const Listener& m_listener;
};

ConversionJob::~ConversionJob()
{
    cancel();
    wait();
}

bool ConversionJob::start(ConversionRequest request, Listener listener)
{
    if (m_running.load())
        return false;
    wait(); // the thread of the run before, which has already reported its end
    m_cancel.store(false);
    m_current.store(0);
    m_running.store(true);
    try {
        m_thread = std::thread([this, request = std::move(request), listener = std::move(listener)] {
            Relay relay(*this, listener);
            RunReport report = run_conversion(request, relay, m_cancel);
            m_running.store(false);
            if (listener.finished)
                listener.finished(report);
        });
    } catch (const std::system_error&) {
        m_running.store(false);
        return false;
    }
    return true;
}

void ConversionJob::wait()
{
    if (m_thread.joinable())
        m_thread.join();
}

} // namespace dranfel
