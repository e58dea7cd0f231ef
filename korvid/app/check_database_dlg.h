#pragma once
// "Check Database": the problems the database check finds, one row each, in a window the user can
// keep open beside the editor while putting them right.
#include "korvid/database/database_check.h"
#include "korvid/ui/skinned_dialog.h"

#include <QStringList>

class QLabel;
class QListWidget;

namespace korvid {

class CBitmapButton;

class CCheckDatabaseDlg : public CSkinnedDialog
{
    Q_OBJECT
public:
    explicit CCheckDatabaseDlg(QWidget* parent = nullptr);
    // Shows a fresh check's result.
    void show_problems(const std::vector<DatabaseProblem>& problems);

    QString summary() const;
    QStringList rows() const;

protected:
    void keyPressEvent(QKeyEvent*) override;

private:
    QLabel* m_summary;
    QListWidget* m_list;
    CBitmapButton* m_ok;
};

} // namespace korvid
