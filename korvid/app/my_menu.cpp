#include "korvid/app/my_menu.h"

#include "korvid/ui/skin.h"

#include <QPainter>
#include <QProxyStyle>
#include <QStyleOptionMenuItem>
#include <cstring>

namespace korvid {

namespace {

const QColor ITEM_BACK(130, 140, 190);
const QColor HIGHLIGHT_FILL(107, 162, 214);
const QColor HIGHLIGHT_FRAME(8, 37, 107);

QFont menu_font(bool bold)
{
    return skin::arial(14, bold ? 700 : 400);
}

// Draws the items of every CMyMenu: the look of the receiver tool's menus, whatever the platform
// style underneath.
class MenuStyle : public QProxyStyle
{
public:
    MenuStyle()
        : QProxyStyle(QStringLiteral("Fusion"))
    {}

    int pixelMetric(PixelMetric m, const QStyleOption* opt, const QWidget* w) const override
    {
        switch (m) {
        case PM_MenuPanelWidth:
            return 1;
        case PM_MenuHMargin:
        case PM_MenuVMargin:
            return 1;
        default:
            return QProxyStyle::pixelMetric(m, opt, w);
        }
    }

    QSize sizeFromContents(ContentsType type,
                           const QStyleOption* opt,
                           const QSize& size,
                           const QWidget* w) const override
    {
        if (type != CT_MenuItem)
            return QProxyStyle::sizeFromContents(type, opt, size, w);
        const auto* mi = qstyleoption_cast<const QStyleOptionMenuItem*>(opt);
        // wide enough for the bold look of a highlighted item
        QFontMetrics fm(menu_font(true));
        if (mi && mi->menuItemType == QStyleOptionMenuItem::Separator)
            return {60, 8};
        QString text = mi ? mi->text : QString();
        QString accel;
        const int tab = text.indexOf(QLatin1Char('\t'));
        if (tab >= 0) {
            accel = text.mid(tab + 1) + QStringLiteral("    ");
            text = text.left(tab);
        }
        int width = 9 + fm.horizontalAdvance(text) + 24 + (accel.isEmpty() ? 0 : fm.horizontalAdvance(accel));
        return {std::max(width, 150), QFontMetrics(menu_font(false)).height() + 6};
    }

    void
    drawPrimitive(PrimitiveElement pe, const QStyleOption* opt, QPainter* p, const QWidget* w) const override
    {
        if (pe == PE_PanelMenu || pe == PE_FrameMenu) {
            p->fillRect(opt->rect, ITEM_BACK);
            p->setPen(QColor(70, 78, 120));
            p->drawRect(opt->rect.adjusted(0, 0, -1, -1));
            return;
        }
        QProxyStyle::drawPrimitive(pe, opt, p, w);
    }

