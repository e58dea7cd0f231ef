#pragma once
// The storage manager's commands over its two halves, without widgets. The main window reports
// its state (folders, selected rows, focus) and carries out what a command asks of it (run a
// dialog, refresh a list, rebuild a tree); every check, message and order lives here.
#include "common/prompts.h"
#include "dranfel/storage/file_operations.h"
#include "dranfel/storage/frame_rules.h"

#include <optional>
#include <string>
#include <vector>

namespace dranfel {

// How a copy or move run ended, as the progress dialog hands it back.
struct FileOpResult
{
    FileOpOutcome outcome = FileOpOutcome::Done;
    std::optional<FileOpFailure> failure;
    std::vector<std::string> sources_left;
};

class StorageWindow
{
public:
    virtual ~StorageWindow() = default;

    virtual FrameState state() const = 0;
    // The selected rows of a half's file list, in row order.
    virtual std::vector<SelectedRow> selected_rows(Half half) const = 0;
    virtual void refresh_list(Half half) = 0;
    // Clears and refills the half's tree, then selects `folder` in it (nothing when it is empty or
    // gone); the half's list follows the selection.
    virtual void rebuild_tree(Half half, const std::string& folder) = 0;

    // The modal dialogs; each returns when it has closed.
    virtual FileOpResult run_progress(const FileOpParams& params) = 0;
    // The files that could not be deleted or were left behind, as delete_entries gives them.
    virtual std::vector<std::string> run_delete(const std::string& folder,
                                                const std::vector<std::string>& names) = 0;
    // "Input Name": the name typed, or nullopt for Cancel; `typed` is what the field starts with.
    virtual std::optional<std::string> ask_folder_name(const std::string& typed = {}) = 0;
    // False when this program has no converter window to open.
    virtual bool open_converter(const std::string& source, const std::string& target) = 0;
    // Brings a running audio tool to the front, or starts it; false when it cannot be started.
    virtual bool start_audio_tool() = 0;
};

class StorageManager
{
public:
    StorageManager(StorageWindow& window, common::Prompts& prompts)
        : m_window(window)
        , m_prompts(prompts)
    {}

    // A menu or toolbar command; false for the ones the frame handles itself (About, Exit, Toolbar).
    bool on_command(uint32_t id);

    void copy_move(Half from, FileOpKind kind);
    void remove();
    void new_folder();
    void convert_avi();
    void convert_mp3();
    // The mount table changed. When the drives the trees show changed, both trees are rebuilt at
    // the folders they showed; otherwise only a half whose folder is gone with its disk is
    // cleared, so that what the user expanded and selected stays as it was.
    void devices_changed(bool drives_changed);

private:
    // Refusals and what the user should know come with the warning icon, failures with the error
    // icon.
    void say(const std::string& text) { m_prompts.warning(text); }
    void say_failure(const std::string& text) { m_prompts.error(text); }
    // True when the half's folder is gone (ChosenFolder::still_there), after saying so and clearing
    // the half as if its folder had vanished: the command stops there.
    bool folder_gone(const FrameState& s, Half h);

    StorageWindow& m_window;
    common::Prompts& m_prompts;
};

// The source and target the converter opens with: the focused list's first selected row (unless
// it is an .mp3 or .mem file) in its half's folder, and the same path ending in ".mpg"; both empty
// otherwise.
struct ConverterPaths
{
    std::string source, target;
};
ConverterPaths converter_paths(const FrameState& state, const std::vector<SelectedRow>& focused_rows);

// The part-1 file of the recording a row stands for, to be played; empty for a single file.
std::string recording_to_play(const std::string& folder, const SelectedRow& row);

// Where to convert a recording when the window has no converter of its own: the command line.
std::string converter_command_hint(const ConverterPaths& paths);

} // namespace dranfel
