// The calibration window on the example project: a small search ends as the
// core's with the same seed, Cancel stops a long one, the saved transport
// file gives the calibrated fit again and runs with hydload, and the
// sensitivity table is the core's Morris screen.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QChart>
#include <QChartView>
#include <QCheckBox>
#include <QClipboard>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QLineSeries>
#include <QPointer>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include "analysis/ui/FrmCalibrate.h"
#include "analysis/ui/ResultChart.h"
#include "analysis/value_format.h"
#include "app/MDIFrmMain.h"
#include "calibration/flow_target.h"
#include "calibration/morris.h"
#include "calibration/search.h"
#include "calibration/uncertainty.h"
#include "shell/session.h"
#include "tests/ui/grid_fit.h"
#include "tests/ui/ui_test_support.h"
#include "tests/ui/window_access.h"

using namespace rivulon::calibration;

namespace {

FrmCalibrate* openCalibration(MDIFrmMain& w) {
    w.action(QStringLiteral("MnuCalibrate"))->trigger();
    return qobject_cast<FrmCalibrate*>(w.findWindow(FrmCalibrate::kKind));
}

// Replaces what a field holds by `text`, as a user selecting it all and typing.
void typeOver(QWidget* field, const QString& text) {
    field->setFocus();
    QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(field, text);
}

std::vector<double> startValues(const std::vector<Parameter>& params, const FlowTarget& target) {
    std::vector<double> start;
    for (const Parameter& p : params)
        start.push_back(currentValue(p, target.base.watershed));
    return start;
}

class CalibrateWindow : public ::testing::Test {
  protected:
    void SetUp() override {
        startOnProject(w);
        win = openCalibration(w);
        ASSERT_NE(win, nullptr);
        ASSERT_EQ(w.session().settings.projectPath, home.project().toStdString());
    }

