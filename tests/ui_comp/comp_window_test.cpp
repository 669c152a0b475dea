// The scenario comparison and sub-basin sum window on the example project's
// sub-basins: the comparison plot of one cell across regrouped tables, and
// sums checked against `hydload sum` on the same files and weights.
#include <gtest/gtest.h>
#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiSubWindow>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>

#include "analysis/result_file.h"
#include "analysis/result_tables.h"
#include "analysis/ui/ResultChart.h"
#include "analysis/ui/frmGResults.h"
#include "app/MDIFrmMain.h"
#include "common/list_reader.h"
#include "common/number_format.h"
#include "gridcontrol/grid_handle.h"
#include "scenarios/ui/FrmComp.h"
#include "shell/file_lists.h"
#include "shell/session.h"
#include "shell/twips.h"
#include "tests/csv_rows.h"
#include "tests/ui/ui_test_support.h"

namespace {

QByteArray fileBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeBytes(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

int hydload(const QStringList& args, QString* err = nullptr) {
    QProcess process;
    process.start(QCoreApplication::applicationDirPath() + "/hydload", args);
    EXPECT_TRUE(process.waitForFinished(60000));
    if (err) {
        *err = QString::fromUtf8(process.readAllStandardError());
    }
    return process.exitCode();
}

// A regrouped table as the regrouping window saves it: 14 rows of 7 quoted
// cells, each followed by a comma, CR LF line ends.
QByteArray regroupedTable(double offset) {
    QByteArray text;
    for (int r = 0; r < 14; ++r) {
        for (int c = 0; c < 7; ++c) {
            QString cell;
            if (r == 0) {
                cell = c == 0 ? QStringLiteral("Land Use Group ") : QStringLiteral("Col %1").arg(c);
            } else if (c == 0) {
                cell = QStringLiteral("Group %1:").arg(r);
            } else {
                cell = QString::number(r * 10 + c + offset);
            }
            text += "\"" + cell.toUtf8() + "\",";
        }
        text += "\r\n";
    }
    return text;
}

struct CompFixture {
    ExampleHome home;
    ScriptedDialogs dialogs;
    MDIFrmMain main;

    CompFixture() {
        main.session().applicationFolder = home.dir.path();
        main.resize(1280, 860);
        main.show();
    }
    QString output() const { return home.dir.path() + "/Output"; }
    FrmComp* window() { return qobject_cast<FrmComp*>(main.findWindow(FrmComp::kKind)); }
    frmGResults* results() {
        return qobject_cast<frmGResults*>(main.findWindow(frmGResults::kKind));
    }
    // A level-4 run of one sub-basin of the example, saved in Output/ as `name`.
    void subBasin(const QString& basin, const QString& name, int years = 4) {
        const QString dir = home.dir.path() + "/run_" + name;
        QDir().mkpath(dir);
        QString err;
        ASSERT_EQ(hydload({"run", "--transport", home.input() + "/Tr" + basin + ".dat",
                           "--nutrient", home.input() + "/Nu" + basin + ".dat", "--weather",
                           home.input() + "/Weather.dat", "--years", QString::number(years),
                           "--level", "4", "--name", basin, "--out", dir, "--quiet"},
                          &err),
                  0)
            << err.toStdString();
        ASSERT_TRUE(QFile::copy(dir + "/Results.dat", output() + "/" + name));
    }
    // Picks the files in the window's file list and adds them.
    void addFiles(FrmComp& w, const QStringList& names) {
        w.File1->setPath(output());
        w.setFolder(output());
        for (const QString& name : names) {
            const auto found = w.File1->findItems(name, Qt::MatchExactly);
            ASSERT_EQ(found.size(), 1) << name.toStdString();
            w.File1->setCurrentItem(found.first());
            w.cmdAdd->click();
        }
    }
    QStringList outputFiles() const { return QDir(output()).entryList(QDir::Files); }
};

// The middle of a cell of a grid, in its viewport.
QPoint cellCentre(CompareGrid* g, int row, int col) {
    const int x = rivulon::ui::twipsToPixels(g->colPos(col)) - g->viewport()->x();
    const int y = rivulon::ui::twipsToPixels(g->rowPos(row)) - g->viewport()->y();
    return {x + rivulon::ui::twipsToPixels(g->colWidth(col)) / 2,
            y + rivulon::ui::twipsToPixels(g->rowHeight(row)) / 2};
}

}  // namespace

TEST(CompareWindow, SelectsOneCellInEveryTableAndPlotsItAcrossScenarios) {
    CompFixture f;
    writeBytes(f.output() + "/RgBase.txt", regroupedTable(0));
    writeBytes(f.output() + "/RgForest.txt", regroupedTable(0.25));
    writeBytes(f.output() + "/Results.dat", "not a table");  // not offered: not Rg*.txt
    f.main.runCommand("MnuCompScen");
    FrmComp* w = f.window();
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->windowTitle(), "Compare Scenarios");
    EXPECT_FALSE(w->TabData->isVisible());
    EXPECT_EQ(w->Gridcf, nullptr);
    f.addFiles(*w, {"RgBase.txt", "RgForest.txt"});
    EXPECT_TRUE(w->File1->findItems("Results.dat", Qt::MatchExactly).isEmpty());
    w->Check1->click();  // all files
    EXPECT_EQ(w->File1->findItems("Results.dat", Qt::MatchExactly).size(), 1);
    w->Check1->click();
    EXPECT_EQ(w->File1->pattern(), "*.txt");

