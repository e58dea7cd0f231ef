#pragma once
// The "Satellite" dialog on screen, bound to its model: every control shows the model's state and
// hands the user's input to it; OK asks the model and closes only when the model accepts.
#include "korvid/editor/ui/editor_dialog.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QRadioButton;

namespace korvid {

class SatelliteDialog;

class CSatelliteDlg : public CEditorDialog
{
    Q_OBJECT
public:
    CSatelliteDlg(SatelliteDialog& model, QWidget* parent = nullptr);

    void sync() override;

    QRadioButton* antenna_button(int button) const { return m_antenna[button]; }
    QLineEdit* name_edit() const { return m_name; }
    QComboBox* lnb_type_combo() const { return m_lnbType; }
    QLineEdit* low_edit() const { return m_low; }
    QLineEdit* high_edit() const { return m_high; }
    QComboBox* lnb_power_combo() const { return m_power; }
    QCheckBox* v012_check() const { return m_v012; }
    QCheckBox* k22_check() const { return m_k22; }
    QComboBox* diseqc_combo() const { return m_diseqc; }
    QComboBox* port_combo() const { return m_port; }
    QLineEdit* degree_edit() const { return m_degree; }
    QLabel* degree_hint() const { return m_hint; }

private:
    bool model_ok() override;
    QLineEdit* edit_to_fix() const override;

    SatelliteDialog& m_model;
    QRadioButton* m_antenna[5] = {};
    QLineEdit* m_name;
    QComboBox* m_lnbType;
    QLineEdit* m_low;
    QLineEdit* m_high;
    QComboBox* m_power;
    QCheckBox* m_v012;
    QCheckBox* m_k22;
    QComboBox* m_diseqc;
    QComboBox* m_port;
    QLineEdit* m_degree;
    QLabel* m_hint;
};

} // namespace korvid
