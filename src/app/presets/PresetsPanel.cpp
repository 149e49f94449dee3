#include "PresetsPanel.h"

#include <functional>

#include "controller/zent3controller.h"

#include <QAbstractListModel>
#include <QDataStream>
#include <QDebug>
#include <QDialogButtonBox>
#include <QDrag>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QIODevice>
#include <QKeyEvent>
#include <QLabel>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

namespace quillum {

// The controller's rows as a one-column model. It keeps the row count it last announced,
// so a reload knows whether rows came or went (a reset) or only changed (their data).
class PresetRowsModel : public QAbstractListModel {
public:
    using Drop = std::function<bool(int firstDraggedRow, int row)>;

    PresetRowsModel(zent3controller& controller, Drop drop, QObject* parent)
        : QAbstractListModel(parent)
        , m_c(controller)
        , m_drop(std::move(drop))
        , m_rows(controller.numberOfRowsInTableView())
    { }

    void reload()
    {
        const int rows = m_c.numberOfRowsInTableView();
        if (rows != m_rows) {
            beginResetModel();
            m_rows = rows;
            endResetModel();
        } else if (rows > 0) {
            // A rename or a move: an editor still open on a row must not be torn down.
            Q_EMIT dataChanged(index(0), index(rows - 1));
        }
    }

    int rowCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : m_rows; }

    QVariant data(const QModelIndex& index, int role) const override
    {
        if (!index.isValid() || index.row() >= m_rows)
            return {};
        const int row = index.row();
        switch (role) {
        case Qt::DisplayRole:
        case Qt::EditRole:
            return m_c.tableViewObjectValueForRow(row);
        case Qt::TextAlignmentRole:
            // A separator reads as a line across the list, not as a name.
            return QVariant::fromValue(m_c.mySavedPresets().isPreset(row) ? Qt::AlignLeft | Qt::AlignVCenter
                                                                          : Qt::AlignHCenter | Qt::AlignVCenter);
        default:
            return {};
        }
    }

    Qt::ItemFlags flags(const QModelIndex& index) const override
    {
        // Drops land between rows (the view's root), never on a row.
        if (!index.isValid())
            return Qt::ItemIsDropEnabled;
        Qt::ItemFlags f = Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsDragEnabled;
        if (m_c.tableViewShouldEditRow(index.row()))
            f |= Qt::ItemIsEditable;
        return f;
    }

    bool setData(const QModelIndex& index, const QVariant& value, int role) override
    {
        if (!index.isValid() || role != Qt::EditRole)
            return false;
        m_c.tableViewSetObjectValueForRow(value.toString(), index.row());
        return true;
    }

    Qt::DropActions supportedDragActions() const override { return Qt::MoveAction; }
    Qt::DropActions supportedDropActions() const override { return Qt::MoveAction; }
    QStringList mimeTypes() const override { return { QString::fromLatin1(kPresetRowsMimeType) }; }

    QMimeData* mimeData(const QModelIndexList& indexes) const override
    {
        QList<int> rows;
        for (const QModelIndex& i : indexes)
            if (i.isValid() && !rows.contains(i.row()))
                rows << i.row();
        if (rows.isEmpty())
            return nullptr;
        std::sort(rows.begin(), rows.end());
        QByteArray payload;
        QDataStream out(&payload, QIODevice::WriteOnly);
        out << rows;
        auto* mime = new QMimeData;
        mime->setData(QString::fromLatin1(kPresetRowsMimeType), payload);
        return mime;
    }

    bool dropMimeData(
        const QMimeData* data, Qt::DropAction action, int row, int column, const QModelIndex& parent) override
    {
        (void)column;
        if (action != Qt::MoveAction || !data || !data->hasFormat(QString::fromLatin1(kPresetRowsMimeType)))
            return false;
        QList<int> rows;
        QDataStream in(data->data(QString::fromLatin1(kPresetRowsMimeType)));
        in >> rows;
        if (in.status() != QDataStream::Ok || rows.isEmpty())
            return false;
        // No row: dropped on a row (its place) or below the last one (the end).
        if (row < 0)
            row = parent.isValid() ? parent.row() : m_rows;
        return m_drop(rows.first(), row);
    }

private:
    zent3controller& m_c;
    Drop m_drop;
    int m_rows = 0;
};