    ExampleHome home;
    ScriptedDialogs dialogs;
    MDIFrmMain w;
    FrmCalibrate* win = nullptr;
};

TEST_F(CalibrateWindow, SmallRunEndsAsTheCoreWithTheSameSeed) {
    EXPECT_EQ(win->objectName(), "FrmCalibrate");
    win->spnRuns->setValue(96);
    win->spnSeed->setValue(7);
    win->spnJobs->setValue(2);
    ASSERT_TRUE(win->cmdRun_Click());
    EXPECT_TRUE(win->running());
    EXPECT_FALSE(win->cmdRun->isEnabled());
    EXPECT_TRUE(win->cmdCancel->isEnabled());
    waitForRun(w);
    ASSERT_FALSE(win->running());
    ASSERT_NE(win->result(), nullptr) << win->lblStatus->text().toStdString();
    EXPECT_TRUE(win->lblStatus->text().startsWith("Done: 96 runs"))
        << win->lblStatus->text().toStdString();
    EXPECT_GT(win->serTrace->count(), 0);
    EXPECT_EQ(win->serTrace->at(win->serTrace->count() - 1).x(), 96);
    EXPECT_TRUE(win->cmdSave->isEnabled());
    EXPECT_EQ(cutCells(viewOf(*win->grdBest, "grdBest")), QStringList());

    // The same search by the core, one job: the same trace and best set.
    const FrmCalibrate::Result& r = *win->result();
    const CalibrationInputs in = loadCalibrationProject(home.project().toStdString(), "", 0, 1);
    ASSERT_EQ(r.params.size(), 3u);  // recession, seepage, cn-mult checked at first
    SearchSettings s;
    s.runs = 96;
    s.seed = 7;
    s.jobs = 1;
    const auto evaluate = [&](const std::vector<double>& v) {
        return evaluateFlow(in.target, r.params, v, ObjectiveSettings{});
    };
    const SearchOutcome core = searchDds(r.params, startValues(r.params, in.target), evaluate, s);
    ASSERT_NE(core.best(), nullptr);
    EXPECT_EQ(r.best, core.best()->values);
    EXPECT_EQ(r.trace, core.trace);
    EXPECT_EQ(r.bestFit.objective, core.best()->evaluation.objective);
    // The plot's last point is the best objective.
    EXPECT_EQ(win->serTrace->at(win->serTrace->count() - 1).y(), core.best()->evaluation.objective);

    // The flows chart: observed, the project's values and the calibrated run
    // over every paired month, with the statistics beneath.
    const QList<QAbstractSeries*> series = win->chtFlows->chart()->series();
    ASSERT_EQ(series.size(), 4);
    for (QAbstractSeries* one : series) {
        EXPECT_EQ(static_cast<QXYSeries*>(one)->count(),
                  static_cast<int>(in.target.pairedColumns.size()));
    }
    EXPECT_TRUE(win->lblStatistics->text().contains("NSE"));
    EXPECT_TRUE(win->lblStatistics->text().contains("RSR"));
    const rivulon::TextGrid best = win->grdBest->cells();
    EXPECT_EQ(best.rows(), 4);
}

// Counts typed into the window are read as hydload reads them: "1,500" is not
// 1500, "2e3" is 2000.
TEST_F(CalibrateWindow, TypedCountsAreReadStrictly) {
    QSpinBox* runs = win->spnRuns;
    QLineEdit* edit = runs->findChild<QLineEdit*>();
    ASSERT_NE(edit, nullptr);
    const auto typeInto = [&](const QString& text) {
        QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(edit, text);
    };
    typeInto(QStringLiteral("3000"));
    EXPECT_EQ(runs->value(), 3000);
    typeInto(QStringLiteral("1,500"));
    EXPECT_EQ(edit->text(), "1,500");
    EXPECT_EQ(runs->value(), 3000);
    typeInto(QStringLiteral("2e3"));
    EXPECT_EQ(runs->value(), 2000);
    typeInto(QStringLiteral("15x"));
    EXPECT_EQ(edit->text(), "15");
    EXPECT_EQ(runs->value(), 15);
}

TEST_F(CalibrateWindow, CancelStopsALongSearch) {
    win->spnRuns->setValue(2000000);
    win->spnJobs->setValue(1);
    ASSERT_TRUE(win->cmdRun_Click());
    win->cmdCancel->click();
    waitForRun(w);
    EXPECT_FALSE(win->running());
    EXPECT_TRUE(win->lblStatus->text().startsWith("Cancelled after"))
        << win->lblStatus->text().toStdString();
    ASSERT_NE(win->result(), nullptr);
    EXPECT_TRUE(win->result()->cancelled);
    EXPECT_LT(win->result()->runs, 2000000);
    EXPECT_TRUE(win->cmdRun->isEnabled());
    EXPECT_FALSE(win->cmdCancel->isEnabled());
    // Another run may start at once.
    win->spnRuns->setValue(16);
    ASSERT_TRUE(win->cmdRun_Click());
    waitForRun(w);
    EXPECT_TRUE(win->lblStatus->text().startsWith("Done: 16 runs"));
}

TEST_F(CalibrateWindow, SavedTransportFileGivesTheCalibratedFitAndRuns) {
    win->spnRuns->setValue(64);
    ASSERT_TRUE(win->cmdRun_Click());
    waitForRun(w);
    ASSERT_NE(win->result(), nullptr);

    // Over the project's own file only when the user says so.
    const QString own = home.input() + "/Transprt.dat";
    QFile f(own);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray before = f.readAll();
    f.close();
    dialogs.fileAnswers << own;
    dialogs.yesNoAnswer = false;
    EXPECT_FALSE(win->cmdSave_Click());
    EXPECT_EQ(dialogs.yesNoAsked, 1);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), before);
    f.close();
    // Never over another input (the weather file), asked or not.
    dialogs.fileAnswers << home.input() + "/Weather.dat";
    EXPECT_FALSE(win->cmdSave_Click());
    EXPECT_FALSE(dialogs.messages.isEmpty());

    // A copy of the project whose transport file is the saved one.
    QTemporaryDir copy;
    for (const QString& name : QDir(home.input()).entryList(QDir::Files))
        QFile::copy(home.input() + "/" + name, copy.path() + "/" + name);
    const QString saved = copy.path() + "/Transprt_calibrated.dat";
    dialogs.fileAnswers << saved;
    ASSERT_TRUE(win->cmdSave_Click());
    QFile::remove(copy.path() + "/Transprt.dat");
    ASSERT_TRUE(QFile::copy(saved, copy.path() + "/Transprt.dat"));

    const FrmCalibrate::Result& r = *win->result();
    const CalibrationInputs in =
        loadCalibrationProject((copy.path() + "/Millbrook.prj").toStdString(), "", 0, 1);
    const Evaluation again =
        evaluateFlow(in.target, r.params, startValues(r.params, in.target), ObjectiveSettings{});
    ASSERT_TRUE(again.defined);
    EXPECT_NEAR(again.objective, r.bestFit.objective, 1e-9);

    QProcess hydload;
    hydload.start(
        QCoreApplication::applicationDirPath() + "/hydload",
        {"run", "--transport", saved, "--nutrient", copy.path() + "/Nutrient.dat", "--weather",
         copy.path() + "/Weather.dat", "--years", "5", "--quiet", "--out", copy.path() + "/out"});
    ASSERT_TRUE(hydload.waitForFinished(60000));
    EXPECT_EQ(hydload.exitCode(), 0) << hydload.readAllStandardError().toStdString();
    EXPECT_TRUE(QFile::exists(copy.path() + "/out/Results.dat"));
}