    // A third name added then removed again.
    w->File1->setCurrentRow(0);
    w->cmdAdd->click();
    ASSERT_EQ(w->List1->count(), 3);
    w->List1->setCurrentRow(2);
    w->cmdRemove->click();
    ASSERT_EQ(w->List1->count(), 2);

    w->cmdNext->click();
    ASSERT_TRUE(w->TabData->isVisible());
    EXPECT_FALSE(w->cmdNext->isVisible());
    EXPECT_EQ(w->TabData->tabText(0), "1: RgBase.txt");
    EXPECT_EQ(w->TabData->tabText(1), "2: RgForest.txt");
    EXPECT_TRUE(w->TabData->isTabVisible(1));
    EXPECT_FALSE(w->TabData->isTabVisible(2));
    EXPECT_FALSE(w->TabData->isTabVisible(19));
    EXPECT_EQ(w->CmdPlot->text(), "Plot Selected");
    EXPECT_EQ(w->Grid1[1]->rows(), 14);
    EXPECT_EQ(w->Grid1[1]->cols(), 7);
    EXPECT_EQ(w->Grid1[1]->textMatrix(5, 3), "53.25");

    // A press in the second table moves every table to that cell.
    w->TabData->setCurrentIndex(1);
    CompareGrid* g = w->Grid1[1];
    QTest::mouseClick(g->viewport(), Qt::LeftButton, {}, cellCentre(g, 5, 3));
    EXPECT_EQ(g->row(), 5);
    EXPECT_EQ(g->col(), 3);
    EXPECT_EQ(w->Grid1[0]->row(), 5);
    EXPECT_EQ(w->Grid1[0]->col(), 3);
    EXPECT_EQ(w->Text2->text(), "Row=5");
    EXPECT_EQ(w->Text3->text(), "Col=3");
    EXPECT_EQ(w->Grid1[0]->cellBackColor(5, 3), CompareGrid::kCurrentColor);
    EXPECT_EQ(w->Grid1[0]->cellBackColor(5, 2), CompareGrid::kCellColor);
    EXPECT_EQ(w->Grid1[0]->cellBackColor(0, 3), tabulex::kSystemButtonFace);
    // The press is the grid's own selection record for Copy.
    EXPECT_EQ(g->selection().firstRow, 5);
    EXPECT_EQ(g->selection().lastCol, 3);

