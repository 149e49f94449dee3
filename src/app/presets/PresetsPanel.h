#pragma once
// The presets panel ("Edit Presets Menu"), a sheet on the main window: the library as one
// column of names (separators shown as a line of dashes), renamed in place, reordered by
// dragging a row, and the commands that act on the selected row or on the whole library.
// Every rule is the controller's; the panel shows its rows and selection and passes on
// what the user does. Main thread only.

#include "app/controls/ControllerObservers.h"

#include <QDialog>
#include <QTableView>

#include <functional>

class QDrag;
class QPlainTextEdit;

namespace quillum {

class zent3controller;
class PresetRowsModel;

// The drag payload: the dragged row indexes, private to this table.
inline constexpr const char kPresetRowsMimeType[] = "MyPrivateTableViewDataType";

// The table: it writes the dragged rows under the private type and takes drops of that
// type only, which only it writes.
class PresetTable : public QTableView {
public:
    explicit PresetTable(QWidget* parent = nullptr);

    // Runs a started drag to its end and answers the drop's action. QDrag::exec, the
    // user's hands, unless replaced: a test whose platform cannot run a drag decides where
    // it lands instead. An empty runner restores exec.
    using DragRunner = std::function<Qt::DropAction(QDrag& drag)>;
    void setDragRunner(DragRunner runner);

protected:
    void startDrag(Qt::DropActions supportedActions) override;

private:
    DragRunner m_runDrag;
};

class PresetsPanel : public QDialog {
    Q_OBJECT
public:
    explicit PresetsPanel(zent3controller& controller, QWidget* parent = nullptr);
    ~PresetsPanel() override;

    PresetTable* table() const { return m_table; }

public Q_SLOTS:
    // Escape and the close button: the panel's Cancel.
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void reload();
    void syncSelection();

    zent3controller& m_c;
    ControllerObservers m_observers;
    PresetRowsModel* m_model = nullptr; // child
    PresetTable* m_table = nullptr;
    QPlainTextEdit* m_details = nullptr;
    bool m_syncing = false;
};

} // namespace quillum
