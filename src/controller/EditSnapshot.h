#pragma once
// What one undo step puts back: the crop (the frame on the picture and the picture's turn)
// and every setting the output is rendered with. Plain values, compared field by field.
// What a render works out for itself is left out (the size of a side that is not fixed,
// the aspect fields of a free frame, the levels of auto levels that are not locked), so a
// snapshot changes only when the user changed something. Saving settings (name, type,
// quality) are not part of it: a save must never be undone.

#include "decorations/DecorationSettings.h"
#include "imaging/Effects.h"
#include "platform/Geometry.h"

#include <QImage>
#include <QString>

namespace quillum {

struct FrameSnapshot {
    Rect frame; // picture pixels, origin bottom-left
    Rect lastManualRect; // what later ratio changes fit the frame into
    float pictureAngle = 0.0f; // the source's turn, degrees counter-clockwise
    float aspectRatio = 0.0f; // the frame's locked X / Y; 0 when free
    bool fixedAspect = false;
    int aspectX = 0; // the ratio fields, while the ratio is fixed
    int aspectY = 0;
    bool operator==(const FrameSnapshot&) const = default;
};

struct OutputSnapshot {
    int outputWidth = 0; // while the width is fixed
    int outputHeight = 0; // while the height is fixed
    bool widthFixed = false;
    bool heightFixed = false;
    bool unproportionalStretch = false;
    int quickResizeWidthCase = 0;
    int quickResizeHeightCase = 0;

    bool autoLevels = false;
    bool autoLevelsLocked = false;
    HistoVals lockedLevels; // while locked
    bool pictureCorrection = false;
    float gamma = 1.0f;
    float contrast = 0.0f;
    float red = 0.0f;
    float green = 0.0f;
    float blue = 0.0f;
    bool flipVertical = false;
    bool flipHorizontal = false;
    bool invert = false;
    int outputMode = 0;
    int sharpenLevel = 0;

    DecorationSettings decorations;
    QImage logoImage; // the well's image: shared, not copied
    QString logoImageFile;
    bool operator==(const OutputSnapshot&) const = default;
};

struct EditSnapshot {
    FrameSnapshot frame;
    OutputSnapshot output;
    bool operator==(const EditSnapshot&) const = default;
};

} // namespace quillum
