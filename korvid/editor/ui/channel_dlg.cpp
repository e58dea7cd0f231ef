#include "korvid/editor/ui/channel_dlg.h"

#include "korvid/editor/channel_dialog.h"
#include "korvid/editor/ui/group_check_combo_box.h"
#include "korvid/editor/ui/model_controls.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QVBoxLayout>

namespace korvid {

namespace {

// A PID is at most five digits (32767 for a channel without one).
constexpr int PID_CHARS = 5;

void show_spin(CPidSpin* spin, const EditState& state)
{
    show_edit(spin->edit(), state);
    spin->setEnabled(state.enabled);
}

} // namespace

CPidSpin::CPidSpin(QWidget* parent)
    : QAbstractSpinBox(parent)
{
    lineEdit()->setMaxLength(PID_CHARS);
    setButtonSymbols(QAbstractSpinBox::UpDownArrows);
}

QAbstractSpinBox::StepEnabled CPidSpin::stepEnabled() const
{
    return isEnabled() ? (StepUpEnabled | StepDownEnabled) : StepNone;
}

CChannelDlg::CChannelDlg(ChannelDialog& model, QWidget* parent)
    : CEditorDialog(text8(model.caption()), parent)
    , m_model(model)
{
    using D = ChannelDialog;
    m_model.set_list_separator(list_separator_for(bytes8(QLocale().decimalPoint())));

    m_name = new QLineEdit;
    m_name->setMaxLength(int(D::NAME_CHARS));
    m_sat = new QComboBox;
    m_tp = new QComboBox;
    m_tp->setMinimumWidth(260);
    connect(m_name, &QLineEdit::textEdited, this, [this](const QString& t) {
        m_model.type_name(bytes8(t));
        sync();
    });
    connect(m_sat, qOverload<int>(&QComboBox::activated), this, [this](int i) {
        m_model.choose_sat(i);
        sync();
    });
    connect(m_tp, qOverload<int>(&QComboBox::activated), this, [this](int i) {
        m_model.choose_tp(i);
        sync();
    });
    auto* where = new QGridLayout;
    where->addWidget(new QLabel(text8(D::LABEL_NAME)), 0, 0);
    where->addWidget(m_name, 0, 1);
    where->addWidget(new QLabel(text8(D::LABEL_SAT)), 1, 0);
    where->addWidget(m_sat, 1, 1);
    where->addWidget(new QLabel(text8(D::LABEL_TP)), 2, 0);
    where->addWidget(m_tp, 2, 1);
    where->setColumnStretch(1, 1);

    auto* favorite = new QGroupBox(text8(D::GROUP_FAVORITE));
    auto* fav_row = new QHBoxLayout(favorite);
    m_groups = new CGroupCheckCombo;
    m_groups->setMinimumWidth(180);
    fav_row->addWidget(new QLabel(text8(D::LABEL_GROUPS)));
    fav_row->addWidget(m_groups, 1);
    connect(m_groups, &CGroupCheckCombo::entryToggled, this, [this](int entry) {
        m_model.toggle_group(entry);
        sync();
    });

    auto* attribute = new QGroupBox(text8(D::GROUP_ATTRIBUTE));
    auto* attr_row = new QHBoxLayout(attribute);
    m_lock = new QCheckBox(text8(D::CHECK_LOCK));
    m_scramble = new QCheckBox(text8(D::CHECK_SCRAMBLE));
    attr_row->addWidget(m_lock);
    attr_row->addWidget(m_scramble);
    attr_row->addStretch(1);
    connect(m_lock, &QAbstractButton::clicked, this, [this](bool on) {
        m_model.set_lock(on);
        sync();
    });
    connect(m_scramble, &QAbstractButton::clicked, this, [this](bool on) {
        m_model.set_scramble(on);
        sync();
    });

    m_video = new CPidSpin;
    m_audio = new CPidSpin;
    m_pcr = new CPidSpin;
    connect(m_video->edit(), &QLineEdit::textEdited, this, [this](const QString& t) {
        m_model.type_video_pid(bytes8(t));
        sync();
    });
    connect(m_audio->edit(), &QLineEdit::textEdited, this, [this](const QString& t) {
        m_model.type_audio_pid(bytes8(t));
        sync();
    });
    connect(m_pcr->edit(), &QLineEdit::textEdited, this, [this](const QString& t) {
        m_model.type_pcr_pid(bytes8(t));
        sync();
    });
    connect(m_video, &CPidSpin::stepped, this, [this](int steps) {
        m_model.spin_video_pid(steps);
        sync();
    });
    connect(m_audio, &CPidSpin::stepped, this, [this](int steps) {
        m_model.spin_audio_pid(steps);
        sync();
    });
    connect(m_pcr, &CPidSpin::stepped, this, [this](int steps) {
        m_model.spin_pcr_pid(steps);
        sync();
    });
    m_language = new QComboBox;
    m_language->setMaxVisibleItems(16);
    connect(m_language, qOverload<int>(&QComboBox::activated), this, [this](int i) {
        m_model.choose_language(i);
        sync();
    });
    m_sid = new QLineEdit;
    auto* stream = new QGridLayout;
    stream->addWidget(new QLabel(text8(D::LABEL_VIDEO_PID)), 0, 0);
    stream->addWidget(m_video, 0, 1);
    stream->addWidget(new QLabel(text8(D::LABEL_AUDIO_PID)), 1, 0);
    stream->addWidget(m_audio, 1, 1);
    stream->addWidget(new QLabel(text8(D::LABEL_PCR_PID)), 2, 0);
    stream->addWidget(m_pcr, 2, 1);
    stream->addWidget(new QLabel(text8(D::LABEL_LANGUAGE)), 3, 0);
    stream->addWidget(m_language, 3, 1);
    stream->addWidget(new QLabel(text8(D::LABEL_SID)), 4, 0);
    stream->addWidget(m_sid, 4, 1);
    stream->setColumnStretch(1, 1);

    auto* left = new QVBoxLayout;
    left->addLayout(where);
    left->addWidget(favorite);
    left->addWidget(attribute);
    left->addStretch(1);
    auto* right = new QVBoxLayout;
    right->addLayout(stream);
    right->addStretch(1);
    right->addLayout(ok_cancel_row());
    auto* columns = new QHBoxLayout(this);
    columns->addLayout(left, 3);
    columns->addSpacing(8);
    columns->addLayout(right, 2);

    sync();
}

void CChannelDlg::sync()
{
    show_edit(m_name, m_model.name_edit());
    show_combo(m_sat, m_model.sat_combo());
    show_combo(m_tp, m_model.tp_combo());
    m_groups->show_state(m_model.group_combo());
    show_check(m_lock, m_model.lock_check());
    show_check(m_scramble, m_model.scramble_check());
    show_spin(m_video, m_model.video_pid_edit());
    show_spin(m_audio, m_model.audio_pid_edit());
    show_spin(m_pcr, m_model.pcr_pid_edit());
    show_combo(m_language, m_model.language_combo());
    show_edit(m_sid, m_model.sid_edit());
}

bool CChannelDlg::model_ok()
{
    return m_model.ok();
}

} // namespace korvid
