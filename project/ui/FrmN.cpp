#include "project/ui/FrmN.h"

#include <QCloseEvent>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QTabBar>
#include <QTabWidget>
#include <algorithm>
#include <exception>

#include "common/list_reader.h"
#include "common/paths.h"
#include "common/value_rules.h"
#include "project/transport_file.h"
#include "project/ui/GridCellEdit.h"
#include "shell/UpDown.h"
#include "shell/dialogs.h"
#include "shell/qt_text.h"
#include "shell/session.h"
#include "shell/twips.h"
#include "shell/widgets/FlexGrid.h"
#include "shell/widgets/cell_edits.h"

using rivulon::ui::dialogs;
using rivulon::ui::errorBox;
using rivulon::ui::msgBox;
using rivulon::ui::qs;
using rivulon::ui::ss;
using rivulon::ui::warnBox;

namespace {

constexpr tabulex::ColorValue kRed = 255;
const QString kCaption = QStringLiteral("View & Edit Nutrient.dat");
const QString kPointTitle = QStringLiteral("Point source data");
const char* const kDefaultMonths[13] = {"",    "Apr", "May", "Jun", "Jul", "Aug", "Sep",
                                        "Oct", "Nov", "Dec", "Jan", "Feb", "Mar"};

int spinnerValue(const std::string& text, int low, int high) {
    return std::clamp(static_cast<int>(rivulon::roundHalfEven(rivulon::leadingNumber(text))), low,
                      high);
}

// Fills a table's rows from 1 on, a value per column from 1 on; column 0
// holds the row labels.
template <typename Rows>
void fillRows(rivulon::ui::FlexGrid* grid, const QStringList& labels, const Rows& rows,
              int columns) {
    grid->setRedraw(false);
    grid->setRows(1);  // drops the old cells with their colours
    grid->setRows(int(rows.size()) + 1);
    for (int r = 0; r < int(rows.size()); ++r) {
        grid->setTextMatrix(r + 1, 0, r < labels.size() ? labels[r] : QString());
        for (int c = 0; c < columns; ++c)
            grid->setTextMatrix(r + 1, c + 1, qs(rows[r][c]));
    }
    grid->setRedraw(true);
}

template <std::size_t N>
std::vector<std::array<std::string, N>> readRows(const rivulon::ui::FlexGrid* grid) {
    std::vector<std::array<std::string, N>> rows(std::max(grid->rows() - 1, 0));
    for (int r = 0; r < int(rows.size()); ++r) {
        for (int c = 0; c < int(N) && c + 1 < grid->cols(); ++c)
            rows[r][c] = ss(grid->textMatrix(r + 1, c + 1));
    }
    return rows;
}

// Column 0 as wide as its longest label; the table no wider or taller than
// its cells, so that no empty grey area stands beside or below them.
void fitGrid(rivulon::ui::FlexGrid* grid) {
    const QFontMetrics metrics(grid->font());
    int label = 0;
    for (int r = 0; r < grid->rows(); ++r)
        label = std::max(label, metrics.horizontalAdvance(grid->textMatrix(r, 0)));
    grid->setColWidth(0, std::max(900, (label + 12) * 15));
    // Value columns keep their width unless a number needs more.
    for (int c = 1; c < grid->cols(); ++c)
        grid->fitColumnToText(c, grid->colWidth(c));
    int width = 0, height = 0;
    for (int c = 0; c < grid->cols(); ++c)
        width += grid->colWidth(c);
    for (int r = 0; r < grid->rows(); ++r)
        height += grid->rowHeight(r);
    const int bar = grid->style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    const int frame = 2 * grid->frameWidth() + 2;
    grid->setMaximumSize(rivulon::ui::twipsToPixels(width) + frame + bar,
                         rivulon::ui::twipsToPixels(height) + frame + bar);
}

}  // namespace

FrmN::FrmN(rivulon::ui::WindowHost& host) : host_(host) {
    setObjectName("FrmN");
    setWindowTitle(kCaption);
    buildPages();
    resize(sizeHint());
}

QSize FrmN::sizeHint() const {
    const int tabs = TabN->tabBar()->sizeHint().width() + 40;
    return {std::max(900, tabs), 620};
}

FrmN::~FrmN() {
    if (!closedAnnounced_ && whenClosed_) {
        closedAnnounced_ = true;
        whenClosed_(fileSaved_, savedName_);
    }
}

