#pragma once
// CFolderView: one half's folder tree. A root per drive (a mounted file system a user keeps files
// on), folders filled in only when their item is expanded, a placeholder under every folder that
// has subfolders so that its expand button shows. The selected folder is posted to the frame.
#include "dranfel/storage/chosen_folder.h"
#include "dranfel/storage/drives.h"

#include <QWidget>
#include <string>
#include <vector>

class QTreeWidget;
class QTreeWidgetItem;

namespace dranfel {

class CFolderView : public QWidget
{
    Q_OBJECT
public:
    explicit CFolderView(QWidget* parent = nullptr);

    QTreeWidget* tree() const { return m_tree; }
    // The selected folder; empty while nothing is selected.
    const std::string& path() const { return m_folder.path(); }
    // The selected folder with the file system it was on when it was selected.
    const ChosenFolder& folder() const { return m_folder; }
    const std::vector<Drive>& drives() const { return m_drives; }
    // Why the tree is empty, when it is; kept for a look in a debugger, never shown.
    const std::string& error() const { return m_error; }

    // Clears the tree and fills it with the given drives (collapsed, nothing selected).
    void fill(const std::vector<Drive>& drives);
    // Clears and refills from the current mount table, then selects `folder` again when it still
    // exists; the selection notice follows once, with the folder reached or nothing.
    void rebuild(const std::string& folder);
    // Walks to `folder` from its drive's root, refreshing each folder on the way; false (and
    // nothing selected) when the folder or its drive is gone.
    bool select_path(const std::string& folder);

    // The texts of an item's children as shown (placeholders as "").
    QStringList child_texts(QTreeWidgetItem* item) const;
    QTreeWidgetItem* root_item(const std::string& mount_point) const;

signals:
    // The selected folder changed; the frame refreshes the file list of the same half.
    void folder_selected(dranfel::CFolderView* pane);

private:
    std::string item_path(QTreeWidgetItem* item) const;
    void add_placeholder(QTreeWidgetItem* item);
    void populate(QTreeWidgetItem* item);
    void collapse_reset(QTreeWidgetItem* item);
    void on_current_changed(QTreeWidgetItem* item);
    // The item of `folder`, filling in on the way the folders not filled in yet (what is open
    // stays open); null when the folder or its drive is gone.
    QTreeWidgetItem* reach(const std::string& folder);
    // Every open folder, to open again after a rebuild.
    std::vector<std::string> open_folders() const;
    void scroll_to_current();
    QTreeWidgetItem*
    add_folder_item(QTreeWidgetItem* parent, const std::string& name, const std::string& path);

    QTreeWidget* m_tree = nullptr;
    std::vector<Drive> m_drives;
    ChosenFolder m_folder;
    std::string m_error;
    bool m_filling = false;
};

} // namespace dranfel
