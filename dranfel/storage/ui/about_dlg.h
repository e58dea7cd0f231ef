#pragma once
// "About Dranfel": the program icon, the version line and OK.
#include <QDialog>

class QPushButton;

namespace dranfel {

class CAboutDlg : public QDialog
{
    Q_OBJECT
public:
    explicit CAboutDlg(QWidget* parent = nullptr);
    QPushButton* ok_button() const { return m_ok; }

private:
    QPushButton* m_ok = nullptr;
};

} // namespace dranfel
