#pragma once
// What the four decoration panels share: a binder that mirrors controller values into
// controls and back without feedback loops, the 3 x 3 anchor grid, the colour button and
// the value fields. Controls only call the controller; they never hold a value of their own.

#include "app/controls/ControllerObservers.h"

#include <QColor>
#include <QToolButton>
#include <QWidget>

#include <functional>
#include <initializer_list>
#include <vector>

class QAbstractButton;
class QButtonGroup;
class QCheckBox;
class QDoubleSpinBox;
class QGridLayout;
class QLabel;
class QLineEdit;
class QSlider;
class QSpinBox;

namespace quillum {

class zent3controller;

namespace panelkit {

// Opacity sliders move in hundredths.
constexpr int kOpacityScale = 100;

QCheckBox* checkBox(QWidget* parent, const char* objectName, const QString& text, const QString& toolTip);
// A percentage-like field that commits on Enter or leaving it, not on each keystroke.
QDoubleSpinBox* valueField(QWidget* parent, const char* objectName, const QString& toolTip, double minimum,
    double maximum, double step, const QString& suffix = {});
QSlider* opacitySlider(QWidget* parent, const char* objectName, const QString& toolTip);
// The slider with a percentage readout beside it, in one widget for a form row.
QWidget* sliderWithReadout(QWidget* parent, QSlider* slider, QLabel*& readout);
QToolButton* pushButton(QWidget* parent, const char* objectName, const QString& text, const QString& toolTip);

} // namespace panelkit

// Nine buttons, 0 top left … 8 bottom right, one of them checked; any other value checks none.
class LocationGrid : public QWidget {
    Q_OBJECT
public:
    LocationGrid(const QString& objectName, const QString& toolTip, QWidget* parent);
    void setLocation(int location);
    int location() const;
    QAbstractButton* button(int location) const;

Q_SIGNALS:
    void chosen(int location);

private:
    QButtonGroup* m_group = nullptr;
};

// A swatch that opens the colour dialog; only the user's choice is reported.
class ColorButton : public QToolButton {
    Q_OBJECT
public:
    ColorButton(const QString& objectName, const QString& toolTip, bool withAlpha, QWidget* parent);
    void setColor(const QColor& color);
    const QColor& color() const { return m_color; }

Q_SIGNALS:
    void chosen(const QColor& color);

private:
    void choose();
    QColor m_color;
    bool m_withAlpha;
};

// Keeps a panel's controls in step with the controller. Each bind makes the control call
// the setter when the user changes it and refresh from the getter whenever one of the
// observed keys is announced; refreshing never calls a setter back.
class PanelBinder {
public:
    PanelBinder(zent3controller& controller, std::initializer_list<const char*> keys);

    void check(QAbstractButton* button, std::function<bool()> get, std::function<void(bool)> set);
    void value(QDoubleSpinBox* field, std::function<float()> get, std::function<void(float)> set);
    // The readout shows the slider's percentage.
    void opacity(QSlider* slider, QLabel* readout, std::function<float()> get, std::function<void(float)> set);
    void location(LocationGrid* grid, std::function<int()> get, std::function<void(int)> set);
    void color(ColorButton* button, std::function<QColor()> get, std::function<void(const QColor&)> set);
    void text(QLineEdit* field, std::function<QString()> get, std::function<void(const QString&)> set);
    // Anything else the panel shows (labels, enabled states).
    void show(std::function<void()> refresh);

    // Refreshes every control from the controller.
    void sync();
    bool syncing() const { return m_syncing; }

private:
    // Runs `set` unless the change came from a refresh, then refreshes (the controller may
    // have adjusted the value or others with it).
    template <typename F> void apply(F&& set)
    {
        if (m_syncing)
            return;
        set();
        sync();
    }

    ControllerObservers m_observers;
    std::vector<std::function<void()>> m_refreshers;
    bool m_syncing = false;
};

} // namespace quillum
