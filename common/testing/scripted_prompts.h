#pragma once
// A Prompts for tests: records every text shown and answers from queues set up by the test.
// An unscripted question answers Cancel/No, an unscripted file dialog is cancelled, so a test that
// forgot to script something sees the cautious path rather than hanging.
#include "common/prompts.h"

#include <deque>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace common {

class ScriptedPrompts : public Prompts
{
public:
    std::vector<std::string> shown;                  // info texts and question texts, in order
    std::vector<std::pair<std::string, Icon>> icons; // every text shown, with its icon
    std::deque<Answer> answers;                      // for ask_yes_no (Yes/No) and ask_yes_no_cancel
    std::deque<int> choices;                         // for ask_choice; -1 (Escape) when empty
    std::deque<std::optional<std::string>> files;    // for open_file and save_file
    std::vector<FileDialogSpec> dialogs;
    std::vector<std::string> captions; // the caption of every message() box, in order
    int busy_depth = 0;
    int busy_calls = 0;

    void info(const std::string& text) override { message(Icon::Information, text); }
    void message(Icon icon, const std::string& text) override
    {
        shown.push_back(text);
        icons.emplace_back(text, icon);
    }
    void message(const std::string& text, const std::string& caption) override
    {
        message(Icon::Information, text);
        captions.push_back(caption);
    }
    // The icon the message with this text was last shown with; Question for questions.
    std::optional<Icon> icon_of(const std::string& text) const
    {
        for (size_t i = icons.size(); i-- > 0;)
            if (icons[i].first == text)
                return icons[i].second;
        return std::nullopt;
    }
    bool ask_yes_no(const std::string& text) override
    {
        shown.push_back(text);
        icons.emplace_back(text, Icon::Question);
        return next_answer(Answer::No) == Answer::Yes;
    }
    Answer ask_yes_no_cancel(const std::string& text) override
    {
        shown.push_back(text);
        icons.emplace_back(text, Icon::Question);
        return next_answer(Answer::Cancel);
    }
    int ask_choice(const std::string& text, const std::vector<std::string>&, int) override
    {
        shown.push_back(text);
        icons.emplace_back(text, Icon::Question);
        if (choices.empty())
            return -1;
        int c = choices.front();
        choices.pop_front();
        return c;
    }
    std::optional<std::string> open_file(const FileDialogSpec& dialog) override { return next_file(dialog); }
    std::optional<std::string> save_file(const FileDialogSpec& dialog) override { return next_file(dialog); }
    void set_busy(bool busy) override
    {
        busy_depth += busy ? 1 : -1;
        ++busy_calls;
    }

private:
    Answer next_answer(Answer fallback)
    {
        if (answers.empty())
            return fallback;
        Answer a = answers.front();
        answers.pop_front();
        return a;
    }
    std::optional<std::string> next_file(const FileDialogSpec& dialog)
    {
        dialogs.push_back(dialog);
        if (files.empty())
            return std::nullopt;
        auto f = files.front();
        files.pop_front();
        return f;
    }
};

} // namespace common
