#include "MenuModel.h"

#include <algorithm>

namespace quillum {

MenuItem* MenuModel::itemWithTag(int tag)
{
    auto it = std::find_if(m_items.begin(), m_items.end(), [tag](const MenuItem& i) { return i.tag == tag; });
    return it == m_items.end() ? nullptr : &*it;
}

const MenuItem* MenuModel::itemWithTag(int tag) const
{
    return const_cast<MenuModel*>(this)->itemWithTag(tag);
}

void MenuModel::addItem(MenuItem item)
{
    m_items.push_back(std::move(item));
    changed();
}

void MenuModel::removeItemWithTag(int tag)
{
    const auto before = m_items.size();
    std::erase_if(m_items, [tag](const MenuItem& i) { return i.tag == tag; });
    if (m_items.size() != before)
        changed();
}

} // namespace quillum