    w->CmdPlot->click();
    frmGResults* r = f.results();
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(r->windowTitle(), "Scenario Plot");
    EXPECT_EQ(r->MSChart1->title(), "Col 3: Annual output under different scenarios");
    EXPECT_EQ(r->MSChart1->footnote(), "Group 5: the current plotted source.");
    ASSERT_EQ(r->MSChart1->series().size(), 1u);
    const rivulon::ChartData& s = r->MSChart1->series()[0];
    ASSERT_EQ(s.values.size(), 2u);
    EXPECT_FLOAT_EQ(s.values[0], 53.0f);
    EXPECT_FLOAT_EQ(s.values[1], 53.25f);
    EXPECT_EQ(r->GGrid->textMatrix(0, 1), "RgBase.txt");
    EXPECT_EQ(r->GGrid->textMatrix(0, 2), "RgForest.txt");
    EXPECT_EQ(r->GGrid->textMatrix(1, 2), "53.25");
    EXPECT_TRUE(f.dialogs.messages.isEmpty()) << f.dialogs.messages.join("\n").toStdString();
}

TEST(CompareWindow, ShortTableIsNamedAndTheListStaysToBePutRight) {
    CompFixture f;
    writeBytes(f.output() + "/RgBase.txt", regroupedTable(0));
    QByteArray shortTable = regroupedTable(1);
    shortTable.truncate(shortTable.size() / 2);
    writeBytes(f.output() + "/RgCut.txt", shortTable);
    f.main.runCommand("MnuCompScen");
    FrmComp* w = f.window();
    ASSERT_NE(w, nullptr);
    f.addFiles(*w, {"RgBase.txt", "RgCut.txt"});
    w->cmdNext->click();
    ASSERT_EQ(f.dialogs.messages.size(), 1);
    EXPECT_TRUE(f.dialogs.messages[0].startsWith("Compare Scenarios|"));
    EXPECT_TRUE(f.dialogs.messages[0].contains("RgCut.txt"));
    EXPECT_FALSE(w->TabData->isVisible());
    EXPECT_TRUE(w->cmdNext->isVisible());
    EXPECT_EQ(w->List1->count(), 2);
}

TEST(SumWindow, WeightedSumOfTwoSubBasinsIsWhatHydloadWrites) {
    CompFixture f;
    f.subBasin("Upper", "ResultsUpper.dat");
    f.subBasin("Lower", "ResultsLower.dat");
    f.main.runCommand("MnuSum");
    FrmComp* w = f.window();
    ASSERT_NE(w, nullptr);
    EXPECT_TRUE(w->sumMode());
    EXPECT_EQ(w->windowTitle(), "Add Results for Sub-watersheds");
    EXPECT_EQ(w->File1->pattern(), "Resul*.*");
    ASSERT_NE(w->Gridcf, nullptr) << "no Tabulex library";
    EXPECT_TRUE(w->Gridcf->isVisible());
    f.addFiles(*w, {"ResultsUpper.dat", "ResultsLower.dat"});
    w->setWeight(0, "2");
    w->setWeight(1, " .5 ");
    const QString sum = f.output() + "/ResultsSum.dat";
    f.dialogs.fileAnswers << sum;
    w->cmdNext->click();
    EXPECT_TRUE(f.dialogs.messages.isEmpty()) << f.dialogs.messages.join("\n").toStdString();
    EXPECT_EQ(f.dialogs.fileTitles, QStringList{"Save simulation results"});
    EXPECT_EQ(w->savedSum(), sum);

    const QString expected = f.home.dir.path() + "/hydload_sum.dat";
    ASSERT_EQ(hydload({"sum", f.output() + "/ResultsUpper.dat", f.output() + "/ResultsLower.dat",
                       "--weights", "2,0.5", "--out", expected}),
              0);
    const QByteArray bytes = fileBytes(sum);
    ASSERT_FALSE(bytes.isEmpty());
    EXPECT_EQ(bytes, fileBytes(expected));
    // Reading and summing files leaves the last run alone.
    EXPECT_FALSE(f.main.session().hasResults());
    EXPECT_TRUE(f.main.session().state.results.flow.empty());

    // Each sub-basin's monthly table on its tab, the first grid's size beside it.
    EXPECT_EQ(w->TabData->tabText(1), "2: ResultsLower.dat");
    const rivulon::MonthlyTable lower = rivulon::buildMonthlyTable(
        rivulon::readResultsFile((f.output() + "/ResultsLower.dat").toStdString()), 2, false);
    EXPECT_EQ(w->Grid1[1]->cells().at(20, 2), lower.grid.at(20, 2));
    EXPECT_EQ(w->Grid1[1]->rows(), lower.grid.rows());
    EXPECT_EQ(w->Text2->text(), QStringLiteral("Rows=%1").arg(w->Grid1[0]->rows()));
    EXPECT_EQ(w->Text3->text(), "Cols=10");
    ASSERT_EQ(w->CmdPlot->text(), "Show the Sum");
    ASSERT_TRUE(w->CmdPlot->isEnabled());

    w->CmdPlot->click();
    frmGResults* r = f.results();
    ASSERT_NE(r, nullptr);
    const rivulon::MonthlyTable shown =
        rivulon::buildMonthlyTable(rivulon::readResultsFile(sum.toStdString()), 3, false);
    EXPECT_EQ(r->GridOut->rows(), shown.grid.rows());
    EXPECT_EQ(r->GridOut->cells().at(3, 5), shown.grid.at(3, 5));
    EXPECT_TRUE(r->windowTitle().endsWith("ResultsSum.dat"));

    // The Sum command starts again on a fresh window.
    f.main.runCommand("MnuSum");
    QCoreApplication::processEvents();
    FrmComp* again = f.window();
    ASSERT_NE(again, nullptr);
    EXPECT_NE(again, w);
    EXPECT_EQ(again->List1->count(), 0);
}

