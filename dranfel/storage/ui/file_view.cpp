#include "dranfel/storage/ui/file_view.h"

#include "dranfel/storage/file_list.h"
#include "dranfel/storage/storage_manager.h"
#include "dranfel/storage/ui/local_text.h"

#include <QApplication>
#include <QHeaderView>
#include <QMenu>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace dranfel {

namespace {

// The file's own bytes, so that a name that is not valid in the locale still names its file.
constexpr int NAME_ROLE = Qt::UserRole + 1;

} // namespace

CFileView::CFileView(QWidget* parent)
    : QWidget(parent)
{
    m_list = new QTreeWidget(this);
    m_list->setObjectName(QStringLiteral("c1003"));
    m_list->setRootIsDecorated(false);
    m_list->setUniformRowHeights(true);
    m_list->setAllColumnsShowFocus(true);
    m_list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setHeaderLabels({QStringLiteral("File Name"), QStringLiteral("Real File Name"),
                             QStringLiteral("Size(KB)"), QStringLiteral("Date")});
    m_list->header()->setDefaultAlignment(Qt::AlignCenter);
    m_list->header()->setStretchLastSection(false);
    m_list->header()->setMinimumSectionSize(0);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_list);
    setFocusProxy(m_list);
    connect(m_list, &QTreeWidget::itemSelectionChanged, this, &CFileView::selection_changed);
    connect(m_list, &QTreeWidget::itemDoubleClicked, this,
            [this](QTreeWidgetItem* item) { play_row(m_list->indexOfTopLevelItem(item)); });
    m_list->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_list, &QWidget::customContextMenuRequested, this, &CFileView::show_context_menu);
}

void CFileView::play_row(int row)
{
    QTreeWidgetItem* item = m_list->topLevelItem(row);
    if (!item)
        return;
    SelectedRow r{item->data(0, NAME_ROLE).toByteArray().toStdString(),
                  item->data(1, NAME_ROLE).toByteArray().toStdString()};
    if (!recording_to_play(m_folder, r).empty())
        emit play_requested(r);
}

void CFileView::show_context_menu(const QPoint& at)
{
    QTreeWidgetItem* item = m_list->itemAt(at);
    if (!item)
        return;
    const int row = m_list->indexOfTopLevelItem(item);
    QMenu menu(this);
    QAction* play = menu.addAction(QStringLiteral("Play"));
    play->setEnabled(!recording_to_play(m_folder, {item->data(0, NAME_ROLE).toByteArray().toStdString(),
                                                   item->data(1, NAME_ROLE).toByteArray().toStdString()})
                          .empty());
    if (menu.exec(m_list->viewport()->mapToGlobal(at)) == play)
        play_row(row);
}

void CFileView::showEvent(QShowEvent* e)
{
    QWidget::showEvent(e);
    if (!m_columnsSet) {
        m_columnsSet = true;
        set_column_widths();
    }
}

void CFileView::set_column_widths()
{
    // From the pane's width when the columns are made, as the list first appears.
    const int w = m_list->viewport()->width();
    const int r = w - w / 10 * 6;
    m_list->setColumnWidth(0, w / 10 * 6);
    m_list->setColumnWidth(1, 0);
    m_list->setColumnHidden(1, true);
    m_list->setColumnWidth(2, r / 3);
    m_list->setColumnWidth(3, r / 3 * 2);
}

void CFileView::refresh(const std::string& folder)
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    m_folder = folder;
    m_list->clear();
    if (!folder.empty()) {
        QList<QTreeWidgetItem*> items;
        for (const FileRow& row : list_files(folder)) {
            auto* item = new QTreeWidgetItem(
                {to_q(row.file_name), to_q(row.real_file_name), to_q(row.size_kb), to_q(row.date)});
            for (int c = 0; c < 4; ++c)
                item->setTextAlignment(c, Qt::AlignCenter);
            item->setData(0, NAME_ROLE, QByteArray::fromStdString(row.file_name));
            item->setData(1, NAME_ROLE, QByteArray::fromStdString(row.real_file_name));
            items << item;
        }
        m_list->addTopLevelItems(items);
    }
    QApplication::restoreOverrideCursor();
    emit selection_changed();
}

int CFileView::row_count() const
{
    return m_list->topLevelItemCount();
}

QString CFileView::text(int row, int column) const
{
    QTreeWidgetItem* item = m_list->topLevelItem(row);
    return item ? item->text(column) : QString();
}

std::vector<SelectedRow> CFileView::selected_rows() const
{
    std::vector<SelectedRow> rows;
    for (int i = 0; i < m_list->topLevelItemCount(); ++i) {
        QTreeWidgetItem* item = m_list->topLevelItem(i);
        if (item->isSelected())
            rows.push_back({item->data(0, NAME_ROLE).toByteArray().toStdString(),
                            item->data(1, NAME_ROLE).toByteArray().toStdString()});
    }
    return rows;
}

bool CFileView::has_selection() const
{
    return !m_list->selectedItems().isEmpty();
}

} // namespace dranfel
