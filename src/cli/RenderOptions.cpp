#include "RenderOptions.h"

#include "decorations/DecorationDrawing.h"
#include "imaging/OutputSize.h"

#include <QFile>
#include <QFileInfo>

#include <cmath>
#include <utility>
#include <vector>

namespace quillum::cli {

std::optional<double> number(const QString& text)
{
    bool ok = false;
    const double v = text.toDouble(&ok);
    if (!ok || !std::isfinite(v))
        return std::nullopt;
    return v;
}

bool nameSurvives(const char* name)
{
    const QByteArray bytes(name);
    return QFile::encodeName(QFile::decodeName(bytes)) == bytes;
}

bool needsFonts(const QStringList& args)
{
    return args.contains(QStringLiteral("--caption")) || args.contains(QStringLiteral("--caption-style"))
        || args.contains(QStringLiteral("--settings")) || args.contains(QStringLiteral("--preset"));
}

namespace {

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

} // namespace

QString applyRenderOption(zent3controller& controller, const QStringList& args, int& i, RenderOptions& o, bool& known)
{
    known = true;
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
            return (QStringLiteral("--crop wants x,y,w,h with a positive width and height"));
        o.crop = Rect { *v[0], *v[1], *v[2], *v[3] };
    } else if (a == QLatin1String("--width") || a == QLatin1String("--height")) {
        const auto v = numeric(1, kMaxOutputSide);
        if (!v)
            return (QStringLiteral("%1 wants a whole number from 1 to %2").arg(a).arg(kMaxOutputSide));
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
            return (a == QLatin1String("--gamma") ? QStringLiteral("--gamma wants a number from 0.01 to 10")
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
            return (QStringLiteral("--mode wants color, bw or sepia"));
    } else if (a == QLatin1String("--sharpen")) {
        const auto v = numeric(0, 20);
        if (!v)
            return (QStringLiteral("--sharpen wants a level from 0 to 20"));
        controller.setSharpenLevel(int(*v));
    } else if (a == QLatin1String("--quality")) {
        const auto v = numeric(1, 100);
        if (!v)
            return (QStringLiteral("--quality wants a number from 1 to 100"));
        o.quality = int(*v);
        o.qualityGiven = true;
    } else if (a == QLatin1String("--metadata") || a == QLatin1String("--no-metadata")) {
        o.options.withMetadata = a == QLatin1String("--metadata");
        o.metadataGiven = true;
    } else if (a == QLatin1String("--lossless")) {
        o.lossless = true;
        controller.setLosslessWhenPossible(true);
    } else if (a == QLatin1String("--landscape")) {
        o.options.landscape = true;
    } else if (a == QLatin1String("--keep-alpha")) {
        o.options.keepAlpha = true;
    } else if (a == QLatin1String("--settings")) {
        const auto file = value();
        if (!file || !QFileInfo(*file).isFile())
            return (QStringLiteral("--settings wants a Quillum settings file"));
        o.settings = std::make_unique<UserDefaults>(*file);
        controller.setUserDefaults(o.settings.get());
        controller.defaultsRead();
    } else if (a == QLatin1String("--borders")) {
        controller.setBorder1Check(true);
    } else if (a == QLatin1String("--border") || a == QLatin1String("--caption-style")) {
        const bool border = a == QLatin1String("--border");
        const auto text = value();
        const auto list = text ? numberedList(*text, border ? 3 : 2) : std::nullopt;
        if (!list)
            return (QStringLiteral("%1 wants N:LIST (see --help)").arg(a));
        for (const auto& [key, v] : list->second)
            if (!(border ? applyBorder(controller, list->first, key, v)
                         : applyCaption(controller, list->first, key, v)))
                return (QStringLiteral("%1: “%2” is not understood (see --help)").arg(a, key));
        if (border)
            controller.setBorder1Check(true);
    } else if (a == QLatin1String("--caption")) {
        const auto n = value();
        const auto text = value();
        if (!n || !text || (*n != QLatin1String("1") && *n != QLatin1String("2")))
            return (QStringLiteral("--caption wants 1 or 2 and a text"));
        const int index = n->toInt() - 1;
        controller.setCaptionTextString(index, *text);
        controller.setCaptionShown(index, true);
        // Naming one caption draws that one alone.
        if (!o.captionNamed)
            controller.setCaptionShown(1 - index, false);
        o.captionNamed = true;
        controller.setTextCaption1Check(true);
    } else if (a == QLatin1String("--logo")) {
        const auto file = value();
        if (!file)
            return (QStringLiteral("--logo wants a picture file"));
        QString why;
        if (!controller.logoSetupWindow().loadLogoImage(*file, &why))
            return why;
        controller.adjustLogoSizes();
        controller.setDrawLogo(true);
    } else if (a == QLatin1String("--logo-style")) {
        const auto text = value();
        if (!text)
            return (QStringLiteral("--logo-style wants a LIST (see --help)"));
        for (const auto& [key, v] : parseList(*text))
            if (!applyLogo(controller, key, v))
                return (QStringLiteral("--logo-style: “%1” is not understood (see --help)").arg(key));
    } else {
        known = false;
    }
    return {};
}

} // namespace quillum::cli
