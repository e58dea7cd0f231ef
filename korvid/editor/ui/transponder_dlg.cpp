#include "korvid/editor/ui/transponder_dlg.h"

#include "korvid/editor/transponder_dialog.h"
#include "korvid/editor/ui/editor_list.h"
#include "korvid/editor/ui/model_controls.h"
#include "korvid/editor/ui/up_down.h"
#include "korvid/ui/bitmap_button.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>

namespace korvid {

namespace {

// Pixel layout of the fields column (the whole window in edit mode) and of the list beside it.
constexpr int LABEL_X = 16;
constexpr int FIELD_X = 120;
constexpr int ROW_Y = 18;
constexpr int ROW_STEP = 40;
constexpr int ROW_HEIGHT = 24;
constexpr int NUMBER_WIDTH = 100;
constexpr int LIST_X = 370;
// The five columns (285 pixels), the list's frame and its scroll bar.
constexpr int EXISTING_LIST_WIDTH = 306;
constexpr int ADD_WIDTH = LIST_X + EXISTING_LIST_WIDTH + 14;
constexpr int BUTTON_GAP = 8;
constexpr int BUTTON_ROW_GAP = 10;

enum Label
{
    L_LINK_SAT,
    L_FREQUENCY,
    L_SYMBOL_RATE,
    L_FEC,
    L_POLARITY
};

} // namespace

CTransponderDlg::CTransponderDlg(TransponderDialog& model, QWidget* parent)
    : CEditorDialog(text8(TransponderDialog::CAPTION), parent)
    , m_model(model)
{
    const char* captions[5] = {TransponderDialog::LABEL_LINK_SAT, TransponderDialog::LABEL_FREQUENCY,
                               TransponderDialog::LABEL_SYMBOL_RATE, TransponderDialog::LABEL_FEC,
                               TransponderDialog::LABEL_POLARITY};
    for (int l = 0; l < 5; ++l) {
        m_labels[l] = new QLabel(text8(captions[l]), this);
        m_labels[l]->setAttribute(Qt::WA_TranslucentBackground);
    }

    m_linkSat = new QComboBox(this);
    m_linkSat->setMaxVisibleItems(20);
    connect(m_linkSat, qOverload<int>(&QComboBox::activated), this, [this](int i) {
        m_model.choose_link_sat(i);
        sync();
    });

    m_frequency = new QLineEdit(this);
    m_frequencySpin = new CUpDown(m_frequency, this);
    m_symbolRate = new QLineEdit(this);
    m_symbolRateSpin = new CUpDown(m_symbolRate, this);
    connect(m_frequency, &QLineEdit::textEdited, this, [this](const QString& t) {
        m_model.type_frequency(bytes8(t));
        sync();
    });
    connect(m_symbolRate, &QLineEdit::textEdited, this, [this](const QString& t) {
        m_model.type_symbol_rate(bytes8(t));
        sync();
    });
    connect(m_frequencySpin, &CUpDown::stepped, this, [this](int steps) {
        m_model.spin_frequency(steps);
        sync();
    });
    connect(m_symbolRateSpin, &CUpDown::stepped, this, [this](int steps) {
        m_model.spin_symbol_rate(steps);
        sync();
    });

    m_fec = new QComboBox(this);
    connect(m_fec, qOverload<int>(&QComboBox::activated), this, [this](int i) {
        m_model.choose_fec(i);
        sync();
    });

    for (int p = TransponderDialog::VER; p <= TransponderDialog::HOR; ++p) {
        m_polarity[p] = new QRadioButton(text8(TransponderDialog::polarity_button_text(p)), this);
        // The model decides which button is checked; Qt's own exclusivity would fight it.
        m_polarity[p]->setAutoExclusive(false);
        connect(m_polarity[p], &QAbstractButton::clicked, this, [this, p] {
            m_model.choose_polarity(p);
            sync();
        });
    }

    m_existing = new CEditorList(model.existing_list(), this);
    connect(m_existing, &CEditorList::rowClicked, this, [this](int row) {
        m_model.click_existing_row(row);
        sync();
    });

    // Placed by pixel, not by a layout: they join the window here, after the fields and the list.
    ok_button()->setParent(this);
    cancel_button()->setParent(this);

    setTabOrder(m_linkSat, m_frequency);
    setTabOrder(m_frequency, m_symbolRate);
    setTabOrder(m_symbolRate, m_fec);
    setTabOrder(m_fec, m_polarity[TransponderDialog::VER]);
    setTabOrder(m_polarity[TransponderDialog::VER], m_polarity[TransponderDialog::HOR]);
    setTabOrder(m_polarity[TransponderDialog::HOR], m_existing);
    setTabOrder(m_existing, ok_button());
    setTabOrder(ok_button(), cancel_button());

    place_controls();
    sync();
    // Edit mode opens on the number a user most often changes.
    (model.link_sat_combo().enabled ? static_cast<QWidget*>(m_linkSat) : m_frequency)->setFocus();
}

void CTransponderDlg::place_controls()
{
    const bool with_list = m_model.list_visible();
    const int width = with_list ? ADD_WIDTH : TransponderDialog::EDIT_WIDTH;
    const int height = TransponderDialog::EDIT_HEIGHT;
    setFixedSize(width, height);

    for (int l = 0; l < 5; ++l)
        m_labels[l]->setGeometry(LABEL_X, ROW_Y + l * ROW_STEP, FIELD_X - LABEL_X - 4, ROW_HEIGHT);
    m_linkSat->setGeometry(FIELD_X, ROW_Y + L_LINK_SAT * ROW_STEP, LIST_X - FIELD_X - 20, ROW_HEIGHT);
    m_frequency->setGeometry(FIELD_X, ROW_Y + L_FREQUENCY * ROW_STEP, NUMBER_WIDTH, ROW_HEIGHT);
    m_frequencySpin->setGeometry(FIELD_X + NUMBER_WIDTH, ROW_Y + L_FREQUENCY * ROW_STEP, CUpDown::WIDTH,
                                 ROW_HEIGHT);
    m_symbolRate->setGeometry(FIELD_X, ROW_Y + L_SYMBOL_RATE * ROW_STEP, NUMBER_WIDTH, ROW_HEIGHT);
    m_symbolRateSpin->setGeometry(FIELD_X + NUMBER_WIDTH, ROW_Y + L_SYMBOL_RATE * ROW_STEP, CUpDown::WIDTH,
                                  ROW_HEIGHT);
    m_fec->setGeometry(FIELD_X, ROW_Y + L_FEC * ROW_STEP, NUMBER_WIDTH + CUpDown::WIDTH, ROW_HEIGHT);
    for (int p = TransponderDialog::VER; p <= TransponderDialog::HOR; ++p)
        m_polarity[p]->setGeometry(FIELD_X + p * 80, ROW_Y + L_POLARITY * ROW_STEP, 72, ROW_HEIGHT);

    const int buttons_y = height - BUTTON_HEIGHT - BUTTON_ROW_GAP;
    m_existing->setVisible(with_list);
    m_existing->setGeometry(LIST_X, ROW_Y, EXISTING_LIST_WIDTH, buttons_y - ROW_Y - BUTTON_GAP);
    int ok_x;
    if (m_model.buttons_at_bottom()) {
        // the bottom row of the shrunken window, centred
        ok_x = (width - 2 * BUTTON_WIDTH - BUTTON_GAP) / 2;
    } else {
        // under the list, at its right edge
        ok_x = LIST_X + EXISTING_LIST_WIDTH - 2 * BUTTON_WIDTH - BUTTON_GAP;
    }
    ok_button()->setGeometry(ok_x, buttons_y, BUTTON_WIDTH, BUTTON_HEIGHT);
    cancel_button()->setGeometry(ok_x + BUTTON_WIDTH + BUTTON_GAP, buttons_y, BUTTON_WIDTH, BUTTON_HEIGHT);
}

void CTransponderDlg::sync()
{
    show_combo(m_linkSat, m_model.link_sat_combo());
    show_edit(m_frequency, m_model.frequency_edit());
    show_edit(m_symbolRate, m_model.symbol_rate_edit());
    show_combo(m_fec, m_model.fec_combo());
    for (int p = TransponderDialog::VER; p <= TransponderDialog::HOR; ++p)
        show_check(m_polarity[p], m_model.polarity_button(p));
    m_existing->sync();
}

bool CTransponderDlg::model_ok()
{
    return m_model.ok();
}

QLineEdit* CTransponderDlg::edit_to_fix() const
{
    switch (m_model.focus()) {
    case TransponderDialog::FOCUS_FREQUENCY:
        return m_frequency;
    case TransponderDialog::FOCUS_SYMBOL_RATE:
        return m_symbolRate;
    default:
        return nullptr;
    }
}

} // namespace korvid