void FrmN::GetMatchInputFiles(rivulon::ui::WindowHost& host) {
    const rivulon::ProjectSettings& settings = host.session().settings;
    const QString transport = dialogs().openFile(
        host.frame(),
        QStringLiteral("Select the corresponding transport file first, then the "
                       "nutrient file."),
        qs(settings.transportPath),
        QStringLiteral("Select a transport file first! (*.dat *.txt);;All (*.*)"));
    if (transport.isEmpty())
        return;
    rivulon::LandUseList list;
    try {
        list = rivulon::readLandUseList(ss(transport));
    } catch (const std::exception& e) {
        errorBox(host.frame(), qs(e.what()), QStringLiteral("Transport file"));
        return;
    }
    QStringList names;
    for (const std::string& name : list.names)
        names << qs(name);
    const bool existed = host.findWindow(kKind) != nullptr;
    auto* editor = dynamic_cast<FrmN*>(host.openWindow(kKind));
    if (!editor)
        return;
    if (!editor->NutrientOpen(list.ruralCount, list.urbanCount, QString(), names)) {
        // A new editor with nothing to show goes; an open one keeps what it shows.
        if (!existed)
            editor->close();
        return;
    }
    editor->setSepticOnly(false);
    editor->showInFrame();
}

// Shows the editor in its frame, at its full size when it is new there.
void FrmN::showInFrame() {
    if (!isVisible())
        host_.fitFrame(this);
    host_.showChild(this);
}

bool FrmN::NutrientOpen(int ruralCount, int urbanCount, const QString& mode,
                        const QStringList& landUseNames, const QString& file) {
    rivulon::ui::endCellEdits(this);
    if (loaded_ && dirty_ &&
        dialogs().askYesNo(this, QStringLiteral("Save changes?"), windowTitle()) &&
        !cmdSaveN_Click()) {
        return false;
    }
    QStringList rural = landUseNames.mid(0, ruralCount);
    QStringList urban = landUseNames.mid(ruralCount, urbanCount);
    if (mode == QLatin1String("CreateNew")) {
        QString answer = host_.CheckInputBox(
            QStringLiteral("How many land types (<=%1) will you simulate for manure/fertilizer "
                           "applications? Tip: You can edit detailed nutrient concentrations "
                           "using the Nutrient Data-Matrix option later!")
                .arg(ruralCount),
            QStringLiteral("Number of manured or fertilized areas"), float(ruralCount + 1), 0,
            QStringLiteral("0"));
        const int manured = spinnerValue(ss(answer), 0, ruralCount);
        answer = host_.CheckInputBox(
            QStringLiteral(
                "How many years (<100) of point source data will you use for the simulation?"),
            kPointTitle, float(maxPointYears() + 1), 0, QStringLiteral("1"));
        const int years = spinnerValue(ss(answer), 1, maxPointYears());
        rural.clear();
        urban.clear();
        for (int k = 1; k <= ruralCount; ++k)
            rural << QStringLiteral("R%1").arg(k);
        for (int k = 1; k <= urbanCount; ++k)
            urban << QStringLiteral("U%1").arg(k);
        showTable(rivulon::newNutrientTable(ruralCount, urbanCount, manured, years), ruralCount,
                  urbanCount, rural, urban);
        file_.clear();
        setWindowTitle(kCaption);
        saved_ = false;
        return true;
    }

    QString path = file;
    if (path.isEmpty()) {
        path = dialogs().openFile(this, QStringLiteral("Open a nutrient file"),
                                  qs(host_.session().settings.nutrientPath),
                                  QStringLiteral("All Files (*.*);;Data Files(*.dat) (*.dat)"));
        if (path.isEmpty())
            return false;
    }
    const rivulon::ProjectSettings& settings = host_.session().settings;
    int answered = 0;
    const auto pointYears = [&]() {
        if (rivulon::sameFile(ss(path), settings.nutrientPath)) {
            answered = std::max<int>(settings.weatherYears, 1);
        } else {
            const QString answer = host_.CheckInputBox(
                QStringLiteral("How many years (<100) of point source data do you have in the "
                               "nutrient file?"),
                kPointTitle, float(maxPointYears() + 1), 0, QString());
            answered =
                answer.trimmed().isEmpty() ? 1 : spinnerValue(ss(answer), 1, maxPointYears());
        }
        return answered;
    };
    // Read into a table of its own: a file that fails to read changes nothing shown.
    rivulon::NutrientTable table;
    try {
        rivulon::readNutrientTable(ss(path), ruralCount, urbanCount, pointYears, table);
    } catch (const std::exception& e) {
        errorBox(this, qs(e.what()), QStringLiteral("Nutrient file not loaded"));
        return false;
    }
    showTable(table, ruralCount, urbanCount, rural, urban);
    file_ = path;
    setWindowTitle(QStringLiteral("Edit ") + QFileInfo(path).fileName());
    saved_ = false;
    const int years = int(table.point.size() / 12);
    if (answered > 0 && years > answered) {
        msgBox(this,
               QStringLiteral("The nutrient file holds %1 years of point source data, more than "
                              "the %2 asked for; all %1 years are kept and will be saved.")
                   .arg(years)
                   .arg(answered),
               kPointTitle);
    }
    return true;
}

