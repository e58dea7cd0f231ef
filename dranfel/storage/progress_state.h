#pragma once
// What the copy/move progress dialog shows, driven by the engine's reports: the Total group (text
// "index/count" and a bar over the entries), the Current group (source folder, entry name,
// destination folder and a bar over the entry), and, beyond the reports, the speed and the time
// left of the whole selection. The Qt dialog only copies these fields into its controls.
#include "dranfel/storage/file_operations.h"

#include <cstdint>
#include <string>
#include <vector>

namespace dranfel {

class ProgressState
{
public:
    explicit ProgressState(const FileOpParams& params);

    // Applies one report; true when the dialog closes on it (the whole selection done, or a failure).
    bool apply(const ProgressReport& r);

    const std::string& source() const { return m_source; }
    const std::string& destination() const { return m_destination; }
    const std::string& file_name() const { return m_file_name; }
    const std::string& total_text() const { return m_total_text; }
    int total_range() const { return m_total_range; }
    int total_position() const { return m_total_position; }
    int current_range() const { return m_current_range; }
    int current_position() const { return m_current_position; }

private:
    std::vector<std::string> m_names;
    std::string m_source, m_destination, m_file_name, m_total_text;
    int m_total_range = 0, m_total_position = 0, m_current_range = 100, m_current_position = 0;
};

// The speed of a run and the time it still needs, from the bytes written so far against the bytes
// of the whole selection. Times are in milliseconds on whatever clock the caller keeps.
class TransferRate
{
public:
    TransferRate(int64_t total_bytes, int64_t start_ms)
        : m_total(total_bytes)
        , m_start(start_ms)
    {}

    // "12.3 MB/s, 1:05 left"; empty until half a second has passed with some bytes written.
    std::string text(int64_t bytes_done, int64_t now_ms) const;

private:
    int64_t m_total;
    int64_t m_start;
};

// "0:42", "12:05" or "1:02:05".
std::string duration_text(int64_t seconds);

} // namespace dranfel
