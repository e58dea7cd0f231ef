#include "korvid/cli/console_report.h"

#include "common/printable.h"
namespace korvid {

ConsoleReport::ConsoleReport(std::FILE* out, std::FILE* err, bool progress)
    : m_out(out)
    , m_err(err)
    , m_progress(progress)
{}

void ConsoleReport::set_expected(const std::string& figures)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_expected = figures;
}

std::string ConsoleReport::failure() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_failure;
}

void ConsoleReport::clear_locked()
{
    if (m_drawn) {
        std::fputs("\r\033[K", m_err);
        m_drawn = false;
    }
}

void ConsoleReport::draw_locked()
{
    if (!m_progress)
        return;
    long e = long(
        std::chrono::duration_cast<std::chrono::seconds>(std::chrono::steady_clock::now() - m_start).count());
    std::fprintf(m_err, "\r\033[K%3u%%  elapsed %02ld:%02ld  expected %s", m_percent, e / 60, e % 60,
                 m_expected.c_str());
    std::fflush(m_err);
    m_drawn = true;
}

void ConsoleReport::end_progress()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    clear_locked();
    std::fflush(m_err);
}

void ConsoleReport::on_status(const std::string& text)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (text == m_status)
        return;
    m_status = text;
    if (text.empty())
        return;
    clear_locked();
    std::fprintf(m_out, "%s\n", common::printable_lines(text).c_str());
    std::fflush(m_out);
    draw_locked();
}

void ConsoleReport::on_percent(uint32_t percent)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (percent == m_percent && m_drawn)
        return;
    m_percent = percent;
    draw_locked();
}

void ConsoleReport::on_message_box(const std::string& text)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    // Success is told by the status line; a box carries news only when something went wrong.
    if (text.rfind("Transfer Complete", 0) != 0)
        m_failure = text;
}

void ConsoleReport::info(const std::string& text)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    clear_locked();
    std::fprintf(m_err, "%s\n", common::printable_lines(text).c_str());
    std::fflush(m_err);
    m_failure = text;
}

void ConsoleReport::message(common::Icon icon, const std::string& text)
{
    if (icon != common::Icon::Information) {
        info(text);
        return;
    }
    // News, not a failure: it goes with the status texts and must not stand in for the reason of a
    // failure that follows.
    std::lock_guard<std::mutex> lock(m_mutex);
    clear_locked();
    std::fprintf(m_out, "%s\n", common::printable_lines(text).c_str());
    std::fflush(m_out);
}

bool ConsoleReport::ask_yes_no(const std::string& text)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    clear_locked();
    std::fprintf(m_err, "%s %s%s\n", common::printable_lines(text).c_str(), m_yes ? "Yes" : "No",
                 m_yes ? "" : m_after_no.c_str());
    std::fflush(m_err);
    return m_yes;
}

std::optional<std::string> ConsoleReport::save_file(const common::FileDialogSpec&)
{
    if (m_save_path.empty())
        return std::nullopt;
    return m_save_path;
}

} // namespace korvid