void FrmN::showTable(const rivulon::NutrientTable& t, int ruralCount, int urbanCount,
                     const QStringList& ruralNames, const QStringList& urbanNames) {
    loading_ = true;
    hiddenManured_.clear();
    ruralCount_ = ruralCount;
    urbanCount_ = urbanCount;
    ruralNames_ = ruralNames;
    urbanNames_ = urbanNames;
    TxtRural->setText(QString::number(ruralCount));
    TxtUrban->setText(QString::number(urbanCount));
    QPalette black = Text1[0]->palette();
    black.setColor(QPalette::Text, Qt::black);
    for (int i = 0; i < 6; ++i)
        Text1[i]->setText(qs(t.general[i]));
    for (int i = 0; i < 4; ++i)
        Text1[10 + i]->setText(qs(t.septicLoads[i]));
    for (QLineEdit* box : Text1)
        box->setPalette(black);

    UpDnManure->setMaximum(ruralCount);
    UpDnManure->setValue(spinnerValue(t.manuredCount, 0, ruralCount));
    Text1[6]->setText(QString::number(UpDnManure->value()));
    UpDnStart->setValue(spinnerValue(t.manureStart, 0, 12));
    UpDnEnd->setValue(spinnerValue(t.manureEnd, 0, 12));
    UpDnStart1->setValue(spinnerValue(t.manureStart2, 0, 12));
    UpDnEnd1->setValue(spinnerValue(t.manureEnd2, 0, 12));
    setMonthBox(Text1[7], UpDnStart->value());
    setMonthBox(Text1[8], UpDnEnd->value());
    if (t.manureStart2.empty()) {
        Txt2ndMan[0]->clear();
        Txt2ndMan[1]->clear();
    } else {
        setMonthBox(Txt2ndMan[0], UpDnStart1->value());
        setMonthBox(Txt2ndMan[1], UpDnEnd1->value());
    }
    UpDnSepticPointFlag->setValue(spinnerValue(t.flag, 0, 3));
    Text1[9]->setText(QString::number(UpDnSepticPointFlag->value()));

    fillRows(NGrid[0], ruralNames, t.rural, 3);
    fillRows(NGrid[1], urbanNames, t.urban, 3);
    // At most one manured row per rural land use, as the spinner allows: the
    // count saved and the rows saved must agree.
    auto manured = t.manured;
    manured.resize(std::min<std::size_t>(manured.size(), std::size_t(UpDnManure->value())));
    fillRows(NGrid[2], ruralNames, manured, 2);
    QStringList months;
    for (std::size_t i = 0; i < t.point.size(); ++i) {
        const int year = int(i / 12) + 1;
        const QString month = monthName(int(i % 12) + 1);
        months << (year == 1 ? month : QStringLiteral("Y%1-%2").arg(year).arg(month));
    }
    fillRows(NGrid[3], months, t.point, 3);
    fillRows(NGrid[4], months.mid(0, 12), t.septic, 4);
    for (rivulon::ui::FlexGrid* grid : NGrid)
        fitGrid(grid);
    loading_ = false;
    loaded_ = true;
    dirty_ = false;
}

