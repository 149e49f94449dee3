// Drops and pastes: files dropped on the left panel open as a new list; image data (a
// screenshot dragged from another program, a paste) is shown as a pasted picture.

#include "zent3controller.h"

#include "platform/UiServices.h"

#include <QImage>
#include <QMimeData>
#include <QUrl>

namespace quillum {

BitmapImageRep zent3controller::bitmapFromImage(const QImage& image)
{
    if (image.isNull())
        return {};
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    BitmapImageRep::Layout layout;
    layout.width = argb.width();
    layout.height = argb.height();
    layout.bytesPerRow = std::size_t(argb.width()) * 4;
    layout.formatFlags = BitmapFormatAlphaFirst | BitmapFormatAlphaNonpremultiplied;
    BitmapImageRep rep(layout);
    if (rep.isNull())
        return {};
    for (int y = 0; y < argb.height(); ++y) {
        const auto* s = reinterpret_cast<const QRgb*>(argb.constScanLine(y));
        std::uint8_t* d = rep.bitmapData() + std::size_t(y) * rep.bytesPerRow();
        for (int x = 0; x < argb.width(); ++x, d += 4)
            d[0] = std::uint8_t(qAlpha(s[x])), d[1] = std::uint8_t(qRed(s[x])), d[2] = std::uint8_t(qGreen(s[x])),
            d[3] = std::uint8_t(qBlue(s[x]));
    }
    return rep;
}

void zent3controller::onDroppedInputFile(const Notification& notification)
{
    // Only a drop that gave a picture is answered as accepted.
    if (pastePicture(static_cast<const QMimeData*>(notification.object)))
        m_center.postNotificationName(notification::InputFileWasProcessedByController);
}

bool zent3controller::pastePicture(const QMimeData* pasteboard)
{
    const PasteResult result = takePictureFromPasteboard(pasteboard);
    // A file that could not be opened has already said why.
    if (result == PasteResult::NothingUsable && m_uiServices)
        m_uiServices->runAlert(QStringLiteral("Paste Error"), QStringLiteral("Sorry, but the past operation failed"),
            { QStringLiteral("OK") });
    return result == PasteResult::Shown;
}

bool zent3controller::readSelectionFromPasteboard(const QMimeData* mime)
{
    return takePictureFromPasteboard(mime) == PasteResult::Shown;
}

zent3controller::PasteResult zent3controller::takePictureFromPasteboard(const QMimeData* mime)
{
    // File names first: a file keeps its metadata and its folder for the list.
    if (mime && mime->hasUrls()) {
        for (const QUrl& url : mime->urls())
            if (url.isLocalFile())
                return createListFor(url.toLocalFile(), false) ? PasteResult::Shown : PasteResult::NotOpened;
    }
    if (mime && mime->hasImage()) {
        BitmapImageRep picture = bitmapFromImage(qvariant_cast<QImage>(mime->imageData()));
        if (!picture.isNull()) {
            showPastedPicture(std::move(picture));
            return PasteResult::Shown;
        }
    }
    return PasteResult::NothingUsable;
}

void zent3controller::takeScreenshot(const Sender&)
{
    captureWithOption(1);
}

void zent3controller::takeFullScreenshot(const Sender&)
{
    captureWithOption(2);
}

void zent3controller::takeWindowScreenshot(const Sender&)
{
    captureWithOption(3);
}

void zent3controller::captureWithOption(int option)
{
    if (!m_uiServices)
        return;
    BitmapImageRep picture = bitmapFromImage(m_uiServices->captureScreen(option));
    if (!picture.isNull())
        showPastedPicture(std::move(picture));
}

bool zent3controller::validRequestorForSendTypeReturnType(const QString& sendType, const QString& returnType)
{
    return sendType.isEmpty() && returnType == QLatin1String("image/tiff");
}

} // namespace quillum
