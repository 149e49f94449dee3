// quillum-cli: renders a photo through the same controller the window uses, headless.

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

namespace {

const char* kUsage = "Usage: quillum-cli render IN OUT [options]\n"
                     "\n"
                     "Crops IN, applies the chosen output settings exactly as Quillum does, and writes OUT\n"
                     "as JPEG (.jpg, .jpeg), TIFF (.tif, .tiff) or PNG (.png), by its extension; any\n"
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

std::optional<double> number(const QString& text)
{
    bool ok = false;
    const double v = text.toDouble(&ok);
    if (!ok || !std::isfinite(v))
        return std::nullopt;
    return v;
}

// "key=value,flag,…" into its parts; answers an error text naming the bad part.
using KeyValues = std::vector<std::pair<QString, QString>>;
KeyValues parseList(const QString& text)
{
    KeyValues parts;
    for (const QString& part : text.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        const qsizetype eq = part.indexOf(QLatin1Char('='));
        parts.emplace_back(eq < 0 ? part.trimmed() : part.left(eq).trimmed(), eq < 0 ? QString() : part.mid(eq + 1));
    }
    return parts;
}

// "N:LIST" with N from 1 to count.
std::optional<std::pair<int, KeyValues>> numberedList(const QString& text, int count)
{
    const qsizetype colon = text.indexOf(QLatin1Char(':'));
    bool ok = false;
    const int n = text.left(colon < 0 ? text.size() : colon).toInt(&ok);
    if (!ok || n < 1 || n > count)
        return std::nullopt;
    return std::pair { n - 1, parseList(colon < 0 ? QString() : text.mid(colon + 1)) };
}

// Applies one part of a border, caption or logo LIST; false for a part it does not know
// or a value out of range.
bool applyBorder(zent3controller& c, int i, const QString& key, const QString& value)
{
    const auto v = number(value);
    if (key == QLatin1String("show") || key == QLatin1String("hide"))
        c.setBorderShown(i, key == QLatin1String("show"));
    else if (key == QLatin1String("color") && QColor::isValidColorName(value))
        c.setBorderColor(i, QColor::fromString(value));
    else if (!v || *v < 0 || *v > 100)
        return false;
    else if (key == QLatin1String("offset")) {
        c.setBorderOffsetTop(i, float(*v));
        c.setBorderOffsetBottom(i, float(*v));
        c.setBorderOffsetLeft(i, float(*v));
        c.setBorderOffsetRight(i, float(*v));
    } else if (key == QLatin1String("top"))
        c.setBorderOffsetTop(i, float(*v));
    else if (key == QLatin1String("bottom"))
        c.setBorderOffsetBottom(i, float(*v));
    else if (key == QLatin1String("left"))
        c.setBorderOffsetLeft(i, float(*v));
    else if (key == QLatin1String("right"))
        c.setBorderOffsetRight(i, float(*v));
    else if (key == QLatin1String("pen"))
        c.setBorderPenSize(i, float(*v));
    else if (key == QLatin1String("opacity") && *v <= 1)
        c.setBorderPenOpaque(i, float(*v));
    else
        return false;
    return true;
}

bool applyCaption(zent3controller& c, int i, const QString& key, const QString& value)
{
    const auto v = number(value);
    if (key == QLatin1String("font") && !value.isEmpty())
        c.setCaptionFontName(i, captionFont(value, 12));
    else if (key == QLatin1String("no-outline"))
        c.setCaptionOutlined(i, false);
    else if ((key == QLatin1String("color") || key == QLatin1String("outline")) && QColor::isValidColorName(value)) {
        if (key == QLatin1String("color"))
            c.setCaptionTextColor(i, QColor::fromString(value));
        else {
            c.setCaptionOutlineColor(i, QColor::fromString(value));
            c.setCaptionOutlined(i, true);
        }
    } else if (!v || *v < 0 || *v > 200)
        return false;
    else if (key == QLatin1String("size"))
        c.setCaptionWidthValue(i, float(*v));
    else if (key == QLatin1String("x"))
        c.setCaptionOffsetXValue(i, float(*v));
    else if (key == QLatin1String("y"))
        c.setCaptionOffsetYValue(i, float(*v));
    else if (key == QLatin1String("location") && *v <= 8 && *v == std::floor(*v))
        c.setCaptionLocationValue(i, int(*v));
    else if (key == QLatin1String("opacity") && *v <= 1)
        c.setCaptionOpaque(i, float(*v));
    else
        return false;
    return true;
}

bool applyLogo(zent3controller& c, const QString& key, const QString& value)
{
    const auto v = number(value);
    if (key == QLatin1String("free"))
        c.setLogoProportionalResize(false);
    else if (!v || *v < 0 || *v > 100)
        return false;
    else if (key == QLatin1String("width"))
        c.setLogoWidthValue(float(*v));
    else if (key == QLatin1String("height"))
        c.setLogoHeightValue(float(*v));
    else if (key == QLatin1String("x"))
        c.setLogoOffsetXValue(float(*v));
    else if (key == QLatin1String("y"))
        c.setLogoOffsetYValue(float(*v));
    else if (key == QLatin1String("location") && *v <= 8 && *v == std::floor(*v))
        c.setLogoLocationValue(int(*v));
    else if (key == QLatin1String("opacity") && *v <= 1)
        c.setLogoOpaqueValue(float(*v));
    else
        return false;
    return true;
}

// Qt spells file names in UTF-8: a name in any other encoding would open another file, or
// be written under another name, so it is refused.
bool nameSurvives(const char* name)
{
    const QByteArray bytes(name);
    return QFile::encodeName(QFile::decodeName(bytes)) == bytes;
}

int run(int argc, char** argv)
{
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args << QFile::decodeName(argv[i]);
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
    if (args.contains(QStringLiteral("--caption")) || args.contains(QStringLiteral("--caption-style"))
        || args.contains(QStringLiteral("--settings"))) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        static int appArgc = 1;
        app = std::make_unique<QGuiApplication>(appArgc, argv);
    }
    zent3controller controller;
    std::unique_ptr<UserDefaults> settings;
    bool captionNamed = false;
    QString why;
    std::optional<Rect> crop;
    int quality = 90;
    EncodeOptions options;
    for (int i = 3; i < args.size(); ++i) {
        const QString& a = args[i];
        auto value = [&]() -> std::optional<QString> {
            if (i + 1 >= args.size())
                return std::nullopt;
            return args[++i];
        };
        auto numeric = [&](double min, double max) -> std::optional<double> {
            const auto text = value();
            if (!text)
                return std::nullopt;
            const auto v = number(*text);
            if (!v || *v < min || *v > max)
                return std::nullopt;
            return v;
        };
        if (a == QLatin1String("--crop")) {
            const auto text = value();
            const QStringList parts = text ? text->split(QLatin1Char(',')) : QStringList();
            std::optional<double> v[4];
            if (parts.size() == 4)
                for (int k = 0; k < 4; ++k)
                    v[k] = number(parts[k]);
            if (parts.size() != 4 || !v[0] || !v[1] || !v[2] || !v[3] || *v[2] <= 0 || *v[3] <= 0)
                return fail(QStringLiteral("--crop wants x,y,w,h with a positive width and height"));
            crop = Rect { *v[0], *v[1], *v[2], *v[3] };
        } else if (a == QLatin1String("--width") || a == QLatin1String("--height")) {
            const auto v = numeric(1, kMaxOutputSide);
            if (!v)
                return fail(QStringLiteral("%1 wants a whole number from 1 to %2").arg(a).arg(kMaxOutputSide));
            if (a == QLatin1String("--width")) {
                controller.setOutputWidthIsFixed(true);
                controller.setOutputWidthVal(int(*v));
            } else {
                controller.setOutputHeightIsFixed(true);
                controller.setOutputHeighVal(int(*v));
            }
        } else if (a == QLatin1String("--stretch")) {
            controller.setOutputSizeUnproportionalStretch(true);
        } else if (a == QLatin1String("--autolevels")) {
            controller.setAutoLevelsIsOn(true);
        } else if (a == QLatin1String("--lock")) {
            controller.setAutoLevelsIsLocked(true);
        } else if (a == QLatin1String("--gamma") || a == QLatin1String("--contrast")) {
            const auto v = a == QLatin1String("--gamma") ? numeric(0.01, 10) : numeric(-1, 10);
            if (!v)
                return fail(a == QLatin1String("--gamma") ? QStringLiteral("--gamma wants a number from 0.01 to 10")
                                                          : QStringLiteral("--contrast wants a number from -1 to 10"));
            controller.setPictureCorrectionIsOn(true);
            if (a == QLatin1String("--gamma"))
                controller.setGammaValue(float(*v));
            else
                controller.setContrastValue(float(*v));
        } else if (a == QLatin1String("--flip-v")) {
            controller.setFlipVertical(true);
        } else if (a == QLatin1String("--flip-h")) {
            controller.setFlipHorizontal(true);
        } else if (a == QLatin1String("--invert")) {
            controller.setInvertIsOn(true);
        } else if (a == QLatin1String("--mode")) {
            const auto text = value();
            if (text == QLatin1String("color"))
                controller.setOutputModeTag(OutputModeColor);
            else if (text == QLatin1String("bw"))
                controller.setOutputModeTag(OutputModeBlackAndWhite);
            else if (text == QLatin1String("sepia"))
                controller.setOutputModeTag(OutputModeSepia);
            else
                return fail(QStringLiteral("--mode wants color, bw or sepia"));
        } else if (a == QLatin1String("--sharpen")) {
            const auto v = numeric(0, 20);
            if (!v)
                return fail(QStringLiteral("--sharpen wants a level from 0 to 20"));
            controller.setSharpenLevel(int(*v));
        } else if (a == QLatin1String("--quality")) {
            const auto v = numeric(1, 100);
            if (!v)
                return fail(QStringLiteral("--quality wants a number from 1 to 100"));
            quality = int(*v);
        } else if (a == QLatin1String("--metadata") || a == QLatin1String("--no-metadata")) {
            options.withMetadata = a == QLatin1String("--metadata");
        } else if (a == QLatin1String("--landscape")) {
            options.landscape = true;
        } else if (a == QLatin1String("--keep-alpha")) {
            options.keepAlpha = true;
        } else if (a == QLatin1String("--settings")) {
            const auto file = value();
            if (!file || !QFileInfo(*file).isFile())
                return fail(QStringLiteral("--settings wants a Quillum settings file"));
            settings = std::make_unique<UserDefaults>(*file);
            controller.setUserDefaults(settings.get());
            controller.defaultsRead();
        } else if (a == QLatin1String("--borders")) {
            controller.setBorder1Check(true);
        } else if (a == QLatin1String("--border") || a == QLatin1String("--caption-style")) {
            const bool border = a == QLatin1String("--border");
            const auto text = value();
            const auto list = text ? numberedList(*text, border ? 3 : 2) : std::nullopt;
            if (!list)
                return fail(QStringLiteral("%1 wants N:LIST (see --help)").arg(a));
            for (const auto& [key, v] : list->second)
                if (!(border ? applyBorder(controller, list->first, key, v)
                             : applyCaption(controller, list->first, key, v)))
                    return fail(QStringLiteral("%1: “%2” is not understood (see --help)").arg(a, key));
            if (border)
                controller.setBorder1Check(true);
        } else if (a == QLatin1String("--caption")) {
            const auto n = value();
            const auto text = value();
            if (!n || !text || (*n != QLatin1String("1") && *n != QLatin1String("2")))
                return fail(QStringLiteral("--caption wants 1 or 2 and a text"));
            const int index = n->toInt() - 1;
            controller.setCaptionTextString(index, *text);
            controller.setCaptionShown(index, true);
            // Naming one caption draws that one alone.
            if (!captionNamed)
                controller.setCaptionShown(1 - index, false);
            captionNamed = true;
            controller.setTextCaption1Check(true);
        } else if (a == QLatin1String("--logo")) {
            const auto file = value();
            if (!file)
                return fail(QStringLiteral("--logo wants a picture file"));
            if (!controller.logoSetupWindow().loadLogoImage(*file, &why))
                return fail(why);
            controller.adjustLogoSizes();
            controller.setDrawLogo(true);
        } else if (a == QLatin1String("--logo-style")) {
            const auto text = value();
            if (!text)
                return fail(QStringLiteral("--logo-style wants a LIST (see --help)"));
            for (const auto& [key, v] : parseList(*text))
                if (!applyLogo(controller, key, v))
                    return fail(QStringLiteral("--logo-style: “%1” is not understood (see --help)").arg(key));
        } else {
            return fail(QStringLiteral("unknown option %1 (see --help)").arg(a));
        }
    }

