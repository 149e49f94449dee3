#include "decorations/PkLogoImgView.h"

#include "decorations/DecorationSettings.h"
#include "decorations/LogoImage.h"
#include "platform/NotificationNames.h"

namespace quillum {

void PkLogoImgView::setImage(const QImage& image)
{
    m_image = image;
    m_center.postNotificationName(notification::NewLogoImageWasLoaded);
    m_center.postNotificationName(notification::OutputMustBeRedrawn);
}

bool PkLogoImgView::performDragOperation(const QStringList& fileNames, QString* error)
{
    if (fileNames.isEmpty()) {
        m_imageName.clear();
        if (error)
            *error = QStringLiteral("The drop carried no file.");
        return false;
    }
    Result<QImage> read = readLogoImage(fileNames.first());
    if (!read) {
        if (error)
            *error = read.error();
        return false;
    }
    setImage(*read);
    m_imageName = fileNames.first();
    m_center.postNotificationName(notification::NewLogoWasDropped);
    return true;
}

bool PkLogoScreen::openLogoImageFile(const QString& path, QString* error)
{
    if (path == kSampleLogoName) {
        m_well.setImage(sampleLogoImage());
        return true;
    }
    Result<QImage> read = readLogoImage(path);
    if (!read) {
        if (error)
            *error = read.error();
        m_well.setImage({});
        return false;
    }
    m_well.setImage(*read);
    return true;
}

bool PkLogoScreen::loadLogoImage(const QString& path, QString* error)
{
    const bool ok = openLogoImageFile(path, error);
    m_logoImageFile = ok ? path : QString();
    return ok;
}

void PkLogoScreen::clearLogoImage()
{
    m_well.setImage({});
    m_logoImageFile.clear();
}

} // namespace quillum
