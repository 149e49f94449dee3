#pragma once
// A menu as data: items with tags, titles, key equivalents and enabled states. The
// controller edits it; the window builds its QMenu from it and rebuilds on every change.
// Main thread only.

#include <QString>

#include <functional>
#include <vector>

namespace quillum {

struct MenuItem {
    int tag = 0;
    QString title; // empty for a separator
    QString keyEquivalent; // e.g. "+", "9", with Ctrl; empty for none
    bool enabled = true;
    bool separator = false;
    bool checked = false;
    std::function<void()> action;
    QString shortcut; // a whole key sequence ("Ctrl+Alt+."), used instead of keyEquivalent
    QString toolTip;
};

class MenuModel {
public:
    const std::vector<MenuItem>& items() const { return m_items; }
    MenuItem* itemWithTag(int tag);
    const MenuItem* itemWithTag(int tag) const;
    void addItem(MenuItem item);
    // Every item at once, announced once.
    void replaceItems(MenuModel&& other)
    {
        m_items = std::move(other.m_items);
        changed();
    }
    // Removes the item with this tag if present.
    void removeItemWithTag(int tag);
    void setAutoenablesItems(bool on) { m_autoenables = on; }
    bool autoenablesItems() const { return m_autoenables; }
    // Called after every change; the window rebuilds the menu.
    void setChangedHandler(std::function<void()> handler) { m_changed = std::move(handler); }
    void changed() const
    {
        if (m_changed)
            m_changed();
    }

private:
    std::vector<MenuItem> m_items;
    bool m_autoenables = true;
    std::function<void()> m_changed;
};

} // namespace quillum
