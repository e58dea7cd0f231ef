#pragma once
// The "Transponder" dialog on screen, bound to its model: every control shows the model's state and
// hands the user's input to it; OK asks the model and closes only when the model accepts. In add
// mode the transponders already on the chosen satellite stand on the right; edit mode shrinks the
// window so that they are gone and puts OK and Cancel on the bottom row.
#include "korvid/editor/ui/editor_dialog.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QRadioButton;

namespace korvid {

class CEditorList;
class CUpDown;
class TransponderDialog;

class CTransponderDlg : public CEditorDialog
{
    Q_OBJECT
public:
    CTransponderDlg(TransponderDialog& model, QWidget* parent = nullptr);

    void sync() override;

    QComboBox* link_sat_combo() const { return m_linkSat; }
    QLineEdit* frequency_edit() const { return m_frequency; }
    QLineEdit* symbol_rate_edit() const { return m_symbolRate; }
    CUpDown* frequency_spin() const { return m_frequencySpin; }
    CUpDown* symbol_rate_spin() const { return m_symbolRateSpin; }
    QComboBox* fec_combo() const { return m_fec; }
    QRadioButton* polarity_button(int p) const { return m_polarity[p]; }
    CEditorList* existing_list() const { return m_existing; }

private:
    bool model_ok() override;
    QLineEdit* edit_to_fix() const override;
    void place_controls();

    TransponderDialog& m_model;
    QLabel* m_labels[5] = {};
    QComboBox* m_linkSat;
    QLineEdit* m_frequency;
    CUpDown* m_frequencySpin;
    QLineEdit* m_symbolRate;
    CUpDown* m_symbolRateSpin;
    QComboBox* m_fec;
    QRadioButton* m_polarity[2] = {};
    CEditorList* m_existing;
};

} // namespace korvid