    void drawControl(ControlElement ce, const QStyleOption* opt, QPainter* p, const QWidget* w) const override
    {
        if (ce == CE_MenuEmptyArea) {
            p->fillRect(opt->rect, ITEM_BACK);
            return;
        }
        if (ce != CE_MenuItem) {
            QProxyStyle::drawControl(ce, opt, p, w);
            return;
        }
        const auto* mi = qstyleoption_cast<const QStyleOptionMenuItem*>(opt);
        if (!mi)
            return;
        const QRect r = mi->rect;
        const QPalette& pal = mi->palette;
        p->save();
        p->fillRect(r, ITEM_BACK);
        if (mi->menuItemType == QStyleOptionMenuItem::Separator) {
            // an etched line: grey-text colour over white
            const int y = r.top() + 3;
            p->fillRect(QRect(r.left() + 4, y, r.width() - 8, 1),
                        pal.color(QPalette::Disabled, QPalette::Text));
            p->fillRect(QRect(r.left() + 4, y + 1, r.width() - 8, 1), Qt::white);
            p->restore();
            return;
        }
        const bool enabled = mi->state & State_Enabled;
        const bool selected = mi->state & State_Selected;
        if (selected) {
            p->fillRect(r, HIGHLIGHT_FILL);
            p->setPen(HIGHLIGHT_FRAME);
            p->drawRect(r.adjusted(0, 0, -1, -1));
        }
        QString text = mi->text;
        QString accel;
        const int tab = text.indexOf(QLatin1Char('\t'));
        if (tab >= 0) {
            accel = text.mid(tab + 1) + QStringLiteral("    ");
            text = text.left(tab);
        }
        p->setFont(menu_font(selected && enabled));
        QRect tr = r.adjusted(9, 1, 0, 1);
        const int flags = Qt::AlignVCenter | Qt::TextSingleLine | Qt::TextShowMnemonic;
        auto draw = [&](const QRect& at) {
            p->drawText(at, flags | Qt::AlignLeft, text);
            if (!accel.isEmpty())
                p->drawText(at.adjusted(0, 0, -1, 0), flags | Qt::AlignRight, accel);
        };
        if (!enabled) {
            p->setPen(Qt::white);
            draw(tr.translated(1, 1));
            p->setPen(pal.color(QPalette::Disabled, QPalette::Text));
            draw(tr);
        } else {
            p->setPen(selected ? QColor(Qt::white) : pal.color(QPalette::Active, QPalette::WindowText));
            draw(tr);
        }
        p->restore();
    }
};

MenuStyle* shared_style()
{
    static MenuStyle* style = new MenuStyle;
    return style;
}

} // namespace

CMyMenu::CMyMenu(const QString& title, QWidget* parent)
    : QMenu(title, parent)
{
    setStyle(shared_style());
    setFont(menu_font(false));
    connect(this, &QMenu::triggered, this, [this](QAction* a) {
        auto* rec = reinterpret_cast<MenuItemRecord*>(a->data().value<quintptr>());
        if (rec && rec->id)
            emit command(rec->id);
    });
}

CMyMenu::~CMyMenu() = default;

void CMyMenu::AppendMenu(uint32_t flags, uint32_t id, const char* text)
{
    auto rec = std::make_unique<MenuItemRecord>();
    rec->id = id;
    rec->flags = flags | MF_OWNERDRAW;
    std::memset(rec->text, 0, sizeof rec->text);
    std::strncpy(rec->text, text ? text : "", sizeof rec->text - 1);

    QAction* a = (flags & MF_SEPARATOR) ? addSeparator() : addAction(QString::fromLatin1(rec->text));
    a->setData(QVariant::fromValue<quintptr>(reinterpret_cast<quintptr>(rec.get())));
    a->setEnabled(!(flags & (MF_GRAYED | MF_DISABLED)));
    m_items.push_back(std::move(rec));
}

bool CMyMenu::RemoveMenu(uint32_t id)
{
    for (auto it = m_items.begin(); it != m_items.end(); ++it) {
        if ((*it)->id != id)
            continue;
        const quintptr key = reinterpret_cast<quintptr>(it->get());
        for (QAction* a : actions()) {
            if (a->data().value<quintptr>() == key) {
                removeAction(a);
                delete a;
                break;
            }
        }
        m_items.erase(it);
        return true;
    }
    return false;
}

void CMyMenu::EnableItem(uint32_t id, bool enabled)
{
    for (auto& rec : m_items) {
        if (rec->id != id)
            continue;
        if (enabled)
            rec->flags &= ~(MF_GRAYED | MF_DISABLED);
        else
            rec->flags |= MF_GRAYED;
        for (QAction* a : actions())
            if (a->data().value<quintptr>() == reinterpret_cast<quintptr>(rec.get()))
                a->setEnabled(enabled);
    }
}

void CMyMenu::SetItemText(uint32_t id, const std::string& text)
{
    for (auto& rec : m_items) {
        if (rec->id != id)
            continue;
        std::memset(rec->text, 0, sizeof rec->text);
        std::strncpy(rec->text, text.c_str(), sizeof rec->text - 1);
        for (QAction* a : actions())
            if (a->data().value<quintptr>() == reinterpret_cast<quintptr>(rec.get()))
                a->setText(QString::fromStdString(text));
    }
}

std::vector<std::string> CMyMenu::item_texts() const
{
    std::vector<std::string> out;
    for (QAction* a : actions())
        out.push_back(a->isSeparator() ? std::string("---")
                                       : a->text().section(QLatin1Char('\t'), 0, 0).toStdString());
    return out;
}

} // namespace korvid
