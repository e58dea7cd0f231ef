#include "dranfel/storage/progress_state.h"

#include "common/strfmt.h"
#include "dranfel/storage/transfer_space.h"

#include <algorithm>

namespace dranfel {

ProgressState::ProgressState(const FileOpParams& params)
    : m_names(params.names)
    , m_source(params.source_folder)
    , m_destination(params.destination_folder)
    , m_total_text(common::strfmt("%d/%d", 1, int(params.names.size())))
{}

bool ProgressState::apply(const ProgressReport& r)
{
    switch (r.code) {
    case PROGRESS_FILE_START:
        m_total_text = common::strfmt("%d/%d", r.index, r.count);
        if (r.index >= 1 && size_t(r.index) <= m_names.size())
            m_file_name = m_names[size_t(r.index - 1)];
        m_total_range = r.count;
        // The Total bar counts the entries finished, so that it is full only when all are.
        m_total_position = r.index - 1;
        m_current_range = r.range;
        m_current_position = 0;
        return false;
    case PROGRESS_FILE_STEP:
        m_total_position = r.index - 1;
        m_current_position = r.position;
        return false;
    case PROGRESS_FILE_DONE:
        m_total_position = r.index;
        return false;
    case PROGRESS_ALL_DONE:
        m_total_position = r.count;
        return true;
    default:
        return is_failure_code(r.code);
    }
}

std::string duration_text(int64_t seconds)
{
    seconds = std::max<int64_t>(seconds, 0);
    long long h = seconds / 3600, m = seconds / 60 % 60, s = seconds % 60;
    if (h > 0)
        return common::strfmt("%lld:%02lld:%02lld", h, m, s);
    return common::strfmt("%lld:%02lld", m, s);
}

std::string TransferRate::text(int64_t bytes_done, int64_t now_ms) const
{
    const int64_t elapsed = now_ms - m_start;
    if (elapsed < 500 || bytes_done <= 0)
        return {};
    const double per_second = double(bytes_done) * 1000.0 / double(elapsed);
    const int64_t left_bytes = std::max<int64_t>(0, m_total - bytes_done);
    const int64_t left_s = int64_t(double(left_bytes) / per_second + 0.999);
    return size_text(int64_t(per_second)) + "/s, " + duration_text(left_s) + " left";
}

} // namespace dranfel
