// The full-screen viewer: opening and closing (the zoom menu edits, the panel, the desktop's
// panels), switching between source and output, keeping it current, and its zoom.

#include "zent3controller.h"

#include "platform/Assert.h"
#include "platform/UiServices.h"

#include <utility>

namespace quillum {

namespace {

constexpr int kZoomInTag = 101;
constexpr int kZoomOutTag = 102;

MenuItem separatorItem(int tag)
{
    MenuItem item;
    item.tag = tag;
    item.separator = true;
    return item;
}

MenuItem commandItem(int tag, const char* title, const char* key, std::function<void()> action)
{
    MenuItem item;
    item.tag = tag;
    item.title = QString::fromUtf8(title);
    item.keyEquivalent = QString::fromLatin1(key);
    item.action = std::move(action);
    return item;
}

// The left panel's zoom in and out give up "+" and "-" to the viewer's items while it is open.
void setPanelZoomItems(MenuModel& menu, bool enabled)
{
    const std::pair<int, const char*> items[] = { { kZoomInTag, "+" }, { kZoomOutTag, "-" } };
    for (const auto& [tag, key] : items)
        if (MenuItem* item = menu.itemWithTag(tag)) {
            item->enabled = enabled;
            item->keyEquivalent = enabled ? QString::fromLatin1(key) : QString();
        }
    menu.setAutoenablesItems(false);
    menu.changed();
}

} // namespace

const BitmapImageRep* zent3controller::fullScreenImage() const
{
    if (!m_fullScreenIsOpen)
        return nullptr;
    return m_fullScreenShowCrop ? m_fullScreenOutput.get() : m_srcImageRep.get();
}

void zent3controller::fullScreen(const Sender& sender)
{
    if (m_fullScreenIsOpen) {
        if (m_uiServices)
            m_uiServices->orderWindowOut(WindowId::FullScreenPanel);
        m_fullScreenIsOpen = false;
        setPanelZoomItems(m_mainZoomMenu, true);
        for (int tag = kFullScreenFirstMenuTag; tag <= kFullScreenLastMenuTag; ++tag)
            m_mainZoomMenu.removeItemWithTag(tag);
        // The closed viewer holds no picture.
        m_fullScreenOutput.reset();
        m_fullScreenSourceShown = nullptr;
        didChangeValueForKey(key::fullScreenImage);
        didChangeValueForKey(key::fullScreenIsOpen);
        if (m_uiServices) {
            m_uiServices->setPresentationMode(false);
            m_uiServices->bringWindowForward(WindowId::Main, false);
        }
        return;
    }

    setPanelZoomItems(m_mainZoomMenu, false);
    m_mainZoomMenu.addItem(separatorItem(9990));
    m_mainZoomMenu.addItem(commandItem(9991, "Full Screen: Fit to Screen", "9", [this] { scaleFullScreenToFit(); }));
    m_mainZoomMenu.addItem(commandItem(9992, "Full Screen: Zoom In", "+", [this] { scaleFullScreenDown(); }));
    m_mainZoomMenu.addItem(commandItem(9993, "Full Screen: Zoom Out", "-", [this] { scaleFullScreenUp(); }));
    m_mainZoomMenu.addItem(commandItem(9994, "Full Screen: Actual Size", "0", [this] { scaleFullScreenTo100(); }));
    m_mainZoomMenu.addItem(separatorItem(9995));
    m_mainZoomMenu.addItem(
        commandItem(9996, "Toggle Input and Output Images", "1", [this] { fullScreenInOutToggle(); }));

    // The scroll view fills the panel, which covers the main window's screen. Without
    // UiServices the last known size stands.
    if (m_uiServices) {
        const Rect screen = m_uiServices->screenFrameOfMainWindow();
        m_uiServices->setWindowFrame(WindowId::FullScreenPanel, screen);
        m_zentFullScreenView.setScrollViewFrameSize(screen.size());
    }
    m_fullScreenIsOpen = true;
    didChangeValueForKey(key::fullScreenIsOpen);
    finishPendingRender();
    if (sender.tag == 1)
        showInFullScreen(false, nullptr);
    else
        showInFullScreen(true, m_outPict);
    scaleFullScreenToFit();
    if (m_uiServices) {
        m_uiServices->setPresentationMode(true);
        m_uiServices->bringWindowForward(WindowId::FullScreenPanel, true);
    }
}

void zent3controller::showInFullScreen(bool showCrop, std::shared_ptr<const BitmapImageRep> output)
{
    m_fullScreenShowCrop = showCrop;
    m_fullScreenOutput = showCrop ? std::move(output) : nullptr;
    m_fullScreenSourceShown = showCrop ? nullptr : m_srcImageRep.get();
    const BitmapImageRep* picture = fullScreenImage();
    m_zentFullScreenView.setPictureSize(
        picture ? Size { double(picture->pixelsWide()), double(picture->pixelsHigh()) } : Size {});
    // The scale stays; the frame follows the new picture so the widget never stretches it.
    m_zentFullScreenView.applyScale();
    didChangeValueForKey(key::fullScreenImage);
    didChangeValueForKey(key::fullScreenGeometry);
}

void zent3controller::fullScreenInOutToggle(const Sender&)
{
    if (!m_fullScreenIsOpen)
        return;
    if (m_fullScreenShowCrop)
        showInFullScreen(false, nullptr);
    else
        showInFullScreen(true, outPict());
}

void zent3controller::showImageInFullScreenAsCrop(std::shared_ptr<const BitmapImageRep> image, bool asCrop)
{
    if (!asCrop) {
        showImageInFullScreenAsCrop(image.get(), false);
        return;
    }
    if (!m_fullScreenIsOpen || !m_fullScreenShowCrop || image == m_fullScreenOutput)
        return;
    showInFullScreen(true, std::move(image));
}

void zent3controller::showImageInFullScreenAsCrop(const BitmapImageRep* image, bool asCrop)
{
    // A borrowed picture could outlive its owner in the viewer: only our own are taken.
    QUILLUM_ASSERT(!image || image == m_outPict.get() || image == m_srcImageRep.get(), return);
    if (asCrop) {
        if (image == m_outPict.get())
            showImageInFullScreenAsCrop(std::shared_ptr<const BitmapImageRep>(m_outPict), true);
        return;
    }
    if (!m_fullScreenIsOpen || m_fullScreenShowCrop || image == m_fullScreenSourceShown || image != m_srcImageRep.get())
        return;
    showInFullScreen(false, nullptr);
}

void zent3controller::scaleFullScreenPictureTo(float scale)
{
    m_zentFullScreenView.setScale(scale);
    if (!m_zentFullScreenView.hasPicture())
        return;
    m_zentFullScreenView.applyScale();
    didChangeValueForKey(key::fullScreenGeometry);
}

void zent3controller::scaleFullScreenToFit(const Sender&)
{
    if (m_zentFullScreenView.hasPicture())
        scaleFullScreenPictureTo(m_zentFullScreenView.fitScale());
}

void zent3controller::scaleFullScreenTo100(const Sender&)
{
    scaleFullScreenPictureTo(1.0f);
}

// The steps multiply in double and store single: a float product drifts within three steps.
void zent3controller::scaleFullScreenUp(const Sender&)
{
    scaleFullScreenPictureTo(float(double(m_zentFullScreenView.scale()) * 0.8));
}

void zent3controller::scaleFullScreenDown(const Sender&)
{
    scaleFullScreenPictureTo(float(double(m_zentFullScreenView.scale()) * 1.2));
}

void zent3controller::setFullScreenScrollViewFrameSize(Size size)
{
    if (size == m_zentFullScreenView.scrollViewFrameSize())
        return;
    m_zentFullScreenView.setScrollViewFrameSize(size);
    CenteringClipView& clip = m_zentFullScreenView.clipView();
    clip.scrollToPoint(clip.boundsOrigin());
    didChangeValueForKey(key::fullScreenGeometry);
}

} // namespace quillum
