#include "dranfel/storage/storage_manager.h"

#include "dranfel/storage/commands.h"
#include "dranfel/storage/file_list.h"
#include "dranfel/storage/recording_name.h"
#include "dranfel/storage/transfer_space.h"

namespace dranfel {

bool StorageManager::on_command(uint32_t id)
{
    switch (id) {
    case ID_NEW_FOLDER:
        new_folder();
        return true;
    case ID_COPY_TOP_TO_BOTTOM:
        copy_move(Half::Top, FileOpKind::Copy);
        return true;
    case ID_COPY_BOTTOM_TO_TOP:
        copy_move(Half::Bottom, FileOpKind::Copy);
        return true;
    case ID_MOVE_TOP_TO_BOTTOM:
        copy_move(Half::Top, FileOpKind::Move);
        return true;
    case ID_MOVE_BOTTOM_TO_TOP:
        copy_move(Half::Bottom, FileOpKind::Move);
        return true;
    case ID_DELETE:
        remove();
        return true;
    case ID_CONVERT_AVI:
        convert_avi();
        return true;
    case ID_CONVERT_MP3:
        convert_mp3();
        return true;
    default:
        return false;
    }
}

void StorageManager::copy_move(Half from, FileOpKind kind)
{
    const FrameState s = m_window.state();
    const Half to = other(from);
    CommandCheck check = check_copy_move(s.half(from).folder, s.half(from).row_selected, s.half(to).folder);
    for (const std::string& m : check.messages)
        say(m);
    if (!check.proceed)
        return;
    if (folder_gone(s, to) || folder_gone(s, from))
        return;

    FileOpParams params;
    params.source_folder = s.half(from).folder;
    params.destination_folder = s.half(to).folder;
    params.names = selection_list(m_window.selected_rows(from));
    params.kind = kind;
    // What is already at the destination is replaced only when the user says so, one entry at a
    // time or all at once; Enter skips.
    std::vector<std::string> names;
    bool replace_all = false;
    for (const std::string& name : params.names) {
        if (!replace_all && destination_taken(params.destination_folder, name)) {
            const int c = m_prompts.ask_choice(replace_question(params.destination_folder, name),
                                               replace_buttons(), SKIP);
            if (c == SKIP)
                continue;
            if (c != REPLACE && c != REPLACE_ALL)
                return;
            replace_all = c == REPLACE_ALL;
        }
        names.push_back(name);
    }
    if (names.empty())
        return;
    params.names = names;
    // Refused before the dialog opens, so that nothing at all is written.
    if (std::string refusal = check_free_space(params); !refusal.empty()) {
        say(refusal);
        return;
    }

    FileOpResult result = m_window.run_progress(params);
    // A file with other names is replaced only when the user says so; the run goes on from there.
    while (result.failure && result.failure->hard_linked && !params.replace_linked &&
           m_prompts.ask_yes_no(result.failure->message(kind == FileOpKind::Move) +
                                "\n\nReplace it anyway? Its other names keep the old contents.")) {
        params.names.erase(params.names.begin(), params.names.begin() + (result.failure->index - 1));
        params.replace_linked = true;
        result = m_window.run_progress(params);
    }
    m_window.refresh_list(to);
    if (kind == FileOpKind::Move)
        m_window.refresh_list(from);
    if (result.failure)
        say_failure(result.failure->message(kind == FileOpKind::Move));
    if (!result.sources_left.empty()) {
        std::string text = "These files were moved but could not be deleted from the source:";
        for (const std::string& line : result.sources_left)
            text += "\n" + line;
        say(text);
    }
}

void StorageManager::remove()
{
    const FrameState s = m_window.state();
    Half h = Half::Top;
    const bool in_list = focus_in_list(s.focus, &h);
    CommandCheck check =
        check_delete(in_list, in_list && s.half(h).row_selected, in_list ? s.half(h).folder : "");
    for (const std::string& m : check.messages)
        say(m);
    if (!check.proceed || folder_gone(s, h))
        return;
    const std::vector<std::string> names = selection_list(m_window.selected_rows(h));
    if (!m_prompts.ask_yes_no_default_no(delete_question(s.half(h).folder, names)))
        return;
    const std::vector<std::string> left = m_window.run_delete(s.half(h).folder, names);
    m_window.refresh_list(h);
    // The rows are gone either way, so what stayed on the disk is said here or not at all.
    if (!left.empty()) {
        std::string text = "These files were not deleted:";
        for (const std::string& line : left)
            text += "\n" + line;
        say(text);
    }
}

void StorageManager::new_folder()
{
    const FrameState s = m_window.state();
    Half h = Half::Top;
    const bool in_tree = focus_in_tree(s.focus, &h);
    CommandCheck check = check_new_folder(in_tree, in_tree ? s.half(h).folder : "");
    for (const std::string& m : check.messages)
        say(m);
    if (!check.proceed || folder_gone(s, h))
        return;
    const std::string parent = s.half(h).folder;
    std::optional<std::string> name;
    // A name that could not be made comes back in the dialog, to be mended rather than typed again.
    for (std::string typed;; typed = *name) {
        name = m_window.ask_folder_name(typed);
        // The disk may have gone while the name was being typed.
        if (!name || folder_gone(s, h))
            return;
        std::string message, reason;
        int made = make_folder(parent, *name, message, &reason);
        if (made == 0)
            return;
        if (made > 0)
            break;
        say_failure(message + "\n" + reason);
    }
    m_window.rebuild_tree(h, join_path(parent, *name));
    const std::string& there = s.half(other(h)).folder;
    m_window.rebuild_tree(other(h), there);
}

std::string recording_to_play(const std::string& folder, const SelectedRow& row)
{
    if (folder.empty() || is_single_file_name(row.file_name) || !has_extension(row.real_file_name, ".avr"))
        return {};
    return join_path(folder, row.real_file_name);
}

ConverterPaths converter_paths(const FrameState& state, const std::vector<SelectedRow>& focused_rows)
{
    ConverterPaths out;
    Half h;
    if (!focus_in_list(state.focus, &h) || focused_rows.empty() || state.half(h).folder.empty())
        return out;
    const SelectedRow& row = focused_rows.front();
    if (is_single_file_name(row.file_name))
        return out;
    out.source = join_path(state.half(h).folder, row.real_file_name);
    const size_t slash = out.source.find_last_of('/');
    const size_t dot = out.source.find_last_of('.');
    const bool has_ext = dot != std::string::npos && (slash == std::string::npos || dot > slash);
    out.target = (has_ext ? out.source.substr(0, dot) : out.source) + ".mpg";
    return out;
}

std::string converter_command_hint(const ConverterPaths& paths)
{
    std::string text = "This program has no converter window; convert from a terminal with\n"
                       "dranfel-cli ts2pes ";
    text += paths.source.empty() ? "SOURCE.AVR" : "\"" + paths.source + "\"";
    if (!paths.target.empty())
        text += " \"" + paths.target + "\"";
    return text;
}

void StorageManager::convert_avi()
{
    const FrameState s = m_window.state();
    Half h;
    std::vector<SelectedRow> rows;
    if (focus_in_list(s.focus, &h))
        rows = m_window.selected_rows(h);
    ConverterPaths p = converter_paths(s, rows);
    if (!m_window.open_converter(p.source, p.target))
        say(converter_command_hint(p));
}

void StorageManager::convert_mp3()
{
    if (!m_window.start_audio_tool())
        m_prompts.message(AUDIO_TOOL_ERROR_TEXT, AUDIO_TOOL_ERROR_CAPTION);
}

bool StorageManager::folder_gone(const FrameState& s, Half h)
{
    const ChosenFolder& folder = s.half(h).chosen;
    if (folder.empty() || folder.still_there())
        return false;
    say(folder_gone_message(folder.path()));
    m_window.rebuild_tree(h, {});
    return true;
}

void StorageManager::devices_changed(bool drives_changed)
{
    // An unmounted disk leaves its mount point behind: a half on it goes, not back to that folder.
    const FrameState s = m_window.state();
    for (Half h : {Half::Top, Half::Bottom}) {
        const bool there = s.half(h).chosen.still_there();
        if (drives_changed || !there)
            m_window.rebuild_tree(h, there ? s.half(h).folder : std::string());
    }
}

} // namespace dranfel
