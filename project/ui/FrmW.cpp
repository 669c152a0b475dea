#include "project/ui/FrmW.h"

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

#include "analysis/grid_copy.h"
#include "common/list_reader.h"
#include "common/number_format.h"
#include "common/read_error.h"
#include "gridcontrol/grid_handle.h"
#include "gridcontrol/tabulex_loader.h"
#include "project/transport_editing.h"
#include "project/weather_delay.h"
#include "shell/UpDown.h"
#include "shell/dialogs.h"
#include "shell/edit_target.h"
#include "shell/session.h"
#include "shell/twips.h"
#include "shell/widgets/cell_edits.h"

using rivulon::ui::dialogs;
using rivulon::ui::errorBox;
using rivulon::ui::warnBox;

namespace {

QString q(const std::string& s) {
    return QString::fromStdString(s);
}

// Holds the weather grid so that the Edit menu's Copy finds it: the focus is
// on the control's inner grid, whose holder this is. The selection copied is
// the one the mouse (or keyboard) made in the grid.
class WeatherGridFrame : public QWidget, public rivulon::ui::EditTarget {
  public:
    explicit WeatherGridFrame(QWidget* parent) : QWidget(parent) {}
    QWidget* grid = nullptr;

    bool canCut() const override { return false; }
    bool canPaste() const override { return false; }
    void cut() override {}
    void paste() override {}
    void copy() override {
        if (!grid) {
            return;
        }
        const tabulex::GridHandle cells(grid);
        rivulon::GridSelection selection;
        selection.mouseDown(cells.row(), cells.col());
        selection.mouseUp(cells.rowSel(), cells.colSel());
        rivulon::TextGrid block(cells.rows(), cells.cols());
        for (int c = 0; c < block.cols(); ++c) {
            block.set(0, c, cells.textMatrix(0, c).toStdString());
        }
        for (int r = selection.firstRow; r <= selection.lastRow && r < block.rows(); ++r) {
            for (int c = 0; c < block.cols(); ++c) {
                block.set(r, c, cells.textMatrix(r, c).toStdString());
            }
        }
        QClipboard* clipboard = QApplication::clipboard();
        clipboard->clear();
        clipboard->setText(q(rivulon::copyText(block, selection)));
    }
};

}  // namespace

void FrmW::open(rivulon::ui::WindowHost& host, bool delayMode) {
    auto* window = qobject_cast<FrmW*>(host.openWindow(kKind));
    if (!window) {
        return;
    }
    if (!window->EditWeather()) {
        window->close();  // nothing to show
        return;
    }
    host.showChild(window);
    if (delayMode && window->TxtDelay->isEnabled()) {
        window->TxtDelay->setFocus();
        window->TxtDelay->selectAll();
    }
}

void FrmW::openEdit(rivulon::ui::WindowHost& host) {
    open(host, false);
}

void FrmW::openDelay(rivulon::ui::WindowHost& host) {
    open(host, true);
}

