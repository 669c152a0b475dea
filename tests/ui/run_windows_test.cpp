#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>
#include <QToolBar>
#include <QToolButton>

#include "app/MDIFrmMain.h"
#include "engine/ui/FrmGraph.h"
#include "engine/ui/FrmSeepage.h"
#include "engine/ui/RunGraphs.h"
#include "project/ui/FrmStart.h"
#include "shell/PictureBox.h"
#include "shell/UpDown.h"
#include "tests/ui/ui_test_support.h"
#include "tests/ui/window_access.h"

namespace {

QByteArray fileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

int countColour(const QImage& image, QColor colour) {
    int n = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            n += image.pixelColor(x, y) == colour;
        }
    }
    return n;
}

// True when the colour is at (x, y) or one pixel beside it: lines at
// fractional pixel positions may land on either neighbour.
bool colourNear(const QImage& image, int x, int y, QColor colour) {
    for (int dy = -1; dy <= 1; ++dy) {
        for (int dx = -1; dx <= 1; ++dx) {
            if (image.pixelColor(x + dx, y + dy) == colour) {
                return true;
            }
        }
    }
    return false;
}

// A level-4 run from the start window saves the same bytes as hydload.
TEST(StartWindowRun, SavedFilesMatchHydload) {
    ScriptedDialogs dialogs;
    ExampleHome home;
    MDIFrmMain w;
    startOnProject(w);
    FrmStart* start = startWindow(w);
    ASSERT_NE(start, nullptr);
    start->txtYear->setText("10");
    start->OptSim[3]->setChecked(true);
    start->cmdRunSimulation->click();
    waitForRun(w);
    EXPECT_TRUE(dialogs.messages.isEmpty()) << dialogs.messages.join("\n").toStdString();
    ASSERT_TRUE(start->hasResults());

    FrmGraph* graph = graphWindow(w);
    ASSERT_NE(graph, nullptr);
    EXPECT_TRUE(graph->isVisible());
    EXPECT_EQ(graph->PicBox[2]->image(), graph->PicBox[0]->image());
    EXPECT_GT(countColour(graph->PicBox[1]->image(), PictureBox::qbColor(9)), 0);

    const QString out = home.dir.path() + "/Output/";
    EXPECT_EQ(start->SaveResults(out + "Results.dat"), out + "Results.dat");
    EXPECT_EQ(start->SaveSummary(out + "Summary.dat"), out + "Summary.dat");

    const QString hydload = QCoreApplication::applicationDirPath() + "/hydload";
    ASSERT_TRUE(QFile::exists(hydload));
    const QString reference = home.dir.path() + "/hydload";
    QDir().mkpath(reference);
    QProcess process;
    process.start(hydload, {"run", home.project(), "--years", "10", "--level", "4", "--out",
                            reference, "--quiet"});
    ASSERT_TRUE(process.waitForFinished(60000));
    ASSERT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
    const QByteArray results = fileBytes(out + "Results.dat");
    ASSERT_FALSE(results.isEmpty());
    EXPECT_TRUE(results.startsWith("\"Millbrook Creek\",10,"));
    EXPECT_EQ(results, fileBytes(reference + "/Results.dat"));
    EXPECT_EQ(fileBytes(out + "Summary.dat"), fileBytes(reference + "/Summary.dat"));

    // Save Simulation Results offers both files; cancelling one still offers the other.
    dialogs.fileAnswers = {QString(), out + "Summary2.dat"};
    start->cmdCreateResults->click();
    EXPECT_EQ(dialogs.fileTitles,
              (QStringList{"Save simulation results", "Save simulation summary"}));
    EXPECT_EQ(fileBytes(out + "Summary2.dat"), fileBytes(out + "Summary.dat"));

    // A write that fails is reported, and no path comes back as if saved.
    dialogs.messages.clear();
    EXPECT_TRUE(start->SaveResults(home.dir.path() + "/no such folder/Results.dat").isEmpty());
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_TRUE(dialogs.messages[0].startsWith("Save simulation results|Results were not saved: "))
        << dialogs.messages[0].toStdString();
}

