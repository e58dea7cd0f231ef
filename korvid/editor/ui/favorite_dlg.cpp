#include "korvid/editor/ui/favorite_dlg.h"

#include "korvid/editor/favorite_dialog.h"
#include "korvid/editor/ui/drag_list.h"
#include "korvid/editor/ui/model_controls.h"
#include "korvid/ui/bitmap_button.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMouseEvent>
#include <QVBoxLayout>
#include <algorithm>

namespace korvid {

namespace {

constexpr int LIST_WIDTH = 200;
constexpr int LIST_HEIGHT = 300;

CDragList* make_list(const ListState& state, QWidget* parent)
{
    auto* list = new CDragList(state, parent);
    // One "Name" column across the whole list.
    list->horizontalHeader()->setStretchLastSection(true);
    list->setMinimumSize(LIST_WIDTH, LIST_HEIGHT);
    return list;
}

} // namespace

CFavoriteDlg::CFavoriteDlg(FavoriteDialog& model, QWidget* parent)
    : CEditorDialog(text8(FavoriteDialog::CAPTION), parent)
    , m_model(model)
{
    m_heading = new QLabel(text8(model.heading()));
    QFont bold = m_heading->font();
    bold.setBold(true);
    m_heading->setFont(bold);
    auto* top = new QHBoxLayout;
    top->addWidget(new QLabel(text8(FavoriteDialog::GROUP_LABEL)));
    top->addWidget(m_heading, 1);

    m_channels = make_list(model.channel_list(), this);
    m_favorites = make_list(model.favorite_list(), this);
    // Channels go one way only: from "CHANNEL" onto "FAVORITE".
    m_favorites->set_drags_rows(false);
    for (CDragList* list : {m_channels, m_favorites}) {
        list->installEventFilter(this);
        list->viewport()->installEventFilter(this);
        list->setContextMenuPolicy(Qt::NoContextMenu);
        connect(list, &CEditorList::rowsSelected, this, [this, list] { selection_changed(list); });
    }
    // Each list has its own box; Ctrl+F reaches the one of the list that has the keyboard.
    m_channels->enable_filter(
        [this](const std::string& text) {
            m_model.set_channel_filter(text);
            sync();
        },
        CEditorList::FilterKeys::List);
    m_favorites->enable_filter(
        [this](const std::string& text) {
            m_model.set_favorite_filter(text);
            sync();
        },
        CEditorList::FilterKeys::List);
    connect(m_channels, &CDragList::dragMoved, this, &CFavoriteDlg::drag_over);
    connect(m_favorites, &CDragList::dragScrolled, this, [this] { drag_over(m_dragAt); });
    connect(m_channels, &CDragList::dragDropped, this, &CFavoriteDlg::dropped);
    connect(m_channels, &CDragList::dragCancelled, this, [this] {
        m_model.drop_on_channels();
        m_favorites->stop_drag_scroll();
        sync();
    });

    m_add = new CBitmapButton(QStringLiteral(">>"));
    m_remove = new CBitmapButton(QStringLiteral("<<"));
    for (CBitmapButton* b : {m_add, m_remove})
        b->setFixedSize(BUTTON_WIDTH, BUTTON_HEIGHT);
    connect(m_add, &QAbstractButton::clicked, this, [this] {
        m_model.add_selected();
        sync();
    });
    connect(m_remove, &QAbstractButton::clicked, this, [this] {
        m_model.remove_selected();
        sync();
    });

    auto* lists = new QGridLayout;
    lists->addWidget(new QLabel(QStringLiteral("CHANNEL")), 0, 0);
    lists->addWidget(new QLabel(QStringLiteral("FAVORITE")), 0, 2);
    lists->addWidget(m_channels, 1, 0);
    lists->addWidget(m_favorites, 1, 2);
    auto* middle = new QVBoxLayout;
    middle->addStretch(1);
    middle->addWidget(m_add);
    middle->addWidget(m_remove);
    middle->addStretch(1);
    lists->addLayout(middle, 1, 1);
    lists->setColumnStretch(0, 1);
    lists->setColumnStretch(2, 1);

    auto* info = new QVBoxLayout;
    for (QLabel*& line : m_info) {
        line = new QLabel;
        line->setMinimumWidth(LIST_WIDTH);
        info->addWidget(line);
    }
    auto* bottom = new QHBoxLayout;
    bottom->addLayout(info, 1);
    bottom->addWidget(ok_button());
    bottom->addWidget(cancel_button());

    auto* all = new QVBoxLayout(this);
    all->addLayout(top);
    all->addLayout(lists, 1);
    all->addLayout(bottom);

    // Across the dialog as the eye reads it, not in the order the controls were made.
    setTabOrder(m_channels, m_add);
    setTabOrder(m_add, m_remove);
    setTabOrder(m_remove, m_favorites);
    setTabOrder(m_favorites, ok_button());
    setTabOrder(ok_button(), cancel_button());
    m_channels->setFocus(Qt::OtherFocusReason);

    sync();
}

void CFavoriteDlg::sync()
{
    m_channels->sync();
    m_favorites->sync();
    m_favorites->set_drop_row(m_model.drop_highlight());
    show_info();
}

void CFavoriteDlg::show_info()
{
    for (int line = 0; line < 2; ++line)
        m_info[line]->setText(text8(m_model.info_line(line)));
}

void CFavoriteDlg::selection_changed(CDragList* list)
{
    std::vector<int> rows = list->selected_rows();
    // The row the user acted on goes last: the info lines describe it.
    const int current = list->currentIndex().row();
    const auto it = std::find(rows.begin(), rows.end(), current);
    if (it != rows.end())
        std::rotate(it, it + 1, rows.end());
    if (list == m_channels)
        m_model.select_channel_rows(rows);
    else
        m_model.select_favorite_rows(rows);
    show_info();
}

void CFavoriteDlg::drag_over(QPoint global)
{
    m_dragAt = global;
    int row = -1;
    m_model.drag_over_favorites(m_favorites->drop_target(global, &row) ? row : -1);
    m_favorites->set_drop_row(m_model.drop_highlight());
    m_favorites->drag_scroll_at(global, true);
}

void CFavoriteDlg::dropped(QPoint global)
{
    m_favorites->stop_drag_scroll();
    int row = -1;
    if (m_favorites->drop_target(global, &row)) {
        m_model.drag_over_favorites(row);
        m_model.drop_on_favorites();
    } else {
        m_model.drop_on_channels();
    }
    sync();
}

bool CFavoriteDlg::model_ok()
{
    return m_model.ok();
}

bool CFavoriteDlg::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::FocusIn:
        if (watched == m_channels || watched == m_favorites)
            m_model.focus_list();
        break;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
        // The dialog takes no notice of the right mouse button.
        if (static_cast<QMouseEvent*>(event)->button() == Qt::RightButton)
            return true;
        break;
    default:
        break;
    }
    return CEditorDialog::eventFilter(watched, event);
}

} // namespace korvid
