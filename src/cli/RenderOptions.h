#pragma once
// The render options quillum-cli's commands share: each one applied to a controller as the
// window's controls would set it.

#include "controller/zent3controller.h"
#include "platform/ImageEncoder.h"
#include "platform/UserDefaults.h"

#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

namespace quillum::cli {

struct RenderOptions {
    std::optional<Rect> crop;
    int quality = 90;
    bool qualityGiven = false;
    bool metadataGiven = false;
    EncodeOptions options;
    std::unique_ptr<UserDefaults> settings; // --settings: the controller reads from it
    bool captionNamed = false;
    bool lossless = false; // --lossless: a JPEG that is only cropped is copied, not re-encoded
};

// Applies args[i] (and moves i past its values) to `controller` and `o`. Answers the
// message for a bad value; `known` becomes false for an option that is not a render option.
QString applyRenderOption(zent3controller& controller, const QStringList& args, int& i, RenderOptions& o, bool& known);

// Whether a command needs a GUI application (captions measure fonts).
bool needsFonts(const QStringList& args);

// Qt spells file names in UTF-8: a name in any other encoding would open another file, or
// be written under another name, so it is refused.
bool nameSurvives(const char* name);

std::optional<double> number(const QString& text);

} // namespace quillum::cli