PresetTable::PresetTable(QWidget* parent)
    : QTableView(parent)
{
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed);
    // Not InternalMove: that takes only drops whose source the platform reports, and the
    // private type already says where a drop comes from.
    setDragDropMode(QAbstractItemView::DragDrop);
    setDefaultDropAction(Qt::MoveAction);
    setDragDropOverwriteMode(false);
    setDropIndicatorShown(true);
    setShowGrid(false);
    setWordWrap(false);
    setAlternatingRowColors(true);
    horizontalHeader()->hide();
    horizontalHeader()->setStretchLastSection(true);
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 8);
    setDragRunner({});
}

void PresetTable::setDragRunner(DragRunner runner)
{
    if (!runner)
        runner = [](QDrag& drag) { return drag.exec(Qt::MoveAction, Qt::MoveAction); };
    m_runDrag = std::move(runner);
}

// The dragged row travels as its index; the drop, in this table, asks the controller to
// move it. Nothing is removed here when the drag ends: the controller already moved it.
void PresetTable::startDrag(Qt::DropActions)
{
    const QModelIndexList rows = selectionModel() ? selectionModel()->selectedRows() : QModelIndexList {};
    if (rows.isEmpty())
        return;
    QMimeData* mime = model()->mimeData(rows);
    if (!mime)
        return;
    qDebug("tableView: writeRowsWithIndexes: toPasteboard:");
    QDrag drag(this);
    drag.setMimeData(mime);
    const QRect shown = visualRect(rows.first()).intersected(viewport()->rect());
    if (!shown.isEmpty()) {
        drag.setPixmap(viewport()->grab(shown));
        drag.setHotSpot(QPoint(12, shown.height() / 2));
    }
    m_runDrag(drag);
}

