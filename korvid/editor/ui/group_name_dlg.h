#pragma once
// The "Rename" dialog of the "Favorite" page on screen: the group's heading, one line for its name,
// OK and Cancel. OK closes only when the model accepts the name.
#include <QDialog>

class QLabel;
class QLineEdit;

namespace korvid {

class CBitmapButton;
class GroupNameDialog;

class CGroupNameDlg : public QDialog
{
    Q_OBJECT
public:
    CGroupNameDlg(GroupNameDialog& model, QWidget* parent = nullptr);

    QLabel* heading() const { return m_heading; }
    QLineEdit* name_edit() const { return m_name; }
    CBitmapButton* ok_button() const { return m_ok; }
    CBitmapButton* cancel_button() const { return m_cancel; }

    void on_ok();

protected:
    void keyPressEvent(QKeyEvent*) override;

private:
    GroupNameDialog& m_model;
    QLabel* m_heading;
    QLineEdit* m_name;
    CBitmapButton* m_ok;
    CBitmapButton* m_cancel;
};

} // namespace korvid
