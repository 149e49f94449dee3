#pragma once
// The output render as a pure function of a request: everything it reads is in the
// request (the source is shared, never changed), everything it decides is in the result.
// The controller makes the request and applies the result on the main thread; the work in
// between may run on any thread.

#include "decorations/DecorationSettings.h"
#include "decorations/OutputDecorator.h"
#include "imaging/Effects.h"
#include "imaging/OutputSize.h"
#include "platform/BitmapImageRep.h"
#include "platform/Geometry.h"

#include <QImage>
#include <QString>

#include <atomic>
#include <memory>

namespace quillum {

// What the own decorator draws with, copied so a worker never reads the controller.
struct DecorationSnapshot {
    DecorationSettings settings;
    QImage logo;
    QString sourcePath;
};

struct RenderRequest {
    std::shared_ptr<const BitmapImageRep> source;
    Rect rect; // clipped to the source, with area
    OutputSizeSettings sizeSettings;
    // A preview is scaled to exactly this size whatever the size settings say (0: a full render).
    int previewWidth = 0;
    int previewHeight = 0;
    int previewShownWidth = 0; // the output's size it stands for (the result's rule size)
    int previewShownHeight = 0;
    bool autoLevelsIsOn = false;
    bool autoLevelsIsLocked = false;
    HistoVals histoVals;
    bool pictureCorrectionIsOn = false;
    float gamma = 1, contrast = 1, red = 1, green = 1, blue = 1;
    bool flipVertical = false;
    bool flipHorizontal = false;
    bool invertIsOn = false;
    int outputModeTag = 0;
    int sharpenLevel = 0;
    // Either a borrowed decorator (the render runs on the caller's thread) or a snapshot
    // the render draws with by itself.
    OutputDecorator* decorator = nullptr;
    std::shared_ptr<const DecorationSnapshot> decorations;
    bool isPreview() const { return previewWidth > 0 && previewHeight > 0; }
};

struct RenderResult {
    enum class Kind {
        Rendered,
        Failed, // `failure` says why; no output
        Empty, // the crop truncates to no pixels: the previous output stays
        Abandoned, // a newer request superseded it
    };
    Kind kind = Kind::Empty;
    bool preview = false;
    std::shared_ptr<BitmapImageRep> output;
    QString failure;
    HistoVals histoVals; // the levels record after the render (auto levels may store it)
    OutputSize size;
    Rect rect;
    double seconds = 0; // the pixel work's duration
};

// Set by another thread to abandon a render at its next step boundary.
using RenderCancel = std::atomic<bool>;

RenderResult runRender(const RenderRequest& request, const RenderCancel* cancel = nullptr);

} // namespace quillum
