#include "mapdb/ui/frmDB.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QShortcut>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlField>
#include <QSqlIndex>
#include <QSqlQueryModel>
#include <QSqlRecord>
#include <QSqlTableModel>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QToolButton>
#include <QVBoxLayout>

#include "common/paths.h"
#include "mapdb/county_db.h"
#include "mapdb/ui/county_database.h"
#include "shell/dialogs.h"
#include "shell/qt_text.h"
#include "shell/session.h"
#include "shell/twips.h"
#include "shell/widgets/grid_export.h"

using rivulon::ui::errorBox;
using rivulon::ui::qs;
using rivulon::ui::ss;
using rivulon::ui::warnBox;

namespace {

constexpr int kHelpContext = 90;

// Numbers as the database holds them (12.34, 24290.5, 0.0632), not rounded
// to six digits; cells are edited as plain text, which the table's column
// types turn back into numbers.
class PlainDelegate : public QStyledItemDelegate {
  public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QString displayText(const QVariant& value, const QLocale& locale) const override {
        if (value.typeId() == QMetaType::Double) {
            return qs(rivulon::plainNumberText(value.toDouble()));
        }
        return QStyledItemDelegate::displayText(value, locale);
    }
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
        QStyledItemDelegate::initStyleOption(option, index);
        const int type = index.data().typeId();
        if (type == QMetaType::Double || type == QMetaType::Int || type == QMetaType::LongLong) {
            option->displayAlignment = Qt::AlignRight | Qt::AlignVCenter;
        }
    }
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&,
                          const QModelIndex&) const override {
        auto* editor = new QLineEdit(parent);
        editor->setFrame(false);
        return editor;
    }
    void setEditorData(QWidget* editor, const QModelIndex& index) const override {
        const QVariant v = index.data(Qt::EditRole);
        static_cast<QLineEdit*>(editor)->setText(v.isNull() ? QString()
                                                            : displayText(v, QLocale::c()));
    }
    void setModelData(QWidget* editor, QAbstractItemModel* model,
                      const QModelIndex& index) const override {
        const QString text = static_cast<QLineEdit*>(editor)->text().trimmed();
        // SQLite would keep a word typed into a number column as text.
        if (const auto* table = qobject_cast<const QSqlTableModel*>(model);
            table && !text.isEmpty()) {
            const QSqlField field = table->record().field(index.column());
            const int type = field.metaType().id();
            bool number = false;
            QLocale::c().toDouble(text, &number);
            if ((type == QMetaType::Int || type == QMetaType::LongLong ||
                 type == QMetaType::Double) &&
                !number) {
                warnBox(
                    editor->window(),
                    QStringLiteral("%1: expected a number, found \"%2\"").arg(field.name(), text));
                return;
            }
            // A share is a fraction; 50 meant as 50 % would put 50 counties in the basin.
            const std::string problem = rivulon::countyValueProblem(ss(field.name()), ss(text));
            if (!problem.empty()) {
                warnBox(editor->window(), qs(problem));
                return;
            }
        }
        model->setData(index, text.isEmpty() ? QVariant() : QVariant(text), Qt::EditRole);
    }
};

sqlite3* handleOf(const QSqlDatabase& db) {
    const QVariant h = db.driver() ? db.driver()->handle() : QVariant();
    if (h.isValid() && qstrcmp(h.typeName(), "sqlite3*") == 0) {
        return *static_cast<sqlite3* const*>(h.data());
    }
    return nullptr;
}

}  // namespace

void frmDB::open(rivulon::ui::WindowHost& host, const QString& reading, const QString& editing,
                 const QString& caption) {
    auto* w = qobject_cast<frmDB*>(host.openWindow(kKind));
    if (!w) {
        return;
    }
    // Each command starts in the reading view.
    {
        const QSignalBlocker block(w->ChkToEnableBtn);
        w->ChkToEnableBtn->setChecked(false);
    }
    for (QPushButton* b : {w->cmdAdd, w->cmdUpdate, w->cmdDelete}) {
        b->setEnabled(false);
    }
    w->grdDataGrid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    w->PassSQLstring(reading, editing);
    w->setSQL(reading);
    w->setWindowTitle(caption);
    host.showChild(w);
    // Sized once shown, when the grid knows its column widths.
    w->fitToColumns();
    host.showChild(w);
}

