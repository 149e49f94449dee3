#include "LosslessSave.h"

namespace quillum {

QString whyNotLossless(const LosslessSaveState& s)
{
    // Ordered from what the user chose for the output to what the picture is.
    const struct {
        bool applies;
        const char* reason;
    } rules[] = {
        { s.outputType != ImageFileType::Jpeg, "the output is not a JPEG file" },
        { !s.sourceHasFile, "the picture has no file" },
        { !s.sourceIsJpeg, "the photo is not a JPEG file" },
        { s.sourceIsCmyk, "the photo is CMYK" },
        { s.pictureTurned, "the picture is turned" },
        { s.frameTurned, "the frame is turned" },
        { !s.sourceMatchesFile, "the picture differs from its file" },
        { s.scaled, "the output is scaled" },
        { s.autoLevels, "auto levels are on" },
        { s.pictureCorrection, "picture correction is on" },
        { s.mirrored, "the output is mirrored" },
        { s.inverted, "the output is inverted" },
        { s.colourModeChanged, "the output is not in colour mode" },
        { s.sharpened, "the output is sharpened" },
        { s.decorated, "captions, borders or a logo are on" },
        { s.landscapeTurn, "the output is turned to landscape" },
    };
    for (const auto& rule : rules)
        if (rule.applies)
            return QString::fromLatin1(rule.reason);
    return {};
}

} // namespace quillum
