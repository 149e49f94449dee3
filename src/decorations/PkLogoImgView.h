#pragma once
// The logo well: holds the logo image. A new image (or none) is announced with
// "NewLogoImageWasLoaded" and then "OutputMustBeRedrawn"; a dropped file also with
// "NewLogoWasDroppedNotification". Its widget only passes drops and paints the image.

#include "platform/NotificationCenter.h"

#include <QImage>
#include <QString>
#include <QStringList>

namespace quillum {

class PkLogoImgView {
public:
    explicit PkLogoImgView(NotificationCenter& center)
        : m_center(center)
    { }

    const QImage& image() const { return m_image; }
    bool hasImage() const { return !m_image.isNull(); }
    void setImage(const QImage& image);

    // The path of the last file dropped on the well; empty when the drop carried none.
    const QString& imageName() const { return m_imageName; }
    // Takes a drop of files: reads the first as the logo. On success sets the image and
    // imageName and posts "NewLogoWasDroppedNotification"; on failure leaves the well as it
    // was and answers false with the reason in `error`.
    bool performDragOperation(const QStringList& fileNames, QString* error = nullptr);

private:
    NotificationCenter& m_center;
    QImage m_image;
    QString m_imageName;
};

// The logo setup panel's state: the well and the name of the file its image came from
// ("SampleLogo500" for the built-in mark, empty for none), which is what the settings keep.
class PkLogoScreen {
public:
    explicit PkLogoScreen(NotificationCenter& center)
        : m_well(center)
    { }

    PkLogoImgView& logoImageView() { return m_well; }
    const PkLogoImgView& logoImageView() const { return m_well; }
    const QString& logoImageFile() const { return m_logoImageFile; }
    void setLogoImageFile(const QString& path) { m_logoImageFile = path; }

    // Reads `path` into the well; an unreadable file leaves the well empty and answers the
    // reason. "SampleLogo500" puts the built-in mark.
    bool openLogoImageFile(const QString& path, QString* error = nullptr);
    // Opens the chosen file and remembers its path.
    bool loadLogoImage(const QString& path, QString* error = nullptr);
    void clearLogoImage();

private:
    PkLogoImgView m_well;
    QString m_logoImageFile;
};

} // namespace quillum