TEST(SumWindow, FirstBadFileStopsTheSumWithOneMessageAndNothingWritten) {
    CompFixture f;
    f.subBasin("Upper", "ResultsUpper.dat");
    f.subBasin("Cedar", "ResultsCedar.dat");
    f.subBasin("Lower", "ResultsShort.dat", 3);
    QByteArray cut = fileBytes(f.output() + "/ResultsCedar.dat");
    cut.truncate(cut.size() / 3);
    writeBytes(f.output() + "/ResultsCut.dat", cut);
    f.main.runCommand("MnuSum");
    FrmComp* w = f.window();
    ASSERT_NE(w, nullptr);
    ASSERT_NE(w->Gridcf, nullptr);
    const QStringList before = f.outputFiles();

    // An unreadable second file, then a file of fewer years: one message
    // each, no save dialog, no file, the list still there to be put right.
    f.addFiles(*w, {"ResultsUpper.dat", "ResultsCut.dat", "ResultsShort.dat"});
    w->cmdNext->click();
    ASSERT_EQ(f.dialogs.messages.size(), 1) << f.dialogs.messages.join("\n").toStdString();
    EXPECT_TRUE(
        f.dialogs.messages[0].startsWith("Add Results for Sub-watersheds|File 2: "
                                         "ResultsCut.dat cannot be read"))
        << f.dialogs.messages[0].toStdString();
    EXPECT_TRUE(f.dialogs.fileTitles.isEmpty());
    EXPECT_EQ(f.outputFiles(), before);
    EXPECT_FALSE(w->TabData->isVisible());

    w->List1->setCurrentRow(1);
    w->cmdRemove->click();
    w->cmdNext->click();
    ASSERT_EQ(f.dialogs.messages.size(), 2);
    EXPECT_TRUE(
        f.dialogs.messages[1].contains("File 2: ResultsShort.dat has a different number "
                                       "of years! The calculation halted."))
        << f.dialogs.messages[1].toStdString();
    EXPECT_TRUE(f.dialogs.fileTitles.isEmpty());

    // A weight that is no number is named before any file is read.
    w->List1->setCurrentRow(1);
    w->cmdRemove->click();
    f.addFiles(*w, {"ResultsCedar.dat"});
    w->setWeight(1, "x1");
    w->cmdNext->click();
    ASSERT_EQ(f.dialogs.messages.size(), 3);
    EXPECT_TRUE(f.dialogs.messages[2].contains("file 2 (\"x1\") is not a number"));
    EXPECT_EQ(f.outputFiles(), before);

    // A typed weight is read as every typed number is: a group separator
    // makes it no number, not 1500.
    QWidget* fg2 = w->Gridcf->findChild<QWidget*>("Fg2");
    auto* cellEdit = w->Gridcf->findChild<QLineEdit*>("TxtEdit");
    ASSERT_NE(fg2, nullptr);
    ASSERT_NE(cellEdit, nullptr);
    w->Gridcf->setProperty("Row", 3);
    w->Gridcf->setProperty("Col", 0);
    QTest::keyClicks(fg2, "1");
    ASSERT_TRUE(cellEdit->isVisible());
    QTest::keyClicks(cellEdit, ",500");
    QTest::keyClick(cellEdit, Qt::Key_Return);
    QTRY_COMPARE(tabulex::GridHandle(w->Gridcf).textMatrix(3, 0), QString("1,500"));
    w->cmdNext->click();
    ASSERT_EQ(f.dialogs.messages.size(), 4);
    EXPECT_TRUE(f.dialogs.messages[3].contains("file 2 (\"1,500\") is not a number"))
        << f.dialogs.messages[3].toStdString();
    EXPECT_TRUE(f.dialogs.fileTitles.isEmpty());
    EXPECT_EQ(f.outputFiles(), before);

    // Cancelling the save dialog writes nothing and leaves no sum to show.
    w->setWeight(1, "1");
    w->cmdNext->click();
    EXPECT_EQ(f.dialogs.messages.size(), 4);
    EXPECT_EQ(f.dialogs.fileTitles, QStringList{"Save simulation results"});
    EXPECT_EQ(f.outputFiles(), before);
    EXPECT_TRUE(w->TabData->isVisible());
    EXPECT_FALSE(w->CmdPlot->isEnabled());
    EXPECT_TRUE(w->savedSum().isEmpty());
}