// "Write daily values" records the run; saving the results then writes the
// daily file beside them, the same bytes as hydload's --daily.
TEST(StartWindowRun, WriteDailyValuesSavesThemBesideTheResults) {
    ScriptedDialogs dialogs;
    ExampleHome home;
    MDIFrmMain w;
    startOnProject(w);
    FrmStart* start = startWindow(w);
    ASSERT_NE(start, nullptr);
    start->txtYear->selectAll();
    QTest::keyClicks(start->txtYear, "3");
    QTest::mouseClick(start->OptSim[2], Qt::LeftButton);
    ASSERT_FALSE(start->ChkDaily->isChecked());
    QTest::mouseClick(start->cmdRunSimulation, Qt::LeftButton);
    waitForRun(w);
    ASSERT_TRUE(start->hasResults());

    // Checked only after the run: the values were not recorded.
    const QString out = home.dir.path() + "/Output/";
    QTest::mouseClick(start->ChkDaily, Qt::LeftButton, {},
                      QPoint(5, start->ChkDaily->height() / 2));
    ASSERT_TRUE(start->ChkDaily->isChecked());
    dialogs.fileAnswers = {out + "Results.dat", out + "Summary.dat"};
    QTest::mouseClick(start->cmdCreateResults, Qt::LeftButton);
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_THAT(dialogs.messages[0].toStdString(),
                ::testing::HasSubstr("check \"Write daily values\" before Run Simulation"));
    EXPECT_FALSE(QFile::exists(out + "Results_daily.csv"));

    dialogs.messages.clear();
    QTest::mouseClick(start->cmdRunSimulation, Qt::LeftButton);
    waitForRun(w);
    dialogs.fileAnswers = {out + "Results.dat", out + "Summary.dat"};
    QTest::mouseClick(start->cmdCreateResults, Qt::LeftButton);
    EXPECT_TRUE(dialogs.messages.isEmpty()) << dialogs.messages.join("\n").toStdString();

    const QString reference = home.dir.path() + "/hydload";
    QProcess process;
    process.start(QCoreApplication::applicationDirPath() + "/hydload",
                  {"run", home.project(), "--years", "3", "--level", "3", "--out", reference,
                   "--daily", reference + "/Daily.csv", "--quiet"});
    ASSERT_TRUE(process.waitForFinished(60000));
    ASSERT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
    const QByteArray daily = fileBytes(out + "Results_daily.csv");
    EXPECT_TRUE(daily.startsWith("date,precipitation (cm),"));
    EXPECT_EQ(daily, fileBytes(reference + "/Daily.csv"));
}

// A transport file with text after its last land use still runs; the start
// window says so once, not again at every run that rereads the file.
TEST(StartWindowRun, LayoutWarningIsShownOnce) {
    ScriptedDialogs dialogs;
    ExampleHome home;
    {
        QFile transport(home.input() + "/Transprt.dat");
        ASSERT_TRUE(transport.open(QIODevice::Append));
        transport.write("\r\nsurveyed 1998\r\n");
    }
    MDIFrmMain w;
    startOnProject(w);
    FrmStart* start = startWindow(w);
    ASSERT_NE(start, nullptr);
    const QString warning = QStringLiteral(
        "Rivulon|Warning: Transprt.dat:31: text after the last record is ignored: \"surveyed "
        "1998\"");
    EXPECT_EQ(dialogs.messages.count(warning), 1) << dialogs.messages.join("\n").toStdString();
    start->txtYear->setText("1");
    start->OptSim[0]->setChecked(true);
    start->cmdRunSimulation->click();
    waitForRun(w);
    EXPECT_TRUE(start->hasResults());
    EXPECT_EQ(dialogs.messages.count(warning), 1);
}

