#include <gtest/gtest.h>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDialogButtonBox>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>
#include <QVBoxLayout>

#include <clocale>
#include <cstdlib>
#include "analysis/ui/frmGResults.h"
#include "shell/HelpViewer.h"

#include "shell/UpDown.h"

#include "analysis/file_kind.h"
#include "common/atomic_file.h"
#include "common/list_reader.h"
#include "shell/widgets/FlexGrid.h"
#include "tests/ui/ui_test_support.h"
#include "tests/ui/window_access.h"
#include "tools/weathergen/weather_generator.h"

namespace {

// Waits in the event loop (drawing, timers) until the run in flight ends.
void runToEnd(MDIFrmMain& w) {
    if (!w.jobs().busy()) {
        return;
    }
    QEventLoop loop;
    QObject::connect(&w.jobs(), &rivulon::ui::Jobs::jobEnded, &loop, &QEventLoop::quit);
    QTimer::singleShot(20000, &loop, &QEventLoop::quit);
    loop.exec();
}

// The example's basin over 25 land uses, with 100 years of generated weather:
// the largest run the desktop program is timed on.
void writeLargeWatershed(const ExampleHome& home) {
    const auto lines =
        rivulon::splitLines(rivulon::readWholeFile((home.input() + "/Transprt.dat").toStdString()));
    std::string transport = "20,5\n";
    for (std::size_t i = 1; i < 19; ++i) {
        transport += lines[i] + "\n";
    }
    for (int k = 0; k < 20; ++k) {
        transport += "\"Rural " + std::to_string(k + 1) + "\"," + std::to_string(400 + 37 * k) +
                     "," + std::to_string(56 + k) + ",.0" + std::to_string(1 + k % 9) + "\n";
    }
    for (int k = 0; k < 5; ++k) {
        transport += "\"Urban " + std::to_string(k + 1) + "\"," + std::to_string(300 + 50 * k) +
                     "," + std::to_string(80 + 2 * k) + ",0\n";
    }
    std::string nutrient = "3000,1100,1.4,.014\n3,6,8,11,2\n";
    for (int k = 0; k < 20; ++k) {
        nutrient += "2.9,.26\n";
    }
    for (int k = 0; k < 5; ++k) {
        nutrient += ".095,.015\n";
    }
    for (int k = 0; k < 3; ++k) {
        nutrient += "12.2,1.9\n";
    }
    for (int m = 0; m < 12; ++m) {
        nutrient += "2850,420\n";
    }
    nutrient += "1\n";
    for (int m = 0; m < 12; ++m) {
        nutrient += "5200,380,160,45\n";
    }
    nutrient += "12,2.5,1.6,.4\n";
    rivulon::weathergen::WeatherParams params;
    params.years = 100;
    params.seed = 11;
    rivulon::writeFileAtomically((home.input() + "/Transprt.dat").toStdString(), transport);
    rivulon::writeFileAtomically((home.input() + "/Nutrient.dat").toStdString(), nutrient);
    rivulon::writeFileAtomically((home.input() + "/Weather.dat").toStdString(),
                                 rivulon::weathergen::generateWeather(params).weather);
}

FrmStart* startLargeRun(MDIFrmMain& w) {
    w.resize(1200, 800);
    startOnProject(w);
    FrmStart* start = startWindow(w);
    if (start) {
        start->txtYear->setText("100");
        start->OptSim[3]->setChecked(true);
    }
    return start;
}

// The time limit is checked only in the timed run (label perf), where the
// machine is not shared with the rest of the suite.
TEST(RunController, HundredYearsOfTwentyFiveLandUsesDrawnWhileTheWindowAnswers) {
    ScriptedDialogs dialogs;
    ExampleHome home;
    writeLargeWatershed(home);
    MDIFrmMain w;
    FrmStart* start = startLargeRun(w);
    ASSERT_NE(start, nullptr);
    ASSERT_EQ(start->txtYear->text(), "100");
    int batches = 0;
    onJobProgress(w, &w, [&batches](const std::vector<rivulon::RunEvent>&) { ++batches; });
    // A timer keeps firing while the model runs: the window answers throughout.
    int ticks = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&ticks] { ++ticks; });
    timer.start(5);
    QElapsedTimer clock;
    clock.start();
    start->cmdRunSimulation->click();
    EXPECT_TRUE(w.session().running());
    EXPECT_FALSE(start->cmdRunSimulation->isEnabled());
    EXPECT_FALSE(w.action("MnuSaveResults")->isEnabled());
    runToEnd(w);
    const double seconds = clock.elapsed() / 1000.0;
    timer.stop();
    std::printf(
        "100-year level-4 run of 25 land uses, Run to last point drawn: %.3f s "
        "(%d drawing batches, %d timer ticks)\n",
        seconds, batches, ticks);
    EXPECT_TRUE(dialogs.messages.isEmpty()) << dialogs.messages.join("\n").toStdString();
    EXPECT_TRUE(start->hasResults());
    EXPECT_TRUE(w.action("MnuSaveResults")->isEnabled());
    EXPECT_TRUE(start->cmdRunSimulation->isEnabled());
    if (qEnvironmentVariableIsSet("RIVULON_TIMED")) {
        EXPECT_LT(seconds, 1.0);
    }
    EXPECT_GE(ticks, 2);
    EXPECT_GE(batches, 1);
}