// What a user does to pick files: a click on the name, then "Add Files ->".
void clickToAdd(FrmComp& w, const QStringList& names) {
    for (const QString& name : names) {
        const auto found = w.File1->findItems(name, Qt::MatchExactly);
        ASSERT_EQ(found.size(), 1) << name.toStdString();
        w.File1->scrollToItem(found.first());
        QTest::mouseClick(w.File1->viewport(), Qt::LeftButton, {},
                          w.File1->visualItemRect(found.first()).center());
        QTest::mouseClick(w.cmdAdd, Qt::LeftButton);
    }
}

void clickTab(QTabWidget* tabs, int index) {
    QTest::mouseClick(tabs->tabBar(), Qt::LeftButton, {}, tabs->tabBar()->tabRect(index).center());
}

// The cells of a CSV file written by hydload, row by row.
std::vector<std::vector<std::string>> csvCells(const QString& path) {
    return rivulon::test::csvRows(fileBytes(path).toStdString());
}

// An ensemble of the example project as `hydload ensemble` writes it.
void ensembleInto(const ExampleHome& home, const QString& dir, int years) {
    QString err;
    ASSERT_EQ(
        hydload({"ensemble", home.project(), "--realizations", "12", "--seed", "5", "--years",
                 QString::number(years), "--level", "3", "--jobs", "2", "--out", dir, "--quiet"},
                &err),
        0)
        << err.toStdString();
}