TEST(StartWindowRun, StreamflowOnlyThenRedrawWithOtherScales) {
    ScriptedDialogs dialogs;
    ExampleHome home;
    MDIFrmMain w;
    startOnProject(w);
    FrmStart* start = startWindow(w);
    ASSERT_NE(start, nullptr);
    start->txtYear->setText("0");
    start->cmdRunSimulation->click();
    waitForRun(w);
    EXPECT_EQ(dialogs.messages,
              QStringList{"Rivulon|The number of years must be a whole number from 1 to 30!"});
    EXPECT_EQ(graphWindow(w), nullptr);
    // More years than the weather holds are refused too, and no end date is
    // shown for a count no run can have.
    dialogs.messages.clear();
    start->txtYear->setText("31");
    start->cmdRunSimulation->click();
    waitForRun(w);
    EXPECT_EQ(dialogs.messages,
              QStringList{"Rivulon|The number of years must be a whole number from 1 to 30!"});
    EXPECT_EQ(start->TxtEndMY->text(), "");
    start->txtYear->setText("2");
    EXPECT_EQ(start->TxtEndMY->text(), "3/31/1992");
    for (const char* refused : {"2x", "99999999", "-4", "2.5"}) {
        start->txtYear->setText(refused);
        EXPECT_EQ(start->TxtEndMY->text(), "") << refused;
    }

    dialogs.messages.clear();
    start->txtYear->setText("2");
    start->OptSim[0]->setChecked(true);
    start->cmdRunSimulation->click();
    waitForRun(w);
    ASSERT_TRUE(start->hasResults()) << dialogs.messages.join("\n").toStdString();
    FrmGraph* graph = graphWindow(w);
    ASSERT_NE(graph, nullptr);
    EXPECT_FALSE(graph->Text1[2]->isVisibleTo(graph));
    EXPECT_TRUE(graph->Text1[1]->isVisibleTo(graph));
    // Only the red "No simulation was requested!" on the nutrient page.
    EXPECT_GT(countColour(graph->PicBox[1]->image(), PictureBox::qbColor(4)), 50);
    EXPECT_EQ(countColour(graph->PicBox[1]->image(), PictureBox::qbColor(9)), 0);
    EXPECT_EQ(graph->Label2->text(),
              "Simulation Interval: From the Start to the End from 4/1/1990 to 3/31/1992");

    // Redraw runs again with the spinners' scales; the settings keep theirs until closing.
    const QImage before = graph->PicBox[0]->image();
    graph->UpDn[0]->setValue(300);
    graph->cmdRedraw->click();
    waitForRun(w);
    EXPECT_NE(graph->PicBox[0]->image(), before);
    EXPECT_EQ(graph->PicBox[2]->image(), graph->PicBox[0]->image());
    EXPECT_EQ(w.session().settings.graphScale[1], 100);
    EXPECT_TRUE(dialogs.messages.isEmpty());
}

// The time limit holds only in the timed run (label perf).
TEST(StartWindowRun, HundredYearsWithLiveGraphs) {
    ScriptedDialogs dialogs;
    ExampleHome home;
    // 120 years: the example's 30 years of weather and of point sources (the
    // nutrient file's last 360 lines) four times over.
    const QByteArray weather = fileBytes(home.input() + "/Weather.dat");
    QFile file(home.input() + "/Weather.dat");
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    for (int i = 0; i < 4; ++i) {
        file.write(weather);
    }
    file.close();
    QList<QByteArray> nutrient = fileBytes(home.input() + "/Nutrient.dat").trimmed().split('\n');
    ASSERT_GT(nutrient.size(), 360);
    const QList<QByteArray> points = nutrient.mid(nutrient.size() - 360);
    for (int i = 0; i < 3; ++i) {
        nutrient += points;
    }
    QFile nutrientFile(home.input() + "/Nutrient.dat");
    ASSERT_TRUE(nutrientFile.open(QIODevice::WriteOnly));
    nutrientFile.write(nutrient.join('\n') + '\n');
    nutrientFile.close();
    MDIFrmMain w;
    w.resize(1200, 800);
    startOnProject(w);
    FrmStart* start = startWindow(w);
    ASSERT_NE(start, nullptr);
    EXPECT_EQ(start->txtYear->text(), "120");
    start->txtYear->setText("100");
    start->OptSim[3]->setChecked(true);
    QElapsedTimer clock;
    clock.start();
    start->cmdRunSimulation->click();
    waitForRun(w);
    const double seconds = clock.elapsed() / 1000.0;
    EXPECT_TRUE(start->hasResults()) << dialogs.messages.join("\n").toStdString();
    std::printf("100-year level-4 run with live graphs: %.3f s\n", seconds);
    if (qEnvironmentVariableIsSet("RIVULON_TIMED")) {
        EXPECT_LT(seconds, 2.0);
    }
}

