#include "dranfel/storage/ui/folder_view.h"

#include "dranfel/storage/file_list.h"
#include "dranfel/storage/frame_rules.h"
#include "dranfel/storage/ui/local_text.h"

#include <QApplication>
#include <QCollator>
#include <QFileIconProvider>
#include <QHeaderView>
#include <QScrollBar>
#include <QStyle>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>

namespace dranfel {

namespace {

constexpr int PLACEHOLDER_ROLE = Qt::UserRole + 1;

bool is_placeholder(QTreeWidgetItem* item)
{
    return item && item->data(0, PLACEHOLDER_ROLE).toBool();
}

// The system's icon with its "open" look for a selected item, as file managers show them.
QIcon with_open_look(QIcon icon, const QIcon& open)
{
    for (QSize s : open.availableSizes())
        icon.addPixmap(open.pixmap(s), QIcon::Selected);
    if (open.availableSizes().isEmpty())
        icon.addPixmap(open.pixmap(16), QIcon::Selected);
    return icon;
}

} // namespace

CFolderView::CFolderView(QWidget* parent)
    : QWidget(parent)
{
    m_tree = new QTreeWidget(this);
    m_tree->setObjectName(QStringLiteral("c1002"));
    m_tree->setHeaderHidden(true);
    m_tree->setColumnCount(1);
    m_tree->setSelectionMode(QAbstractItemView::SingleSelection);
    m_tree->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    m_tree->header()->setStretchLastSection(false);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_tree);
    setFocusProxy(m_tree);

    connect(m_tree, &QTreeWidget::itemExpanded, this, [this](QTreeWidgetItem* item) {
        if (!m_filling)
            populate(item);
    });
    connect(m_tree, &QTreeWidget::itemCollapsed, this, [this](QTreeWidgetItem* item) {
        if (!m_filling)
            collapse_reset(item);
    });
    // The selection, not the current item: a tree that only takes the focus has chosen nothing.
    connect(m_tree, &QTreeWidget::itemSelectionChanged, this, [this] {
        const QList<QTreeWidgetItem*> selected = m_tree->selectedItems();
        on_current_changed(selected.isEmpty() ? nullptr : selected.first());
    });
}

std::string CFolderView::item_path(QTreeWidgetItem* item) const
{
    std::vector<std::string> components;
    QTreeWidgetItem* root = item;
    while (root && root->parent()) {
        components.insert(components.begin(), from_q(root->text(0)));
        root = root->parent();
    }
    if (!root)
        return {};
    return tree_item_path(from_q(root->text(0)), components);
}

void CFolderView::add_placeholder(QTreeWidgetItem* item)
{
    auto* p = new QTreeWidgetItem(item);
    p->setData(0, PLACEHOLDER_ROLE, true);
    p->setFlags(Qt::NoItemFlags);
}

QTreeWidgetItem*
CFolderView::add_folder_item(QTreeWidgetItem* parent, const std::string& name, const std::string& path)
{
    static QFileIconProvider icons;
    const QIcon open = style()->standardIcon(QStyle::SP_DirOpenIcon);
    auto* item = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(m_tree);
    item->setText(0, to_q(name));
    QIcon icon = parent ? icons.icon(QFileInfo(to_q(path))) : icons.icon(QFileIconProvider::Drive);
    if (icon.isNull())
        icon = icons.icon(QFileIconProvider::Folder);
    item->setIcon(0, with_open_look(icon, open));
    if (has_subfolders(path))
        add_placeholder(item);
    return item;
}

void CFolderView::fill(const std::vector<Drive>& drives)
{
    m_filling = true;
    m_tree->clear();
    m_drives = drives;
    m_error = drives.empty() ? NO_DRIVES_REASON : "";
    for (const Drive& d : drives)
        add_folder_item(nullptr, d.mount_point, d.mount_point);
    m_filling = false;
}

void CFolderView::populate(QTreeWidgetItem* item)
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    m_tree->setUpdatesEnabled(false);
    const bool was_filling = m_filling;
    m_filling = true;
    qDeleteAll(item->takeChildren());
    const std::string path = item_path(item);
    // In the order of the user's language: "Éclair" after "Eagle", not after "ZETA".
    std::vector<std::string> names = subfolders(path);
    QCollator collator;
    collator.setNumericMode(true);
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::stable_sort(names.begin(), names.end(), [&](const std::string& a, const std::string& b) {
        return collator.compare(to_q(a), to_q(b)) < 0;
    });
    for (const std::string& name : names)
        add_folder_item(item, name, join_path(path, name));
    item->setExpanded(true);
    m_filling = was_filling;
    m_tree->setUpdatesEnabled(true);
    QApplication::restoreOverrideCursor();
}

void CFolderView::collapse_reset(QTreeWidgetItem* item)
{
    const bool was_filling = m_filling;
    m_filling = true;
    // A selected folder below goes with its item; the collapsed item takes the selection.
    bool inside = false;
    const QList<QTreeWidgetItem*> selected = m_tree->selectedItems();
    for (QTreeWidgetItem* i = selected.isEmpty() ? nullptr : selected.first(); i && !inside; i = i->parent())
        inside = i->parent() == item;
    qDeleteAll(item->takeChildren());
    if (has_subfolders(item_path(item)))
        add_placeholder(item);
    item->setExpanded(false);
    m_filling = was_filling;
    if (inside)
        m_tree->setCurrentItem(item);
}

