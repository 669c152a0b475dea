// Long work in the windows: each window follows only the job it started, one
// stop token ends every kind of job, and a job that ends hands back only its
// results, never undoing what the user chose while it went.
#include <gtest/gtest.h>
#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <QTextEdit>
#include <QTimer>

#include "analysis/ui/FrmCalibrate.h"
#include "app/MDIFrmMain.h"
#include "scenarios/ui/FrmSeptic.h"
#include "scenarios/ui/frmRunSub.h"
#include "shell/UpDown.h"
#include "shell/file_lists.h"
#include "shell/jobs.h"
#include "shell/session.h"
#include "tests/ui/ui_test_support.h"
#include "tests/ui/window_access.h"

using rivulon::ui::WindowKind;

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

// Replaces a box's text as a user does: select all, type.
void typeInto(QLineEdit* box, const QString& text) {
    box->setFocus();
    box->selectAll();
    QTest::keyClick(box, Qt::Key_Delete);
    QTest::keyClicks(box, text);
}

// Types a number into a spin box that shows its text.
void typeNumber(QSpinBox* box, const QString& text) {
    box->setFocus();
    QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(box, text);
}

// Moves a spinner that shows only its arrows with its arrow keys to `value`.
void stepTo(QSpinBox* spinner, int value) {
    while (spinner->value() < value) {
        QTest::keyClick(spinner, Qt::Key_Up);
    }
    while (spinner->value() > value) {
        QTest::keyClick(spinner, Qt::Key_Down);
    }
}

// Waits in the event loop until the job in flight has ended.
void waitForJob(MDIFrmMain& w) {
    if (!w.jobs().busy()) {
        return;
    }
    QEventLoop loop;
    QObject::connect(&w.jobs(), &rivulon::ui::Jobs::jobEnded, &loop, &QEventLoop::quit);
    QTimer::singleShot(120000, &loop, &QEventLoop::quit);
    loop.exec();
    QCoreApplication::processEvents();
}

// A second project beside the example: its own folder, basin name and a
// weather file of 12 years (the example's first twelve).
QString writeShortProject(const ExampleHome& home) {
    const QString folder = home.dir.path() + "/Short";
    QDir().mkpath(folder);
    const QDir input(home.input());
    for (const QString& name : input.entryList(QDir::Files)) {
        QFile::copy(input.filePath(name), folder + "/" + name);
    }
    QByteArray project = fileBytes(folder + "/Millbrook.prj");
    project.replace("\"Millbrook Creek\"", "\"Short Creek\"");
    writeBytes(folder + "/Short.prj", project);
    const QList<QByteArray> lines = fileBytes(home.input() + "/Weather.dat").split('\n');
    QByteArray weather;
    int months = 0;
    for (const QByteArray& line : lines) {
        if (line.contains('/') && ++months > 144) {
            break;
        }
        weather += line + '\n';
    }
    writeBytes(folder + "/Weather.dat", weather);
    return folder + "/Short.prj";
}

// File > Start, answering the start-up dialogue with another project file.
void openProject(MDIFrmMain& w, const QString& project) {
    onNextModal([project](QWidget* modal) {
        auto* box = modal->findChild<QLineEdit*>("TxtInputFile_9");
        ASSERT_NE(box, nullptr);
        typeInto(box, project);
        modal->findChild<QPushButton*>("btnGetFile")->click();
    });
    w.action("mnuStart")->trigger();
}

struct Desk {
    ScriptedDialogs dialogs;
    ExampleHome home;
    MDIFrmMain main;
    FrmStart* start = nullptr;

    explicit Desk(const QString& years) {
        main.resize(1280, 860);
        startOnProject(main);
        start = startWindow(main);
        typeInto(start->txtYear, years);
    }
    frmRunSub* batchWindow(const QString& control, int rows) {
        main.runCommand("MnuRunSubBasins");
        auto* w = qobject_cast<frmRunSub*>(main.findWindow(WindowKind::RunSub));
        if (!w) {
            return nullptr;
        }
        typeInto(w->TxtCtrlFile, home.input() + "/" + control);
        stepTo(w->UpDnSubBasins, rows);
        return w;
    }
    QString output() {
        return QDir::cleanPath(QString::fromStdString(main.session().settings.outputFolder));
    }
    QString simInfo() {
        startWindow(main)->cmdShowSimInfo->click();
        auto* listing = qobject_cast<QTextEdit*>(main.findWindow(WindowKind::SimInfo));
        return listing ? listing->toPlainText() : QString();
    }
};

}  // namespace