    Result<DecodedBitmap> decoded = decodeImageFile(in);
    if (!decoded)
        return fail(decoded.error());
    const double w = decoded->bitmap.pixelsWide(), h = decoded->bitmap.pixelsHigh();
    controller.setSourcePicture(std::move(decoded->bitmap), decoded->properties, in);
    controller.leftPanel().selRect()->setFrame(crop.value_or(Rect { 0, 0, w, h }));
    controller.redrawOutput();
    if (!controller.outPict()) {
        if (!controller.renderFailure().isEmpty())
            return fail(QStringLiteral("“%1” could not be rendered: %2.").arg(in, controller.renderFailure()));
        return fail(QStringLiteral("the crop rectangle lies outside the %1 × %2 picture").arg(w).arg(h));
    }

    // As the window's save does: a missing output folder is made.
    if (const Status folder = makeFolderPath(QFileInfo(out).absolutePath()); !folder)
        return fail(folder.error());
    options.jpegQuality = quality;
    options.metadataSourcePath = in;
    const Status written = writeWorkingBitmap(*controller.outPict(), out, *type, options);
    if (!written)
        return fail(written.error());
    // Success is reported only for the very name asked for.
    struct stat saved { };
    if (::lstat(argv[3], &saved) != 0)
        return fail(QStringLiteral("“%1” was saved but cannot be found under that name").arg(out));
    std::printf("%s\n", qPrintable(controller.operationTimeLabel()));
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