void frmDB::openLandUse(rivulon::ui::WindowHost& host) {
    open(host, qs(rivulon::kLandUseReadingQuery),
         QString::fromLatin1(rivulon::kLandUseEditingQuery),
         QString::fromLatin1(rivulon::kLandUseCaption));
}

void frmDB::openPopulation(rivulon::ui::WindowHost& host) {
    open(host, qs(rivulon::kPopulationReadingQuery), qs(rivulon::kPopulationEditingQuery),
         QString::fromLatin1(rivulon::kPopulationCaption));
}

frmDB::frmDB(rivulon::ui::WindowHost& host) : host_(host) {
    setObjectName("frmDB");
    setWindowTitle(QStringLiteral("County"));
    grdDataGrid = new QTableView(this);
    grdDataGrid->setObjectName("grdDataGrid");
    grdDataGrid->setItemDelegate(new PlainDelegate(grdDataGrid));
    grdDataGrid->setSelectionBehavior(QAbstractItemView::SelectItems);
    grdDataGrid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grdDataGrid->verticalHeader()->setDefaultSectionSize(22);

    // The data control: record navigation and the record number.
    datPrimaryRS = new QWidget(this);
    datPrimaryRS->setObjectName("datPrimaryRS");
    auto* nav = new QHBoxLayout(datPrimaryRS);
    nav->setContentsMargins(0, 0, 0, 0);
    nav->setSpacing(0);
    auto navButton = [this, nav](const QString& text, const char* tip, auto target) {
        auto* b = new QToolButton(datPrimaryRS);
        b->setText(text);
        b->setToolTip(QString::fromLatin1(tip));
        b->setAutoRaise(false);
        connect(b, &QToolButton::clicked, this, [this, target] {
            const int rows = grdDataGrid->model() ? grdDataGrid->model()->rowCount() : 0;
            const int row = grdDataGrid->currentIndex().row();
            moveTo(target(row, rows));
        });
        nav->addWidget(b);
    };
    navButton(QStringLiteral("|<"), "First record", [](int, int) { return 0; });
    navButton(QStringLiteral("<"), "Previous record",
              [](int row, int) { return std::max(0, row - 1); });
    datPrimaryRSCaption = new QLabel(datPrimaryRS);
    datPrimaryRSCaption->setObjectName("datPrimaryRSCaption");
    datPrimaryRSCaption->setFrameShape(QFrame::Panel);
    datPrimaryRSCaption->setFrameShadow(QFrame::Sunken);
    datPrimaryRSCaption->setMinimumWidth(160);
    nav->addWidget(datPrimaryRSCaption, 1);
    navButton(QStringLiteral(">"), "Next record",
              [](int row, int rows) { return std::min(rows - 1, row + 1); });
    navButton(QStringLiteral(">|"), "Last record", [](int, int rows) { return rows - 1; });

    picButtons = new QWidget(this);
    picButtons->setObjectName("picButtons");
    auto* strip = new QHBoxLayout(picButtons);
    strip->setContentsMargins(0, 0, 0, 0);
    auto makeButton = [this, strip](const char* caption, const char* name) {
        auto* b = new QPushButton(QString::fromLatin1(caption), picButtons);
        b->setObjectName(QString::fromLatin1(name));
        b->setFixedSize(rivulon::ui::twipsSize(972, 300) + QSize(8, 4));
        strip->addWidget(b);
        return b;
    };
    cmdAdd = makeButton("&Add", "cmdAdd");
    cmdUpdate = makeButton("&Update", "cmdUpdate");
    cmdDelete = makeButton("&Delete", "cmdDelete");
    cmdRefresh = makeButton("&Refresh", "cmdRefresh");
    cmdClose = makeButton("&Close", "cmdClose");
    btnSQL = makeButton("SQL", "btnSQL");
    btnSQL->setToolTip(QStringLiteral("Try your own SQL"));
    cmdExport = makeButton("E&xport...", "cmdExport");
    cmdExport->setToolTip(QStringLiteral("Save the records shown as a CSV file"));
    strip->addStretch(1);
    ChkToEnableBtn = new QCheckBox(QStringLiteral("Check to enable above disabled buttons."), this);
    ChkToEnableBtn->setObjectName("ChkToEnableBtn");
    for (QPushButton* b : {cmdAdd, cmdUpdate, cmdDelete}) {
        b->setEnabled(false);
    }

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(grdDataGrid, 1);
    layout->addWidget(datPrimaryRS);
    layout->addSpacing(2);
    layout->addWidget(picButtons);
    layout->addWidget(ChkToEnableBtn);
    resize(660, 340);

    connect(btnSQL, &QPushButton::clicked, this, &frmDB::btnSQL_Click);
    connect(ChkToEnableBtn, &QCheckBox::clicked, this, &frmDB::ChkToEnableBtn_Click);
    connect(cmdAdd, &QPushButton::clicked, this, &frmDB::cmdAdd_Click);
    connect(cmdUpdate, &QPushButton::clicked, this, &frmDB::cmdUpdate_Click);
    connect(cmdDelete, &QPushButton::clicked, this, &frmDB::cmdDelete_Click);
    connect(cmdRefresh, &QPushButton::clicked, this, &frmDB::cmdRefresh_Click);
    connect(cmdClose, &QPushButton::clicked, this, &frmDB::cmdClose_Click);
    connect(cmdExport, &QPushButton::clicked, this, &frmDB::cmdExport_Click);
    auto* help = new QShortcut(QKeySequence(Qt::Key_F1), this);
    help->setContext(Qt::WidgetWithChildrenShortcut);
    connect(help, &QShortcut::activated, this, [this] { host_.HelpCmd(1, kHelpContext); });
    connection_ = std::make_unique<rivulon::ui::CountyConnection>(
        QStringLiteral("frmDB-%1").arg(reinterpret_cast<quintptr>(this), 0, 16));
}