// The trace is saved as `hydload calibrate` writes calibration.csv, byte for
// byte; the two charts save their pictures and numbers as the other charts
// do; the best values carry their units, each column in one format.
TEST_F(CalibrateWindow, SavesItsTraceAsHydloadAndExportsItsCharts) {
    EXPECT_FALSE(win->cmdSaveTrace->isEnabled());
    typeOver(win->spnRuns, "48");
    typeOver(win->spnSeed, "3");
    typeOver(win->spnJobs, "2");
    QTest::mouseClick(win->cmdRun, Qt::LeftButton);
    waitForRun(w);
    ASSERT_NE(win->result(), nullptr) << win->lblStatus->text().toStdString();
    ASSERT_TRUE(win->cmdSaveTrace->isEnabled());

    QTemporaryDir out;
    dialogs.fileAnswers << out.path() + "/trace.csv";
    QTest::mouseClick(win->cmdSaveTrace, Qt::LeftButton);
    EXPECT_EQ(dialogs.fileTitles.last(), "Save calibration trace");
    EXPECT_TRUE(win->lblStatus->text().contains(out.path() + "/trace.csv"));
    QProcess hydload;
    hydload.start(QCoreApplication::applicationDirPath() + "/hydload",
                  {"calibrate", home.project(), "--params", "recession,seepage,cn-mult", "--runs",
                   "48", "--seed", "3", "--jobs", "1", "--out", out.path() + "/cli", "--quiet"});
    ASSERT_TRUE(hydload.waitForFinished(60000));
    EXPECT_EQ(hydload.exitCode(), 0) << hydload.readAllStandardError().toStdString();
    const auto bytes = [](const QString& path) {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    };
    const QByteArray trace = bytes(out.path() + "/trace.csv");
    EXPECT_TRUE(trace.startsWith("run,batch,recession,seepage,cn-mult,")) << trace.left(80).data();
    EXPECT_EQ(trace.count('\n'), 49);
    EXPECT_EQ(trace, bytes(out.path() + "/cli/calibration.csv"));
    // Never over one of the project's inputs.
    dialogs.fileAnswers << home.input() + "/Weather.dat";
    const QByteArray weather = bytes(home.input() + "/Weather.dat");
    EXPECT_FALSE(win->cmdSaveTrace_Click());
    EXPECT_EQ(bytes(home.input() + "/Weather.dat"), weather);
    EXPECT_FALSE(dialogs.messages.isEmpty());

    const rivulon::TextGrid best = win->grdBest->cells();
    EXPECT_EQ(best.at(0, 1), "Unit");
    EXPECT_EQ(best.at(0, 3), "Calibrated");
    EXPECT_EQ(best.at(1, 1), "1/day");   // recession coefficient
    EXPECT_EQ(best.at(3, 1), "factor");  // curve number multiplier
    const QRegularExpression sixDecimals(QStringLiteral("^-?\\d+\\.\\d{6}$"));
    for (int r = 1; r < best.rows(); ++r)
        for (int c = 2; c < best.cols(); ++c)
            EXPECT_TRUE(QString::fromStdString(best.at(r, c)).contains(sixDecimals))
                << best.at(r, c);

    dialogs.fileAnswers << out.path() + "/trace.png" << out.path() + "/flows.csv"
                        << out.path() + "/flows.pdf";
    QTest::mouseClick(win->findChild<QToolButton*>("cmdTraceSavePng"), Qt::LeftButton);
    QTest::mouseClick(win->findChild<QToolButton*>("cmdFlowsSaveCsv"), Qt::LeftButton);
    QTest::mouseClick(win->findChild<QToolButton*>("cmdFlowsSavePdf"), Qt::LeftButton);
    const QImage png(out.path() + "/trace.png");
    EXPECT_GE(png.width(), 2 * win->chtTrace->width());
    EXPECT_TRUE(bytes(out.path() + "/flows.pdf").startsWith("%PDF"));
    const QList<QByteArray> flows = bytes(out.path() + "/flows.csv").split('\n');
    EXPECT_EQ(flows[0].trimmed(), "Year of the run,Project's values,Observed,Calibrated");
    const CalibrationInputs in = loadCalibrationProject(home.project().toStdString(), "", 0, 1);
    EXPECT_EQ(flows.size() - 2, static_cast<qsizetype>(in.target.pairedColumns.size()));
    QTest::mouseClick(win->findChild<QToolButton*>("cmdTraceCopyData"), Qt::LeftButton);
    EXPECT_TRUE(QApplication::clipboard()->text().startsWith("Model runs,Best NSE\r\n"));
}

