#include "korvid/ui/percent_progress.h"

#include "korvid/ui/skin.h"

#include <QPainter>

namespace korvid {

CPercentProgress::CPercentProgress(QWidget* parent)
    : QWidget(parent)
    , m_fill(skin::progress_fill())
    , m_colBarText(palette().color(QPalette::Highlight))
    , m_colBkText(palette().color(QPalette::Base))
{
    setFont(skin::app_font());
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void CPercentProgress::SetRange(int lower, int upper)
{
    m_nLower = lower;
    m_nUpper = upper;
}

double CPercentProgress::fraction() const
{
    if (m_nUpper <= m_nLower)
        return 0.0;
    return double(m_nPos - m_nLower) / double(m_nUpper - m_nLower);
}

int CPercentProgress::SetPos(int p)
{
    if (p == m_nPos)
        return p;
    const int old = m_nPos;
    m_nPos = p;
    const int w = width_for(fraction());
    if (w != m_nFillWidth) {
        m_nFillWidth = w;
        repaint();
    }
    return old;
}

void CPercentProgress::SetText(const QString& text)
{
    m_strText = text;
    repaint();
}

void CPercentProgress::SetShowText(bool show)
{
    m_bShowText = show;
    update();
}

void CPercentProgress::resizeEvent(QResizeEvent*)
{
    m_nFillWidth = width_for(fraction());
}

void CPercentProgress::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    if (m_nLower >= m_nUpper) {
        p.fillRect(rect(), rest_colour());
        return;
    }
    const double f = fraction();
    const int fill = std::clamp(width_for(f), 0, width());
    const QRect filled(0, 0, fill, height());
    const QRect rest(fill, 0, width() - fill, height());
    if (fill > 0)
        p.drawPixmap(filled, m_fill);
    p.fillRect(rest, rest_colour());

    if (!m_bShowText || f <= 0.0)
        return;
    const QString text = m_strText.isEmpty() ? QStringLiteral("%1%").arg(int(f * 100)) : m_strText;
    p.setFont(font());
    p.setClipRect(filled);
    p.setPen(m_colBarText);
    p.drawText(rect(), Qt::AlignCenter | Qt::TextSingleLine, text);
    p.setClipRect(rest);
    p.setPen(m_colBkText);
    p.drawText(rect(), Qt::AlignCenter | Qt::TextSingleLine, text);
}

} // namespace korvid