frmDB::~frmDB() {
    // The models go before their connection.
    grdDataGrid->setModel(nullptr);
    delete queryModel_;
    queryModel_ = nullptr;
    tableModel_ = nullptr;
    connection_.reset();
}

void frmDB::fitToColumns() {
    // Wide enough for every column (the host keeps it inside the frame).
    int width = grdDataGrid->verticalHeader()->width() + 2 * grdDataGrid->frameWidth() +
                grdDataGrid->verticalScrollBar()->sizeHint().width() + 12;
    for (int c = 0; c < grdDataGrid->horizontalHeader()->count(); ++c) {
        if (!grdDataGrid->isColumnHidden(c)) {
            width += grdDataGrid->columnWidth(c);
        }
    }
    host_.resizeFrame(this, QSize(std::max(width, 520), height()));
}

void frmDB::PassSQLstring(const QString& reading, const QString& editing) {
    reading_ = reading;
    editing_ = editing;
}

bool frmDB::openDatabase() {
    if (!rivulon::pathPresent(host_.session().settings.databasePath)) {
        warnBox(this, QStringLiteral("The project names no database."));
        return false;
    }
    bool imported = false;
    const QString file = rivulon::ui::countyDatabaseFile(
        this, host_.session().settings.databasePath, host_.session().applicationFolder, &imported);
    if (file.isEmpty()) {
        return false;
    }
    if (imported) {
        // The copy was replaced under the connection: its records go with it.
        grdDataGrid->setModel(nullptr);
        delete queryModel_;
        queryModel_ = nullptr;
        tableModel_ = nullptr;
        connection_->close();
    }
    QString error;
    if (!connection_->open(file, error)) {
        errorBox(this, QString::fromLatin1(rivulon::kDataErrorPrefix) + error);
        return false;
    }
    return true;
}