// A run, a batch and a calibration one after the other: every window shows
// the progress and the end of its own job only.
TEST(Jobs, EachWindowFollowsOnlyItsOwnJob) {
    Desk d("6");
    ASSERT_NE(d.start, nullptr);
    d.start->cmdRunSimulation->click();
    EXPECT_TRUE(d.start->running());
    frmRunSub* batch = d.batchWindow("RunSubbasins.dat", 4);
    ASSERT_NE(batch, nullptr);
    // One job at a time: the batch waits for the run.
    EXPECT_FALSE(batch->cmdRun->isEnabled());
    waitForJob(d.main);
    EXPECT_TRUE(d.start->hasResults());
    EXPECT_FALSE(d.start->running());
    EXPECT_EQ(batch->barRows->value(), 0);
    EXPECT_EQ(batch->windowTitle(), "Run the model for sub-basins");

    ASSERT_TRUE(batch->cmdRun->isEnabled());
    batch->cmdRun->click();
    EXPECT_TRUE(batch->running());
    EXPECT_FALSE(d.start->running());
    EXPECT_FALSE(d.start->cmdRunSimulation->isEnabled());
    waitForJob(d.main);
    EXPECT_EQ(batch->windowTitle(), "Done! You may start another run.");
    EXPECT_EQ(batch->barRows->value(), 4);
    EXPECT_EQ(batch->barRows->maximum(), 4);
    // The start window said nothing about a job that was not its own.
    EXPECT_TRUE(d.dialogs.messages.isEmpty()) << d.dialogs.messages.join("\n").toStdString();
    EXPECT_TRUE(d.start->cmdRunSimulation->isEnabled());

    d.main.action(QStringLiteral("MnuCalibrate"))->trigger();
    auto* calibrate = qobject_cast<FrmCalibrate*>(d.main.findWindow(WindowKind::Calibration));
    ASSERT_NE(calibrate, nullptr);
    typeNumber(calibrate->spnRuns, "16");
    ASSERT_TRUE(calibrate->cmdRun_Click());
    waitForJob(d.main);
    EXPECT_EQ(calibrate->prgRuns->maximum(), 16);
    EXPECT_EQ(calibrate->prgRuns->value(), 16);
    // The calibration's progress never reached the batch window.
    EXPECT_EQ(batch->windowTitle(), "Done! You may start another run.");
    EXPECT_EQ(batch->barRows->maximum(), 4);
    EXPECT_FALSE(batch->running());
    EXPECT_TRUE(d.dialogs.messages.isEmpty()) << d.dialogs.messages.join("\n").toStdString();
}

// Every kind of job ends through its one stop token, and says so in its own window.
TEST(Jobs, EveryKindStopsThroughItsToken) {
    Desk d("30");
    ASSERT_NE(d.start, nullptr);
    const auto stopNow = [&d] {
        rivulon::ui::Job* job = d.main.jobs().current();
        ASSERT_NE(job, nullptr);
        job->stop();
        waitForJob(d.main);
    };

    d.start->cmdRunSimulation->click();
    stopNow();
    EXPECT_EQ(d.dialogs.messages,
              QStringList{"Rivulon|The run was cancelled; there are no results to save."});
    EXPECT_FALSE(d.start->hasResults());

    d.dialogs.messages.clear();
    writeBytes(d.home.input() + "/RunLong.dat", fileBytes(d.home.input() + "/RunSubbasins62.dat"));
    frmRunSub* batch = d.batchWindow("RunLong.dat", 62);
    ASSERT_NE(batch, nullptr);
    batch->cmdRun->click();
    stopNow();
    EXPECT_TRUE(batch->windowTitle().startsWith("Cancelled after"))
        << batch->windowTitle().toStdString();
    EXPECT_LT(batch->barRows->value(), 62);

    d.main.runCommand(QStringLiteral("MnuSeptic"));
    auto* septic = qobject_cast<FrmSeptic*>(d.main.findWindow(WindowKind::Septic));
    ASSERT_NE(septic, nullptr);
    d.dialogs.messages.clear();
    d.dialogs.yesNoAnswer = true;
    septic->cmdClose->click();
    EXPECT_TRUE(septic->running());
    stopNow();
    EXPECT_EQ(d.dialogs.messages,
              QStringList{"Rivulon|The run was cancelled; ResultsSeptic.dat and "
                          "SummarySeptic.dat were not written."});
    EXPECT_FALSE(QFile::exists(d.output() + "/ResultsSeptic.dat"));

    d.main.action(QStringLiteral("MnuCalibrate"))->trigger();
    auto* calibrate = qobject_cast<FrmCalibrate*>(d.main.findWindow(WindowKind::Calibration));
    ASSERT_NE(calibrate, nullptr);
    ASSERT_TRUE(calibrate->cmdRun_Click());
    stopNow();
    EXPECT_TRUE(calibrate->lblStatus->text().startsWith("Cancelled after"))
        << calibrate->lblStatus->text().toStdString();
    EXPECT_FALSE(d.main.jobs().busy());
}