TEST(GraphDrawing, FirstPointDrawsAxesSecondDrawsTheLine) {
    PictureBox water(8000, 4800), nutrients(8000, 4800);
    std::array<PictureBox*, 4> legends{};
    std::vector<std::unique_ptr<PictureBox>> keep;
    for (auto& legend : legends) {
        keep.push_back(std::make_unique<PictureBox>(1200, 650));
        legend = keep.back().get();
    }
    RunGraphs graphs({&water, &nutrients, legends}, {0, 100, 50, 30, 50});
    rivulon::RunEvent started;
    started.kind = rivulon::RunEvent::Kind::Started;
    started.yearCount = 1;
    started.simLevel = 1;
    graphs.runStarted(started);
    const auto day = [](int index, float rain, float flow) {
        rivulon::RunEvent e;
        e.year = 1;
        e.month = 1;
        e.dayIndex = index;
        e.precipitation = rain;
        e.streamflow = flow;
        return e;
    };
    const QColor green = PictureBox::qbColor(2), red = PictureBox::qbColor(4);

    graphs.dayEnded(day(1, 1.0f, 0.25f));
    const QImage day1 = water.image();
    // The vertical axis at x = 1000 twips, the horizontal one at y = 2000.
    EXPECT_TRUE(colourNear(day1, 67, 60, Qt::black));
    EXPECT_TRUE(colourNear(day1, 300, 133, Qt::black));
    EXPECT_EQ(countColour(day1, green), 0);
    EXPECT_EQ(countColour(day1, red), 0);

    graphs.dayEnded(day(2, 1.0f, 0.25f));
    // Streamflow .25 cm at twice scale 100: y = 2000 - 50 twips; rain 1 cm: y = 1900.
    const QImage day2 = water.image();
    EXPECT_GT(countColour(day2, green), 0);
    EXPECT_TRUE(colourNear(day2, 68, 130, green));
    EXPECT_TRUE(colourNear(day2, 68, 127, red));
    EXPECT_GT(countColour(day2, red), 0);

    // "No simulation was requested!" on the nutrient page below level 3.
    EXPECT_GT(countColour(nutrients.image(), red), 50);
    // The legend of the upper panel: "Rain/day" in red at y 300 twips.
    EXPECT_TRUE(colourNear(legends[0]->image(), 10, 20, red));
}

TEST(GraphDrawing, MonthPanelTicksAndPositions) {
    EXPECT_EQ(RunGraphs::monthPosition(1, 1), 30);
    EXPECT_EQ(RunGraphs::monthPosition(1, 12), 365);
    EXPECT_EQ(RunGraphs::monthPosition(2, 1), 395);
    PictureBox picture(8000, 4800), legend(1200, 650);
    RunGraphs graphs({&picture, &picture, {&legend, &legend, &legend, &legend}},
                     {0, 100, 50, 30, 50});
    rivulon::RunEvent started;
    started.kind = rivulon::RunEvent::Kind::Started;
    started.yearCount = 1;
    started.simLevel = 2;
    graphs.runStarted(started);
    picture.clear();
    graphs.GraphMonthly(picture, 6000.0 / 365, 50, 1.0f, 30, 2200, "Sediment (1000 ton)", 3, 0);
    const QImage image = picture.image();
    // Ten y ticks from x 900 to 1000 twips, every 200 twips down from y0.
    EXPECT_TRUE(colourNear(image, 63, (2200 + 200) / 15, Qt::black));
    EXPECT_TRUE(colourNear(image, 63, (2200 + 1000) / 15, Qt::black));
    // The first month's tick reaches 1.1 times the panel height, in cyan.
    const int tickX = static_cast<int>((30 * 6000.0 / 365 + 1000) / 15);
    EXPECT_TRUE(colourNear(image, tickX, (2200 + 2150) / 15, PictureBox::qbColor(3)));
}

TEST(GraphWindow, ScalesSpinnersAndSavingIntoTheProject) {
    ScriptedDialogs dialogs;
    ExampleHome home;
    MDIFrmMain w;
    w.session().settings.graphScale = {0, 100, 80, 100, 150};
    FrmGraph* graph = graphWindow(w, true);
    EXPECT_EQ(graph->Text1[1]->text(), ".8");
    graph->UpDn[0]->setValue(120);
    EXPECT_EQ(graph->Text1[0]->text(), "1.2");

    graph->cmdSaveScales->click();
    EXPECT_EQ(dialogs.messages,
              QStringList{"Build and select a project file first!|A(n) project or option file "
                          "does not exist, can not update XY scales!"});

    dialogs.messages.clear();
    const QByteArray before = fileBytes(home.project());
    w.session().settings.projectPath = home.project().toStdString();
    graph->cmdSaveScales->click();
    EXPECT_EQ(dialogs.messages, QStringList{"Rivulon|XY scales are updated in your project file!"});
    // The file is rewritten with CR LF line ends; only line 19 changes.
    QList<QByteArray> lines = fileBytes(home.project()).replace("\r\n", "\n").split('\n');
    QList<QByteArray> expected = before.split('\n');
    ASSERT_GT(expected.size(), 19);
    expected[18] = "GraphScale,  120 , 80 , 100 , 150 ";
    EXPECT_EQ(lines, expected);

    graph->close();
    EXPECT_EQ(w.session().settings.graphScale[1], 120);
    EXPECT_EQ(w.session().state.options.graphScale[1], 120);
}

