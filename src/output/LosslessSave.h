#pragma once
// Whether a save can be the lossless JPEG crop (platform/LosslessJpeg.h) and, when it
// cannot, why, in a clause short enough for the status line. The lossless file must decode
// to the pixels the normal save would encode, so anything that changes them, their size or
// their orientation rules it out. Pure: the controller gathers the state, this decides.

#include "platform/ImageFileType.h"

#include <QString>

namespace quillum {

struct LosslessSaveState {
    ImageFileType outputType = ImageFileType::Jpeg;
    bool sourceHasFile = false; // a pasted or captured picture has none
    bool sourceIsJpeg = false; // its header was read as a JPEG's
    bool sourceIsCmyk = false;
    bool sourceMatchesFile = false; // the picture shown is the file's own size
    bool pictureTurned = false; // a source rotation or the EXIF turn at opening
    bool frameTurned = false;
    bool scaled = false; // the output size is not the crop's size
    bool autoLevels = false;
    bool pictureCorrection = false;
    bool mirrored = false;
    bool inverted = false;
    bool colourModeChanged = false; // black and white or sepia
    bool sharpened = false;
    bool decorated = false; // captions, borders or the logo
    bool landscapeTurn = false; // the save itself turns the output
};

// Empty when the save can be lossless; otherwise a lower-case clause such as
// "the output is scaled". The first reason found is the one given.
QString whyNotLossless(const LosslessSaveState& state);

} // namespace quillum