bool frmDB::setSQL(const QString& query) {
    if (!openDatabase()) {
        return false;
    }
    QSqlDatabase db = connection_->database();
    const std::string problem = rivulon::rowQueryProblem(handleOf(db), ss(query));
    if (!problem.empty()) {
        warnBox(this, qs(problem));
        return false;
    }
    if (ChkToEnableBtn->isChecked()) {
        if (const auto simple = rivulon::parseSimpleSelect(ss(query))) {
            const QString table = qs(simple->table);
            QString tableName;
            for (const QString& t : db.tables()) {
                if (t.compare(table, Qt::CaseInsensitive) == 0) {
                    tableName = t;
                }
            }
            if (!tableName.isEmpty()) {
                auto* model = new QSqlTableModel(this, db);
                model->setEditStrategy(QSqlTableModel::OnManualSubmit);
                model->setTable(tableName);
                QStringList columns;
                bool known = true;
                for (const std::string& c : simple->columns) {
                    const int i = model->record().indexOf(qs(c));
                    known = known && i >= 0;
                    columns.append(i >= 0 ? model->record().fieldName(i) : qs(c));
                }
                if (!simple->orderBy.empty()) {
                    const int i = model->record().indexOf(qs(simple->orderBy));
                    known = known && i >= 0;
                    model->setSort(i,
                                   simple->descending ? Qt::DescendingOrder : Qt::AscendingOrder);
                }
                if (!simple->where.empty()) {
                    model->setFilter(qs(simple->where));
                }
                if (known && model->select()) {
                    install(nullptr, model, columns);
                    current_ = query;
                    return true;
                }
                delete model;
            }
        }
    }
    auto* model = new QSqlQueryModel(this);
    model->setQuery(query, db);
    if (model->lastError().isValid()) {
        errorBox(this, model->lastError().text());
        delete model;
        return false;
    }
    while (model->canFetchMore()) {
        model->fetchMore();
    }
    install(model, nullptr, {});
    current_ = query;
    return true;
}

void frmDB::install(QSqlQueryModel* model, QSqlTableModel* table, const QStringList& columns) {
    QSqlQueryModel* old = queryModel_;
    queryModel_ = table ? table : model;
    tableModel_ = table;
    lastModifiedRow_ = -1;
    grdDataGrid->setModel(queryModel_);
    delete old;
    QHeaderView* header = grdDataGrid->horizontalHeader();
    // The view keeps hidden and moved columns across models: start afresh.
    for (int c = 0; c < queryModel_->columnCount(); ++c) {
        grdDataGrid->setColumnHidden(c, false);
        header->moveSection(header->visualIndex(c), c);
    }
    if (!columns.isEmpty()) {
        const QSqlRecord record = queryModel_->record();
        for (int c = 0; c < record.count(); ++c) {
            grdDataGrid->setColumnHidden(c, !columns.contains(record.fieldName(c)));
        }
        for (int i = 0; i < columns.size(); ++i) {
            header->moveSection(header->visualIndex(record.indexOf(columns[i])), i);
        }
    }
    grdDataGrid->resizeColumnsToContents();
    connect(grdDataGrid->selectionModel(), &QItemSelectionModel::currentChanged, this,
            &frmDB::recordChanged);
    if (tableModel_) {
        connect(tableModel_, &QAbstractItemModel::dataChanged, this,
                [this](const QModelIndex& from) { lastModifiedRow_ = from.row(); });
    }
    moveTo(0);
    recordChanged();
}

void frmDB::moveTo(int row) {
    QAbstractItemModel* m = grdDataGrid->model();
    if (!m || row < 0 || row >= m->rowCount()) {
        return;
    }
    int column = std::max(0, grdDataGrid->currentIndex().column());
    while (column < m->columnCount() && grdDataGrid->isColumnHidden(column)) {
        ++column;
    }
    if (column >= m->columnCount()) {
        column = grdDataGrid->horizontalHeader()->logicalIndex(0);
    }
    grdDataGrid->setCurrentIndex(m->index(row, column));
}

