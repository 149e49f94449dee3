#include "EditHistory.h"

#include "controller/zent3controller.h"
#include "platform/NotificationNames.h"

#include <QUndoCommand>

namespace quillum {

namespace {

bool sameSize(const Rect& a, const Rect& b)
{
    return a.width == b.width && a.height == b.height;
}

// A switch's step never joins the one before; a value's step (a slider, a field, a key
// tap) may.
EditKind switched(const char* name)
{
    return { QString::fromLatin1(name), false };
}
EditKind valued(const char* name)
{
    return { QString::fromLatin1(name), true };
}

EditKind classifyOutput(const OutputSnapshot& a, const OutputSnapshot& b)
{
    if (a.autoLevels != b.autoLevels || a.autoLevelsLocked != b.autoLevelsLocked || a.lockedLevels != b.lockedLevels)
        return switched("Auto Levels");
    if (a.pictureCorrection != b.pictureCorrection)
        return switched("Picture Correction");
    if (a.gamma != b.gamma || a.contrast != b.contrast || a.red != b.red || a.green != b.green || a.blue != b.blue)
        return valued("Picture Correction");
    if (a.flipVertical != b.flipVertical || a.flipHorizontal != b.flipHorizontal)
        return switched("Mirror");
    if (a.invert != b.invert)
        return switched("Invert");
    if (a.outputMode != b.outputMode)
        return switched("Colour Mode");
    if (a.sharpenLevel != b.sharpenLevel)
        return switched("Sharpen");
    if (a.widthFixed != b.widthFixed || a.heightFixed != b.heightFixed
        || a.unproportionalStretch != b.unproportionalStretch || a.quickResizeWidthCase != b.quickResizeWidthCase
        || a.quickResizeHeightCase != b.quickResizeHeightCase)
        return switched("Output Size");
    if (a.outputWidth != b.outputWidth || a.outputHeight != b.outputHeight)
        return valued("Output Size");
    const DecorationSettings &da = a.decorations, &db = b.decorations;
    if (da.captionsOn != db.captionsOn)
        return switched("Captions");
    if (da.captions != db.captions)
        return valued("Captions");
    if (da.bordersOn != db.bordersOn)
        return switched("Borders");
    if (da.borders != db.borders)
        return valued("Borders");
    if (da.logo.drawLogo != db.logo.drawLogo || a.logoImageFile != b.logoImageFile || !(a.logoImage == b.logoImage))
        return switched("Logo");
    return valued("Logo");
}

// The rectangle later ratio changes fit the frame into is put back with a step, but on its
// own (the largest frame chosen when it already is the largest) it is nothing to see.
bool onlyManualRectDiffers(EditSnapshot a, const EditSnapshot& b)
{
    a.frame.lastManualRect = b.frame.lastManualRect;
    return a == b;
}

} // namespace

EditKind classifyEdit(const EditSnapshot& before, const EditSnapshot& after)
{
    const FrameSnapshot &a = before.frame, &b = after.frame;
    if (a.pictureAngle != b.pictureAngle)
        return switched("Rotate Picture");
    if (a.fixedAspect != b.fixedAspect || a.aspectRatio != b.aspectRatio || a.aspectX != b.aspectX
        || a.aspectY != b.aspectY)
        return switched("Aspect Ratio");
    if (!sameSize(a.frame, b.frame))
        return valued("Resize Frame");
    if (!(a.frame == b.frame))
        return valued("Move Frame");
    return classifyOutput(before.output, after.output);
}

// One recorded change. It is pushed after the change happened, so its first redo (which
// QUndoStack::push runs) has nothing to do.
class EditHistory::Step : public QUndoCommand {
public:
    Step(EditHistory& history, EditSnapshot before, EditSnapshot after, EditKind kind,
        std::chrono::steady_clock::time_point at, bool joinsPrevious)
        : m_history(history)
        , m_before(std::move(before))
        , m_after(std::move(after))
        , m_continuous(kind.continuous)
        , m_at(at)
        , m_joinsPrevious(joinsPrevious)
    {
        setText(kind.name);
    }

