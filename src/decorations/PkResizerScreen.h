#pragma once
// The quick-resize panel's state: ten width and ten height choices in pixels and which one
// of each is chosen (1–10 an entry, 11 fixed at the current value, anything else free).
// Editing the chosen entry posts "QuickResizeNotification" so the edit applies at once.

#include "platform/NotificationCenter.h"

#include <array>
#include <utility>

namespace quillum {

class PkResizerScreen {
public:
    static constexpr int kCount = 10;
    static constexpr std::array<int, kCount> kDefaults { 50, 100, 150, 200, 250, 300, 400, 500, 600, 700 };

    explicit PkResizerScreen(NotificationCenter& center)
        : m_center(center)
    { }

    // index 1–10, as the entries are numbered.
    int w(int index) const;
    int h(int index) const;
    void setW(int index, int pixels);
    void setH(int index, int pixels);
    // The entries by their own names (w01 … w10, h01 … h10).
#define QUILLUM_RESIZER_ENTRY(NN, I)                                                                        \
    int w##NN() const { return w(I); }                                                                      \
    void setW##NN(int pixels) { setW(I, pixels); }                                                          \
    int h##NN() const { return h(I); }                                                                      \
    void setH##NN(int pixels) { setH(I, pixels); }
    QUILLUM_RESIZER_ENTRY(01, 1)
    QUILLUM_RESIZER_ENTRY(02, 2)
    QUILLUM_RESIZER_ENTRY(03, 3)
    QUILLUM_RESIZER_ENTRY(04, 4)
    QUILLUM_RESIZER_ENTRY(05, 5)
    QUILLUM_RESIZER_ENTRY(06, 6)
    QUILLUM_RESIZER_ENTRY(07, 7)
    QUILLUM_RESIZER_ENTRY(08, 8)
    QUILLUM_RESIZER_ENTRY(09, 9)
    QUILLUM_RESIZER_ENTRY(10, 10)
#undef QUILLUM_RESIZER_ENTRY
    int wCase() const { return m_wCase; }
    int hCase() const { return m_hCase; }
    void setWCase(int choice) { m_wCase = choice; }
    void setHCase(int choice) { m_hCase = choice; }

    // For each side: the chosen size, -1 for "fixed at the current value", 0 for free.
    std::pair<double, double> resizedSize() const;
    // Every size back to its default, widths first, through the setters.
    void resetToDefaults();

private:
    NotificationCenter& m_center;
    std::array<int, kCount> m_w = kDefaults;
    std::array<int, kCount> m_h = kDefaults;
    int m_wCase = 0;
    int m_hCase = 0;
};

} // namespace quillum
