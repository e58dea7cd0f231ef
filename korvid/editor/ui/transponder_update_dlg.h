#pragma once
// "Update Transponders" on screen: the satellite and the list it is updated from, one row per change
// with its tick, the notes on what is not applied, OK and Cancel. Space ticks or unticks the row
// that has the keyboard; Enter is OK, Escape Cancel.
#include "korvid/editor/ui/editor_dialog.h"

class QLabel;
class QPlainTextEdit;
class QTreeWidget;

namespace korvid {

class CBitmapButton;
class TransponderUpdateDialog;

class CTransponderUpdateDlg : public CEditorDialog
{
    Q_OBJECT
public:
    CTransponderUpdateDlg(TransponderUpdateDialog& model, QWidget* parent = nullptr);

    void sync() override;

    QTreeWidget* changes() const { return m_changes; }
    CBitmapButton* tick_all_button() const { return m_tickAll; }
    CBitmapButton* tick_none_button() const { return m_tickNone; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool model_ok() override { return true; }

    TransponderUpdateDialog& m_model;
    QTreeWidget* m_changes;
    QLabel* m_count;
    QPlainTextEdit* m_notes;
    CBitmapButton* m_tickAll;
    CBitmapButton* m_tickNone;
    bool m_syncing = false;
};

} // namespace korvid