TEST_F(CalibrateWindow, SensitivityTableIsTheCoresMorrisScreen) {
    win->spnTrajectories->setValue(3);
    win->spnSeed->setValue(5);
    ASSERT_TRUE(win->cmdSensitivity_Click());
    waitForRun(w);
    const rivulon::TextGrid grid = win->grdSensitivity->cells();
    ASSERT_EQ(grid.rows(), 4);
    EXPECT_EQ(cutCells(viewOf(*win->grdSensitivity, "grdSensitivity")), QStringList());
    EXPECT_EQ(grid.at(0, 2), "\u03bc*");

    const CalibrationInputs in = loadCalibrationProject(home.project().toStdString(), "", 0, 1);
    const std::vector<Parameter> params = parseParameterList("recession,seepage,cn-mult");
    MorrisSettings m;
    m.trajectories = 3;
    m.seed = 5;
    const MorrisOutcome core = screenMorris(
        params,
        [&](const std::vector<double>& v) {
            return evaluateFlow(in.target, params, v, ObjectiveSettings{});
        },
        m);
    for (std::size_t i = 0; i < core.ranking.size(); ++i) {
        const int row = static_cast<int>(i) + 1;
        EXPECT_EQ(grid.at(row, 1),
                  params[static_cast<std::size_t>(core.ranking[i].parameter)].info->label);
        EXPECT_EQ(grid.at(row, 2), rivulon::formatPattern(core.ranking[i].muStar, "0.0000"));
    }
}

TEST_F(CalibrateWindow, RefusesUnusableInputsBeforeStarting) {
    FrmCalibrate::ParamRow& recession = win->paramRows.front();
    recession.low->setText("0.3");
    recession.high->setText("0.1");
    EXPECT_FALSE(win->cmdRun_Click());
    ASSERT_FALSE(dialogs.messages.isEmpty());
    EXPECT_TRUE(dialogs.messages.last().contains("low end must be below"))
        << dialogs.messages.last().toStdString();
    recession.low->setText("abc");
    EXPECT_FALSE(win->cmdSensitivity_Click());
    EXPECT_TRUE(dialogs.messages.last().contains("two numbers"));
    for (auto& row : win->paramRows)
        row.check->setChecked(false);
    EXPECT_FALSE(win->cmdRun_Click());
    EXPECT_TRUE(dialogs.messages.last().contains("at least one parameter"));
    EXPECT_FALSE(win->running());
    EXPECT_FALSE(w.jobs().busy());
}

