#include "NewPresetSheet.h"

#include "controller/zent3controller.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace quillum {

NewPresetNameSheet::NewPresetNameSheet(zent3controller& controller, QWidget* parent)
    : QDialog(parent)
    , m_c(controller)
    , m_observers(controller)
{
    setObjectName(QStringLiteral("newPresetSheet"));
    setWindowTitle(tr("Add Current State as Preset"));
    setWindowModality(Qt::WindowModal);

    m_name = new QLineEdit(this);
    m_name->setObjectName(QStringLiteral("newPresetName"));
    m_name->setToolTip(tr("The preset's name in the Presets menu"));
    // Only the user's typing: the sheet's own refreshes must not echo back.
    connect(m_name, &QLineEdit::textEdited, this, [this](const QString& text) { m_c.setNewPresetName(text); });

    struct Box {
        RememberGroup group;
        const char* name;
        const char* title;
        const char* toolTip;
    };
    static const Box boxes[] = {
        { RememberGroup::Size, "rememberSize", "Size", "Remember the aspect ratio and the fixed output size" },
        { RememberGroup::Text, "rememberCaptions", "Captions", "Remember the captions" },
        { RememberGroup::Border, "rememberBorders", "Borders", "Remember the borders" },
        { RememberGroup::Logo, "rememberLogo", "Logo", "Remember the logo" },
        { RememberGroup::Other, "rememberOther", "Other effects",
            "Remember auto levels, colour mode, invert, mirrors and sharpening" },
    };
    auto* group = new QGroupBox(tr("Remember"), this);
    auto* checks = new QVBoxLayout(group);
    for (const Box& b : boxes) {
        auto* check = new QCheckBox(tr(b.title), group);
        check->setObjectName(QString::fromLatin1(b.name));
        check->setToolTip(tr(b.toolTip));
        const RememberGroup g = b.group;
        // clicked, not toggled: only the user's clicks reach the controller.
        connect(check, &QCheckBox::clicked, this, [this, g](bool on) { m_c.setRememberBox(g, on); });
        m_remember[std::size_t(g)] = check;
        checks->addWidget(check);
    }
    auto* all = new QPushButton(tr("All"), group);
    all->setObjectName(QStringLiteral("rememberAll"));
    all->setToolTip(tr("Remember every group"));
    all->setAutoDefault(false);
    connect(all, &QPushButton::clicked, this, [this] { m_c.rememberAll(); });
    auto* none = new QPushButton(tr("None"), group);
    none->setObjectName(QStringLiteral("rememberNone"));
    none->setToolTip(tr("Remember no group"));
    none->setAutoDefault(false);
    connect(none, &QPushButton::clicked, this, [this] { m_c.rememberNone(); });
    auto* allNone = new QHBoxLayout;
    allNone->addWidget(all);
    allNone->addWidget(none);
    checks->addStretch(1);
    checks->addLayout(allNone);

    m_details = new QPlainTextEdit(this);
    m_details->setObjectName(QStringLiteral("newPresetDetails"));
    m_details->setReadOnly(true);
    m_details->setFocusPolicy(Qt::NoFocus);
    m_details->setToolTip(tr("What the preset will apply"));

    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(12);
    grid->addWidget(new QLabel(tr("Name:"), this), 0, 0, 1, 2);
    grid->addWidget(m_name, 1, 0, 1, 2);
    grid->addWidget(group, 2, 0, 2, 1);
    grid->addWidget(new QLabel(tr("Details:"), this), 2, 1);
    grid->addWidget(m_details, 3, 1);
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(3, 1);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    QPushButton* ok = buttons->button(QDialogButtonBox::Ok);
    ok->setDefault(true);
    ok->setToolTip(tr("Add the preset to the Presets menu"));
    buttons->button(QDialogButtonBox::Cancel)->setToolTip(tr("Add nothing"));
    connect(buttons, &QDialogButtonBox::accepted, this, [this] { m_c.theNewPresetNameOK(); });
    connect(buttons, &QDialogButtonBox::rejected, this, [this] { reject(); });

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid, 1);
    layout->addWidget(buttons);
    resize(620, 340);

    m_observers.observe({ key::newPresetSheet }, [this] { sync(); });
    sync();
}

NewPresetNameSheet::~NewPresetNameSheet() = default;

void NewPresetNameSheet::commit()
{
    m_c.setNewPresetName(m_name->text());
}

void NewPresetNameSheet::reject()
{
    m_c.theNewPresetNameCancel();
    QDialog::reject();
}

void NewPresetNameSheet::showEvent(QShowEvent* event)
{
    // Typing replaces the suggested name.
    m_name->setFocus(Qt::OtherFocusReason);
    m_name->selectAll();
    QDialog::showEvent(event);
}

void NewPresetNameSheet::sync()
{
    const NewPresetSheet& sheet = m_c.newPresetSheet();
    if (m_name->text() != sheet.name)
        m_name->setText(sheet.name);
    m_details->setPlainText(sheet.details);
    for (std::size_t i = 0; i < m_remember.size(); ++i)
        m_remember[i]->setChecked(sheet.remember[i]);
}

} // namespace quillum
