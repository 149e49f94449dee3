#include "zent3controller.h"

#include "imaging/WorkingBitmap.h"

namespace quillum {

zent3controller::zent3controller(NotificationCenter& center, std::unique_ptr<OneShotTimer> wheelTimer)
    : m_center(center)
    , m_leftPanel(center, std::move(wheelTimer))
{
    wireNotifications();
    m_mainZoomMenu.addItem({101, QStringLiteral("Zoom In"), QStringLiteral("+"), true, false, false,
                            [this] { inPicZoomIn(); }});
    m_mainZoomMenu.addItem({102, QStringLiteral("Zoom Out"), QStringLiteral("-"), true, false, false,
                            [this] { inPicZoomOut(); }});
    m_mainZoomMenu.addItem({103, QStringLiteral("Fit to View"), QStringLiteral("9"), true, false, false,
                            [this] { fitImageToView(); }});
    m_mainZoomMenu.addItem({104, QStringLiteral("Actual Size"), QStringLiteral("0"), true, false, false,
                            [this] { fitImageTo100(); }});
}

zent3controller::~zent3controller()
{
    for (auto id : m_observers)
        m_center.removeObserver(id);
}

void zent3controller::wireNotifications()
{
    m_observers.push_back(m_center.addObserver(QStringLiteral("SelRectDidChangeNotification"), nullptr,
        [this](const Notification& n) { selectionDidChange(n); }));
    m_observers.push_back(m_center.addObserver(
        QStringLiteral("OutputMustBeRedrawn"), nullptr, [this](const Notification&) { redrawOutput(); }));
}

void zent3controller::setSourcePicture(BitmapImageRep bitmap, const QVariantMap& properties, const QString& path)
{
    m_backupSrcImageRep.reset();
    m_sourceProperties = properties;
    m_sourcePath = path;
    if (bitmap.isNull()) {
        m_srcImageRep.reset();
        m_leftPanel.setPictureSize({});
        m_imageInfo.clear();
        m_sourcePixelsHigh = m_sourcePixelsWide = m_sourceSamplesPerPixel = 0;
        m_sourceColorSpaceName.clear();
    } else {
        m_sourcePixelsHigh = bitmap.pixelsHigh();
        m_sourcePixelsWide = bitmap.pixelsWide();
        m_sourceSamplesPerPixel = bitmap.samplesPerPixel();
        m_sourceColorSpaceName = QString::fromLatin1(colorSpaceName(bitmap.colorSpace()));
        m_imageInfo = imageInfoFor(bitmap);
        m_leftPanel.setPictureSize({ double(bitmap.pixelsWide()), double(bitmap.pixelsHigh()) });
        m_srcImageRep = std::make_unique<BitmapImageRep>(std::move(bitmap));
    }
    didChangeValueForKey(QStringLiteral("imageInfo"));
}

void zent3controller::startMyTimer()
{
    m_startDate = std::chrono::steady_clock::now();
}

void zent3controller::timerAction()
{
    m_elapsedTimeInterval = std::chrono::duration<double>(std::chrono::steady_clock::now() - m_startDate).count();
}

zent3controller::RenderBatch::~RenderBatch()
{
    if (--m_c.m_renderBatchDepth == 0 && m_c.m_renderPending) {
        m_c.m_renderPending = false;
        m_c.redrawOutput();
    }
}

template <typename T> void zent3controller::setAndRender(T& member, T value, const char* key)
{
    if (member == value)
        return;
    member = value;
    didChangeValueForKey(QString::fromLatin1(key));
    redrawOutput();
}

void zent3controller::setAutoLevelsIsOn(bool on)
{
    setAndRender(m_autoLevelsIsOn, on, "autoLevelsIsOn");
}
void zent3controller::setAutoLevelsIsLocked(bool locked)
{
    setAndRender(m_autoLevelsIsLocked, locked, "autoLevelsIsLocked");
}
void zent3controller::setPictureCorrectionIsOn(bool on)
{
    setAndRender(m_pictureCorrectionIsOn, on, "pictureCorrectionIsOn");
}
void zent3controller::setGammaValue(float v)
{
    setAndRender(m_gammaValue, v, "gammaValue");
}
void zent3controller::setContrastValue(float v)
{
    setAndRender(m_contrastValue, v, "contrastValue");
}
void zent3controller::setRedValue(float v)
{
    setAndRender(m_redValue, v, "redValue");
}
void zent3controller::setGreenValue(float v)
{
    setAndRender(m_greenValue, v, "greenValue");
}
void zent3controller::setBlueValue(float v)
{
    setAndRender(m_blueValue, v, "blueValue");
}
void zent3controller::setFlipVertical(bool on)
{
    setAndRender(m_flipVertical, on, "flipVertical");
}
void zent3controller::setFlipHorizontal(bool on)
{
    setAndRender(m_flipHorizontal, on, "flipHorizontal");
}
void zent3controller::setInvertIsOn(bool on)
{
    setAndRender(m_invertIsOn, on, "invertIsOn");
}
void zent3controller::setOutputModeTag(int tag)
{
    setAndRender(m_outputModeTag, tag, "outputModeTag");
}
void zent3controller::setSharpenLevel(int level)
{
    setAndRender(m_sharpenLevel, std::max(level, 0), "sharpenLevel");
}

void zent3controller::setDontShowCropFlag(bool flag)
{
    if (m_dontShowCropFlag == flag)
        return;
    m_dontShowCropFlag = flag;
    didChangeValueForKey(QStringLiteral("dontShowCropFlag"));
    if (!flag)
        redrawOutput();
}

} // namespace quillum