TEST_F(CalibrateWindow, ClosingDuringARunStopsIt) {
    win->spnRuns->setValue(2000000);
    ASSERT_TRUE(win->cmdRun_Click());
    EXPECT_TRUE(w.jobs().busy());
    QPointer<FrmCalibrate> gone(win);
    win->close();  // deleted on close: its work may not outlive it
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
    EXPECT_TRUE(gone.isNull());
    EXPECT_FALSE(w.jobs().busy());
    // The controller is free for the next piece of work.
    win = openCalibration(w);
    ASSERT_NE(win, nullptr);
    win->spnRuns->setValue(16);
    ASSERT_TRUE(win->cmdRun_Click());
    waitForRun(w);
    EXPECT_NE(win->result(), nullptr);
}

TEST_F(CalibrateWindow, ReplacesTheProjectsTransportFileOnlyWhenConfirmed) {
    win->spnRuns->setValue(32);
    ASSERT_TRUE(win->cmdRun_Click());
    waitForRun(w);
    ASSERT_NE(win->result(), nullptr);
    const QString own = home.input() + "/Transprt.dat";
    dialogs.fileAnswers << own;
    dialogs.yesNoAnswer = true;
    ASSERT_TRUE(win->cmdSave_Click());
    EXPECT_EQ(dialogs.yesNoAsked, 1);
    const FrmCalibrate::Result& r = *win->result();
    const CalibrationInputs in = loadCalibrationProject(home.project().toStdString(), "", 0, 1);
    for (std::size_t j = 0; j < r.params.size(); ++j) {
        if (!r.params[j].info->multiplier) {
            EXPECT_EQ(currentValue(r.params[j], in.target.base.watershed),
                      r.params[j].effective(r.best[j]))
                << r.params[j].name();
        }
    }
}

TEST_F(CalibrateWindow, AMissingObservedFileIsReportedAndNothingIsKept) {
    win->txtObserved->setText(home.input() + "/NoSuchObs.dat");
    win->spnRuns->setValue(16);
    ASSERT_TRUE(win->cmdRun_Click());
    waitForRun(w);
    EXPECT_EQ(win->result(), nullptr);
    EXPECT_EQ(win->lblStatus->text(), "Stopped by an error.");
    ASSERT_FALSE(dialogs.messages.isEmpty());
    EXPECT_TRUE(dialogs.messages.last().contains("NoSuchObs.dat"))
        << dialogs.messages.last().toStdString();
    EXPECT_FALSE(win->cmdSave->isEnabled());
    EXPECT_TRUE(win->cmdRun->isEnabled());
}

TEST_F(CalibrateWindow, NoSetWithinThePbiasLimitIsNotOfferedForSaving) {
    win->chkPbias->setChecked(true);
    win->txtPbias->setText("0");
    win->spnRuns->setValue(16);
    ASSERT_TRUE(win->cmdRun_Click());
    waitForRun(w);
    ASSERT_NE(win->result(), nullptr);
    EXPECT_FALSE(win->result()->bestFit.feasible);
    EXPECT_TRUE(win->lblStatistics->text().contains("No set met the |PBIAS| limit"));
    EXPECT_FALSE(win->cmdSave->isEnabled());
    EXPECT_FALSE(win->cmdSave_Click());
    win->txtPbias->setText("-3");
    EXPECT_FALSE(win->cmdRun_Click());
    EXPECT_TRUE(dialogs.messages.last().contains("percentage of 0 or more"));
}

