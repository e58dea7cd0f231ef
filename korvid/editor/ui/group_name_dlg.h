#pragma once
// The "Rename" dialog of the "Favorite" page on screen: the group's heading, one line for its name,
// OK and Cancel. OK closes only when the model accepts the name.
#include "korvid/editor/ui/editor_dialog.h"

class QLabel;
class QLineEdit;

namespace korvid {

class GroupNameDialog;

class CGroupNameDlg : public CEditorDialog
{
    Q_OBJECT
public:
    CGroupNameDlg(GroupNameDialog& model, QWidget* parent = nullptr);

    void sync() override;

    QLabel* heading() const { return m_heading; }
    QLineEdit* name_edit() const { return m_name; }

private:
    bool model_ok() override;
    // A refused name stays as typed, ready to be put right.
    QLineEdit* edit_to_fix() const override { return m_name; }

    GroupNameDialog& m_model;
    QLabel* m_heading;
    QLineEdit* m_name;
};

} // namespace korvid