PresetsPanel::PresetsPanel(zent3controller& controller, QWidget* parent)
    : QDialog(parent)
    , m_c(controller)
    , m_observers(controller)
{
    setObjectName(QStringLiteral("presetsPanel"));
    setWindowTitle(tr("Edit Presets Menu"));
    setWindowModality(Qt::WindowModal);

    m_model = new PresetRowsModel(
        controller,
        [this](int from, int to) {
            if (!m_c.tableViewAcceptDrop(from, to))
                return false;
            // The dragged row stays selected at its new place.
            m_c.tableViewSelectionDidChange(to > from ? to - 1 : to);
            return true;
        },
        this);
    m_table = new PresetTable(this);
    m_table->setObjectName(QStringLiteral("presetsTable"));
    m_table->setModel(m_model);
    m_table->setToolTip(tr("The Presets menu in order: drag a row to move it, double-click a preset to rename it"));
    connect(m_table->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
        if (m_syncing)
            return;
        const QModelIndexList rows = m_table->selectionModel()->selectedRows();
        m_c.tableViewSelectionDidChange(rows.isEmpty() ? -1 : rows.first().row());
    });

    m_details = new QPlainTextEdit(this);
    m_details->setObjectName(QStringLiteral("presetsDetails"));
    m_details->setReadOnly(true);
    m_details->setFocusPolicy(Qt::NoFocus);
    m_details->setFixedHeight(m_details->fontMetrics().lineSpacing() * 6 + 12);

    auto button = [this](const QString& title, const char* name, const QString& toolTip,
                      std::function<void(zent3controller&)> command) {
        auto* b = new QPushButton(title, this);
        b->setObjectName(QString::fromLatin1(name));
        b->setToolTip(toolTip);
        b->setAutoDefault(false);
        connect(b, &QPushButton::clicked, this, [this, command = std::move(command)] { command(m_c); });
        return b;
    };
    auto* commands = new QVBoxLayout;
    commands->setSpacing(4);
    commands->addWidget(button(tr("Use"), "presetUse", tr("Apply the selected preset and close"),
        [](zent3controller& c) { c.theMyPresetsUseThisPreset(); }));
    commands->addWidget(button(tr("Remove"), "presetRemove", tr("Remove the selected row"),
        [](zent3controller& c) { c.removeSelectedPreset(); }));
    commands->addWidget(button(tr("Add Separator"), "presetAddSeparator",
        tr("Insert a separator line before the selected row (or at the end)"),
        [](zent3controller& c) { c.addSeparatorLine(); }));
    commands->addSpacing(14);
    commands->addWidget(button(tr("Save to File…"), "presetSaveToFile", tr("Save all these presets to a file"),
        [](zent3controller& c) { c.savePresetsToFile(); }));
    commands->addWidget(button(tr("Load from File…"), "presetLoadFromFile",
        tr("Replace these presets with the ones in a file"), [](zent3controller& c) { c.loadPresetsFromFile(); }));
    commands->addWidget(button(tr("Append from File…"), "presetAppendFromFile",
        tr("Add the presets in a file after these"), [](zent3controller& c) { c.appendPresetsFromFile(); }));
    commands->addSpacing(14);
    commands->addWidget(button(tr("Reset to Default…"), "presetResetToDefault",
        tr("Replace these presets with the built-in set (asks first)"),
        [](zent3controller& c) { c.resetPresetsToDefault(); }));
    commands->addWidget(button(tr("Delete All…"), "presetDeleteAll", tr("Delete every preset (asks first)"),
        [](zent3controller& c) { c.deleteAllPresets(); }));
    commands->addStretch(1);

    auto* listTitle = new QLabel(tr("Presets menu items (drag to reorder, double-click to rename):"), this);
    auto* detailsTitle = new QLabel(tr("Selected preset:"), this);
    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(12);
    grid->addWidget(listTitle, 0, 0);
    grid->addWidget(m_table, 1, 0);
    grid->addLayout(commands, 1, 1);
    grid->addWidget(detailsTitle, 2, 0);
    grid->addWidget(m_details, 3, 0, 1, 2);
    grid->setRowStretch(1, 1);
    grid->setColumnStretch(0, 1);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setDefault(true);
    buttons->button(QDialogButtonBox::Ok)->setToolTip(tr("Close; every change is already in the menu"));
    buttons->button(QDialogButtonBox::Cancel)->setToolTip(tr("Close; every change is already in the menu"));
    connect(buttons, &QDialogButtonBox::accepted, this, [this] { m_c.theMyPresetsSheetOK(); });
    connect(buttons, &QDialogButtonBox::rejected, this, [this] { reject(); });

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid, 1);
    layout->addWidget(buttons);
    resize(680, 520);

    m_observers.observe({ key::mySavedPresets }, [this] { reload(); });
    m_observers.observe({ key::myPresetsSelection }, [this] { syncSelection(); });
    reload();
}

PresetsPanel::~PresetsPanel() = default;

void PresetsPanel::reject()
{
    m_c.theMyPresetsSheetCancel();
    QDialog::reject();
}

void PresetsPanel::showEvent(QShowEvent* event)
{
    reload();
    m_table->setFocus(Qt::OtherFocusReason);
    QDialog::showEvent(event);
}

void PresetsPanel::keyPressEvent(QKeyEvent* event)
{
    // Return ends a rename in the table (or acts on its row); it never closes the panel.
    const bool inTable = focusWidget() == m_table || m_table->isAncestorOf(focusWidget());
    if (inTable && (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void PresetsPanel::reload()
{
    m_model->reload();
    syncSelection();
}

void PresetsPanel::syncSelection()
{
    m_syncing = true;
    const int row = m_c.myPresetsPanel().selectedRow;
    if (row >= 0 && row < m_model->rowCount()) {
        m_table->selectRow(row);
        m_table->scrollTo(m_model->index(row));
    } else {
        m_table->clearSelection();
    }
    m_details->setPlainText(m_c.myPresetsPanel().selectedPresetDetails);
    m_syncing = false;
}

} // namespace quillum
