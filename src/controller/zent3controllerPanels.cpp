// Auxiliary panels, help topics, web pages and the update check.

#include "zent3controller.h"

#include "platform/UiServices.h"
#include "platform/Updater.h"
#include "platform/WindowPosition.h"

namespace quillum {

namespace {

const QString kQuillumHomePage = QStringLiteral("https://quillum.example.org/");
const QString kLorvaneHomePage = QStringLiteral("https://lorvane.example.org/");
const QString kUpdateFeedAddress = QStringLiteral("https://quillum.example.org/appcast.xml");

// A setup panel left mostly off the main screen comes back before it is raised.
void bringPanelForward(UiServices* ui, WindowId window)
{
    if (!ui)
        return;
    const PositionCheck check = validatePosition(ui->windowFrame(window), ui->mainScreenSize());
    if (check.changed)
        ui->setWindowFrame(window, check.frame);
    ui->bringWindowForward(window, true);
}

} // namespace

void zent3controller::showCaptionsSetup(const Sender&)
{
    bringPanelForward(m_uiServices, WindowId::CaptionSetup);
}

void zent3controller::showBorderSetup(const Sender&)
{
    bringPanelForward(m_uiServices, WindowId::BorderSetup);
}

void zent3controller::showLogoSetup(const Sender&)
{
    bringPanelForward(m_uiServices, WindowId::LogoSetup);
}

void zent3controller::showResizerPanel(const Sender&)
{
    bringPanelForward(m_uiServices, WindowId::Resizer);
}

void zent3controller::showPictureCorrectionWindow(const Sender&)
{
    if (m_uiServices)
        m_uiServices->bringWindowForward(WindowId::PictureCorrection, true);
}

void zent3controller::goToQuillumHomePage(const Sender&)
{
    if (m_uiServices)
        m_uiServices->openUrl(kQuillumHomePage);
}

void zent3controller::goToLorvaneHomePage(const Sender&)
{
    if (m_uiServices)
        m_uiServices->openUrl(kLorvaneHomePage);
}

// --- Help topics: the anchor is the command's name ----------------------------------------

#define QUILLUM_HELP_COMMAND(name)                                                                                     \
    void zent3controller::name(const Sender&)                                                                          \
    {                                                                                                                  \
        if (m_uiServices)                                                                                              \
            m_uiServices->showHelpAnchor(QStringLiteral(#name));                                                       \
    }

QUILLUM_HELP_COMMAND(helpMainScreen)
QUILLUM_HELP_COMMAND(helpResizeTool)
QUILLUM_HELP_COMMAND(helpLogo)
QUILLUM_HELP_COMMAND(helpBorders)
QUILLUM_HELP_COMMAND(helpCaptions)
QUILLUM_HELP_COMMAND(helpPreferencesGeneral)
QUILLUM_HELP_COMMAND(helpPreferencesSaving)
QUILLUM_HELP_COMMAND(helpPreferencesAdvanced)
QUILLUM_HELP_COMMAND(helpSave)
QUILLUM_HELP_COMMAND(helpMyPresetsGeneral)
QUILLUM_HELP_COMMAND(helpMyPresetsEditList)

#undef QUILLUM_HELP_COMMAND

// --- Updates ----------------------------------------------------------------------------------

QString zent3controller::updateFeedAddress() const
{
    return m_updateFeedAddress.isEmpty() ? kUpdateFeedAddress : m_updateFeedAddress;
}

void zent3controller::prepareUpdater()
{
    Updater& updater = m_updater ? *m_updater : sharedUpdater();
    updater.setFeedURL(QUrl(updateFeedAddress()));
}

void zent3controller::runUpdater(const Sender&)
{
    Updater& updater = m_updater ? *m_updater : sharedUpdater();
    std::weak_ptr<int> alive = m_updaterAnswerToken;
    updater.checkForUpdates([this, alive](const UpdateCheckResult& result) {
        if (alive.expired() || !m_uiServices)
            return;
        const QString title = QStringLiteral("Check for Updates");
        if (result.outcome != UpdateCheckResult::Outcome::NewerAvailable) {
            m_uiServices->runAlert(title, result.message, { QStringLiteral("OK") });
            return;
        }
        // Quillum never installs a release itself; the home page has it.
        const AlertButton chosen = m_uiServices->runAlert(
            title, result.message, { QStringLiteral("Open Home Page"), QStringLiteral("Not Now") });
        if (chosen == AlertButton::First)
            goToQuillumHomePage();
    });
}

void zent3controller::insertCheckForUpdatesItem()
{
    if (m_applicationMenu.itemWithTag(kCheckForUpdatesItemTag))
        return;
    m_applicationMenu.addItem({ kCheckForUpdatesItemTag, QStringLiteral("Check for Updates\u2026"), QString(), true,
        false, false, [this] { runUpdater(); }, {}, {} });
}

} // namespace quillum
