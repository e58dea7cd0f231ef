#include "korvid/editor/ui/editor_list.h"

#include "korvid/editor/ui/editor_look.h"
#include "korvid/editor/ui/list_filter_edit.h"
#include "korvid/editor/ui/model_controls.h"
#include "korvid/ui/skin.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMetaMethod>
#include <QPainter>
#include <QScrollBar>
#include <QShortcut>
#include <QStyledItemDelegate>
#include <algorithm>

namespace korvid {

namespace {

// Cells drawn with small margins and the row picture flush left, so that narrow columns such as
// "Num" (50 pixels, picture included) still show their whole text, as the list control did.
class CellDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* p, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QStyleOptionViewItem opt(option);
        initStyleOption(&opt, index);
        const QPixmap picture = index.data(Qt::DecorationRole).value<QPixmap>();
        const QString text = opt.text;
        opt.text.clear();
        opt.icon = QIcon();
        opt.features &= ~QStyleOptionViewItem::HasDecoration;
        const QWidget* widget = opt.widget;
        QStyle* style = widget ? widget->style() : QApplication::style();
        style->drawControl(QStyle::CE_ItemViewItem, &opt, p, widget); // background and selection

        QRect r = opt.rect;
        if (!picture.isNull()) {
            p->drawPixmap(r.left() + 1, r.top() + (r.height() - picture.height()) / 2, picture);
            r.setLeft(r.left() + picture.width() + 1);
        }
        r.adjust(2, 0, -2, 0);
        const bool selected = opt.state & QStyle::State_Selected;
        p->save();
        p->setFont(opt.font);
        p->setPen(opt.palette.color(selected ? QPalette::HighlightedText : QPalette::Text));
        p->drawText(r, int(opt.displayAlignment) | Qt::AlignVCenter,
                    opt.fontMetrics.elidedText(text, Qt::ElideRight, r.width()));
        p->restore();
    }
};

} // namespace

ListStateModel::ListStateModel(const ListState& state, QObject* parent)
    : QAbstractTableModel(parent)
    , m_state(state)
{}

int ListStateModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_state.rows.size());
}

int ListStateModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_state.columns.size());
}

QVariant ListStateModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount() || index.column() >= columnCount())
        return {};
    const auto& row = m_state.rows[size_t(index.row())];
    const size_t column = size_t(index.column());
    switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole:
        return column < row.texts.size() ? text8(row.texts[column]) : QString();
    case Qt::TextAlignmentRole:
        return int(m_state.columns[column].centred ? Qt::AlignCenter : (Qt::AlignLeft | Qt::AlignVCenter));
    case Qt::DecorationRole:
        return column == 0 ? QVariant(editor_look::row_picture()) : QVariant();
    case Qt::UserRole:
        return row.item_data;
    default:
        return {};
    }
}

QVariant ListStateModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= columnCount())
        return {};
    const auto& column = m_state.columns[size_t(section)];
    if (role == Qt::DisplayRole)
        return text8(column.caption);
    if (role == Qt::TextAlignmentRole)
        return int(column.centred ? Qt::AlignCenter : Qt::AlignLeft);
    return {};
}

void ListStateModel::reload()
{
    beginResetModel();
    endResetModel();
}

CEditorList::CEditorList(const ListState& state, QWidget* parent)
    : QTableView(parent)
    , m_state(state)
    , m_model(new ListStateModel(state, this))
{
    // A size smaller than the pages' own text, so that the narrow columns show whole words ("HLBAND"
    // in 60 pixels); the tip of a cell still shows all of it.
    setFont(skin::arial(13));
    setHorizontalHeader(new CListHeader(this));
    setModel(m_model);
    verticalHeader()->hide();
    verticalHeader()->setMinimumSectionSize(16);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    setItemDelegate(new CellDelegate(this));
    horizontalHeader()->setStretchLastSection(false);
    horizontalHeader()->setFixedHeight(20);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(state.multiple_selection ? QAbstractItemView::ExtendedSelection
                                              : QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    // Tab goes on to the page's next control; the arrows move within the list.
    setTabKeyNavigation(false);
    setShowGrid(true);
    setGridStyle(Qt::SolidLine);
    setWordWrap(false);
    setIconSize(QSize(16, 16));
    setContextMenuPolicy(Qt::CustomContextMenu);
    setAlternatingRowColors(false);

    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
        if (!m_syncing)
            emit rowsSelected(selected_rows());
    });
    connect(this, &QAbstractItemView::clicked, this, [this](const QModelIndex& i) {
        if (!m_syncing && i.isValid())
            emit rowClicked(i.row());
    });
    connect(this, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex& i) {
        if (i.isValid())
            emit rowDoubleClicked(i.row());
    });
    connect(this, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& p) { emit contextMenuAt(viewport()->mapToGlobal(p)); });
    connect(horizontalHeader(), &QHeaderView::sectionClicked, this, &CEditorList::headerClicked);
    sync();
}

