#include "dranfel/converter/conversion_job.h"

#include <string>

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

bool ConversionJob::start(ConversionRequest request, Listener listener)
{
    if (m_worker.active())
        return false;
    m_current.store(0);
    return m_worker.start([this, request = std::move(request),
                           listener = std::move(listener)](const std::atomic<bool>& cancel) {
        Relay relay(*this, listener);
        RunReport report = run_conversion(request, relay, cancel);
        if (listener.finished)
            listener.finished(report);
    });
}

} // namespace dranfel