TEST(SeepageWindow, SeepageModeChecksAndSwitchesTheOption) {
    ScriptedDialogs dialogs;
    MDIFrmMain w;
    w.session().settings.seepDefaults = {0.01f, 0.02f, 5, 0.5f};
    w.action("MnuSeepage")->trigger();
    FrmSeepage* window = seepageWindow(w);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->windowTitle(), "Seepage Parameters");
    EXPECT_FALSE(window->Text1[3]->isVisibleTo(window));
    EXPECT_EQ(window->Label1[3]->text(),
              "For most watersheds, seepage has to be estimated by the model calibration.");
    EXPECT_FALSE(window->CmdSetV->isVisibleTo(window));

    window->Text1[0]->setText("0.0x");
    window->cmdSet->click();
    EXPECT_EQ(dialogs.messages, QStringList{"Rivulon|Please Check your numbers!"});
    EXPECT_FALSE(w.session().state.options.seepControlOn);

    // A negative maximum would run into values that are not numbers.
    window->Text1[0]->setText("-0.01");
    window->cmdSet->click();
    EXPECT_EQ(dialogs.messages.last(),
              "Rivulon|Please Check your numbers!\nMax. Seepage Coefficient (day^-1): -0.01 is "
              "outside the allowed range above 0 to 1 (0 turns seepage control off)");
    EXPECT_FALSE(w.session().state.options.seepControlOn);

    window->CmdDefault->click();
    EXPECT_EQ(window->Text1[3]->text(), "0.5");
    window->OptSeepOut->setChecked(true);
    window->cmdSet->click();
    const rivulon::RunOptions& o = w.session().state.options;
    EXPECT_TRUE(o.seepControlOn);
    EXPECT_TRUE(o.seepOutput);
    EXPECT_FLOAT_EQ(o.minStream4Seep, 0.5f);
    EXPECT_TRUE(w.action("MnuSeepage")->isChecked());
    EXPECT_TRUE(w.toolBar()->findChild<QToolButton*>("Seepage")->isChecked());
    for (QMdiSubWindow* sub : w.mdiArea()->subWindowList()) {
        EXPECT_FALSE(sub->isVisible()) << "the window closes with its frame";
    }

    // Switched off from the menu; a maximum of 0 keeps it off.
    w.action("MnuSeepage")->trigger();
    EXPECT_FALSE(o.seepControlOn);
    w.action("MnuSeepage")->trigger();
    window = seepageWindow(w);
    window->Text1[1]->setText("0.3");
    window->cmdSet->click();
    EXPECT_FALSE(o.seepControlOn);
    EXPECT_FLOAT_EQ(o.minStream4Seep, 0.0f);
    EXPECT_FALSE(w.action("MnuSeepage")->isChecked());
}

TEST(SeepageWindow, VariableConcentrationMode) {
    ScriptedDialogs dialogs;
    MDIFrmMain w;
    w.action("MnuVarConc")->trigger();
    FrmSeepage* window = seepageWindow(w);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->windowTitle(), "Set variable control for nutrient concentration.");
    EXPECT_EQ(window->Label1[1]->text(), "Set nutrient coef. using a*Q^b,  b = ?");
    EXPECT_TRUE(window->Text1[3]->isVisibleTo(window));
    EXPECT_EQ(window->Text1[2]->text(), "1");
    EXPECT_FALSE(window->cmdSet->isVisibleTo(window));
    EXPECT_FALSE(window->OptSeepOut->isVisibleTo(window));

    window->Text1[1]->setText("0");
    window->CmdSetV->click();
    EXPECT_EQ(dialogs.messages,
              QStringList{"Rivulon|Please Check your numbers (>0?)!\nb: 0 is outside the allowed "
                          "range above 0"});
    window->Text1[1]->setText(".15");
    window->CmdSetV->click();
    EXPECT_TRUE(w.session().state.options.varConcOn);
    EXPECT_FLOAT_EQ(w.session().state.options.varConcB, 0.15f);
    EXPECT_TRUE(w.action("MnuVarConc")->isChecked());

    // Unchecked from the menu, and cancelling leaves it off.
    w.action("MnuVarConc")->trigger();
    EXPECT_FALSE(w.session().state.options.varConcOn);
    w.action("MnuVarConc")->trigger();
    seepageWindow(w)->cmdCancelV->click();
    EXPECT_FALSE(w.session().state.options.varConcOn);
    EXPECT_FALSE(w.action("MnuVarConc")->isChecked());
}

}  // namespace