TEST_F(CalibrateWindow, UncertaintyPageShowsTheCoresBandAndSavesItAsTheOtherCharts) {
    typeOver(win->spnRuns, "40");
    typeOver(win->spnJobs, "2");
    typeOver(win->txtThreshold, ".3");
    QTest::mouseClick(win->cmdUncertainty, Qt::LeftButton);
    EXPECT_FALSE(win->cmdUncertainty->isEnabled());
    waitForRun(w);
    ASSERT_TRUE(win->cmdUncertainty->isEnabled());
    EXPECT_EQ(win->tabResults->currentWidget(), win->pagUncertainty);
    EXPECT_EQ(win->tabResults->tabText(win->tabResults->currentIndex()), "Uncertainty");

    // The core with the same parameters, seed and threshold.
    const CalibrationInputs in = loadCalibrationProject(home.project().toStdString(), "", 0, 1);
    const std::vector<Parameter> params = parseParameterList("recession,seepage,cn-mult");
    UncertaintySettings s;
    s.runs = 40;
    s.seed = 1;
    s.threshold = 0.3;
    const UncertaintyOutcome core = analyseUncertainty(in.target, params, {}, s);
    ASSERT_GT(core.behaviouralCount, 0);
    const std::vector<rivulon::ChartData>& series = win->chtBand->series();
    ASSERT_EQ(series.size(), 4u);
    EXPECT_EQ(series[0].seriesLabel, "Observed");
    ASSERT_EQ(series[1].values.size(), core.band.size());
    for (std::size_t i = 0; i < core.band.size(); ++i) {
        EXPECT_EQ(series[0].values[i], core.band[i].observed);
        EXPECT_EQ(series[1].values[i], core.band[i].low);
        EXPECT_EQ(series[2].values[i], core.band[i].median);
        EXPECT_EQ(series[3].values[i], core.band[i].high);
    }
    // Drawn: the shaded band under the four lines.
    EXPECT_EQ(win->chtBand->chart()->series().size(), 5);
    const QString text = win->lblBand->text();
    EXPECT_TRUE(text.contains(
        "P-factor " + QString::fromStdString(rivulon::formatPattern(core.quality.pFactor, "0.00"))))
        << text.toStdString();
    EXPECT_TRUE(text.contains("R-factor " + QString::fromStdString(rivulon::formatPattern(
                                                core.quality.rFactor, "0.00"))));
    EXPECT_TRUE(
        text.contains(QString::number(core.behaviouralCount) + " of 40 sets are behavioural"));
    const rivulon::TextGrid ranges = win->grdBehavioural->cells();
    ASSERT_EQ(ranges.rows(), 4);
    EXPECT_EQ(ranges.at(1, 2), rivulon::formatPattern(core.rangeLow[0], "0.000000"));
    EXPECT_EQ(ranges.at(3, 3), rivulon::formatPattern(core.rangeHigh[2], "0.000000"));

    // Saved as the other charts are: picture and numbers.
    QTemporaryDir out;
    dialogs.fileAnswers << out.path() + "/band.png" << out.path() + "/band.csv";
    QTest::mouseClick(win->chtBand->findChild<QToolButton*>("cmdSavePng"), Qt::LeftButton);
    QTest::mouseClick(win->chtBand->findChild<QToolButton*>("cmdSaveDataCsv"), Qt::LeftButton);
    EXPECT_GT(QFileInfo(out.path() + "/band.png").size(), 1000);
    QFile csv(out.path() + "/band.csv");
    ASSERT_TRUE(csv.open(QIODevice::ReadOnly));
    EXPECT_TRUE(csv.readLine().contains("Observed,2.5 %,Median,97.5 %"));

    // A threshold no set reaches: said, with the best objective.
    typeOver(win->txtThreshold, "2");
    QTest::mouseClick(win->cmdUncertainty, Qt::LeftButton);
    waitForRun(w);
    EXPECT_TRUE(win->lblBand->text().startsWith("No behavioural set"));
    EXPECT_TRUE(win->lblBand->text().contains("the best NSE reached is " +
                                              QString::fromStdString(rivulon::formatPattern(
                                                  core.best()->evaluation.objective, "0.0000"))))
        << win->lblBand->text().toStdString();
    typeOver(win->txtThreshold, "most");
    QTest::mouseClick(win->cmdUncertainty, Qt::LeftButton);
    EXPECT_FALSE(win->running());
    ASSERT_FALSE(dialogs.messages.isEmpty());
    EXPECT_TRUE(dialogs.messages.last().contains("Behavioural from"));
}

}  // namespace
