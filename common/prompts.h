#pragma once
// Everything the cores say to the user, or ask of the user, goes through this interface: the GUIs
// give a Qt implementation, the command-line tools print, and tests give a scripted one. No core
// ever opens a window itself.
#include <optional>
#include <string>
#include <vector>

namespace common {

enum class Answer
{
    Yes,
    No,
    Cancel
};

// The icon of a message box: plain news, a refusal the user can put right, a failure, a question.
enum class Icon
{
    Information,
    Warning,
    Error,
    Question
};

// A file dialog as the cores describe it. The filter is in the classic form
// "IRD Files (*.ird)|*.ird|All Files (*.*)|*.*||".
struct FileDialogSpec
{
    std::string default_extension; // ".ird"
    std::string filter;
    std::string initial_name;
    bool prompt_overwrite = false;
};

// The kind of file a dialog is for, as the folder it last used is remembered under: the default
// extension without its dot ("ird"), else the extension of the filter's first pattern ("mem" for
// "CODE Files (*.mem)|*.mem|..."), else "file".
inline std::string file_dialog_kind(const FileDialogSpec& dialog)
{
    std::string kind = dialog.default_extension;
    if (kind.empty()) {
        const size_t bar = dialog.filter.find('|');
        if (bar != std::string::npos) {
            const std::string pattern =
                dialog.filter.substr(bar + 1, dialog.filter.find_first_of("|;", bar + 1) - bar - 1);
            const size_t dot = pattern.rfind('.');
            if (dot != std::string::npos && pattern.find('*', dot) == std::string::npos)
                kind = pattern.substr(dot + 1);
        }
    }
    if (!kind.empty() && kind.front() == '.')
        kind.erase(0, 1);
    for (char& c : kind)
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')))
            c = '_';
    return kind.empty() ? std::string("file") : kind;
}

class Prompts
{
public:
    virtual ~Prompts() = default;

    // A plain message box with an OK button.
    virtual void info(const std::string& text) = 0;
    // A message box with an OK button and the icon of its kind. Prompts that show no icons let
    // it be an info().
    virtual void message(Icon /*icon*/, const std::string& text) { info(text); }
    void warning(const std::string& text) { message(Icon::Warning, text); }
    void error(const std::string& text) { message(Icon::Error, text); }
    // The same with a caption of its own ("Error") instead of the program's name.
    virtual void message(const std::string& text, const std::string& /*caption*/) { info(text); }
    virtual bool ask_yes_no(const std::string& text) = 0;
    // A question before something that cannot be undone: No is the default, so that Enter pressed
    // by habit keeps the files.
    virtual bool ask_yes_no_default_no(const std::string& text) { return ask_yes_no(text); }
    virtual Answer ask_yes_no_cancel(const std::string& text) = 0;
    // A question with buttons of its own, `default_button` the one Enter presses; the index of the
    // one chosen, or -1 for Escape. Prompts that have no such box take Yes for the first button.
    virtual int
    ask_choice(const std::string& text, const std::vector<std::string>& buttons, int default_button = 0)
    {
        (void)default_button;
        return !buttons.empty() && ask_yes_no(text) ? 0 : -1;
    }
    // nullopt when the user cancels.
    virtual std::optional<std::string> open_file(const FileDialogSpec& dialog) = 0;
    virtual std::optional<std::string> save_file(const FileDialogSpec& dialog) = 0;
    // The wait cursor around work the user has to wait for.
    virtual void set_busy(bool /*busy*/) {}
};

} // namespace common