FrmW::FrmW(rivulon::ui::WindowHost& host) : host_(host) {
    setObjectName("FrmW");
    setWindowTitle(QStringLiteral("Weather Data"));

    auto* frame = new WeatherGridFrame(this);
    frame->setObjectName("GridWFrame");
    auto* frameLayout = new QVBoxLayout(frame);
    frameLayout->setContentsMargins(0, 0, 0, 0);
    QString error;
    GridW = tabulex::createControl(QStringLiteral("GridEditable"), frame, &error);
    if (GridW) {
        GridW->setObjectName("GridW");
        frame->grid = GridW;
        frameLayout->addWidget(GridW);
        tabulex::GridHandle grid(GridW);
        grid.setCols(3);
        grid.setRows(2);
        grid.setFixedRows(1);
        grid.setFixedCols(1);
        grid.setColWidth(0, 2400);
        grid.setColWidth(1, 1500);
        grid.setColWidth(2, 1500);
        if (auto* edit = GridW->findChild<QLineEdit*>(QStringLiteral("TxtEdit"))) {
            connect(edit, &QLineEdit::textEdited, this, [this] { edited_ = true; });
        }
    } else {
        auto* missing = new QLabel(error, frame);
        missing->setWordWrap(true);
        frameLayout->addWidget(missing);
    }

    const auto statBox = [this](const char* name) {
        auto* box = new QLineEdit(this);
        box->setObjectName(QString::fromLatin1(name));
        box->setReadOnly(true);
        // As wide as the side column, so that "36500 (1200 months)" shows whole.
        box->setMinimumWidth(rivulon::ui::twipsToPixels(1900));
        return box;
    };
    Text1 = statBox("Text1");
    Text2 = statBox("Text2");
    Text3 = statBox("Text3");
    TxtDelay = new QLineEdit(QStringLiteral("1"), this);
    TxtDelay->setObjectName("TxtDelay");
    TxtDelay->setFixedWidth(rivulon::ui::twipsToPixels(600));
    UpDnDelay = new UpDown(this);
    UpDnDelay->setObjectName("UpDnDelay");
    UpDnDelay->setRange(1, rivulon::kDelayRecords);
    UpDnDelay->setValue(1);
    // A delay typed into the box is the delay used.
    UpDnDelay->setBuddy(TxtDelay);
    btnDelay = new QPushButton(QStringLiteral("Delay*"), this);
    btnDelay->setObjectName("btnDelay");
    lblDelayNote = new QLabel(
        QStringLiteral(
            "*Delay: Time (days) required for streamflow to respond fully to a rainfall event."),
        this);
    lblDelayNote->setObjectName("lblDelayNote");
    lblDelayNote->setWordWrap(true);
    btnSave = new QPushButton(QStringLiteral("Save Changes"), this);
    btnSave->setObjectName("btnSave");
    cmdClose = new QPushButton(QStringLiteral("Close"), this);
    cmdClose->setObjectName("cmdClose");
    connect(btnDelay, &QPushButton::clicked, this, &FrmW::btnDelay_Click);
    connect(btnSave, &QPushButton::clicked, this, [this] { btnSave_Click(); });
    connect(cmdClose, &QPushButton::clicked, this, &FrmW::cmdClose_Click);

    auto* side = new QGridLayout;
    side->addWidget(new QLabel(QStringLiteral("Mean Daily Temperature C:")), 0, 0, 1, 3);
    side->addWidget(Text1, 1, 0, 1, 3);
    side->addWidget(new QLabel(QStringLiteral("Mean Daily Precipitation cm:")), 2, 0, 1, 3);
    side->addWidget(Text2, 3, 0, 1, 3);
    side->addWidget(new QLabel(QStringLiteral("Days Simulated:")), 4, 0, 1, 3);
    side->addWidget(Text3, 5, 0, 1, 3);
    side->setRowMinimumHeight(6, 16);
    side->addWidget(btnDelay, 7, 0);
    side->addWidget(TxtDelay, 7, 1);
    side->addWidget(UpDnDelay, 7, 2, Qt::AlignLeft);
    side->addWidget(lblDelayNote, 8, 0, 1, 3);
    side->setRowStretch(9, 1);
    side->addWidget(btnSave, 10, 0, 1, 3);
    side->addWidget(cmdClose, 11, 0, 1, 3);
    auto* sideBox = new QWidget(this);
    sideBox->setLayout(side);
    sideBox->setFixedWidth(rivulon::ui::twipsToPixels(2900));

    auto* layout = new QHBoxLayout(this);
    layout->addWidget(frame, 1);
    layout->addWidget(sideBox);
    resize(rivulon::ui::twipsSize(8400, 6000));
    btnDelay->setEnabled(delayFileKnown());
}

bool FrmW::delayFileKnown() const {
    const std::string& path = host_.session().settings.weatherDelayPath;
    return !path.empty() && path != "Not Found";
}

void FrmW::createNewFile(rivulon::ui::WindowHost& host) {
    const QString answer = host.CheckInputBox(
        QStringLiteral("How many years of data will you create?"),
        QStringLiteral("Years of Weather Data <=100"), 101, 76, QStringLiteral("1"));
    float value = 0;
    rivulon::parseReal(answer.toStdString(), value);
    const auto years = static_cast<long>(rivulon::roundHalfEven(value));
    if (years <= 0) {
        warnBox(host.frame(), QStringLiteral("Number of years must be >0!"),
                QStringLiteral("Warning!"));
        return;
    }
    if (auto* editor = qobject_cast<FrmW*>(host.openWindow(kKind))) {
        editor->createNew(static_cast<int>(years));
    }
}

