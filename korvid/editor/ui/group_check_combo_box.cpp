#include "korvid/editor/ui/group_check_combo_box.h"

#include "korvid/editor/ui/model_controls.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStandardItemModel>
#include <QStylePainter>
#include <QStyledItemDelegate>
#include <algorithm>

namespace korvid {

namespace {

// An entry: its check box, then its name, on the highlight when it is the entry under the mouse.
class CheckEntryDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* p, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QStyleOptionViewItem opt(option);
        initStyleOption(&opt, index);
        const QWidget* widget = opt.widget;
        QStyle* style = widget ? widget->style() : QApplication::style();
        const bool current = opt.state & (QStyle::State_Selected | QStyle::State_MouseOver);
        p->fillRect(opt.rect, opt.palette.color(current ? QPalette::Highlight : QPalette::Base));

        QStyleOptionButton box;
        const int side = style->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, widget);
        box.rect = QRect(opt.rect.left() + 4, opt.rect.top() + (opt.rect.height() - side) / 2, side, side);
        box.state =
            QStyle::State_Enabled |
            (index.data(Qt::CheckStateRole).toInt() == Qt::Checked ? QStyle::State_On : QStyle::State_Off);
        box.palette = opt.palette;
        style->drawPrimitive(QStyle::PE_IndicatorCheckBox, &box, p, widget);

        p->save();
        p->setPen(opt.palette.color(current ? QPalette::HighlightedText : QPalette::Text));
        p->drawText(opt.rect.adjusted(side + 10, 0, -4, 0), Qt::AlignLeft | Qt::AlignVCenter,
                    index.data(Qt::DisplayRole).toString());
        p->restore();
    }
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QSize s = QStyledItemDelegate::sizeHint(option, index);
        return {s.width() + 24, std::max(s.height(), 20)};
    }
};

} // namespace

CGroupCheckCombo::CGroupCheckCombo(QWidget* parent)
    : QComboBox(parent)
{
    setModel(new QStandardItemModel(this));
    setItemDelegate(new CheckEntryDelegate(this));
    // Installed after the combo's own popup filter, so this one sees the clicks first and can keep
    // the list open.
    view()->viewport()->installEventFilter(this);
    view()->installEventFilter(this);
}

void CGroupCheckCombo::show_state(const GroupCheckCombo& state)
{
    const QSignalBlocker quiet(this);
    auto* items = static_cast<QStandardItemModel*>(model());
    bool same = items->rowCount() == int(state.entries.size());
    for (int i = 0; same && i < items->rowCount(); ++i)
        same = items->item(i)->text() == text8(state.entries[size_t(i)]);
    if (!same) {
        items->clear();
        for (const std::string& name : state.entries) {
            auto* item = new QStandardItem(text8(name));
            // Checks change only through the model, never by the item view's own handling.
            item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
            items->appendRow(item);
        }
    }
    for (int i = 0; i < items->rowCount(); ++i)
        items->item(i)->setData(state.checked[size_t(i)] ? Qt::Checked : Qt::Unchecked, Qt::CheckStateRole);
    if (state.current >= 0 && state.current < items->rowCount())
        view()->setCurrentIndex(items->index(state.current, 0));
    m_closedText = text8(state.closed_text());
    update();
}

bool CGroupCheckCombo::entry_checked(int entry) const
{
    const auto* items = static_cast<const QStandardItemModel*>(model());
    return entry >= 0 && entry < items->rowCount() && items->item(entry)->checkState() == Qt::Checked;
}

bool CGroupCheckCombo::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == view()->viewport() && event->type() == QEvent::MouseButtonRelease) {
        const QModelIndex index = view()->indexAt(static_cast<QMouseEvent*>(event)->position().toPoint());
        if (index.isValid())
            emit entryToggled(index.row());
        return true; // the list stays open for the next check
    }
    if (watched == view() && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Space) {
        if (view()->currentIndex().isValid())
            emit entryToggled(view()->currentIndex().row());
        return true;
    }
    return QComboBox::eventFilter(watched, event);
}

void CGroupCheckCombo::paintEvent(QPaintEvent*)
{
    QStylePainter p(this);
    QStyleOptionComboBox opt;
    initStyleOption(&opt);
    opt.currentText = m_closedText;
    opt.currentIcon = QIcon();
    p.drawComplexControl(QStyle::CC_ComboBox, opt);
    p.drawControl(QStyle::CE_ComboBoxLabel, opt);
}

} // namespace korvid
