#include "korvid/editor/ui/satellite_dlg.h"

#include "korvid/editor/satellite_dialog.h"
#include "korvid/editor/ui/model_controls.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>

namespace korvid {

CSatelliteDlg::CSatelliteDlg(SatelliteDialog& model, QWidget* parent)
    : CEditorDialog(text8(SatelliteDialog::CAPTION), parent)
    , m_model(model)
{
    // Antenna: the wiring on one line, the tuner of a T1/T2 set-up below it.
    auto* antenna = new QGroupBox(text8(SatelliteDialog::GROUP_ANTENNA));
    auto* ant_grid = new QGridLayout(antenna);
    for (int b = 0; b < SatelliteDialog::ANTENNA_BUTTON_NUM; ++b) {
        m_antenna[b] = new QRadioButton(text8(SatelliteDialog::antenna_button_text(b)));
        // The model decides which buttons are checked; Qt's own exclusivity would fight it.
        m_antenna[b]->setAutoExclusive(false);
        connect(m_antenna[b], &QAbstractButton::clicked, this, [this, b] {
            m_model.click_antenna(b);
            sync();
        });
    }
    ant_grid->addWidget(m_antenna[SatelliteDialog::ANT_T1T2], 0, 0);
    ant_grid->addWidget(m_antenna[SatelliteDialog::ANT_LOOP], 0, 1);
    ant_grid->addWidget(m_antenna[SatelliteDialog::ANT_TWIN], 0, 2);
    ant_grid->addWidget(m_antenna[SatelliteDialog::ANT_T1], 1, 0);
    ant_grid->addWidget(m_antenna[SatelliteDialog::ANT_T2], 1, 1);

    m_name = new QLineEdit;
    m_name->setMaxLength(int(SatelliteDialog::NAME_CHARS));
    connect(m_name, &QLineEdit::textEdited, this, [this](const QString& t) {
        m_model.type_name(bytes8(t));
        sync();
    });
    auto* name_row = new QHBoxLayout;
    name_row->addWidget(new QLabel(text8(SatelliteDialog::LABEL_NAME)));
    name_row->addWidget(m_name, 1);

    auto* lnb = new QGroupBox(text8(SatelliteDialog::GROUP_LNB));
    auto* lnb_grid = new QGridLayout(lnb);
    m_lnbType = new QComboBox;
    m_low = new QLineEdit;
    m_high = new QLineEdit;
    m_power = new QComboBox;
    m_v012 = new QCheckBox(text8(SatelliteDialog::CHECK_012V));
    m_k22 = new QCheckBox(text8(SatelliteDialog::CHECK_22K));
    for (QLineEdit* e : {m_low, m_high})
        e->setMaxLength(int(SatelliteDialog::FREQ_CHARS));
    lnb_grid->addWidget(new QLabel(text8(SatelliteDialog::LABEL_LNB_TYPE)), 0, 0);
    lnb_grid->addWidget(m_lnbType, 0, 1);
    lnb_grid->addWidget(new QLabel(text8(SatelliteDialog::LABEL_FREQ_LOW)), 1, 0);
    lnb_grid->addWidget(m_low, 1, 1);
    lnb_grid->addWidget(new QLabel(text8(SatelliteDialog::LABEL_FREQ_HIGH)), 2, 0);
    lnb_grid->addWidget(m_high, 2, 1);
    lnb_grid->addWidget(new QLabel(text8(SatelliteDialog::LABEL_LNB_POWER)), 3, 0);
    lnb_grid->addWidget(m_power, 3, 1);
    lnb_grid->addWidget(m_v012, 4, 0);
    lnb_grid->addWidget(m_k22, 4, 1);
    connect(m_lnbType, qOverload<int>(&QComboBox::activated), this, [this](int i) {
        m_model.choose_lnb_type(i);
        sync();
    });
    connect(m_low, &QLineEdit::textEdited, this, [this](const QString& t) {
        m_model.type_low(bytes8(t));
        sync();
    });
    connect(m_high, &QLineEdit::textEdited, this, [this](const QString& t) {
        m_model.type_high(bytes8(t));
        sync();
    });
    connect(m_power, qOverload<int>(&QComboBox::activated), this, [this](int i) {
        m_model.choose_lnb_power(i);
        sync();
    });
    connect(m_v012, &QAbstractButton::clicked, this, [this](bool on) {
        m_model.set_v012(on);
        sync();
    });
    connect(m_k22, &QAbstractButton::clicked, this, [this](bool on) {
        m_model.set_k22(on);
        sync();
    });

    auto* diseqc = new QGroupBox(text8(SatelliteDialog::GROUP_DISEQC));
    auto* diseqc_grid = new QGridLayout(diseqc);
    m_diseqc = new QComboBox;
    m_port = new QComboBox;
    diseqc_grid->addWidget(new QLabel(text8(SatelliteDialog::LABEL_DISEQC)), 0, 0);
    diseqc_grid->addWidget(m_diseqc, 0, 1);
    diseqc_grid->addWidget(new QLabel(text8(SatelliteDialog::LABEL_DISEQC_PORT)), 1, 0);
    diseqc_grid->addWidget(m_port, 1, 1);
    connect(m_diseqc, qOverload<int>(&QComboBox::activated), this, [this](int i) {
        m_model.choose_diseqc(i);
        sync();
    });
    connect(m_port, qOverload<int>(&QComboBox::activated), this, [this](int i) {
        m_model.choose_port(i);
        sync();
    });

    auto* positioner = new QGroupBox(text8(SatelliteDialog::GROUP_POSITIONER));
    auto* pos_grid = new QGridLayout(positioner);
    m_degree = new QLineEdit;
    m_degree->setMaxLength(int(SatelliteDialog::DEGREE_CHARS));
    m_hint = new QLabel(text8(SatelliteDialog::degree_hint()));
    pos_grid->addWidget(new QLabel(text8(SatelliteDialog::LABEL_DEGREE)), 0, 0);
    pos_grid->addWidget(m_degree, 0, 1);
    pos_grid->addWidget(m_hint, 1, 1);
    connect(m_degree, &QLineEdit::textEdited, this, [this](const QString& t) {
        m_model.type_degree(bytes8(t));
        sync();
    });

    auto* left = new QVBoxLayout;
    left->addWidget(antenna);
    left->addLayout(name_row);
    left->addWidget(lnb);
    left->addStretch(1);
    auto* right = new QVBoxLayout;
    right->addWidget(diseqc);
    right->addWidget(positioner);
    right->addStretch(1);
    right->addLayout(ok_cancel_row());
    auto* columns = new QHBoxLayout(this);
    columns->addLayout(left, 1);
    columns->addLayout(right, 1);

    sync();
}

void CSatelliteDlg::sync()
{
    for (int b = 0; b < SatelliteDialog::ANTENNA_BUTTON_NUM; ++b)
        show_check(m_antenna[b], m_model.antenna_button(b));
    show_edit(m_name, m_model.name_edit());
    show_combo(m_lnbType, m_model.lnb_type_combo());
    show_edit(m_low, m_model.low_edit());
    show_edit(m_high, m_model.high_edit());
    show_combo(m_power, m_model.lnb_power_combo());
    show_check(m_v012, m_model.v012_check());
    show_check(m_k22, m_model.k22_check());
    show_combo(m_diseqc, m_model.diseqc_combo());
    show_combo(m_port, m_model.port_combo());
    show_edit(m_degree, m_model.degree_edit());
}

bool CSatelliteDlg::model_ok()
{
    return m_model.ok();
}

QLineEdit* CSatelliteDlg::edit_to_fix() const
{
    switch (m_model.focus()) {
    case SatelliteDialog::FOCUS_NAME:
        return m_name;
    case SatelliteDialog::FOCUS_LOW:
        return m_low;
    case SatelliteDialog::FOCUS_DEGREE:
        return m_degree;
    default:
        return nullptr;
    }
}

} // namespace korvid