TEST(CompareWindow, BaselineAgainstTheBandsOfAnEnsembleMonthByMonthAndYearByYear) {
    CompFixture f;
    f.subBasin("Upper", "ResultsBase.dat", 4);
    ensembleInto(f.home, f.output(), 3);
    f.main.runCommand("MnuCompEnsemble");
    FrmComp* w = f.window();
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->windowTitle(), "Compare a Baseline with an Ensemble");
    w->setFolder(f.output());
    // The results files and the monthly bands are offered, the annual ones
    // are found beside them.
    EXPECT_TRUE(w->File1->findItems("annual_bands.csv", Qt::MatchExactly).isEmpty());
    clickToAdd(*w, {"ResultsBase.dat", "bands.csv"});
    ASSERT_EQ(w->List1->count(), 2);
    QTest::mouseClick(w->cmdNext, Qt::LeftButton);
    ASSERT_TRUE(f.dialogs.messages.isEmpty()) << f.dialogs.messages.join("\n").toStdString();
    ASSERT_TRUE(w->TabData->isVisible());
    EXPECT_TRUE(w->OptMonths->isChecked());
    EXPECT_TRUE(w->OptYears->isEnabled());

    // Level 3: the five water terms, erosion and sediment, N and P.
    EXPECT_TRUE(w->TabData->isTabVisible(10));
    EXPECT_FALSE(w->TabData->isTabVisible(11));
    EXPECT_EQ(w->TabData->tabText(0), "1: Precipitation (cm)");
    EXPECT_EQ(w->TabData->tabText(4), "5: Streamflow (cm)");
    EXPECT_EQ(w->TabData->tabText(10), "11: Total P (kg)");
    clickTab(w->TabData, 4);
    ASSERT_EQ(w->TabData->currentIndex(), 4);

    // The baseline's months from its results file, the bands from bands.csv,
    // over the three years the ensemble covers.
    const rivulon::ResultSet base =
        rivulon::readResultsFile((f.output() + "/ResultsBase.dat").toStdString());
    const auto bands = csvCells(f.output() + "/bands.csv");
    ASSERT_EQ(bands[0][23], "streamflow_cm_p50");
    CompareGrid* g = w->Grid1[4];
    ASSERT_EQ(g->rows(), 1 + 36);
    EXPECT_EQ(g->textMatrix(0, 0), "Month");
    EXPECT_EQ(g->textMatrix(0, 7), "Baseline lies");
    int middle = 0;
    for (int r = 1; r <= 36; ++r) {
        const int y = (r - 1) / 12 + 1, m = (r - 1) % 12 + 1;
        EXPECT_EQ(g->textMatrix(r, 0).toStdString(), base.monthName[m] + " " + std::to_string(y));
        EXPECT_EQ(g->textMatrix(r, 1).toStdString(), rivulon::formatReal(base.flow[y][m]));
        for (int p = 0; p < 5; ++p)
            EXPECT_EQ(g->textMatrix(r, 2 + p).toStdString(), bands[r][21 + p]) << r;
        const double v = base.flow[y][m];
        const bool inMiddle = v >= std::stod(bands[r][22]) && v <= std::stod(bands[r][24]);
        EXPECT_EQ(g->textMatrix(r, 7) == "25-75 %", inMiddle) << r;
        middle += inMiddle;
    }
    EXPECT_TRUE(w->lblSummary->text().startsWith(QStringLiteral("Streamflow (cm), 36 months: ")))
        << w->lblSummary->text().toStdString();
    EXPECT_TRUE(w->lblSummary->text().contains(QStringLiteral(" %1 within 25-75 % ").arg(middle)));
    EXPECT_TRUE(w->lblSummary->text().contains("The ensemble covers 3 of the baseline's 4 years."));
    // Another tab, another summary.
    clickTab(w->TabData, 6);
    EXPECT_TRUE(w->lblSummary->text().startsWith("Sediment (t), 36 months: "));
    clickTab(w->TabData, 4);

    // Year by year, from annual_bands.csv; the tab stays.
    QCoreApplication::processEvents();  // the page laid out, as a user sees it
    QTest::mouseClick(w->OptYears, Qt::LeftButton);
    ASSERT_TRUE(w->OptYears->isChecked());
    EXPECT_EQ(w->TabData->currentIndex(), 4);
    const auto annual = csvCells(f.output() + "/annual_bands.csv");
    g = w->Grid1[4];
    ASSERT_EQ(g->rows(), 1 + 3);
    EXPECT_EQ(g->textMatrix(0, 0), "Year");
    for (int y = 1; y <= 3; ++y) {
        EXPECT_EQ(g->textMatrix(y, 1).toStdString(), rivulon::formatReal(base.flow[y][0]));
        EXPECT_EQ(g->textMatrix(y, 6).toStdString(), annual[y][25]);
    }
    EXPECT_TRUE(w->lblSummary->text().startsWith("Streamflow (cm), 3 years: "));

    // The chart: the baseline's line over the ensemble's bands.
    QTest::mouseClick(w->CmdPlot, Qt::LeftButton);
    frmGResults* r = f.results();
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(r->windowTitle(), "Baseline and Ensemble");
    EXPECT_EQ(r->MSChart1->title(), "Streamflow (cm) by year: the baseline against the ensemble");
    EXPECT_TRUE(r->MSChart1->footnote().startsWith("Baseline: ResultsBase.dat. Bands: "));
    ASSERT_EQ(r->MSChart1->series().size(), 1u);
    const rivulon::ChartData& line = r->MSChart1->series()[0];
    ASSERT_EQ(line.values.size(), 3u);
    ASSERT_EQ(r->MSChart1->bands().size(), 3u);
    for (std::size_t y = 0; y < 3; ++y) {
        EXPECT_EQ(line.values[y], base.flow[y + 1][0]);
        EXPECT_EQ(rivulon::formatReal(r->MSChart1->bands()[y][0]), annual[y + 1][21]);
        EXPECT_EQ(rivulon::formatReal(r->MSChart1->bands()[y][4]), annual[y + 1][25]);
    }
    EXPECT_TRUE(f.dialogs.messages.isEmpty()) << f.dialogs.messages.join("\n").toStdString();
}