// While a run's results are the project's, another project cannot be opened;
// a batch works on its own copy, and what the user chose meanwhile stays.
TEST(Jobs, ChoicesMadeWhileABatchRunsStay) {
    Desk d("30");
    ASSERT_NE(d.start, nullptr);
    const QString other = writeShortProject(d.home);

    d.start->cmdRunSimulation->click();
    EXPECT_FALSE(d.main.action("mnuStart")->isEnabled());
    EXPECT_FALSE(d.main.action("MnuInput")->isEnabled());
    waitForJob(d.main);
    EXPECT_TRUE(d.main.action("mnuStart")->isEnabled());

    // Another project opened while a batch runs: afterwards the program holds it.
    frmRunSub* batch = d.batchWindow("RunSubbasins62.dat", 62);
    ASSERT_NE(batch, nullptr);
    batch->cmdRun->click();
    ASSERT_TRUE(batch->running());
    EXPECT_TRUE(d.main.action("mnuStart")->isEnabled());
    openProject(d.main, other);
    EXPECT_TRUE(batch->running());
    waitForJob(d.main);
    EXPECT_EQ(batch->windowTitle(), "Done! You may start another run.");
    const QString shortFolder = QFileInfo(other).absolutePath();
    const QString info = d.simInfo();
    EXPECT_TRUE(info.contains(shortFolder + "/Short.prj")) << info.toStdString();
    EXPECT_TRUE(info.contains(shortFolder + "/Transprt.dat")) << info.toStdString();
    for (const char* name : {"/Millbrook.prj", "/Transprt.dat", "/TrLower.dat", "/Weather.dat"}) {
        EXPECT_FALSE(info.contains(d.home.input() + name)) << info.toStdString();
    }
    EXPECT_EQ(startWindow(d.main)->txtWName->text(), "Short Creek");
    EXPECT_EQ(d.main.session().settings.projectPath, other.toStdString());

    // An option unchecked while a batch runs stays unchecked; the batch's
    // files are as without the change.
    QAction* oc = d.main.action("MnuOC");
    oc->trigger();
    ASSERT_TRUE(oc->isChecked());
    batch->cmdRun->click();
    ASSERT_TRUE(batch->running());
    oc->trigger();
    EXPECT_FALSE(oc->isChecked());
    waitForJob(d.main);
    EXPECT_EQ(batch->windowTitle(), "Done! You may start another run.");
    EXPECT_FALSE(oc->isChecked());
    EXPECT_FALSE(d.main.session().state.options.organicCarbonMode);
}