    void undo() override { m_history.restore(m_before); }
    void redo() override
    {
        if (m_pushed)
            m_history.restore(m_after);
        m_pushed = true;
    }
    int id() const override { return m_continuous ? 1 : -1; }
    bool mergeWith(const QUndoCommand* other) override
    {
        const auto* next = static_cast<const Step*>(other);
        if (!next->m_joinsPrevious || next->text() != text() || next->m_at - m_at > kJoinWindow)
            return false;
        m_after = next->m_after;
        m_at = next->m_at;
        // Back where it started: the stack drops the step.
        setObsolete(m_after == m_before);
        return true;
    }

private:
    EditHistory& m_history;
    EditSnapshot m_before;
    EditSnapshot m_after;
    bool m_continuous;
    std::chrono::steady_clock::time_point m_at;
    bool m_joinsPrevious;
    bool m_pushed = false;
};

EditHistory::EditHistory(zent3controller& controller, std::unique_ptr<OneShotTimer> settleTimer)
    : m_controller(controller)
    , m_timer(settleTimer ? std::move(settleTimer) : makeEventLoopTimer())
{
    // Snapshots are small, but a long session should not grow without end.
    m_stack.setUndoLimit(500);
    m_keyObserver = controller.observeKey({}, [this](const QString& key) {
        if (key == QLatin1String(key::sourcePicture))
            startOver();
        else
            changed();
    });
    // A frame gesture with a locked ratio while the output panel is closed announces no key.
    NotificationCenter& center = controller.notificationCenter();
    for (const QString& name : { notification::SelRectDidChange, notification::SelRectDidRotation })
        m_observers.push_back(center.addObserver(name, nullptr, [this](const Notification&) { changed(); }));
    // The first settled state is the baseline: the settings read at start are no step.
    m_timer->fireAfter(0, [this] { settle(); });
}

EditHistory::~EditHistory()
{
    m_timer->stop();
    m_controller.removeKeyObserver(m_keyObserver);
    for (NotificationCenter::ObserverId id : m_observers)
        m_controller.notificationCenter().removeObserver(id);
}

void EditHistory::changed()
{
    if (!m_restoring)
        m_timer->fireAfter(0, [this] { settle(); });
}

void EditHistory::startOver()
{
    m_stack.clear();
    m_settled.reset();
    m_joinNext = false;
    m_timer->fireAfter(0, [this] { settle(); });
}

void EditHistory::settle()
{
    m_timer->stop();
    if (m_restoring)
        return;
    EditSnapshot now = m_controller.editSnapshot();
    const QString name = m_controller.takeEditName();
    if (!m_settled) {
        m_settled = std::move(now);
        return;
    }
    if (onlyManualRectDiffers(now, *m_settled)) {
        m_settled = std::move(now);
        return;
    }
    EditKind edit = classifyEdit(*m_settled, now);
    if (!name.isEmpty())
        edit = { name, false };
    const bool joins = std::exchange(m_joinNext, true);
    EditSnapshot before = std::exchange(*m_settled, now);
    m_stack.push(new Step(*this, std::move(before), std::move(now), std::move(edit), m_clock(), joins));
}

void EditHistory::undo()
{
    settle();
    if (m_stack.canUndo())
        m_stack.undo();
}

void EditHistory::redo()
{
    settle();
    if (m_stack.canRedo())
        m_stack.redo();
}

void EditHistory::restore(const EditSnapshot& snapshot)
{
    m_restoring = true;
    m_controller.restoreEditSnapshot(snapshot);
    m_restoring = false;
    m_timer->stop();
    m_settled = m_controller.editSnapshot();
    m_controller.takeEditName();
    m_joinNext = false;
}

QString EditHistory::undoActionText() const
{
    return m_stack.canUndo() ? QStringLiteral("Undo %1").arg(m_stack.undoText()) : QStringLiteral("Undo");
}

QString EditHistory::redoActionText() const
{
    return m_stack.canRedo() ? QStringLiteral("Redo %1").arg(m_stack.redoText()) : QStringLiteral("Redo");
}

} // namespace quillum