void FrmW::createNew(int years) {
    CreateDefault(years);
    host_.showChild(this);
}

void FrmW::CreateDefault(int years) {
    const auto names = rivulon::monthNamesOrDefault(host_.session().state.watershed);
    showTable(rivulon::createDefaultWeather(years, names));
    hasBaseline_ = false;  // a new table is not on disk yet
    btnDelay->setEnabled(delayFileKnown());
}

bool FrmW::EditWeather() {
    const rivulon::ProjectSettings& s = host_.session().settings;
    if (s.weatherPath.empty() || s.weatherPath == "Not Found") {
        warnBox(this, QStringLiteral("No weather file is chosen for the project."));
        return false;
    }
    rivulon::WeatherLoad load;
    try {
        load = rivulon::loadWeatherTable(s.weatherPath, s.datedWeather);
    } catch (const std::exception& e) {
        load.error = e.what();
    }
    if (!load.error.empty()) {
        // A half-read table is never shown: a later save would write it over the good file.
        errorBox(this,
                 QStringLiteral("The weather file could not be read; nothing was loaded.\n\n%1")
                     .arg(q(load.error)));
        return false;
    }
    bool delayAllowed = delayFileKnown();
    for (const rivulon::FlaggedDay& day : load.flagged) {
        if (!dialogs().askYesNo(this, q(day.message), rivulon::ui::appTitle())) {
            rivulon::stopLoadAt(load.table, day.row);
            delayAllowed = false;
            break;
        }
    }
    showTable(load.table);
    baseline_ = std::move(load.table);
    hasBaseline_ = true;
    btnDelay->setEnabled(delayAllowed);
    return true;
}

void FrmW::showTable(const rivulon::WeatherTable& t) {
    loaded_ = true;
    edited_ = false;
    showStatistics(t);
    if (!GridW) {
        return;
    }
    tabulex::GridHandle cells(GridW);
    cells.setRedraw(false);
    // Emptying first drops the change marks of an earlier table.
    cells.setRows(1);
    cells.setRows(std::max<int>(2, static_cast<int>(t.rows.size())));
    for (std::size_t r = 0; r < t.rows.size(); ++r) {
        for (int c = 0; c < 3; ++c) {
            const std::string& text = t.rows[r][c];
            if (!text.empty()) {
                cells.setTextMatrix(static_cast<int>(r), c, q(text));
            }
        }
    }
    // The heading row names the file: its column is as wide as the path.
    const int designWidths[3] = {2400, 1500, 1500};
    for (int c = 0; c < 3; ++c)
        tabulex::GridHandle(GridW).fitColWidth(c, designWidths[c]);
    cells.setRedraw(true);
}

void FrmW::showStatistics(const rivulon::WeatherTable& t) {
    const rivulon::WeatherStats stats = rivulon::weatherStatistics(t);
    Text1->setText(q(stats.meanTempText));
    Text2->setText(q(stats.meanPrecText));
    Text3->setText(q(stats.daysText));
}

void FrmW::showDelayed(const rivulon::WeatherTable& table, FrmW* origin) {
    origin_ = origin;
    if (origin) {
        originDelay_ = origin->TxtDelay->text();
    }
    delayed_ = true;
    setWindowTitle(QStringLiteral("Delayed weather data"));
    btnDelay->hide();
    UpDnDelay->hide();
    TxtDelay->hide();
    lblDelayNote->hide();
    showTable(table);
    hasBaseline_ = false;
}

rivulon::WeatherTable FrmW::table() const {
    rivulon::WeatherTable t;
    if (!GridW) {
        return t;
    }
    const tabulex::GridHandle cells(GridW);
    const int rows = cells.rows();
    t.rows.resize(static_cast<std::size_t>(rows));
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < 3; ++c) {
            t.rows[static_cast<std::size_t>(r)][c] = cells.textMatrix(r, c).toStdString();
        }
    }
    return t;
}

