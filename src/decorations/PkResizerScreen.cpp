#include "decorations/PkResizerScreen.h"

#include "platform/NotificationNames.h"

#include <algorithm>

namespace quillum {

namespace {
bool isEntry(int index)
{
    return index >= 1 && index <= PkResizerScreen::kCount;
}
} // namespace

int PkResizerScreen::w(int index) const
{
    return isEntry(index) ? m_w[std::size_t(index - 1)] : 0;
}
int PkResizerScreen::h(int index) const
{
    return isEntry(index) ? m_h[std::size_t(index - 1)] : 0;
}

// A size below one pixel would fix the output at nothing; it is kept at one.
void PkResizerScreen::setW(int index, int pixels)
{
    if (!isEntry(index))
        return;
    m_w[std::size_t(index - 1)] = std::max(pixels, 1);
    if (m_wCase == index)
        m_center.postNotificationName(notification::QuickResize, this);
}

void PkResizerScreen::setH(int index, int pixels)
{
    if (!isEntry(index))
        return;
    m_h[std::size_t(index - 1)] = std::max(pixels, 1);
    if (m_hCase == index)
        m_center.postNotificationName(notification::QuickResize, this);
}

std::pair<double, double> PkResizerScreen::resizedSize() const
{
    auto pick = [](int choice, const std::array<int, kCount>& sizes) -> double {
        if (isEntry(choice))
            return sizes[std::size_t(choice - 1)];
        return choice == 11 ? -1.0 : 0.0;
    };
    return { pick(m_wCase, m_w), pick(m_hCase, m_h) };
}

void PkResizerScreen::resetToDefaults()
{
    for (int i = 1; i <= kCount; ++i)
        setW(i, kDefaults[std::size_t(i - 1)]);
    for (int i = 1; i <= kCount; ++i)
        setH(i, kDefaults[std::size_t(i - 1)]);
}

} // namespace quillum
