#pragma once
// The "Transponder" dialog on screen, bound to its model: every control shows the model's state and
// hands the user's input to it; OK asks the model and closes only when the model accepts. In add
// mode the transponders already on the chosen satellite stand on the right; edit mode shrinks the
// window so that they are gone and puts OK and Cancel on the bottom row.
#include <QDialog>

class QComboBox;
class QLabel;
class QLineEdit;
class QRadioButton;

namespace korvid {

class CBitmapButton;
class CEditorList;
class CUpDown;
class TransponderDialog;

class CTransponderDlg : public QDialog
{
    Q_OBJECT
public:
    CTransponderDlg(TransponderDialog& model, QWidget* parent = nullptr);

    // Shows the model's state in every control.
    void sync();

    QComboBox* link_sat_combo() const { return m_linkSat; }
    QLineEdit* frequency_edit() const { return m_frequency; }
    QLineEdit* symbol_rate_edit() const { return m_symbolRate; }
    CUpDown* frequency_spin() const { return m_frequencySpin; }
    CUpDown* symbol_rate_spin() const { return m_symbolRateSpin; }
    QComboBox* fec_combo() const { return m_fec; }
    QRadioButton* polarity_button(int p) const { return m_polarity[p]; }
    CEditorList* existing_list() const { return m_existing; }
    CBitmapButton* ok_button() const { return m_ok; }
    CBitmapButton* cancel_button() const { return m_cancel; }

    void on_ok();

protected:
    void keyPressEvent(QKeyEvent*) override;

private:
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
    CBitmapButton* m_ok;
    CBitmapButton* m_cancel;
};

} // namespace korvid
