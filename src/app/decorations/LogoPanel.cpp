#include "LogoPanel.h"

#include "controller/zent3controller.h"

#include <QCheckBox>
#include <QDoubleSpinBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMimeData>
#include <QPainter>
#include <QSlider>
#include <QUrl>
#include <QVBoxLayout>

namespace quillum {

namespace {

QStringList localFiles(const QMimeData* mime)
{
    QStringList paths;
    if (mime)
        for (const QUrl& url : mime->urls())
            if (url.isLocalFile())
                paths << url.toLocalFile();
    return paths;
}

} // namespace

// --- LogoWell ------------------------------------------------------------------------------

LogoWell::LogoWell(QWidget* parent)
    : QFrame(parent)
{
    setObjectName(QStringLiteral("logoWell"));
    setToolTip(tr("The logo; drop a picture file here to use it"));
    setFrameShape(QFrame::StyledPanel);
    setFrameShadow(QFrame::Sunken);
    setAcceptDrops(true);
    setMinimumSize(160, 120);
}

void LogoWell::setImage(const QImage& image)
{
    m_image = image;
    update();
}

void LogoWell::paintEvent(QPaintEvent* event)
{
    QFrame::paintEvent(event);
    QPainter p(this);
    const QRect area = contentsRect().adjusted(6, 6, -6, -6);
    if (m_image.isNull() || area.isEmpty()) {
        p.setPen(palette().color(QPalette::Disabled, QPalette::WindowText));
        p.drawText(area, Qt::AlignCenter | Qt::TextWordWrap, tr("No logo\nDrop a picture here"));
        return;
    }
    const QSize fitted = m_image.size().scaled(area.size(), Qt::KeepAspectRatio);
    const QRect target(area.center() - QPoint(fitted.width() / 2, fitted.height() / 2), fitted);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.drawImage(target, m_image);
}

void LogoWell::dragEnterEvent(QDragEnterEvent* event)
{
    if (!localFiles(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void LogoWell::dragMoveEvent(QDragMoveEvent* event)
{
    if (!localFiles(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void LogoWell::dropEvent(QDropEvent* event)
{
    const QStringList files = localFiles(event->mimeData());
    if (files.isEmpty() || !m_dropped)
        return;
    event->acceptProposedAction();
    m_dropped(files);
}

// --- LogoPanel -----------------------------------------------------------------------------

LogoPanel::LogoPanel(zent3controller& controller, QWidget* parent)
    : QWidget(parent, Qt::Tool)
    , m_c(controller)
    , m_binder(controller, { key::decorations, key::logoImage })
{
    setObjectName(QStringLiteral("LogoPanel"));
    setWindowTitle(tr("Logo"));

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(12, 10, 12, 10);
    column->setSpacing(8);

    auto* master = panelkit::checkBox(
        this, "drawLogo", tr("Stamp the logo on the output"), tr("The logo's switch (also on the output strip)"));
    m_binder.check(
        master, [this] { return m_c.drawLogo(); }, [this](bool on) { m_c.setDrawLogo(on); });
    column->addWidget(master);

    // The well with its three buttons beside it.
    m_well = new LogoWell(this);
    // The controller says why a file cannot be used; the well only hands the paths on.
    m_well->setDropHandler([this](const QStringList& files) {
        m_c.dropFilesOnLogoWell(files);
        m_binder.sync();
    });
    m_binder.show([this] { m_well->setImage(m_c.logoImageView().image()); });
    auto* choose = panelkit::pushButton(this, "chooseLogo", tr("Choose…"), tr("Open a picture file as the logo"));
    connect(choose, &QToolButton::clicked, this, [this] { m_c.loadLogoImage(); });
    auto* clear = panelkit::pushButton(this, "clearLogo", tr("Clear"), tr("Remove the logo picture"));
    connect(clear, &QToolButton::clicked, this, [this] { m_c.clearLogoImage(); });
    auto* reset
        = panelkit::pushButton(this, "resetLogo", tr("Reset"), tr("The built-in logo at its original size and place"));
    connect(reset, &QToolButton::clicked, this, [this] { m_c.resetLogo(); });
    auto* buttons = new QVBoxLayout;
    buttons->setSpacing(4);
    for (QToolButton* b : { choose, clear, reset }) {
        b->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        buttons->addWidget(b);
    }
    buttons->addStretch(1);
    auto* wellRow = new QHBoxLayout;
    wellRow->addWidget(m_well, 1);
    wellRow->addLayout(buttons);
    column->addLayout(wellRow);

    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(5);
    grid->setColumnStretch(1, 1);
    int row = 0;
    auto addRow = [&](const QString& title, QWidget* control) {
        auto* label = new QLabel(title, this);
        label->setBuddy(control);
        grid->addWidget(label, row, 0);
        grid->addWidget(control, row++, 1);
    };
    auto* width = panelkit::valueField(this, "logoWidth",
        tr("Width in percent (of the longer side when proportional, else of the output's width)"), 0.0, 100.0, 0.5,
        QStringLiteral(" %"));
    m_binder.value(
        width, [this] { return m_c.logoWidthValue(); }, [this](float v) { m_c.setLogoWidthValue(v); });
    auto* height = panelkit::valueField(this, "logoHeight",
        tr("Height in percent (of the longer side when proportional, else of the output's height)"), 0.0, 100.0, 0.5,
        QStringLiteral(" %"));
    m_binder.value(
        height, [this] { return m_c.logoHeightValue(); }, [this](float v) { m_c.setLogoHeightValue(v); });
    auto* size = new QHBoxLayout;
    size->setSpacing(4);
    size->addWidget(width, 1);
    size->addWidget(new QLabel(QStringLiteral("×"), this));
    size->addWidget(height, 1);
    auto* sizeLabel = new QLabel(tr("Size"), this);
    sizeLabel->setBuddy(width);
    grid->addWidget(sizeLabel, row, 0);
    grid->addLayout(size, row++, 1);

    auto* proportional = panelkit::checkBox(this, "logoProportional", tr("Keep the logo's proportions"),
        tr("The other side follows the logo picture; sizes and offsets count from the longer side"));
    m_binder.check(
        proportional, [this] { return m_c.logoProportionalResize(); },
        [this](bool on) { m_c.setLogoProportionalResize(on); });
    grid->addWidget(proportional, row++, 1);

    auto* offsetX = panelkit::valueField(
        this, "logoOffsetX", tr("Distance from the left or right edge, percent"), -100.0, 100.0, 0.5);
    m_binder.value(
        offsetX, [this] { return m_c.logoOffsetXValue(); }, [this](float v) { m_c.setLogoOffsetXValue(v); });
    auto* offsetY = panelkit::valueField(
        this, "logoOffsetY", tr("Distance from the top or bottom edge, percent"), -100.0, 100.0, 0.5);
    m_binder.value(
        offsetY, [this] { return m_c.logoOffsetYValue(); }, [this](float v) { m_c.setLogoOffsetYValue(v); });
    auto* offsets = new QHBoxLayout;
    offsets->setSpacing(4);
    offsets->addWidget(new QLabel(QStringLiteral("X"), this));
    offsets->addWidget(offsetX, 1);
    offsets->addSpacing(6);
    offsets->addWidget(new QLabel(QStringLiteral("Y"), this));
    offsets->addWidget(offsetY, 1);
    auto* offsetLabel = new QLabel(tr("Offset"), this);
    offsetLabel->setBuddy(offsetX);
    grid->addWidget(offsetLabel, row, 0);
    grid->addLayout(offsets, row++, 1);

    auto* opacity = panelkit::opacitySlider(this, "logoOpacity", tr("How strongly the logo covers the picture"));
    QLabel* readout = nullptr;
    QWidget* opacityRow = panelkit::sliderWithReadout(this, opacity, readout);
    m_binder.opacity(
        opacity, readout, [this] { return m_c.logoOpaqueValue(); }, [this](float v) { m_c.setLogoOpaqueValue(v); });
    addRow(tr("Opacity"), opacityRow);

    auto* location = new LocationGrid(QStringLiteral("logoLocation"), tr("Where the logo sits on the output"), this);
    m_binder.location(
        location, [this] { return m_c.logoLocationValue(); }, [this](int v) { m_c.setLogoLocationValue(v); });
    grid->addWidget(new QLabel(tr("Place"), this), row, 0, Qt::AlignTop);
    grid->addWidget(location, row++, 1, Qt::AlignLeft);
    column->addLayout(grid);

    auto* help = panelkit::pushButton(this, "logoHelp", tr("Help"), tr("How the logo is placed"));
    connect(help, &QToolButton::clicked, this, [this] { m_c.helpLogo(); });
    auto* footer = new QHBoxLayout;
    footer->addStretch(1);
    footer->addWidget(help);
    column->addLayout(footer);

    setMinimumWidth(340);
    m_binder.sync();
}

LogoPanel::~LogoPanel() = default;

} // namespace quillum
