// The climate scenario window on the example project, driven as a user does,
// its runs compared byte for byte with hydload's on the same inputs.
#include <gtest/gtest.h>
#include <QAreaSeries>
#include <QChart>
#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTextEdit>

#include "analysis/ensemble_bands.h"
#include "analysis/ui/ResultChart.h"
#include "analysis/ui/frmGResults.h"
#include "app/MDIFrmMain.h"
#include "scenarios/ui/FrmClimate.h"
#include "shell/session.h"
#include "tests/ui/ui_test_support.h"
#include "tests/ui/window_access.h"

using rivulon::ui::WindowKind;

namespace {

QByteArray fileBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Replaces a box's text as a user does: click, select all, type.
void typeInto(QLineEdit* box, const QString& text) {
    QTest::mouseClick(box, Qt::LeftButton);
    QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(box, text);
}

struct ClimateFixture {
    ScriptedDialogs dialogs;
    ExampleHome home;
    MDIFrmMain main;
    FrmStart* start = nullptr;

    ClimateFixture() {
        main.resize(1280, 860);
        startOnProject(main);
        start = startWindow(main);
    }
    FrmClimate* openClimate() {
        main.runCommand("MnuClimate");
        return qobject_cast<FrmClimate*>(main.findWindow(WindowKind::Climate));
    }
    QString output() {
        return QDir::cleanPath(QString::fromStdString(main.session().settings.outputFolder));
    }
    int hydload(const QStringList& args) {
        QProcess process;
        process.start(QCoreApplication::applicationDirPath() + "/hydload", args);
        process.waitForFinished(120000);
        EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
        return process.exitCode();
    }
    void runYears(const char* years, int level) {
        typeInto(start->txtYear, QString::fromLatin1(years));
        QTest::mouseClick(start->OptSim[level - 1], Qt::LeftButton);
        start->cmdRunSimulation->click();
        waitForRun(main);
    }
};

TEST(ClimateWindow, TheChangedWeatherRunsAsHydloadRunsItAndIsListed) {
    ClimateFixture f;
    FrmClimate* w = f.openClimate();
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->windowTitle(), "Climate scenario");
    EXPECT_EQ(w->txtDeltaTemp->text(), "0");
    EXPECT_EQ(w->txtPrecipFactor->text(), "1");

    // A factor below 0 is refused and nothing changes.
    typeInto(w->txtPrecipFactor, "-1");
    QTest::mouseClick(w->cmdOK, Qt::LeftButton);
    ASSERT_EQ(f.dialogs.messages.size(), 1);
    EXPECT_EQ(f.dialogs.messages[0].section('|', 1),
              "Precipitation factor must not be below 0 (a factor on precipitation), not \"-1\"");
    EXPECT_TRUE(f.main.session().settings.climate.isIdentity());
    ASSERT_EQ(f.main.findWindow(WindowKind::Climate), w);

    typeInto(w->txtDeltaTemp, "2");
    typeInto(w->txtPrecipFactor, "1.1");
    QTest::mouseClick(w->cmdOK, Qt::LeftButton);
    QCoreApplication::processEvents();
    EXPECT_EQ(f.dialogs.messages.size(), 1);
    EXPECT_EQ(f.main.findWindow(WindowKind::Climate), nullptr) << "OK closes the window";
    EXPECT_EQ(rivulon::describeClimateDelta(f.main.session().settings.climate),
              "temperature +2 degC, precipitation x 1.1");

    f.start->cmdShowSimInfo->click();
    auto* listing = f.main.findChild<QTextEdit*>("frmSimInfo");
    ASSERT_NE(listing, nullptr);
    EXPECT_TRUE(listing->toPlainText().contains(
        "Climate Scenario:            temperature +2 degC, precipitation x 1.1"))
        << listing->toPlainText().toStdString();