TEST(RunController, ACancelledRunLeavesNothingToSave) {
    ScriptedDialogs dialogs;
    ExampleHome home;
    writeLargeWatershed(home);
    MDIFrmMain w;
    FrmStart* start = startLargeRun(w);
    ASSERT_NE(start, nullptr);
    // Cancel as soon as the first days are drawn, as a user pressing the button would.
    bool pressed = false;
    onJobProgress(w, &w, [&](const std::vector<rivulon::RunEvent>&) {
        if (!pressed && start->cmdCancelRun->isVisible()) {
            pressed = true;
            start->cmdCancelRun->click();
        }
    });
    start->cmdRunSimulation->click();
    EXPECT_TRUE(start->cmdCancelRun->isVisibleTo(start));
    runToEnd(w);
    ASSERT_TRUE(pressed);
    EXPECT_FALSE(start->hasResults());
    EXPECT_FALSE(start->cmdCancelRun->isVisibleTo(start));
    EXPECT_EQ(dialogs.messages,
              QStringList{"Rivulon|The run was cancelled; there are no results to save."});
    EXPECT_FALSE(w.action("MnuSaveResults")->isEnabled());
    // Nothing is saved from the menu either.
    dialogs.fileAnswers = {home.dir.path() + "/Output/Results.dat",
                           home.dir.path() + "/Output/Summary.dat"};
    w.action("MnuSaveResults")->setEnabled(true);  // even when chosen anyway
    w.action("MnuSaveResults")->trigger();
    EXPECT_FALSE(QFile::exists(home.dir.path() + "/Output/Results.dat"));
}

TEST(RunController, OptionsChangedDuringARunCountFromTheNextRun) {
    ScriptedDialogs dialogs;
    ExampleHome home;
    MDIFrmMain w;
    startOnProject(w);
    FrmStart* start = startWindow(w);
    ASSERT_NE(start, nullptr);
    start->txtYear->setText("30");
    start->cmdRunSimulation->click();
    w.action("MnuOC")->trigger();  // while the run goes
    runToEnd(w);
    EXPECT_TRUE(start->hasResults());
    EXPECT_TRUE(w.session().state.options.organicCarbonMode);
    EXPECT_TRUE(w.action("MnuOC")->isChecked());
    EXPECT_EQ(w.session().state.options.yearCount, 30);
}

