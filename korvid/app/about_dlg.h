#pragma once
// "About Korvid": a skinned box with the version line, an OK button and a close spot.
#include "korvid/ui/skinned_dialog.h"

namespace korvid {

class CBitmapButton;

class CAboutDlg : public CSkinnedDialog
{
    Q_OBJECT
public:
    explicit CAboutDlg(QWidget* parent = nullptr);
    CBitmapButton* ok_button() const { return m_ok; }

protected:
    void paintEvent(QPaintEvent*) override;
    void keyPressEvent(QKeyEvent*) override;

private:
    CBitmapButton* m_ok = nullptr;
    QPixmap m_picture;
};

} // namespace korvid
