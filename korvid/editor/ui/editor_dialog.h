#pragma once
// The base of every dialog of the editor: caption, font and page background, OK and Cancel
// (80 x 34, made here and placed by the dialog), Enter pressing OK, and OK closing only when the
// dialog's model accepts; a refused OK puts the keyboard on the edit the model names.
#include <QDialog>

class QHBoxLayout;
class QLineEdit;

namespace korvid {

class CBitmapButton;

class CEditorDialog : public QDialog
{
    Q_OBJECT
public:
    // Shows the model's state in every control.
    virtual void sync() = 0;

    // Closes when the model accepts; otherwise stays with everything typed and selects the edit to
    // put right, if the model names one.
    void on_ok();

    // The size of OK and Cancel, and of every other button along a dialog's edge.
    static constexpr int BUTTON_WIDTH = 80;
    static constexpr int BUTTON_HEIGHT = 34;

    CBitmapButton* ok_button() const { return m_ok; }
    CBitmapButton* cancel_button() const { return m_cancel; }

protected:
    CEditorDialog(const QString& caption, QWidget* parent);
    ~CEditorDialog() override;

    // The model's verdict on OK (it shows its own message when it refuses).
    virtual bool model_ok() = 0;
    // The edit that holds what the model refused, or none.
    virtual QLineEdit* edit_to_fix() const { return nullptr; }

    // OK and Cancel side by side at the right of a row of their own.
    QHBoxLayout* ok_cancel_row() const;

    void keyPressEvent(QKeyEvent*) override;

private:
    // Made without a parent: the dialog's layout (or setParent) puts them into the keyboard order
    // where the dialog places them, not ahead of its own controls.
    CBitmapButton* m_ok;
    CBitmapButton* m_cancel;
};

} // namespace korvid