TEST(CompareWindow, BaselineNeedsOneResultsFileAndAnEnsembleOrTheLastOneRun) {
    CompFixture f;
    f.subBasin("Cedar", "ResultsBase.dat", 2);
    f.subBasin("Lower", "ResultsOther.dat", 2);
    ensembleInto(f.home, f.output(), 2);
    f.main.runCommand("MnuCompEnsemble");
    FrmComp* w = f.window();
    ASSERT_NE(w, nullptr);
    w->setFolder(f.output());
    const QString caption = QStringLiteral("Compare a Baseline with an Ensemble|");

    // Bands alone, then two results files: one message each, the list stays.
    clickToAdd(*w, {"bands.csv"});
    QTest::mouseClick(w->cmdNext, Qt::LeftButton);
    clickToAdd(*w, {"ResultsBase.dat", "ResultsOther.dat"});
    QTest::mouseClick(w->cmdNext, Qt::LeftButton);
    ASSERT_EQ(f.dialogs.messages.size(), 2);
    EXPECT_EQ(f.dialogs.messages[0],
              caption + "Add one results file of the baseline run; the list holds 0.");
    EXPECT_EQ(f.dialogs.messages[1],
              caption + "Add one results file of the baseline run; the list holds 2.");
    EXPECT_FALSE(w->TabData->isVisible());

    // Without bands.csv and before any ensemble was run in the climate
    // dialog there is nothing to compare with.
    for (int k = 0; k < 2; ++k) {
        w->List1->setCurrentRow(0);
        QTest::mouseClick(w->cmdRemove, Qt::LeftButton);
    }
    ASSERT_EQ(w->List1->count(), 1);
    ASSERT_EQ(w->List1->item(0)->text(), "ResultsOther.dat");
    QTest::mouseClick(w->cmdNext, Qt::LeftButton);
    ASSERT_EQ(f.dialogs.messages.size(), 3);
    EXPECT_EQ(f.dialogs.messages[2],
              caption +
                  "There is no ensemble to compare with: add the ensemble's bands.csv, or "
                  "run an ensemble in the Climate Scenario dialog first.");

    // The ensemble the climate dialog left in the session; it has no annual
    // bands here, so only months can be shown.
    const QString elsewhere = f.home.dir.path() + "/ens";
    ensembleInto(f.home, elsewhere, 2);
    auto last = std::make_shared<rivulon::EnsembleBands>(rivulon::parseEnsembleBands(
        "bands.csv", fileBytes(elsewhere + "/bands.csv").toStdString(), "", ""));
    last->description = "12 generated weather series of 2 years (seeds 5 to 16)";
    f.main.session().ensemble = last;
    QTest::mouseClick(w->cmdNext, Qt::LeftButton);
    ASSERT_EQ(f.dialogs.messages.size(), 3) << f.dialogs.messages.join("\n").toStdString();
    ASSERT_TRUE(w->TabData->isVisible());
    EXPECT_FALSE(w->OptYears->isEnabled());
    EXPECT_EQ(w->Grid1[4]->rows(), 1 + 24);
    EXPECT_TRUE(w->lblSummary->text().startsWith("Precipitation (cm), 24 months: "));
    EXPECT_FALSE(w->lblSummary->text().contains("covers"));
    QTest::mouseClick(w->CmdPlot, Qt::LeftButton);
    frmGResults* r = f.results();
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(r->MSChart1->footnote(),
              "Baseline: ResultsOther.dat. Bands: 12 generated weather series of 2 years (seeds 5 "
              "to 16).");
    EXPECT_EQ(r->MSChart1->bands().size(), 24u);

    // A file that is no results file says what is wrong with it.
    writeBytes(f.output() + "/ResultsBroken.dat", "\"Basin\",x\n");
    f.main.runCommand("MnuCompEnsemble");
    w = f.window();
    w->setFolder(f.output());
    clickToAdd(*w, {"ResultsBroken.dat"});
    QTest::mouseClick(w->cmdNext, Qt::LeftButton);
    ASSERT_EQ(f.dialogs.messages.size(), 4);
    EXPECT_TRUE(f.dialogs.messages[3].startsWith(caption + "ResultsBroken.dat:"))
        << f.dialogs.messages[3].toStdString();
}

