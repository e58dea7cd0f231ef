#include "korvid/editor/ui/transponder_update_dlg.h"

#include "korvid/editor/transponder_update_dialog.h"
#include "korvid/editor/ui/model_controls.h"
#include "korvid/ui/bitmap_button.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace korvid {

CTransponderUpdateDlg::CTransponderUpdateDlg(TransponderUpdateDialog& model, QWidget* parent)
    : CEditorDialog(text8(TransponderUpdateDialog::CAPTION), parent)
    , m_model(model)
{
    auto* heading = new QLabel(text8(model.heading()));
    QFont bold = heading->font();
    bold.setBold(true);
    heading->setFont(bold);

    m_changes = new QTreeWidget;
    m_changes->setRootIsDecorated(false);
    m_changes->setUniformRowHeights(true);
    m_changes->setAllColumnsShowFocus(true);
    m_changes->setSelectionMode(QAbstractItemView::SingleSelection);
    const ListState& list = model.list();
    QStringList captions;
    for (const ListState::Column& c : list.columns)
        captions << text8(c.caption);
    m_changes->setHeaderLabels(captions);
    for (const ListState::Row& r : list.rows) {
        QStringList texts;
        for (const std::string& t : r.texts)
            texts << text8(t);
        auto* item = new QTreeWidgetItem(m_changes, texts);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
    }
    for (size_t c = 0; c < list.columns.size(); ++c)
        m_changes->setColumnWidth(int(c), list.columns[c].width);
    m_changes->setMinimumSize(560, 260);
    m_changes->installEventFilter(this);
    connect(m_changes, &QTreeWidget::itemChanged, this, [this](QTreeWidgetItem* item, int column) {
        if (m_syncing || column != 0)
            return;
        m_model.set_ticked(m_changes->indexOfTopLevelItem(item), item->checkState(0) == Qt::Checked);
        sync();
    });

    auto* list_label = new QLabel(text8(TransponderUpdateDialog::LABEL_LIST));
    list_label->setBuddy(m_changes);

    m_tickAll = new CBitmapButton(text8(TransponderUpdateDialog::BUTTON_TICK_ALL));
    m_tickNone = new CBitmapButton(text8(TransponderUpdateDialog::BUTTON_TICK_NONE));
    for (CBitmapButton* b : {m_tickAll, m_tickNone})
        b->setFixedSize(BUTTON_WIDTH + 20, BUTTON_HEIGHT);
    connect(m_tickAll, &QAbstractButton::clicked, this, [this] {
        m_model.tick_all(true);
        sync();
    });
    connect(m_tickNone, &QAbstractButton::clicked, this, [this] {
        m_model.tick_all(false);
        sync();
    });
    m_count = new QLabel;

    m_notes = new QPlainTextEdit;
    m_notes->setReadOnly(true);
    m_notes->setFocusPolicy(Qt::NoFocus);
    m_notes->setPlainText(text8([&model] {
        std::string all;
        for (const std::string& n : model.notes())
            all += (all.empty() ? "" : "\n") + n;
        return all;
    }()));
    m_notes->setFixedHeight(96);

    auto* ticks = new QHBoxLayout;
    ticks->addWidget(m_tickAll);
    ticks->addWidget(m_tickNone);
    ticks->addWidget(m_count, 1);

    auto* all = new QVBoxLayout(this);
    all->addWidget(heading);
    all->addWidget(list_label);
    all->addWidget(m_changes, 1);
    all->addLayout(ticks);
    all->addWidget(m_notes);
    all->addLayout(ok_cancel_row());
    setTabOrder(m_changes, m_tickAll);
    setTabOrder(m_tickAll, m_tickNone);
    setTabOrder(m_tickNone, ok_button());
    setTabOrder(ok_button(), cancel_button());

    sync();
    if (m_changes->topLevelItemCount() > 0)
        m_changes->setCurrentItem(m_changes->topLevelItem(0));
    m_changes->setFocus(Qt::OtherFocusReason);
}

void CTransponderUpdateDlg::sync()
{
    m_syncing = true;
    for (int r = 0; r < m_changes->topLevelItemCount(); ++r)
        m_changes->topLevelItem(r)->setCheckState(0, m_model.ticked(r) ? Qt::Checked : Qt::Unchecked);
    m_syncing = false;
    m_count->setText(text8(m_model.tick_count_text()));
}

bool CTransponderUpdateDlg::eventFilter(QObject* watched, QEvent* event)
{
    // Space on the row with the keyboard, whichever column: the model keeps the tick.
    if (watched == m_changes && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Space) {
        const int row = m_changes->indexOfTopLevelItem(m_changes->currentItem());
        if (row >= 0) {
            m_model.toggle(row);
            sync();
        }
        return true;
    }
    return CEditorDialog::eventFilter(watched, event);
}

} // namespace korvid
