#pragma once
// CMainFrame: the storage manager's main window. Menus and a dockable toolbar over a 2 x 2
// splitter (top and bottom halves, each a folder tree and a file list), a status bar with the
// commands' prompts. It reports its state to the StorageManager and carries out what that asks;
// every rule and message of the commands lives there.
#include "dranfel/storage/storage_manager.h"

#include <QMainWindow>
#include <functional>
#include <map>

class QSettings;
class QSplitter;
class QLabel;
class QMenu;

namespace common {
class Prompts;
}

namespace dranfel {

class CFolderView;
class CFileView;
class CMountWatcher;

class CMainFrame : public QMainWindow, public StorageWindow
{
    Q_OBJECT
public:
    // `settings` keeps the window's size, splitters and folders between runs; null keeps nothing.
    CMainFrame(common::Prompts& prompts, QSettings* settings = nullptr, QWidget* parent = nullptr);
    ~CMainFrame() override;

    // Opens the converter window; unset, the command says how to convert from a terminal.
    using ConverterOpener =
        std::function<void(QWidget* parent, const QString& source, const QString& target)>;
    void set_converter(ConverterOpener opener) { m_converter = std::move(opener); }
    // Plays a recording (its part-1 path) in the desktop's video player; unset, the window says
    // how to play one from a terminal.
    using PlayerOpener = std::function<void(QWidget* parent, const QString& source)>;
    void set_player(PlayerOpener opener) { m_player = std::move(opener); }
    // Dranfel's own arguments, handed on to the audio tool.
    void set_own_arguments(const QStringList& args) { m_ownArgs = args; }
    // Selects these folders (when they exist) in place of the remembered ones.
    void select_folders(const std::string& top, const std::string& bottom);

    CFolderView* tree(Half h) const { return m_trees[int(h)]; }
    CFileView* list(Half h) const { return m_lists[int(h)]; }
    QAction* action(uint32_t id) const;
    QToolBar* toolbar() const { return m_toolbar; }
    QSplitter* rows_splitter() const { return m_rows; }
    QSplitter* columns_splitter(Half h) const { return m_columns[int(h)]; }

    void setVisible(bool visible) override;

    // A menu or toolbar command, enabled or not (the menus only send enabled ones).
    void on_command(uint32_t id);
    // The context menu of a half's file list or folder tree, its items enabled as the focus in
    // that pane has them; the caller shows it (and owns it).
    QMenu* context_menu(Half half, bool file_list);
    // Re-evaluates which commands are enabled.
    void update_commands();

    // StorageWindow
    FrameState state() const override;
    std::vector<SelectedRow> selected_rows(Half half) const override;
    void refresh_list(Half half) override;
    void rebuild_tree(Half half, const std::string& folder) override;
    FileOpResult run_progress(const FileOpParams& params) override;
    std::vector<std::string> run_delete(const std::string& folder,
                                        const std::vector<std::string>& names) override;
    std::optional<std::string> ask_folder_name(const std::string& typed) override;
    bool open_converter(const std::string& source, const std::string& target) override;
    bool start_audio_tool() override;

signals:
    // A modal dialog is about to run (before its event loop starts): tests and screenshots play it.
    void dialog_opened(QDialog* dialog);

protected:
    void closeEvent(QCloseEvent*) override;

private:
    void build_menus_and_toolbar();
    void build_panes();
    void set_start_sizes();
    void restore_settings();
    void save_settings();
    void on_folder_selected(CFolderView* pane);
    void show_about();
    void build_keys();
    void on_key(CommandKey key);
    void refresh_both();
    // The pane of `w`, or Focus::Elsewhere.
    Focus pane_of(const QWidget* w) const;
    Focus focus() const;

    common::Prompts& m_prompts;
    QSettings* m_settings;
    StorageManager m_manager;
    CFolderView* m_trees[2] = {};
    CFileView* m_lists[2] = {};
    QSplitter* m_rows = nullptr;
    QSplitter* m_columns[2] = {};
    QToolBar* m_toolbar = nullptr;
    QLabel* m_ready = nullptr;
    std::map<uint32_t, QAction*> m_actions;
    CMountWatcher* m_mounts = nullptr;
    ConverterOpener m_converter;
    PlayerOpener m_player;
    QStringList m_ownArgs;
    // The pane that last had the focus: the menu bar, opened from the keyboard, takes the focus
    // while the commands must still act where the user was.
    Focus m_lastPane = Focus::Elsewhere;
    bool m_sized = false;
    bool m_restoredSizes = false;
    bool m_destroying = false;
};

} // namespace dranfel
