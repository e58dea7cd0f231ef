#pragma once
// The progress bar with its percentage written across it. It repaints only when the filled width
// in pixels changes, so a stream of small steps does not repaint a bar that looks the same.
#include <QColor>
#include <QPixmap>
#include <QString>
#include <QWidget>

namespace korvid {

class CPercentProgress : public QWidget
{
    Q_OBJECT
public:
    explicit CPercentProgress(QWidget* parent = nullptr);

    // Stores the bounds without repainting.
    void SetRange(int lower, int upper);
    // Returns the previous position (or `p` itself when it did not change).
    int SetPos(int p);
    int OffsetPos(int n) { return SetPos(m_nPos + n); }
    int StepIt() { return SetPos(m_nPos + m_nStepSize); }
    void SetStep(int step) { m_nStepSize = step; }
    int GetPos() const { return m_nPos; }
    int lower() const { return m_nLower; }
    int upper() const { return m_nUpper; }
    // A text that replaces the percentage; empty brings the percentage back.
    void SetText(const QString& text);
    QString GetText() const { return m_strText; }
    void SetShowText(bool show);
    // The filled width in pixels as last computed; -1 before the first position.
    int fill_width() const { return m_nFillWidth; }

    QColor filled_text_colour() const { return m_colBarText; }
    QColor rest_text_colour() const { return m_colBkText; }
    static QColor rest_colour() { return QColor(0x50, 0x5C, 0x82); }

    QSize sizeHint() const override { return {380, 24}; }

protected:
    void paintEvent(QPaintEvent*) override;
    void resizeEvent(QResizeEvent*) override;

private:
    double fraction() const;
    int width_for(double fraction) const { return int(width() * fraction); }

    QPixmap m_fill;
    int m_nPos = 0;
    int m_nStepSize = 1;
    int m_nUpper = 100;
    int m_nLower = 0;
    QString m_strText;
    bool m_bShowText = true;
    int m_nFillWidth = -1;
    QColor m_colBarText;
    QColor m_colBkText;
};

} // namespace korvid
