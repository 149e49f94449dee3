#pragma once
// Small building blocks shared by the control strips: compact tool buttons, group spacing
// and line icons drawn from the palette (so they follow the dark theme without image files).

#include <QIcon>
#include <QString>

class QBoxLayout;
class QHBoxLayout;
class QLayout;
class QPalette;
class QToolButton;
class QWidget;

namespace quillum {
class FlowLayout;
}

namespace quillum::controlkit {

enum class Glyph { Fit, SelectAll, RotateFrame, NextGuide, FlipVertical, FlipHorizontal, Invert, Lock };

QIcon icon(Glyph glyph, const QPalette& palette);

// An auto-raised tool button; with an icon it shows only the icon.
QToolButton* toolButton(
    QWidget* parent, const char* objectName, const QString& text, const QString& toolTip, const QIcon& icon = {});

// The gap between groups of controls; cleaner than separator lines on a dark theme.
void addGroupGap(QBoxLayout* layout);

// Compact margins and spacing for a strip.
void makeCompact(QBoxLayout* layout);

// A strip row that wraps: controls go into the current group, a group gap closes it, and
// the groups flow into lines, so a group's controls always stay together.
class StripRow {
public:
    StripRow(QWidget* owner, FlowLayout* flow);
    void addWidget(QWidget* widget, int stretch = 0);
    void addLayout(QLayout* layout);
    void addSpacing(int size);
    // A gap before the controls at a row's end: they start a group of their own.
    void addStretch(int = 0) { endGroup(); }
    void endGroup() { m_group = nullptr; }
    // The group's widget, for names in tests and tool tips.
    QWidget* currentGroup();

private:
    QHBoxLayout* group();
    QWidget* m_owner;
    FlowLayout* m_flow;
    QHBoxLayout* m_group = nullptr;
};

void addGroupGap(StripRow* row);

} // namespace quillum::controlkit