bool CFolderView::select_path(const std::string& folder)
{
    const bool was_filling = m_filling;
    m_filling = true;
    TreeLocation loc = locate_in_drives(folder, m_drives);
    QTreeWidgetItem* item = loc.drive >= 0 ? m_tree->topLevelItem(loc.drive) : nullptr;
    for (size_t i = 0; item && i < loc.components.size(); ++i) {
        collapse_reset(item);
        populate(item);
        QTreeWidgetItem* next = nullptr;
        for (int c = 0; c < item->childCount() && !next; ++c)
            if (compare_no_case(from_q(item->child(c)->text(0)), loc.components[i]) == 0)
                next = item->child(c);
        item = next;
    }
    m_filling = was_filling;
    if (!item) {
        m_tree->setCurrentItem(nullptr);
        m_tree->clearSelection();
        return false;
    }
    m_tree->setCurrentItem(item);
    scroll_to_current();
    return true;
}

void CFolderView::scroll_to_current()
{
    // Once the view has laid out the items just filled in. Scrolled to the left edge, so that the
    // names and expand buttons of the upper levels are not cut off.
    QMetaObject::invokeMethod(
        m_tree,
        [t = m_tree] {
            if (t->currentIndex().isValid())
                t->scrollTo(t->currentIndex(), QAbstractItemView::PositionAtCenter);
            t->horizontalScrollBar()->setValue(0);
        },
        Qt::QueuedConnection);
}

QTreeWidgetItem* CFolderView::reach(const std::string& folder)
{
    TreeLocation loc = locate_in_drives(folder, m_drives);
    QTreeWidgetItem* item = loc.drive >= 0 ? m_tree->topLevelItem(loc.drive) : nullptr;
    for (size_t i = 0; item && i < loc.components.size(); ++i) {
        if (item->childCount() == 0 || is_placeholder(item->child(0)))
            populate(item);
        item->setExpanded(true);
        QTreeWidgetItem* next = nullptr;
        for (int c = 0; c < item->childCount() && !next; ++c)
            if (compare_no_case(from_q(item->child(c)->text(0)), loc.components[i]) == 0)
                next = item->child(c);
        item = next;
    }
    return item;
}

std::vector<std::string> CFolderView::open_folders() const
{
    std::vector<std::string> open;
    std::vector<QTreeWidgetItem*> todo;
    for (int i = 0; i < m_tree->topLevelItemCount(); ++i)
        todo.push_back(m_tree->topLevelItem(i));
    while (!todo.empty()) {
        QTreeWidgetItem* item = todo.back();
        todo.pop_back();
        if (!item->isExpanded() || is_placeholder(item))
            continue;
        open.push_back(item_path(item));
        for (int c = 0; c < item->childCount(); ++c)
            todo.push_back(item->child(c));
    }
    return open;
}

void CFolderView::rebuild(const std::string& folder)
{
    {
        QSignalBlocker quiet(m_tree);
        const std::vector<std::string> open = open_folders();
        fill(drive_list());
        const bool was_filling = m_filling;
        m_filling = true;
        for (const std::string& path : open)
            if (QTreeWidgetItem* item = reach(path)) {
                if (item->childCount() == 0 || is_placeholder(item->child(0)))
                    populate(item);
                item->setExpanded(true);
            }
        QTreeWidgetItem* item = folder.empty() ? nullptr : reach(folder);
        m_filling = was_filling;
        m_tree->setCurrentItem(item);
        if (!item)
            m_tree->clearSelection();
        scroll_to_current();
    }
    const QList<QTreeWidgetItem*> selected = m_tree->selectedItems();
    QTreeWidgetItem* item = selected.isEmpty() ? nullptr : selected.first();
    m_folder = ChosenFolder(item && !is_placeholder(item) ? item_path(item) : std::string());
    emit folder_selected(this);
}

void CFolderView::on_current_changed(QTreeWidgetItem* item)
{
    std::string path = item && !is_placeholder(item) ? item_path(item) : std::string();
    if (path == m_folder.path())
        return;
    m_folder = ChosenFolder(path);
    emit folder_selected(this);
}

QStringList CFolderView::child_texts(QTreeWidgetItem* item) const
{
    QStringList out;
    const int n = item ? item->childCount() : m_tree->topLevelItemCount();
    for (int i = 0; i < n; ++i)
        out << (item ? item->child(i) : m_tree->topLevelItem(i))->text(0);
    return out;
}

QTreeWidgetItem* CFolderView::root_item(const std::string& mount_point) const
{
    for (int i = 0; i < m_tree->topLevelItemCount(); ++i)
        if (from_q(m_tree->topLevelItem(i)->text(0)) == mount_point)
            return m_tree->topLevelItem(i);
    return nullptr;
}

} // namespace dranfel