    f.runYears("3", 4);
    ASSERT_TRUE(f.main.session().hasResults()) << f.dialogs.messages.join("\n").toStdString();
    // The graph window's interval line names the scenario, all of it on screen.
    f.main.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&f.main));
    auto* interval = f.main.findChild<QLabel*>("Label2");
    ASSERT_NE(interval, nullptr);
    EXPECT_TRUE(interval->text().endsWith("precipitation x 1.1")) << interval->text().toStdString();
    const QRect room = interval->contentsRect();
    const QRect needed =
        interval->fontMetrics().boundingRect(room, Qt::TextWordWrap, interval->text());
    EXPECT_LE(needed.width(), room.width());
    EXPECT_LE(needed.height(), room.height()) << interval->text().toStdString();
    const QString saved = f.home.dir.path() + "/Results.dat";
    ASSERT_EQ(f.start->SaveResults(saved), saved);
    const QString out = f.home.dir.path() + "/hydload";
    f.hydload({"run", f.home.project(), "--years", "3", "--level", "4", "--out", out, "--quiet",
               "--delta-temp", "2", "--precip-factor", "1.1"});
    EXPECT_EQ(fileBytes(saved), fileBytes(out + "/Results.dat"));

    // Set back to the recorded weather, the same window shows the values again.
    w = f.openClimate();
    EXPECT_EQ(w->txtDeltaTemp->text(), "2");
    QTest::mouseClick(w->cmdRecorded, Qt::LeftButton);
    QTest::mouseClick(w->cmdOK, Qt::LeftButton);
    EXPECT_TRUE(f.main.session().settings.climate.isIdentity());
}

TEST(ClimateWindow, AnEnsembleDrawsItsBandsBehindTheMonthlyChart) {
    ClimateFixture f;
    f.runYears("2", 3);
    ASSERT_TRUE(f.main.session().hasResults());
    const QString saved = f.home.dir.path() + "/Results.dat";
    ASSERT_EQ(f.start->SaveResults(saved), saved);

    FrmClimate* w = f.openClimate();
    QTest::mouseClick(w->ChkEnsemble, Qt::LeftButton);
    ASSERT_TRUE(w->ChkEnsemble->isChecked());
    typeInto(w->txtRealizations, "4");
    typeInto(w->txtSeed, "5");
    QTest::mouseClick(w->cmdOK, Qt::LeftButton);
    waitForRun(f.main);
    QCoreApplication::processEvents();
    ASSERT_EQ(f.dialogs.messages.size(), 1);
    EXPECT_TRUE(f.dialogs.messages[0].contains(
        "The ensemble of 4 generated weather series of 2 years (seeds 5 to 8) is done."))
        << f.dialogs.messages[0].toStdString();
    const auto* bands = f.main.session().ensemble.get();
    ASSERT_NE(bands, nullptr);
    EXPECT_EQ(bands->realizations, 4);

    // The same files as hydload writes for the same ensemble.
    const QString out = f.home.dir.path() + "/ens";
    f.hydload({"ensemble", f.home.project(), "--realizations", "4", "--seed", "5", "--years", "2",
               "--level", "3", "--out", out, "--quiet"});
    for (const char* name : {"bands.csv", "annual_bands.csv", "summary.csv"}) {
        EXPECT_FALSE(fileBytes(f.output() + "/" + name).isEmpty()) << name;
        EXPECT_EQ(fileBytes(f.output() + "/" + name), fileBytes(out + "/" + name)) << name;
    }

    f.dialogs.fileAnswers << saved;
    f.main.runCommand("MnuMonthly");
    auto* results = qobject_cast<frmGResults*>(f.main.findWindow(WindowKind::Results));
    ASSERT_NE(results, nullptr);
    EXPECT_EQ(results->MSChart1->title(), "Monthly Streamflow (cm)");
    ASSERT_EQ(results->MSChart1->bands().size(), 24u);
    EXPECT_TRUE(results->MSChart1->footnote().startsWith("Bands: 4 generated weather series"));
    int areas = 0;
    for (QAbstractSeries* s : results->MSChart1->chart()->series())
        areas += qobject_cast<QAreaSeries*>(s) ? 1 : 0;
    EXPECT_EQ(areas, 2);
    // The bands are those of the ensemble's streamflow, in the chart's cm.
    const rivulon::OutputBands* flow = bands->find("streamflow_cm");
    ASSERT_NE(flow, nullptr);
    EXPECT_EQ(results->MSChart1->bands()[13], flow->monthly[13]);
    // Sediment is in 1000 t on the chart, in t in the ensemble.
    QTest::mouseClick(results->cmdNextM, Qt::LeftButton);
    EXPECT_EQ(results->MSChart1->title(), "Monthly Sediment (1000 t)");
    ASSERT_EQ(results->MSChart1->bands().size(), 24u);
    EXPECT_FLOAT_EQ(results->MSChart1->bands()[5][2],
                    bands->find("sediment_t")->monthly[5][2] / 1000);
}

}  // namespace
