#pragma once
// "Input Name": the name of a new folder, at most 128 characters.
#include <QDialog>

class QLineEdit;
class QPushButton;

namespace dranfel {

class CInputNameDlg : public QDialog
{
    Q_OBJECT
public:
    explicit CInputNameDlg(QWidget* parent = nullptr);
    QLineEdit* name_edit() const { return m_name; }
    QPushButton* ok_button() const { return m_ok; }
    QPushButton* cancel_button() const { return m_cancelBtn; }
    QString name() const;

private:
    QLineEdit* m_name = nullptr;
    QPushButton* m_ok = nullptr;
    QPushButton* m_cancelBtn = nullptr;
};

} // namespace dranfel