// Pictures of the window for a person to look at: RIVULON_SHOTS=DIR.
TEST(CompareWindow, Screenshots) {
    const QString shots = qEnvironmentVariable("RIVULON_SHOTS");
    if (shots.isEmpty()) {
        GTEST_SKIP() << "set RIVULON_SHOTS to a folder for the pictures";
    }
    CompFixture f;
    const QStringList basins{"Upper", "Cedar", "Lower"};
    for (const QString& basin : basins) {
        f.subBasin(basin, "Results" + basin + ".dat", 6);
        ASSERT_EQ(hydload({"regroup", f.output() + "/Results" + basin + ".dat", "--group", "=1,2",
                           "--group", "=3,4,5,6", "--group", "=7", "--group", "=8", "--group",
                           "=9,10", "--out", f.output() + "/Rg" + basin + ".txt"}),
                  0);
    }
    auto save = [&](QWidget* w, const QString& name) {
        QCoreApplication::processEvents();
        w->grab().save(shots + "/" + name + ".png");
    };
    f.main.runCommand("MnuCompScen");
    FrmComp* w = f.window();
    f.addFiles(*w, {"RgUpper.txt", "RgCedar.txt", "RgLower.txt"});
    save(&f.main, "compare_selection");
    w->cmdNext->click();
    w->TabData->setCurrentIndex(1);
    CompareGrid* g = w->Grid1[1];
    QTest::mouseClick(g->viewport(), Qt::LeftButton, {}, cellCentre(g, 2, 4));
    save(&f.main, "compare_tabs");
    w->CmdPlot->click();
    f.main.runCommand("MnuVertical");
    save(&f.main, "compare_plot");

    f.main.runCommand("MnuSum");
    QCoreApplication::processEvents();
    w = f.window();
    f.addFiles(*w, {"ResultsUpper.dat", "ResultsCedar.dat", "ResultsLower.dat"});
    w->setWeight(1, "0.5");
    save(&f.main, "sum_selection");
    f.dialogs.fileAnswers << f.output() + "/ResultsSum.dat";
    w->cmdNext->click();
    save(&f.main, "sum_tabs");
    w->CmdPlot->click();
    save(&f.main, "sum_shown");
}