// Two grids in one window: each keeps its own selection, and Copy takes the
// focused grid's block only.
TEST(EditCommands, EachGridCopiesItsOwnSelection) {
    ScriptedDialogs dialogs;
    MDIFrmMain w;
    w.show();
    auto* form = new QWidget;
    form->setObjectName("TwoGrids");
    auto* layout = new QVBoxLayout(form);
    rivulon::ui::FlexGrid* grids[2] = {new rivulon::ui::FlexGrid, new rivulon::ui::FlexGrid};
    for (int g = 0; g < 2; ++g) {
        rivulon::TextGrid cells(4, 3);
        for (int r = 0; r < 4; ++r) {
            for (int c = 0; c < 3; ++c) {
                cells.set(r, c, (g == 0 ? "a" : "b") + std::to_string(r) + std::to_string(c));
            }
        }
        grids[g]->setCells(cells);
        layout->addWidget(grids[g]);
    }
    addShown(w, form);
    w.mdiArea()->setActiveSubWindow(qobject_cast<QMdiSubWindow*>(form->parentWidget()));
    QApplication::processEvents();

    rivulon::GridSelection block;
    block.mouseDown(1, 1);
    block.mouseUp(2, 2);
    grids[0]->setSelection(block);
    grids[1]->setFocus();
    QApplication::processEvents();
    w.menu("MnuEdit")->aboutToShow();
    EXPECT_TRUE(w.action("MnuCopy")->isEnabled());
    EXPECT_FALSE(w.action("MnuCut")->isEnabled());
    EXPECT_FALSE(w.action("MnuPaste")->isEnabled());
    w.action("MnuCopy")->trigger();
    // The second grid's record is still the single cell (1, 1).
    EXPECT_EQ(QApplication::clipboard()->text(), ",b01\r\nb10,b11\r\n");

    grids[0]->setFocus();
    QApplication::processEvents();
    w.action("MnuCopy")->trigger();
    EXPECT_EQ(QApplication::clipboard()->text(), ",a01,a02\r\na10,a11,a12\r\na20,a21,a22\r\n");
    EXPECT_EQ(grids[1]->selection().lastRow, 1);
}

// Files given on the command line open by what they hold, not by their names.
TEST(CommandLine, FilesOpenByTheirContent) {
    ScriptedDialogs dialogs;
    ExampleHome home;
    // A project under a name no one would guess.
    const QString project = home.input() + "/millbrook.settings";
    ASSERT_TRUE(QFile::copy(home.project(), project));
    {
        MDIFrmMain w;
        w.show();
        EXPECT_TRUE(w.MDIForm_Load({project}));
        FrmStart* start = startWindow(w);
        ASSERT_NE(start, nullptr);
        EXPECT_TRUE(start->isVisible());
        EXPECT_EQ(start->txtWName->text(), "Millbrook Creek");
        EXPECT_EQ(w.session().settings.projectPath, project.toStdString());
    }
    // A file that is none of the program's is said so, by name.
    dialogs.messages.clear();
    {
        MDIFrmMain w;
        w.show();
        const QString text = home.input() + "/notes.txt";
        QFile notes(text);
        ASSERT_TRUE(notes.open(QIODevice::WriteOnly));
        notes.write("shopping list\n");
        notes.close();
        EXPECT_TRUE(w.MDIForm_Load({text}));
        ASSERT_EQ(dialogs.messages.size(), 1);
        EXPECT_TRUE(dialogs.messages[0].contains("notes.txt")) << dialogs.messages[0].toStdString();
        EXPECT_EQ(startWindow(w), nullptr);
    }
}

// A results file and a summary file open in the result tables, a regrouped
// table in the regrouping window, whatever their names.
TEST(CommandLine, ResultFilesOpenInTheirWindows) {
    ScriptedDialogs dialogs;
    ExampleHome home;
    const QString results = home.input() + "/run-april.txt";
    const QString summary = home.input() + "/means";
    ASSERT_TRUE(QFile::copy(RIVULON_SOURCE_DIR "/tests/analysis/data/Results3y_L4.dat", results));
    ASSERT_TRUE(QFile::copy(RIVULON_SOURCE_DIR "/tests/analysis/data/Summary3y_L4.dat", summary));
    MDIFrmMain w;
    w.show();
    EXPECT_TRUE(w.MDIForm_Load({results}));
    EXPECT_TRUE(dialogs.messages.isEmpty()) << dialogs.messages.join("\n").toStdString();
    QWidget* table = w.findWindow(frmGResults::kKind);
    ASSERT_NE(table, nullptr);
    EXPECT_TRUE(table->isVisible());
    EXPECT_EQ(startWindow(w), nullptr);  // no start-up question
    w.openFiles({summary});
    EXPECT_TRUE(dialogs.messages.isEmpty()) << dialogs.messages.join("\n").toStdString();
    EXPECT_EQ(w.findWindow(frmGResults::kKind), table);
}

