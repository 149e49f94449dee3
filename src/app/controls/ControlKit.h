#pragma once
// Small building blocks shared by the control strips: compact tool buttons, group spacing
// and line icons drawn from the palette (so they follow the dark theme without image files).

#include <QIcon>
#include <QString>

class QBoxLayout;
class QPalette;
class QToolButton;
class QWidget;

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

} // namespace quillum::controlkit
