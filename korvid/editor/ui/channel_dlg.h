#pragma once
// The channel dialog on screen ("TV Channel" or "Radio Channel"), bound to its model: every control
// shows the model's state and hands the user's input to it; OK asks the model and closes only when
// the model accepts. The PID edits take typed text and their spin arrows step it in the model.
#include "korvid/editor/ui/editor_dialog.h"

#include <QAbstractSpinBox>

class QCheckBox;
class QComboBox;
class QLineEdit;

namespace korvid {

class CGroupCheckCombo;
class ChannelDialog;

// A PID edit with its spin arrows. The text is the model's; an arrow only reports a step.
class CPidSpin : public QAbstractSpinBox
{
    Q_OBJECT
public:
    explicit CPidSpin(QWidget* parent = nullptr);
    QLineEdit* edit() const { return lineEdit(); }
    void stepBy(int steps) override { emit stepped(steps); }

signals:
    void stepped(int steps);

protected:
    StepEnabled stepEnabled() const override;
};

class CChannelDlg : public CEditorDialog
{
    Q_OBJECT
public:
    CChannelDlg(ChannelDialog& model, QWidget* parent = nullptr);

    void sync() override;

    QLineEdit* name_edit() const { return m_name; }
    QComboBox* sat_combo() const { return m_sat; }
    QComboBox* tp_combo() const { return m_tp; }
    CGroupCheckCombo* group_combo() const { return m_groups; }
    QCheckBox* lock_check() const { return m_lock; }
    QCheckBox* scramble_check() const { return m_scramble; }
    CPidSpin* video_pid() const { return m_video; }
    CPidSpin* audio_pid() const { return m_audio; }
    CPidSpin* pcr_pid() const { return m_pcr; }
    QComboBox* language_combo() const { return m_language; }
    QLineEdit* sid_edit() const { return m_sid; }

private:
    // A refused OK has shown its message and names no edit: the dialog stays with everything typed.
    bool model_ok() override;

    ChannelDialog& m_model;
    QLineEdit* m_name;
    QComboBox* m_sat;
    QComboBox* m_tp;
    CGroupCheckCombo* m_groups;
    QCheckBox* m_lock;
    QCheckBox* m_scramble;
    CPidSpin* m_video;
    CPidSpin* m_audio;
    CPidSpin* m_pcr;
    QComboBox* m_language;
    QLineEdit* m_sid;
};

} // namespace korvid
