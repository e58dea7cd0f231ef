#pragma once
// A transfer shown on a terminal: status texts and news as they change (stdout), a progress line
// with percent, elapsed and expected time while stderr is a terminal, failures and questions on
// stderr. It is also
// the Prompts of a command-line run: it answers the file dialog with the path given on the
// command line and every question with No (or as set_answer says), printing question and answer.
#include "common/prompts.h"
#include "korvid/link/transfer/software_download.h"

#include <chrono>
#include <cstdio>
#include <mutex>
#include <string>

namespace korvid {

class ConsoleReport : public DownloadPageObserver, public common::Prompts
{
public:
    // `progress` draws the progress line (when stderr is a terminal, say).
    ConsoleReport(std::FILE* out, std::FILE* err, bool progress);

    void set_expected(const std::string& figures);
    void set_save_path(const std::string& path) { m_save_path = path; }
    // The answer to every yes/no question, and what is printed after a No (how to say Yes).
    void set_answer(bool yes, std::string after_no = {})
    {
        m_yes = yes;
        m_after_no = std::move(after_no);
    }
    // The last failure text seen (a message box of the loop or a message of the flow).
    std::string failure() const;
    // Ends the progress line so that whatever follows starts on a line of its own.
    void end_progress();

    // ExchangeObserver
    void on_status(const std::string& text) override;
    void on_percent(uint32_t percent) override;
    void on_message_box(const std::string& text) override;
    void on_expected_text(const std::string& text) override { set_expected(text); }

    // Prompts
    void info(const std::string& text) override;
    void message(common::Icon icon, const std::string& text) override;
    bool ask_yes_no(const std::string& text) override;
    common::Answer ask_yes_no_cancel(const std::string&) override { return common::Answer::No; }
    std::optional<std::string> open_file(const common::FileDialogSpec&) override { return std::nullopt; }
    std::optional<std::string> save_file(const common::FileDialogSpec&) override;

private:
    void draw_locked();
    void clear_locked();

    std::FILE* m_out;
    std::FILE* m_err;
    bool m_progress;
    mutable std::mutex m_mutex;
    std::string m_status;
    std::string m_expected = "00:00";
    std::string m_failure;
    std::string m_save_path;
    bool m_yes = false;
    std::string m_after_no;
    uint32_t m_percent = 0;
    bool m_drawn = false;
    std::chrono::steady_clock::time_point m_start = std::chrono::steady_clock::now();
};

} // namespace korvid