rivulon::NutrientTable FrmN::table() const {
    rivulon::NutrientTable t;
    for (int i = 0; i < 6; ++i)
        t.general[i] = ss(Text1[i]->text());
    t.columns = t.general[2].empty() ? 2 : 3;
    t.manuredCount = std::to_string(UpDnManure->value());
    t.manureStart = std::to_string(UpDnStart->value());
    t.manureEnd = std::to_string(UpDnEnd->value());
    t.manureStart2 = std::to_string(UpDnStart1->value());
    t.manureEnd2 = std::to_string(UpDnEnd1->value());
    t.rural = readRows<3>(NGrid[0]);
    t.urban = readRows<3>(NGrid[1]);
    t.manured = readRows<2>(NGrid[2]);
    t.manured.resize(std::size_t(UpDnManure->value()));
    t.point = readRows<3>(NGrid[3]);
    t.flag = std::to_string(UpDnSepticPointFlag->value());
    const auto septic = readRows<4>(NGrid[4]);
    for (std::size_t m = 0; m < t.septic.size() && m < septic.size(); ++m)
        t.septic[m] = septic[m];
    for (int i = 0; i < 4; ++i)
        t.septicLoads[i] = ss(Text1[10 + i]->text());
    return t;
}

QString FrmN::problemText(const rivulon::NutrientCellProblem& p) const {
    using Table = rivulon::NutrientCellProblem::Table;
    const QString value = QStringLiteral("\"%1\"").arg(qs(p.text));
    // A number the run refuses, in the words of its reader.
    const auto outside = [&](const QString& field) {
        return qs(rivulon::outsideRangeText(ss(field), p.text, p.allowed)) + QStringLiteral(".");
    };
    auto box = [&](QLabel* label) {
        if (!p.allowed.empty())
            return outside(QStringLiteral("\"%1\"").arg(label->text()));
        return QStringLiteral("The value %1 of \"%2\" is not a number.").arg(value, label->text());
    };
    if (p.table == Table::General)
        return box(Label1[p.column]);
    if (p.table == Table::SepticLoads)
        return box(Label1[10 + p.column]);
    static const char* const names[] = {"",
                                        "Nutrient Conc. (mg/l) in Runoff",
                                        "Nutrient Build-up Rate (kg/ha/day) in Urban Areas",
                                        "Nutrient Conc. (mg/l) in Runoff from Manured Areas",
                                        "Point sources (monthly-load, kg/month)",
                                        "Septic Systems: Population served (number of people)"};
    const int grid = p.table == Table::Rural     ? 0
                     : p.table == Table::Urban   ? 1
                     : p.table == Table::Manured ? 2
                     : p.table == Table::Point   ? 3
                                                 : 4;
    const rivulon::ui::FlexGrid* g = NGrid[grid];
    const int row = p.row + 1;
    const QString rowLabel = row < g->rows() ? g->textMatrix(row, 0) : QString();
    const QString column = p.column + 1 < g->cols() ? g->textMatrix(0, p.column + 1) : QString();
    if (!p.allowed.empty()) {
        return outside(QStringLiteral("\"%1\", row %2 (%3), column \"%4\"")
                           .arg(QString::fromLatin1(names[int(p.table)]), QString::number(row),
                                rowLabel, column));
    }
    return QStringLiteral("The value %1 in \"%2\", row %3 (%4), column \"%5\" is not a number.")
        .arg(value, QString::fromLatin1(names[int(p.table)]), QString::number(row), rowLabel,
             column);
}

bool FrmN::cmdSaveN_Click() {
    rivulon::ui::endCellEdits(this);
    if (!checkTyped())
        return false;
    const QString folder = qs(host_.session().settings.inputFolder);
    const QString name = file_.isEmpty() ? QStringLiteral("Nutrient.dat") : file_;
    const QString path =
        dialogs().saveFile(this, QStringLiteral("Save the nutrient file"), folder, name, "dat");
    if (path.isEmpty())
        return false;
    return saveTo(path);
}

bool FrmN::saveTo(const QString& path) {
    rivulon::ui::endCellEdits(this);
    if (!checkTyped())
        return false;
    const rivulon::NutrientTable t = table();
    auto problem = rivulon::findNonNumber(t);
    if (!problem)
        problem = rivulon::findOutOfRange(t);
    if (problem) {
        warnBox(this, problemText(*problem) + QStringLiteral(" Nothing was saved."),
                QStringLiteral("Nutrient file not saved"));
        return false;
    }
    try {
        rivulon::writeNutrientFile(ss(path), t);
    } catch (const std::exception& e) {
        errorBox(this, qs(e.what()), QStringLiteral("Nutrient file not saved"));
        return false;
    }
    rivulon::ui::showSaved(this, path);
    file_ = path;
    saved_ = true;
    dirty_ = false;
    fileSaved_ = true;
    savedName_ = path;
    setWindowTitle(QStringLiteral("Edit ") + QFileInfo(path).fileName());
    return true;
}