TEST(FileKind, ToldApartByContent) {
    ExampleHome home;
    EXPECT_EQ(rivulon::fileKindOf(home.project().toStdString()), rivulon::FileKind::Project);
    EXPECT_EQ(rivulon::fileKindOf((home.input() + "/Weather.dat").toStdString()),
              rivulon::FileKind::Unknown);
    EXPECT_EQ(rivulon::fileKindOf(home.input().toStdString()), rivulon::FileKind::Unreadable);
    EXPECT_EQ(rivulon::fileKindOf((home.input() + "/none.dat").toStdString()),
              rivulon::FileKind::Unreadable);
    const std::string header = "\"Land Use Group \",\"Runoff (m³)\",\n\"Forest\",\"1\",\n";
    EXPECT_EQ(rivulon::fileKindOfText(header), rivulon::FileKind::Regrouped);
    EXPECT_EQ(rivulon::fileKindOfText("\xEF\xBB\xBF"
                                      "BasinName, \"x\"\n"),
              rivulon::FileKind::Project);
}

}  // namespace

namespace {

// Numbers read and show the same under any user locale. The test pass also
// runs this under a German locale (decimal comma), which the test script
// generates so that it never silently runs under "C" only.
TEST(Locale, NumbersReadAndShowTheSameUnderAnyLocale) {
    const QByteArray wanted = qgetenv("LC_ALL");
    if (wanted.startsWith("de_DE")) {
        const char* ctype = std::setlocale(LC_CTYPE, nullptr);
        ASSERT_TRUE(ctype && QByteArray(ctype).startsWith("de_DE"))
            << "the German locale is not installed; scripts/deps.sh generates it";
        EXPECT_EQ(QLocale::system().decimalPoint(), ",");
    }
    EXPECT_STREQ(std::setlocale(LC_NUMERIC, nullptr), "C");
    EXPECT_EQ(QLocale().toString(1.5), "1.5");
    EXPECT_EQ(std::strtod("1.5", nullptr), 1.5);

    // A window shows and reads its numbers in the program's own way.
    ScriptedDialogs dialogs;
    ExampleHome home;
    MDIFrmMain w;
    w.session().settings.graphScale = {0, 100, 80, 100, 150};
    FrmGraph* graph = graphWindow(w, true);
    ASSERT_NE(graph, nullptr);
    EXPECT_EQ(graph->Text1[1]->text(), ".8");
    graph->Text1[0]->setText("1.25");
    emit graph->Text1[0]->editingFinished();
    EXPECT_EQ(graph->UpDn[0]->value(), 125);
}

}  // namespace

namespace {

// A question's Help button opens the guide, and the guide can be read and
// scrolled while the question waits: questions block only the main window.
TEST(Help, GuideStaysUsableWhileAQuestionWaits) {
    rivulon::ui::setDialogHandler(nullptr);  // the real dialogs
    ExampleHome home;
    MDIFrmMain w;
    w.show();
    bool scrolled = false;
    onNextModal([&](QWidget* modal) {
        auto* help = modal->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Help);
        help->click();
        QApplication::processEvents();
        HelpViewer* viewer = nullptr;
        for (QWidget* top : QApplication::topLevelWidgets()) {
            if (auto* v = qobject_cast<HelpViewer*>(top); v && v->isVisible()) {
                viewer = v;
            }
        }
        if (viewer) {
            auto* text = viewer->findChild<QTextBrowser*>();
            viewer->resize(320, 160);
            QApplication::processEvents();
            text->setFocus();
            const int before = text->verticalScrollBar()->value();
            QTest::keyClick(viewer->windowHandle(), Qt::Key_End);
            QApplication::processEvents();
            scrolled = text->verticalScrollBar()->value() > before;
            viewer->close();
        }
        modal->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Cancel)->click();
    });
    w.CheckInputBox("How many years of data will you create?", "Years of Weather Data <=100", 101,
                    76, "1");
    EXPECT_TRUE(scrolled);
}

}  // namespace