QString FrmW::proposedSaveName() const {
    // The delayed window names its file after the main window's delay box.
    const QString delay = !delayed_ ? TxtDelay->text()
                          : origin_ ? origin_->TxtDelay->text()
                                    : originDelay_;
    return QStringLiteral("Wdelay") + delay + QStringLiteral(".dat");
}

bool FrmW::hasUnsavedChanges() const {
    if (!loaded_) {
        return false;
    }
    if (!hasBaseline_) {
        return true;
    }
    return edited_ && table().rows != baseline_.rows;
}

bool FrmW::btnSave_Click() {
    if (!loaded_) {
        return false;
    }
    rivulon::ui::endCellEdits(this);
    const rivulon::WeatherTable t = table();
    if (const auto problem = rivulon::checkWeatherTable(t)) {
        warnBox(this, q(problem->message));
        tabulex::GridHandle grid(GridW);
        grid.setRow(static_cast<int>(problem->row));
        grid.setCol(problem->col);
        return false;
    }
    const rivulon::ProjectSettings& s = host_.session().settings;
    const QString path =
        dialogs().saveFile(this, QStringLiteral("Save the weather file"), q(s.inputFolder),
                           proposedSaveName(), QStringLiteral("dat"));
    if (path.isEmpty()) {
        return false;
    }
    try {
        rivulon::saveWeatherTable(path.toStdString(), t);
    } catch (const std::exception& e) {
        errorBox(this, QStringLiteral("The weather file was not saved.\n\n%1").arg(q(e.what())));
        return false;
    }
    rivulon::ui::showSaved(this, path);
    baseline_ = t;
    hasBaseline_ = true;
    edited_ = false;
    return true;
}

void FrmW::btnDelay_Click() {
    rivulon::ui::endCellEdits(this);
    const QString typed = UpDnDelay->typedProblem(QStringLiteral("Delay (days)"));
    if (!typed.isEmpty()) {
        warnBox(this,
                typed + QStringLiteral(": the delay file holds %1 days before the weather data.")
                            .arg(rivulon::kDelayRecords));
        TxtDelay->setFocus();
        return;
    }
    const rivulon::ProjectSettings& s = host_.session().settings;
    rivulon::WeatherTable delayed;
    std::vector<std::string> warnings;
    try {
        delayed =
            rivulon::delayWeatherTable(table(), s.weatherDelayPath, UpDnDelay->value(), &warnings);
    } catch (const std::exception& e) {
        errorBox(this, q(e.what()));
        return;
    }
    // A shifted field in the delay file is pointed out once, with the delayed data.
    for (const std::string& warning : warnings) {
        if (std::find(delayWarned_.begin(), delayWarned_.end(), warning) == delayWarned_.end()) {
            delayWarned_.push_back(warning);
            warnBox(this, q(warning));
        }
    }
    auto* window = new FrmW(host_);
    host_.addChild(window);
    window->showDelayed(delayed, this);
    host_.showChild(window);
}

void FrmW::cmdClose_Click() {
    close();
}

void FrmW::closeEvent(QCloseEvent* event) {
    if (rivulon::ui::endCellEdits(this)) {
        edited_ = true;
    }
    if (hasUnsavedChanges() &&
        dialogs().askYesNo(this, QStringLiteral("Save changes?"),
                           QStringLiteral("Save changes?")) &&
        !btnSave_Click()) {
        event->ignore();  // not saved: the table stays on screen
        return;
    }
    event->accept();
}

namespace {

const rivulon::ui::WindowCommand kFrmWCommands[] = {
    {.id = "MnuCreateW",
     .caption = "Create New &Weather File",
     .menu = "MnuFile",
     .after = "MnuCreateNew",
     .run = &FrmW::createNewFile},
    {.id = "MnuEditweather",
     .caption = "Edit &Weather Data",
     .menu = "MnuEdit",
     .after = "MnuEditNutrient",
     .run = &FrmW::openEdit},
    {.id = "MnuDelay",
     .caption = "&Delay Stream Responses to Weather Events",
     .menu = "MnuOption",
     .after = "MnuNormalW",
     .run = &FrmW::openDelay},
};

}  // namespace

const rivulon::ui::WindowRegistration FrmW::registration{kKind, &rivulon::ui::makeWindow<FrmW>,
                                                         false, 63, kFrmWCommands};