bool FrmN::askToSave() {
    if (!dialogs().askYesNo(this, QStringLiteral("Save changes?"), windowTitle()))
        return true;
    cmdSaveN_Click();
    return false;
}

void FrmN::CmdExit_Click() {
    close();
}

void FrmN::closeEvent(QCloseEvent* event) {
    rivulon::ui::endCellEdits(this);
    // Yes saves and keeps the window open, as Exit always did.
    if (loaded_ && !saved_ && !askToSave()) {
        event->ignore();
        return;
    }
    event->accept();
    if (!closedAnnounced_ && whenClosed_) {
        closedAnnounced_ = true;
        whenClosed_(fileSaved_, savedName_);
    }
}

void FrmN::changed() {
    if (loading_)
        return;
    saved_ = false;
    dirty_ = true;
}

void FrmN::setMonthBox(QLineEdit* box, int month) const {
    box->setText(monthBoxText(month));
}

QString FrmN::monthBoxText(int month) const {
    return month >= 1 && month <= 12 ? QStringLiteral("%1 %2").arg(month).arg(monthName(month))
                                     : QString::number(month);
}

int FrmN::maxPointYears() const {
    // Every year the run can take from the project's weather, and at least
    // the 99 the question offers.
    return std::max(99, int(host_.session().settings.weatherYears));
}

bool FrmN::checkTyped() {
    const std::pair<UpDown*, QLabel*> spinners[] = {{UpDnManure, Label1[6]},
                                                    {UpDnStart, Label1[7]},
                                                    {UpDnEnd, Label1[8]},
                                                    {UpDnSepticPointFlag, Label1[9]}};
    for (const auto& [spinner, label] : spinners) {
        const QString problem = spinner->typedProblem(QStringLiteral("\"%1\"").arg(label->text()));
        if (!problem.isEmpty()) {
            warnBox(this, problem + QStringLiteral(". Nothing was saved."),
                    QStringLiteral("Nutrient file not saved"));
            spinner->buddy()->setFocus();
            return false;
        }
    }
    for (UpDown* spinner : {UpDnStart1, UpDnEnd1}) {
        const QString problem = spinner->typedProblem(
            spinner == UpDnStart1 ? QStringLiteral("\"2nd Manure Start Month (April=1):\"")
                                  : QStringLiteral("\"End Month (March=12):\" of the 2nd period"));
        if (!problem.isEmpty()) {
            warnBox(this, problem + QStringLiteral(". Nothing was saved."),
                    QStringLiteral("Nutrient file not saved"));
            spinner->buddy()->setFocus();
            return false;
        }
    }
    return true;
}

QString FrmN::monthName(int month) const {
    const auto& names = host_.session().state.watershed.monthName;
    if (month >= 1 && month <= 12 && !names[month].empty())
        return qs(names[month]);
    return QString::fromLatin1(kDefaultMonths[std::clamp(month, 0, 12)]);
}

void FrmN::manureCountChanged(int count) {
    if (loading_)
        return;
    cellEdit[2]->EndEdit();
    // Rows the count hides keep their values, to come back when it grows
    // again; rows never shown start from the runoff concentrations of the
    // rural land use of the same number.
    rivulon::ui::FlexGrid* grid = NGrid[2];
    const int old = grid->rows();
    for (int r = count + 1; r < old; ++r) {
        HiddenRow& kept = hiddenManured_[r];
        for (int c = 0; c <= 2; ++c) {
            kept.text[c] = grid->textMatrix(r, c);
            kept.color[c] = grid->cellForeColorAt(r, c);
        }
    }
    grid->setRows(count + 1);
    fitGrid(grid);
    const int keepRow = grid->row(), keepCol = grid->col();
    for (int r = old; r <= count; ++r) {
        const auto kept = hiddenManured_.find(r);
        for (int c = 0; c <= 2; ++c) {
            if (kept != hiddenManured_.end()) {
                grid->setTextMatrix(r, c, kept->second.text[c]);
                grid->setRow(r);
                grid->setCol(c);
                grid->setCellForeColor(kept->second.color[c]);
            } else {
                grid->setTextMatrix(r, c,
                                    NGrid[0]->rows() > r ? NGrid[0]->textMatrix(r, c) : QString());
            }
        }
    }
    if (keepRow < grid->rows() && keepCol < grid->cols()) {
        grid->setRow(keepRow);
        grid->setCol(keepCol);
    }
}