// The septic window's Close/Run runs the project and years the start window
// shows now, not what the last batch left, and saves its two files as one set.
TEST(Jobs, SepticRunTakesTheStartWindowsProjectAndYears) {
    Desk d("30");
    FrmStart* start = d.start;
    ASSERT_NE(start, nullptr);
    const QString other = writeShortProject(d.home);
    // Rows without the seepage and concentration controls, so that the
    // options the batch leaves are those hydload reads from the project.
    frmRunSub* batch = d.batchWindow("RunSubbasins.dat", 3);
    ASSERT_NE(batch, nullptr);
    batch->cmdRun->click();
    waitForJob(d.main);
    ASSERT_EQ(batch->windowTitle(), "Done! You may start another run.");
    EXPECT_EQ(d.main.session().state.options.yearCount, 30);
    EXPECT_EQ(start->txtWName->text(), "Lower Millbrook");

    openProject(d.main, other);
    start = startWindow(d.main);
    ASSERT_NE(start, nullptr);
    EXPECT_EQ(start->txtYear->text(), "12");
    EXPECT_EQ(start->txtWName->text(), "Short Creek");

    d.main.runCommand(QStringLiteral("MnuSeptic"));
    auto* septic = qobject_cast<FrmSeptic*>(d.main.findWindow(WindowKind::Septic));
    ASSERT_NE(septic, nullptr);
    d.dialogs.messages.clear();
    d.dialogs.yesNoAnswer = true;
    septic->cmdClose->click();
    waitForJob(d.main);
    EXPECT_TRUE(d.dialogs.messages.isEmpty()) << d.dialogs.messages.join("\n").toStdString();

    const QString reference = d.home.dir.path() + "/reference";
    QProcess process;
    process.start(QCoreApplication::applicationDirPath() + "/hydload",
                  {"run", other, "--years", "12", "--level", "4", "--out", reference, "--quiet"});
    ASSERT_TRUE(process.waitForFinished(60000));
    ASSERT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
    const QByteArray results = fileBytes(d.output() + "/ResultsSeptic.dat");
    EXPECT_TRUE(results.startsWith("\"Short Creek\",")) << results.left(60).toStdString();
    EXPECT_EQ(results, fileBytes(reference + "/Results.dat"));
    EXPECT_EQ(fileBytes(d.output() + "/SummarySeptic.dat"), fileBytes(reference + "/Summary.dat"));

    // A project whose nutrient file is where the set's summary would go: the
    // set is refused whole, the input file and the old results stay.
    const QString shortFolder = QFileInfo(other).absolutePath();
    QByteArray clash = fileBytes(other);
    clash.replace("NutrientFile, \"Nutrient.dat\"",
                  "NutrientFile, \"../Output/SummarySeptic.dat\"");
    writeBytes(shortFolder + "/Clash.prj", clash);
    QFile::remove(d.output() + "/SummarySeptic.dat");
    QFile::copy(shortFolder + "/Nutrient.dat", d.output() + "/SummarySeptic.dat");
    const QByteArray input = fileBytes(d.output() + "/SummarySeptic.dat");
    openProject(d.main, shortFolder + "/Clash.prj");
    d.dialogs.messages.clear();
    septic->cmdClose->click();
    waitForJob(d.main);
    ASSERT_EQ(d.dialogs.messages.size(), 1);
    EXPECT_TRUE(d.dialogs.messages[0].contains("would replace the input file"))
        << d.dialogs.messages[0].toStdString();
    EXPECT_EQ(fileBytes(d.output() + "/ResultsSeptic.dat"), results);
    EXPECT_EQ(fileBytes(d.output() + "/SummarySeptic.dat"), input);
}

// A batch asks before it replaces files that an earlier batch of its name did
// not write: "Mid2" row 1 writes ResultsMid21.dat, which is "Mid"'s row 21.
TEST(Jobs, BatchAsksBeforeReplacingAnotherBatchsFiles) {
    Desk d("2");
    ASSERT_NE(d.start, nullptr);
    frmRunSub* batch = d.batchWindow("RunSubbasins62.dat", 21);
    ASSERT_NE(batch, nullptr);
    typeInto(batch->TxtNameString, "Mid");
    batch->cmdRun->click();
    waitForJob(d.main);
    ASSERT_EQ(batch->windowTitle(), "Done! You may start another run.");
    EXPECT_EQ(d.dialogs.yesNoAsked, 0);
    const QByteArray mid21 = fileBytes(d.output() + "/ResultsMid21.dat");
    ASSERT_FALSE(mid21.isEmpty());

    typeInto(batch->TxtNameString, "Mid2");
    stepTo(batch->UpDnSubBasins, 1);
    d.dialogs.yesNoAnswer = false;
    batch->cmdRun->click();
    EXPECT_EQ(d.dialogs.yesNoAsked, 1);
    ASSERT_EQ(d.dialogs.questions.size(), 1);
    EXPECT_EQ(d.dialogs.questions[0],
              "Run the model for sub-basins|These result files were not written by an earlier "
              "batch named \"Mid2\"; this batch would replace them:\n" +
                  d.output() + "/ResultsMid21.dat\n" + d.output() +
                  "/SummaryMid21.dat\n\nReplace them?");
    EXPECT_FALSE(batch->running());
    EXPECT_EQ(batch->lblRowsDone->text(), "Nothing was run.");
    EXPECT_EQ(fileBytes(d.output() + "/ResultsMid21.dat"), mid21);

    d.dialogs.yesNoAnswer = true;
    batch->cmdRun->click();
    EXPECT_EQ(d.dialogs.yesNoAsked, 2);
    waitForJob(d.main);
    EXPECT_EQ(batch->windowTitle(), "Done! You may start another run.");
    EXPECT_NE(fileBytes(d.output() + "/ResultsMid21.dat"), mid21);

    // Its own files again: no question.
    batch->cmdRun->click();
    waitForJob(d.main);
    EXPECT_EQ(d.dialogs.yesNoAsked, 2);
    EXPECT_TRUE(d.dialogs.messages.isEmpty()) << d.dialogs.messages.join("\n").toStdString();
}
