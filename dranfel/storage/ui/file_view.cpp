#include "dranfel/storage/ui/file_view.h"

#include "dranfel/storage/file_list.h"
#include "dranfel/storage/storage_manager.h"
#include "dranfel/storage/ui/local_text.h"

#include <QApplication>
#include <QCollator>
#include <QDropEvent>
#include <QFocusEvent>
#include <QHeaderView>
#include <QMimeData>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace dranfel {

namespace {

// The file's own bytes, so that a name that is not valid in the locale still names its file.
constexpr int NAME_ROLE = Qt::UserRole + 1;
// What a header click orders a column by.
constexpr int SORT_ROLE = Qt::UserRole + 2;

// Names in the order of the user's language ("Éclair" after "Eagle"), sizes and dates as numbers.
class FileRowItem : public QTreeWidgetItem
{
public:
    using QTreeWidgetItem::QTreeWidgetItem;
    bool operator<(const QTreeWidgetItem& other) const override
    {
        const int column = treeWidget() ? treeWidget()->sortColumn() : 0;
        const QVariant a = data(column, SORT_ROLE), b = other.data(column, SORT_ROLE);
        if (column == 0) {
            static const QCollator collator = [] {
                QCollator c;
                c.setNumericMode(true);
                c.setCaseSensitivity(Qt::CaseInsensitive);
                return c;
            }();
            return collator.compare(text(0), other.text(0)) < 0;
        }
        if (a.typeId() == QMetaType::LongLong)
            return a.toLongLong() < b.toLongLong();
        return a.toString() < b.toString();
    }
};

// The rows of one list dragged onto the other: which list they come from, nothing else, since
// the drop runs the same command as the menu on that list's selection.
const QString ROWS_MIME = QStringLiteral("application/x-dranfel-rows");

class RowList : public QTreeWidget
{
public:
    RowList(CFileView* owner)
        : QTreeWidget(owner)
        , m_owner(owner)
    {
        setDragEnabled(true);
        setAcceptDrops(true);
        setDragDropMode(QAbstractItemView::DragDrop);
        setDefaultDropAction(Qt::CopyAction);
        viewport()->setAcceptDrops(true);
    }

protected:
    // Reached from the keyboard, a list with rows and none selected selects its current row, so
    // that the commands have something to act on and the user sees where the keyboard is.
    void focusInEvent(QFocusEvent* e) override
    {
        QTreeWidget::focusInEvent(e);
        if (e->reason() == Qt::MouseFocusReason || topLevelItemCount() == 0 || !selectedItems().isEmpty())
            return;
        QTreeWidgetItem* item = currentItem() ? currentItem() : topLevelItem(0);
        setCurrentItem(item);
        item->setSelected(true);
    }
    QStringList mimeTypes() const override { return {ROWS_MIME}; }
    QMimeData* mimeData(const QList<QTreeWidgetItem*>&) const override
    {
        auto* data = new QMimeData;
        data->setData(ROWS_MIME, QByteArray::number(quintptr(m_owner)));
        return data;
    }
    Qt::DropActions supportedDropActions() const override { return Qt::CopyAction | Qt::MoveAction; }
    void dragEnterEvent(QDragEnterEvent* e) override { accept_if_other(e); }
    void dragMoveEvent(QDragMoveEvent* e) override { accept_if_other(e); }
    void dropEvent(QDropEvent* e) override
    {
        const CFileView* from = source_of(e);
        if (!from) {
            e->ignore();
            return;
        }
        const bool move = e->modifiers() & Qt::ShiftModifier;
        e->setDropAction(move ? Qt::MoveAction : Qt::CopyAction);
        e->accept();
        m_owner->drop_rows(from, move);
    }

private:
    const CFileView* source_of(const QDropEvent* e) const
    {
        if (!e->mimeData()->hasFormat(ROWS_MIME))
            return nullptr;
        auto* from = reinterpret_cast<const CFileView*>(e->mimeData()->data(ROWS_MIME).toULongLong());
        return from == m_owner ? nullptr : from;
    }
    void accept_if_other(QDragMoveEvent* e)
    {
        if (source_of(e))
            e->acceptProposedAction();
        else
            e->ignore();
    }

    CFileView* m_owner;
};

} // namespace

CFileView::CFileView(QWidget* parent)
    : QWidget(parent)
{
    m_list = new RowList(this);
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
    // The folder's own order until the user asks for another by a click on a column.
    m_list->header()->setSectionsClickable(true);
    m_list->header()->setSortIndicatorShown(false);
    // The first click turns sorting on; from then on the header turns the order on each click.
    connect(m_list->header(), &QHeaderView::sectionClicked, this, [this](int column) {
        if (!m_list->isSortingEnabled())
            sort_by(column, Qt::AscendingOrder);
    });

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_list);
    setFocusProxy(m_list);
    connect(m_list, &QTreeWidget::itemSelectionChanged, this, &CFileView::selection_changed);
    connect(m_list, &QTreeWidget::itemDoubleClicked, this,
            [this](QTreeWidgetItem* item) { play_row(m_list->indexOfTopLevelItem(item)); });
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

void CFileView::showEvent(QShowEvent* e)
{
    QWidget::showEvent(e);
    if (!m_columnsSet) {
        m_columnsSet = true;
        set_column_widths();
    }
}

void CFileView::drop_rows(const CFileView* from, bool move)
{
    QMetaObject::invokeMethod(
        this, [this, from, move] { emit rows_dropped(from, move); }, Qt::QueuedConnection);
}

void CFileView::resizeEvent(QResizeEvent* e)
{
    QWidget::resizeEvent(e);
    // The columns keep their shares of the width whatever the window does.
    if (m_columnsSet)
        set_column_widths();
}

void CFileView::sort_by(int column, Qt::SortOrder order)
{
    m_list->header()->setSortIndicatorShown(true);
    m_list->setSortingEnabled(true);
    m_list->sortByColumn(column, order);
}

void CFileView::set_column_widths()
{
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
            auto* item = new FileRowItem(QStringList{to_q(row.file_name), to_q(row.real_file_name),
                                                     to_q(row.size_kb), to_q(row.date)});
            item->setData(2, SORT_ROLE, qlonglong(row.bytes));
            // Room above and below the text for accented capitals and descenders.
            item->setSizeHint(0, QSize(0, m_list->fontMetrics().height() + 6));
            item->setData(3, SORT_ROLE, QString::fromStdString(row.date_key));
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

int CFileView::first_selected_row() const
{
    for (int i = 0; i < m_list->topLevelItemCount(); ++i)
        if (m_list->topLevelItem(i)->isSelected())
            return i;
    return -1;
}

bool CFileView::has_selection() const
{
    return !m_list->selectedItems().isEmpty();
}

} // namespace dranfel