bool FrmN::eventFilter(QObject* watched, QEvent* event) {
    auto* box = qobject_cast<QLineEdit*>(watched);
    if (!box || box->isReadOnly())
        return QWidget::eventFilter(watched, event);
    auto markRed = [box] {
        QPalette red = box->palette();
        red.setColor(QPalette::Text, Qt::red);
        box->setPalette(red);
    };
    if (event->type() == QEvent::FocusIn) {
        boxTextOnEntry_ = box->text();
    } else if (event->type() == QEvent::FocusOut) {
        if (box->text() != boxTextOnEntry_)
            markRed();
    } else if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Escape) {
            box->setText(boxTextOnEntry_);
            return true;
        }
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            markRed();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

// The septic window's use.

void FrmN::createNew(int ruralCount, int urbanCount, const QStringList& landUseNames) {
    if (NutrientOpen(ruralCount, urbanCount, QStringLiteral("CreateNew"), landUseNames)) {
        setSepticOnly(false);
        showInFrame();
    }
}

bool FrmN::openSepticOnly() {
    const rivulon::ProjectSettings& settings = host_.session().settings;
    rivulon::LandUseList list;
    try {
        list = rivulon::readLandUseList(settings.transportPath);
    } catch (const std::exception& e) {
        errorBox(this, qs(e.what()), QStringLiteral("Transport file"));
        return false;
    }
    QStringList names;
    for (const std::string& name : list.names)
        names << qs(name);
    if (!NutrientOpen(list.ruralCount, list.urbanCount, QString(), names,
                      qs(settings.nutrientPath))) {
        return false;
    }
    setSepticOnly(true);
    TabN->setCurrentIndex(4);
    showInFrame();
    return true;
}

void FrmN::setSepticOnly(bool on) {
    if (on == septicOnly_)
        return;
    septicOnly_ = on;
    for (int i = 1; i <= 3; ++i)
        TabN->setTabVisible(i, !on);
    fraCounts->setVisible(!on);
    lblSepticHeading->setVisible(on);
    if (on) {
        sizeSepticGrid();
    } else {
        NGrid[4]->setMinimumSize(0, 0);
        NGrid[4]->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
        fitGrid(NGrid[4]);
    }
}

void FrmN::setSepticPopulation(int row, int month, int value) {
    // An edit still open would otherwise land on the value written here.
    rivulon::ui::endCellEdits(this);
    // Row 1 normal, row 2 ponded systems; the table has a row per month.
    if (row < 1 || row > 4 || month < 1 || month > 12)
        return;
    rivulon::ui::FlexGrid* grid = NGrid[4];
    if (grid->rows() <= month)
        return;
    grid->setTextMatrix(month, row, QString::number(value));
    const int oldRow = grid->row(), oldCol = grid->col();
    grid->setRow(month);
    grid->setCol(row);
    grid->setCellForeColor(kRed);
    grid->setRow(oldRow);
    grid->setCol(oldCol);
    changed();
}

void FrmN::whenClosed(std::function<void(bool, const QString&)> done) {
    whenClosed_ = std::move(done);
    closedAnnounced_ = false;
}

void FrmN::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (septicOnly_)
        sizeSepticGrid();
}

// With the septic page alone the population table takes a third of the
// editor's height and the width its columns need.
void FrmN::sizeSepticGrid() {
    rivulon::ui::FlexGrid* grid = NGrid[4];
    int width = 0;
    for (int c = 0; c < grid->cols(); ++c)
        width += grid->colWidth(c);
    int rows = 0;
    for (int r = 0; r < grid->rows(); ++r)
        rows += grid->rowHeight(r);
    const int bar = grid->style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    const int frame = 2 * grid->frameWidth() + 2;
    // Never so low that a month is out of sight.
    grid->setFixedSize(rivulon::ui::twipsToPixels(width) + frame + bar,
                       std::max(height() / 3, rivulon::ui::twipsToPixels(rows) + frame));
}

namespace {

const rivulon::ui::WindowCommand kFrmNCommands[] = {
    {.id = "MnuEditNutrient",
     .caption = "Edit N&utrient Data",
     .menu = "MnuEdit",
     .after = "MnuEditTransport",
     .run = &FrmN::GetMatchInputFiles},
};

}  // namespace

const rivulon::ui::WindowRegistration FrmN::registration{kKind, &rivulon::ui::makeWindow<FrmN>,
                                                         true, 140, kFrmNCommands};
