#pragma once
// Everything the cores say to the user, or ask of the user, goes through this interface: the GUIs
// give a Qt implementation, the command-line tools print, and tests give a scripted one. No core
// ever opens a window itself.
#include <optional>
#include <string>

namespace common {

enum class Answer { Yes, No, Cancel };

// A file dialog as the cores describe it. The filter is in the classic form
// "IRD Files (*.ird)|*.ird|All Files (*.*)|*.*||".
struct FileDialogSpec
{
    std::string default_extension; // ".ird"
    std::string filter;
    std::string initial_name;
    bool prompt_overwrite = false;
};

class Prompts
{
public:
    virtual ~Prompts() = default;

    // A plain message box with an OK button.
    virtual void info(const std::string& text) = 0;
    // The same with a caption of its own ("Error") instead of the program's name.
    virtual void message(const std::string& text, const std::string& /*caption*/) { info(text); }
    virtual bool ask_yes_no(const std::string& text) = 0;
    virtual Answer ask_yes_no_cancel(const std::string& text) = 0;
    // nullopt when the user cancels.
    virtual std::optional<std::string> open_file(const FileDialogSpec& dialog) = 0;
    virtual std::optional<std::string> save_file(const FileDialogSpec& dialog) = 0;
    // The wait cursor around work the user has to wait for.
    virtual void set_busy(bool /*busy*/) {}
};

} // namespace common
