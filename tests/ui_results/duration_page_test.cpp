// The page "Duration curves" of the results window, driven as a user does:
// a daily file opened from the command line or with the page's button, the
// series chosen in the list, the target and area typed, Draw clicked. The
// table and the plotted series are checked against `hydload duration` and
// the core; the chart is exported as the other charts are.
#include <gmock/gmock.h>

#include <QAreaSeries>
#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QFileInfo>
#include <QGraphicsSimpleTextItem>
#include <QLabel>
#include <QLineEdit>
#include <QLineSeries>
#include <QLogValueAxis>
#include <QPushButton>
#include <QScatterSeries>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>

#include "analysis/duration_curve.h"
#include "analysis/ui/DurationPage.h"
#include "analysis/ui/frmGResults.h"
#include "app/MDIFrmMain.h"
#include "shell/widgets/FlexGrid.h"
#include "tests/ui/ui_test_support.h"
#include "tests/ui_results/results_test_support.h"

namespace {

QString exampleDaily() {
    return QStringLiteral(RIVULON_SOURCE_DIR "/examples/Millbrook/Daily.csv");
}

// What hydload writes for the same file and options.
QByteArray hydloadDuration(QStringList options) {
    QTemporaryDir dir;
    const QString csv = dir.path() + "/d.csv";
    QStringList args{"duration", exampleDaily()};
    args << options << "--csv" << csv;
    if (hydload(args).isNull())
        return {};
    return readBytes(csv);
}

QByteArray shownTable(const DurationPage& page) {
    return QByteArray::fromStdString(rivulon::durationCsv(page.GridDuration->cells()));
}

template <class S>
std::vector<S*> seriesOf(QChart* chart) {
    std::vector<S*> found;
    for (QAbstractSeries* s : chart->series()) {
        if (auto* t = qobject_cast<S*>(s); t && s->type() == S().type())
            found.push_back(t);
    }
    return found;
}

class DurationCurves : public ::testing::Test {
  protected:
    void SetUp() override {
        // The daily file given on the command line is known by its heading.
        main.openFiles({exampleDaily()});
        w = dynamic_cast<frmGResults*>(main.findWindow(frmGResults::kKind));
        ASSERT_NE(w, nullptr);
        page = w->durationPage;
    }
    ScriptedDialogs dialogs;
    ExampleHome home;
    MDIFrmMain main;
    frmGResults* w = nullptr;
    DurationPage* page = nullptr;
};

TEST_F(DurationCurves, ADailyFileOpensOnThePageWithItsFlowDurationCurve) {
    EXPECT_EQ(w->TabResult->currentWidget(), page);
    EXPECT_EQ(w->TabResult->tabText(2), "Duration curves");
    EXPECT_EQ(w->windowTitle(), "Duration Curves: " + exampleDaily());
    EXPECT_EQ(page->lblDailyFile->text(),
              exampleDaily() + ": 10950 days from 1990-04-01 to 2020-03-31");
    EXPECT_EQ(page->chart()->title(), "Flow Duration Curve");
    EXPECT_EQ(shownTable(*page), hydloadDuration({}));

    // The curve is the core's: every flow at its rank's percent, on a log axis.
    const rivulon::DurationResult& r = page->result();
    auto lines = seriesOf<QLineSeries>(page->chart());
    ASSERT_EQ(lines.size(), 1u);
    const QList<QPointF> points = lines[0]->points();
    ASSERT_EQ(points.size(), 10950);
    for (int i = 0; i < points.size(); i += 997) {
        EXPECT_DOUBLE_EQ(points[i].x(), rivulon::exceedancePercent(std::size_t(i), 10950));
        EXPECT_DOUBLE_EQ(points[i].y(), r.flowSorted[std::size_t(i)]);
    }
    EXPECT_NE(qobject_cast<QLogValueAxis*>(page->chart()->axes(Qt::Vertical).value(0)), nullptr);
    // Five shaded zones, each named on the chart.
    EXPECT_EQ(seriesOf<QAreaSeries>(page->chart()).size(), 5u);
    QStringList labels;
    for (QGraphicsItem* item : page->chart()->childItems()) {
        if (auto* text = dynamic_cast<QGraphicsSimpleTextItem*>(item))
            labels << text->text();
    }
    EXPECT_EQ(labels, QStringList({"High flows", "Moist conditions", "Mid-range flows",
                                   "Dry conditions", "Low flows"}));
    EXPECT_TRUE(dialogs.messages.isEmpty()) << dialogs.messages.join("\n").toStdString();
}

TEST_F(DurationCurves, ALoadCurveWithATargetShowsTheAllowableLoadAndTheZoneTable) {
    page->CboSeries->setFocus();
    QTest::keyClick(page->CboSeries, Qt::Key_Down);
    QTest::keyClick(page->CboSeries, Qt::Key_Down);
    EXPECT_EQ(page->CboSeries->currentText(), "Phosphorus load");
    // Without a target: the observed loads alone.
    EXPECT_EQ(page->chart()->title(), "Phosphorus Load Duration Curve");
    EXPECT_EQ(seriesOf<QScatterSeries>(page->chart()).size(), 1u);
    EXPECT_EQ(shownTable(*page), hydloadDuration({"--series", "phosphorus"}));

    // A target without an area cannot be drawn.
    QTest::keyClicks(page->TxtTargetConc, "0.1");
    page->TxtArea->clear();
    QTest::mouseClick(page->cmdDrawDuration, Qt::LeftButton);
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_THAT(dialogs.messages[0].toStdString(),
                ::testing::HasSubstr("The allowable load needs the watershed area"));

    QTest::keyClicks(page->TxtArea, "32400");
    QTest::mouseClick(page->cmdDrawDuration, Qt::LeftButton);
    EXPECT_EQ(dialogs.messages.size(), 1);
    EXPECT_EQ(shownTable(*page), hydloadDuration({"--series", "phosphorus", "--target-conc", "0.1",
                                                  "--area", "32400"}));
    const rivulon::DurationResult& r = page->result();
    ASSERT_TRUE(r.withTarget);
    auto scatter = seriesOf<QScatterSeries>(page->chart());
    auto lines = seriesOf<QLineSeries>(page->chart());
    ASSERT_EQ(scatter.size(), 1u);
    ASSERT_EQ(lines.size(), 1u);
    // Each day's load at its flow's percent; the allowable load along the flow curve.
    const QList<QPointF> days = scatter[0]->points();
    ASSERT_EQ(days.size(), 10950);
    EXPECT_DOUBLE_EQ(days[100].x(), r.dayFlowPercent[100]);
    const QList<QPointF> allowable = lines[0]->points();
    EXPECT_DOUBLE_EQ(allowable[0].y(), rivulon::allowableLoad(r.flowSorted[0], 32400, 0.1));
    EXPECT_THAT(lines[0]->name().toStdString(), ::testing::HasSubstr(".1 mg/l"));
}

TEST_F(DurationCurves, TheChartIsExportedAsTheOtherCharts) {
    QTemporaryDir dir;
    dialogs.fileAnswers << dir.path() + "/flow.png" << dir.path() + "/flow.pdf"
                        << dir.path() + "/flow.csv";
    QTest::mouseClick(page->findChild<QToolButton*>("cmdSaveDurationPng"), Qt::LeftButton);
    QTest::mouseClick(page->findChild<QToolButton*>("cmdSaveDurationPdf"), Qt::LeftButton);
    QTest::mouseClick(page->findChild<QToolButton*>("cmdSaveDurationCsv"), Qt::LeftButton);
    EXPECT_TRUE(readBytes(dir.path() + "/flow.png").startsWith("\x89PNG"));
    EXPECT_TRUE(readBytes(dir.path() + "/flow.pdf").startsWith("%PDF"));
    const QByteArray csv = readBytes(dir.path() + "/flow.csv");
    EXPECT_TRUE(csv.startsWith("percent,streamflow (cm)")) << csv.left(60).toStdString();
    EXPECT_EQ(csv.count('\n'), 10951);
    EXPECT_TRUE(dialogs.messages.isEmpty()) << dialogs.messages.join("\n").toStdString();
}

TEST_F(DurationCurves, AFileThatCannotBeReadLeavesThePageAsItWas) {
    QTemporaryDir dir;
    const QString bad = dir.path() + "/bad.csv";
    writeBytes(bad,
               "day,precipitation (cm),temperature (C),snowmelt (cm),evapotranspiration "
               "(cm),runoff (cm),streamflow (cm)\r\n1,0,1,0,0,0\r\n");
    dialogs.fileAnswers << bad;
    QTest::mouseClick(page->cmdOpenDaily, Qt::LeftButton);
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_THAT(dialogs.messages[0].toStdString(), ::testing::HasSubstr("bad.csv:2"));
    EXPECT_EQ(page->file(), exampleDaily());
    EXPECT_EQ(page->result().flowSorted.size(), 10950u);
}

}  // namespace
