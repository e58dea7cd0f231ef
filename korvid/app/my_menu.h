#pragma once
// The owner-drawn popup menus of the main window. Each item is a fixed 40-byte record (command id,
// flags, text) that the menu keeps in append order; the records are what the mode switch edits.
#include "korvid/frame/frame_rules.h"

#include <QMenu>
#include <cstdint>
#include <memory>
#include <vector>

namespace korvid {

struct MenuItemRecord
{
    uint32_t id;
    uint32_t flags; // always with MF_OWNERDRAW
    char text[32];  // NUL-terminated
};
static_assert(sizeof(MenuItemRecord) == 40);

class CMyMenu : public QMenu, public MenuEditor
{
    Q_OBJECT
public:
    explicit CMyMenu(const QString& title, QWidget* parent = nullptr);
    ~CMyMenu() override;

    // Appends an item (or a separator with MF_SEPARATOR); the accelerator, if any, follows a tab.
    void AppendMenu(uint32_t flags, uint32_t id, const char* text);
    // Removes the first item with this command id; id 0 removes the first separator.
    bool RemoveMenu(uint32_t id);
    void EnableItem(uint32_t id, bool enabled);
    // New text for an item, accelerator after a tab. The record keeps what fits its field; the menu
    // shows the whole text, so that "Undo Delete satellite Astra 19.2E" is not cut short.
    void SetItemText(uint32_t id, const std::string& text);

    void append(uint32_t flags, uint32_t id, const char* text) override { AppendMenu(flags, id, text); }
    bool remove(uint32_t id) override { return RemoveMenu(id); }

    const std::vector<std::unique_ptr<MenuItemRecord>>& records() const { return m_items; }
    // The items as shown, for a glance or a test: texts without their accelerator, "---" for
    // separators.
    std::vector<std::string> item_texts() const;
    // The menu that holds this one (the top menu of the frame).
    QMenu* m_pParent = nullptr;

signals:
    void command(uint32_t id);

private:
    std::vector<std::unique_ptr<MenuItemRecord>> m_items;
};

} // namespace korvid
