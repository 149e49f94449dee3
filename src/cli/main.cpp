// quillum-cli: renders a photo through the same controller the window uses, headless.

#include "Batch.h"
#include "RenderOptions.h"
#include "controller/zent3controller.h"
#include "decorations/DecorationDrawing.h"
#include "platform/ImageDecoder.h"
#include "platform/ImageEncoder.h"
#include "platform/StagedFile.h"
#include "platform/UserDefaults.h"

#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QString>
#include <QStringList>

#include <cmath>
#include <cstdio>
#include <memory>
#include <new>
#include <optional>
#include <utility>
#include <vector>

#include <sys/stat.h>

using namespace quillum;
using namespace quillum::cli;

namespace {

const char* kUsage = "Usage: quillum-cli render IN OUT [options]\n"
                     "       quillum-cli batch INPUT... --out DIR [options]   (see batch --help)\n"
                     "\n"
                     "Crops IN, applies the chosen output settings exactly as Quillum does, and writes OUT\n"
                     "as JPEG (.jpg, .jpeg), TIFF (.tif, .tiff), PNG (.png) or WebP (.webp), by its extension; any\n"
                     "other extension is refused. Prints the status line.\n"
                     "\n"
                     "Options:\n"
                     "  --crop x,y,w,h     crop rectangle in pixels, origin at the bottom-left corner\n"
                     "                     (default: the whole picture)\n"
                     "  --width N          fixed output width\n"
                     "  --height N         fixed output height\n"
                     "  --stretch          with both sizes fixed, stretch instead of fitting\n"
                     "  --autolevels       auto levels\n"
                     "  --lock             lock the auto levels (reuse the first computed levels)\n"
                     "  --gamma G          picture correction gamma (turns correction on; default 1)\n"
                     "  --contrast T       picture correction contrast (turns correction on; default 0)\n"
                     "  --flip-v           mirror upside down\n"
                     "  --flip-h           mirror left to right\n"
                     "  --invert           invert the colours\n"
                     "  --mode M           color, bw or sepia\n"
                     "  --sharpen K        sharpen level (0 none, 1 half, 2.. passes)\n"
                     "  --quality Q        JPEG quality 1..100 (default 90)\n"
                     "  --metadata         copy IN's EXIF (orientation 1) and colour profile into OUT\n"
                     "                     (default)\n"
                     "  --no-metadata      no EXIF; a JPEG is then a plain JFIF file without a profile\n"
                     "  --landscape        turn a portrait output a quarter counter-clockwise\n"
                     "  --lossless         a JPEG photo that is only cropped (JPEG output, no size, effect,\n"
                     "                     turn or decoration) is copied block for block, not re-encoded;\n"
                     "                     the crop's corner moves left and up onto the 8 or 16 pixel grid\n"
                     "  --keep-alpha       keep the alpha channel in PNG and TIFF (default: drop it)\n"
                     "  --settings FILE    every output setting and decoration from a Quillum settings\n"
                     "                     file (~/.config/Quillum/Quillum.ini); later options override\n"
                     "\n"
                     "Decorations (drawn exactly as the window draws them):\n"
                     "  --borders          draw the three borders (black, gray, white hairlines)\n"
                     "  --border N:LIST    border N (1-3), LIST a comma list of: show, hide, color=#rrggbb,\n"
                     "                     offset=P (all four sides, percent of the longer side),\n"
                     "                     top=P, bottom=P, left=P, right=P, pen=P, opacity=F\n"
                     "  --caption N TEXT   draw caption N (1 or 2) with TEXT; tags: $f file name, $F folder,\n"
                     "                     $FX path, $s $S $SX size, $d $D $DX date, $t $T $TX time, $P new line\n"
                     "  --caption-style N:LIST  LIST a comma list of: font=FAMILY, size=P (width in percent\n"
                     "                     of the longer side), x=U, y=U (half-percent units), location=0-8,\n"
                     "                     color=#rrggbb, outline=#rrggbb, no-outline, opacity=F\n"
                     "  --logo FILE        stamp FILE as a logo (SampleLogo500: the built-in mark)\n"
                     "  --logo-style LIST  LIST a comma list of: width=P, height=P, free (not proportional),\n"
                     "                     x=P, y=P, location=0-8, opacity=F\n"
                     "  --help             this text\n";

int fail(const QString& message)
{
    std::fprintf(stderr, "quillum-cli: %s\n", qPrintable(message));
    return 2;
}

int run(int argc, char** argv)
{
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args << QFile::decodeName(argv[i]);
    if (!args.isEmpty() && args[0] == QLatin1String("batch"))
        return runBatch(argc, argv);
    if (!args.isEmpty() && args[0] == QLatin1String("batch-worker"))
        return runBatchWorker(argc, argv);
    if (args.contains(QStringLiteral("--help")) || args.contains(QStringLiteral("-h"))) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (args.size() < 3 || args[0] != QLatin1String("render")) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    const QString in = args[1], out = args[2];
    const QString unreadable = QStringLiteral("“%1” cannot be %2: its name is not valid UTF-8, and Quillum opens and "
                                              "saves only files whose names are");
    if (!nameSurvives(argv[2]))
        return fail(unreadable.arg(in, QStringLiteral("opened")));
    if (!nameSurvives(argv[3]))
        return fail(unreadable.arg(out, QStringLiteral("saved")));
    // The name must say what the file holds: no PNG data under a .gif or .2024 name.
    const std::optional<ImageFileType> type = imageFileTypeForExtension(QFileInfo(out).suffix());
    if (!type)
        return fail(QStringLiteral("%1 must end in %2").arg(out, acceptedImageFileExtensions()));

    // Captions need fonts, which need a GUI application (never a display); the rest does not.
    std::unique_ptr<QGuiApplication> app;
    if (needsFonts(args)) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        static int appArgc = 1;
        app = std::make_unique<QGuiApplication>(appArgc, argv);
    }
    zent3controller controller;
    RenderOptions o;
    for (int i = 3; i < args.size(); ++i) {
        bool known = true;
        const QString error = applyRenderOption(controller, args, i, o, known);
        if (!known)
            return fail(QStringLiteral("unknown option %1 (see --help)").arg(args[i]));
        if (!error.isEmpty())
            return fail(error);
    }