std::vector<int> CEditorList::selected_rows() const
{
    std::vector<int> rows;
    for (const QModelIndex& i : selectionModel()->selectedRows())
        rows.push_back(i.row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

void CEditorList::sync()
{
    m_syncing = true;
    // Set on every sync: a font change resets the header's own choice.
    verticalHeader()->setDefaultSectionSize(ROW_HEIGHT);
    const int scrolled = verticalScrollBar()->value();
    m_model->reload();
    if (m_columnsShown != int(m_state.columns.size())) {
        for (size_t c = 0; c < m_state.columns.size(); ++c)
            setColumnWidth(int(c), m_state.columns[c].width);
        m_columnsShown = int(m_state.columns.size());
    }
    widen_columns();
    QItemSelection selection;
    for (int r : m_state.selected)
        if (r >= 0 && r < m_model->rowCount())
            selection.select(m_model->index(r, 0), m_model->index(r, m_model->columnCount() - 1));
    selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
    if (!m_state.selected.empty())
        selectionModel()->setCurrentIndex(m_model->index(m_state.selected.front(), 0),
                                          QItemSelectionModel::NoUpdate);
    verticalScrollBar()->setValue(scrolled);
    // Only a row the model both selected and named is brought into view; an edit in place leaves the
    // list where the user had it.
    const int target = m_state.scroll_to;
    if (target >= 0 && target < m_model->rowCount() &&
        std::find(m_state.selected.begin(), m_state.selected.end(), target) != m_state.selected.end())
        scrollTo(m_model->index(target, 0), QAbstractItemView::EnsureVisible);
    m_syncing = false;
}

void CEditorList::widen_columns()
{
    // The pages' widths were chosen for a smaller font than this platform's, and values such as
    // "DiSEqC 1.1" did not fit them: a column grows to its widest caption or value, never shrinks
    // below what the page or the user gave it.
    const QFontMetrics cells = fontMetrics();
    const QFontMetrics captions = horizontalHeader()->fontMetrics();
    const int picture = editor_look::row_picture().width() + 1;
    for (size_t c = 0; c < m_state.columns.size(); ++c) {
        // Caption margins and room for the sort triangle; cell margins and the grid line.
        int need = captions.horizontalAdvance(text8(m_state.columns[c].caption)) + 8 + 12;
        const int extra = 5 + (c == 0 ? picture : 0);
        for (const auto& row : m_state.rows)
            if (c < row.texts.size())
                need = std::max(need, cells.horizontalAdvance(text8(row.texts[c])) + extra);
        if (need > columnWidth(int(c)))
            setColumnWidth(int(c), need);
    }
}

CListFilterEdit* CEditorList::enable_filter(std::function<void(const std::string&)> apply, FilterKeys keys)
{
    if (m_filter)
        return m_filter;
    // The box lies over a strip at the top of the header, so that every page that shows a list shows
    // its box above it without laying out anything of its own.
    auto* header = static_cast<CListHeader*>(horizontalHeader());
    header->set_top_strip(CListFilterEdit::HEIGHT);
    header->setFixedHeight(header->height() + CListFilterEdit::HEIGHT);
    m_filter = new CListFilterEdit(header);
    m_filter->setFont(skin::arial(13));
    m_filter->setGeometry(0, 0, header->width(), CListFilterEdit::HEIGHT);
    header->installEventFilter(this);
    connect(m_filter, &CListFilterEdit::filterChanged, this,
            [apply](const std::string& text) { apply(text); });
    connect(m_filter, &CListFilterEdit::leaveDown, this, [this] {
        setFocus();
        if (selectionModel()->selectedRows().isEmpty() && model()->rowCount() > 0)
            selectRow(0);
    });
    auto* find =
        new QShortcut(QKeySequence::Find, keys == FilterKeys::Window ? static_cast<QWidget*>(m_filter)
                                                                     : static_cast<QWidget*>(this));
    find->setContext(keys == FilterKeys::Window ? Qt::WindowShortcut : Qt::WidgetWithChildrenShortcut);
    connect(find, &QShortcut::activated, m_filter, [this] {
        m_filter->setFocus(Qt::ShortcutFocusReason);
        m_filter->selectAll();
    });
    updateGeometries();
    return m_filter;
}

bool CEditorList::eventFilter(QObject* watched, QEvent* e)
{
    if (m_filter && watched == horizontalHeader() && e->type() == QEvent::Resize)
        m_filter->setGeometry(0, 0, horizontalHeader()->width(), CListFilterEdit::HEIGHT);
    return QTableView::eventFilter(watched, e);
}

void CEditorList::set_sort_indicator(int column, int direction)
{
    static_cast<CListHeader*>(horizontalHeader())->set_sort(column, direction);
}

void CEditorList::keyPressEvent(QKeyEvent* e)
{
    if (e->key() == Qt::Key_Delete) {
        emit deletePressed();
        return;
    }
    const bool plain = !(e->modifiers() & ~Qt::KeypadModifier);
    if (plain && (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) &&
        isSignalConnected(QMetaMethod::fromSignal(&CEditorList::editPressed))) {
        emit editPressed();
        return;
    }
    if (plain && e->key() == Qt::Key_Insert &&
        isSignalConnected(QMetaMethod::fromSignal(&CEditorList::insertPressed))) {
        emit insertPressed();
        return;
    }
    if (e->key() == Qt::Key_Escape) {
        // Up to the window: a page swallows it, a dialog takes it as Cancel.
        e->ignore();
        return;
    }
    QTableView::keyPressEvent(e);
}

QModelIndex CEditorList::moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers)
{
    // The rows are the items here: Home and End go to the first and last row, as in a list control,
    // not to the first and last cell of the row.
    const int rows = model()->rowCount();
    if ((action == MoveHome || action == MoveEnd) && rows > 0)
        return model()->index(action == MoveHome ? 0 : rows - 1, std::max(currentIndex().column(), 0));
    return QTableView::moveCursor(action, modifiers);
}

void CEditorList::keyboardSearch(const QString& search)
{
    // Typing finds a row by its name, whichever cell is current.
    int name = -1;
    for (size_t c = 0; c < m_state.columns.size() && name < 0; ++c)
        if (m_state.columns[c].caption == "Name")
            name = int(c);
    if (name >= 0 && model()->rowCount() > 0) {
        const int row = std::max(currentIndex().row(), 0);
        selectionModel()->setCurrentIndex(model()->index(row, name), QItemSelectionModel::NoUpdate);
    }
    QTableView::keyboardSearch(search);
}

} // namespace korvid