void frmDB::recordChanged() {
    const int row = grdDataGrid->currentIndex().row();
    datPrimaryRSCaption->setText(row >= 0 ? QStringLiteral("Record: %1").arg(row + 1) : QString());
}

void frmDB::btnSQL_Click() {
    const QString answer = rivulon::ui::dialogs().inputBox(
        this, QStringLiteral("Current SQL: ") + current_, QStringLiteral("Try your own SQL"),
        QStringLiteral("Select * from County"), kHelpContext);
    if (!answer.trimmed().isEmpty()) {
        setSQL(answer);
    }
}

void frmDB::ChkToEnableBtn_Click() {
    const bool on = ChkToEnableBtn->isChecked();
    for (QPushButton* b : {cmdAdd, cmdUpdate, cmdDelete}) {
        b->setEnabled(on);
    }
    grdDataGrid->setEditTriggers(on ? QAbstractItemView::DoubleClicked |
                                          QAbstractItemView::EditKeyPressed |
                                          QAbstractItemView::AnyKeyPressed
                                    : QAbstractItemView::NoEditTriggers);
    setSQL(on ? editing_ : reading_);
}

bool frmDB::checkEditable() {
    if (tableModel_) {
        return true;
    }
    warnBox(this, QStringLiteral("These records cannot be changed: only a query of one table's "
                                 "columns can be edited."));
    return false;
}

void frmDB::cmdAdd_Click() {
    if (!checkEditable()) {
        return;
    }
    const int row = tableModel_->rowCount();
    if (!tableModel_->insertRow(row)) {
        errorBox(this, tableModel_->lastError().text());
        return;
    }
    moveTo(row);
    grdDataGrid->setFocus();
    grdDataGrid->edit(grdDataGrid->currentIndex());
}

bool frmDB::save() {
    if (!tableModel_->isDirty()) {
        return true;
    }
    // The record to show afterwards, found again by its key.
    const QSqlIndex primary = tableModel_->primaryKey();
    auto keyOf = [&](int row) {
        QVariantList values;
        const QSqlRecord record = tableModel_->record(row);
        for (int i = 0; i < primary.count(); ++i) {
            values.append(record.value(primary.fieldName(i)));
        }
        return values;
    };
    QVariantList key;
    if (lastModifiedRow_ >= 0 && !primary.isEmpty()) {
        key = keyOf(lastModifiedRow_);
    }
    const int fallbackRow =
        lastModifiedRow_ >= 0 ? lastModifiedRow_ : grdDataGrid->currentIndex().row();
    QSqlDatabase db = connection_->database();
    db.transaction();
    if (tableModel_->submitAll() && db.commit()) {
        int row = fallbackRow;
        if (!key.isEmpty()) {
            for (int r = 0; r < tableModel_->rowCount(); ++r) {
                if (keyOf(r) == key) {
                    row = r;
                }
            }
        }
        lastModifiedRow_ = -1;
        moveTo(std::min(row, tableModel_->rowCount() - 1));
        rivulon::ui::showSaved(this, db.databaseName());
        return true;
    }
    QString why = tableModel_->lastError().text();
    if (why.trimmed().isEmpty()) {
        why = db.lastError().text();
    }
    db.rollback();
    tableModel_->revertAll();
    tableModel_->select();
    lastModifiedRow_ = -1;
    moveTo(std::min(fallbackRow, tableModel_->rowCount() - 1));
    errorBox(this, QStringLiteral("The changes were not saved: ") + why);
    return false;
}

void frmDB::cmdUpdate_Click() {
    if (!checkEditable()) {
        return;
    }
    // An edit still open in a cell counts too.
    if (QWidget* editor = focusWidget(); editor && grdDataGrid->isAncestorOf(editor)) {
        emit grdDataGrid->itemDelegate()->commitData(editor);
    }
    save();
}

