#pragma once
// The undo history of the picture shown: each change of the crop or of the output settings
// is one step between two snapshots (EditSnapshot.h) on a QUndoStack, which the window's Edit
// menu shows. Main thread only.
//
// A change is recorded when the state settles: once control is back in the event loop after
// the controller announced something. Whatever one command does is therefore one step, and
// so is each finished frame gesture, which the left panel reports once (a drag at the
// release, a held arrow key at its release, a wheel burst when it rests). Continuous steps
// of the same kind that follow each other within kJoinWindow join into one (taps of an arrow
// key, a slider's values, digits typed into a size field); switches never join. Undo and
// redo put a snapshot back and record nothing. Another picture starts a new history.

#include "controller/EditSnapshot.h"
#include "cropframe/CropEvents.h"
#include "platform/NotificationCenter.h"

#include <QString>
#include <QUndoStack>

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace quillum {

class zent3controller;

// What a step is called, and whether a following step of the same name may join it.
struct EditKind {
    QString name;
    bool continuous = false;
};
// By the first group that differs: the picture's turn, the ratio, the frame's size, its
// place, then the output settings in the order of the controls.
EditKind classifyEdit(const EditSnapshot& before, const EditSnapshot& after);

class EditHistory {
public:
    using Clock = std::function<std::chrono::steady_clock::time_point()>;
    static constexpr std::chrono::milliseconds kJoinWindow { 1000 };

    // `settleTimer` null: a timer on the event loop. The controller is borrowed and must
    // outlive the history.
    explicit EditHistory(zent3controller& controller, std::unique_ptr<OneShotTimer> settleTimer = nullptr);
    ~EditHistory();
    EditHistory(const EditHistory&) = delete;
    EditHistory& operator=(const EditHistory&) = delete;

    const QUndoStack& stack() const { return m_stack; }
    QUndoStack& stack() { return m_stack; }
    // Records the change since the last settled state, if there is one. The timer calls it;
    // undo and redo call it first, so a change not yet settled is undone, not lost.
    void settle();
    void undo();
    void redo();
    // The Edit menu's texts: "Undo Move Frame", or "Undo" with nothing to undo.
    QString undoActionText() const;
    QString redoActionText() const;
    // For tests: the time steps are joined by.
    void setClock(Clock clock) { m_clock = std::move(clock); }

private:
    class Step;
    void changed();
    void startOver();
    void restore(const EditSnapshot& snapshot);

    zent3controller& m_controller;
    std::unique_ptr<OneShotTimer> m_timer;
    QUndoStack m_stack;
    Clock m_clock = [] { return std::chrono::steady_clock::now(); };
    std::optional<EditSnapshot> m_settled; // none until the first settle takes it
    bool m_restoring = false;
    bool m_joinNext = false; // the step after an undo or redo never joins the one before
    std::uint64_t m_keyObserver = 0;
    std::vector<NotificationCenter::ObserverId> m_observers;
};

} // namespace quillum