    // Only the crop's pixels are read (the region is clipped to the picture, so without
    // --crop it is all of it): a JPEG decodes just those, straight through libjpeg.
    DecodeOptions decodeOptions;
    decodeOptions.region = o.crop.value_or(Rect { 0, 0, 1e9, 1e9 });
    Result<DecodedBitmap> decoded = decodeImageFile(in, decodeOptions);
    if (!decoded)
        return fail(decoded.error());
    const double w = decoded->bitmap.pixelsWide(), h = decoded->bitmap.pixelsHigh();
    controller.setSourcePicture(std::move(decoded->bitmap), decoded->properties, in);
    controller.leftPanel().selRect()->setFrame(o.crop.value_or(Rect { 0, 0, w, h }));
    controller.redrawOutput();
    if (!controller.outPict()) {
        if (!controller.renderFailure().isEmpty())
            return fail(QStringLiteral("“%1” could not be rendered: %2.").arg(in, controller.renderFailure()));
        return fail(QStringLiteral("the crop rectangle lies outside the %1 × %2 picture").arg(w).arg(h));
    }

    // As the window's save does: a missing output folder is made.
    if (const Status folder = makeFolderPath(QFileInfo(out).absolutePath()); !folder)
        return fail(folder.error());
    o.options.jpegQuality = o.quality;
    o.options.metadataSourcePath = in;
    QString whyNotLossless;
    const Status written = o.lossless ? controller.writeCropLosslessWhenPossible(out, *type, o.options, &whyNotLossless)
                                      : writeWorkingBitmap(*controller.outPict(), out, *type, o.options);
    if (!written)
        return fail(written.error());
    // Success is reported only for the very name asked for.
    struct stat saved { };
    if (::lstat(argv[3], &saved) != 0)
        return fail(QStringLiteral("“%1” was saved but cannot be found under that name").arg(out));
    std::printf("%s\n", qPrintable(controller.operationTimeLabel()));
    if (o.lossless)
        std::printf("%s\n",
            whyNotLossless.isEmpty() ? "Saved losslessly"
                                     : qPrintable(QStringLiteral("Saved normally: %1").arg(whyNotLossless)));
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    // The command's boundary for running out of memory: a message and a failure status,
    // never an abort.
    try {
        return run(argc, argv);
    } catch (const std::bad_alloc&) {
        return fail(QStringLiteral("there is not enough memory to finish"));
    }
}