void frmDB::cmdDelete_Click() {
    if (!checkEditable()) {
        return;
    }
    const int row = grdDataGrid->currentIndex().row();
    if (row < 0) {
        return;
    }
    // A deleted record cannot be brought back: the user says so first.
    QString name;
    const QSqlRecord record = tableModel_->record(row);
    const int nameColumn = record.indexOf(QStringLiteral("County Name"));
    name = nameColumn >= 0 ? record.value(nameColumn).toString()
                           : QStringLiteral("record %1").arg(row + 1);
    if (!rivulon::ui::dialogs().askYesNo(
            this, QStringLiteral("Delete the record of %1? It cannot be brought back.").arg(name),
            windowTitle())) {
        return;
    }
    tableModel_->removeRow(row);
    lastModifiedRow_ = -1;
    if (save()) {
        moveTo(std::min(row, tableModel_->rowCount() - 1));
    }
}

void frmDB::cmdRefresh_Click() {
    if (!current_.isEmpty()) {
        setSQL(current_);
    }
}

void frmDB::cmdClose_Click() {
    close();
}

void frmDB::closeEvent(QCloseEvent* event) {
    if (tableModel_ && tableModel_->isDirty() &&
        rivulon::ui::dialogs().askYesNo(
            this, QStringLiteral("Save the changes made in the grid before closing?"),
            windowTitle()) &&
        !save()) {
        event->ignore();
        return;
    }
    QWidget::closeEvent(event);
}

void frmDB::cmdExport_Click() {
    QAbstractItemModel* model = grdDataGrid->model();
    if (!model) {
        return;
    }
    // A query model fetches its rows as the grid scrolls; the file holds all of them.
    while (model->canFetchMore({})) {
        model->fetchMore({});
    }
    // The view as shown: its columns in their order, hidden ones left out,
    // each value as the grid writes it.
    const QHeaderView* header = grdDataGrid->horizontalHeader();
    std::vector<int> columns;
    for (int v = 0; v < header->count(); ++v) {
        if (!header->isSectionHidden(header->logicalIndex(v))) {
            columns.push_back(header->logicalIndex(v));
        }
    }
    const auto* delegate = qobject_cast<QStyledItemDelegate*>(grdDataGrid->itemDelegate());
    rivulon::TextGrid cells(model->rowCount() + 1, static_cast<int>(columns.size()));
    for (int c = 0; c < static_cast<int>(columns.size()); ++c) {
        const int column = columns[static_cast<std::size_t>(c)];
        cells.set(0, c, rivulon::ui::ss(model->headerData(column, Qt::Horizontal).toString()));
        for (int r = 0; r < model->rowCount(); ++r) {
            const QVariant value = model->index(r, column).data();
            const QString text =
                delegate ? delegate->displayText(value, grdDataGrid->locale()) : value.toString();
            cells.set(r + 1, c, rivulon::ui::ss(text));
        }
    }
    QString name = windowTitle().simplified();
    name.replace(QLatin1Char(' '), QLatin1Char('_'));
    rivulon::ui::saveGridCsv(
        this, cells, (name.isEmpty() ? QStringLiteral("County") : name) + QStringLiteral(".csv"));
}

namespace {

const rivulon::ui::WindowCommand kfrmDBCommands[] = {
    {.id = "MnuLandUse",
     .caption = "Land Use",
     .menu = "MnuData",
     .before = "MnuSoil",
     .run = &frmDB::openLandUse},
    {.id = "MnuPopulation",
     .caption = "Population",
     .menu = "MnuData",
     .after = "MnuSoil",
     .run = &frmDB::openPopulation},
};

}  // namespace

const rivulon::ui::WindowRegistration frmDB::registration{kKind, &rivulon::ui::makeWindow<frmDB>,
                                                          true, 90, kfrmDBCommands};
