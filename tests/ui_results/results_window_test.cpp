// The results window against hydload: every table cell, the chart cycles, the
// chart data grid, collapsing, the observed-flow comparison, printing,
// copying and the reading rules (files that cannot be read, encodings, the
// last run left alone).
#include <QApplication>
#include <QBarCategoryAxis>
#include <QCategoryAxis>
#include <QChart>
#include <QChartView>
#include <QCheckBox>
#include <QClipboard>
#include <QDir>
#include <QFontMetrics>
#include <QLabel>
#include <QLegend>
#include <QLegendMarker>
#include <QLineSeries>
#include <QMouseEvent>
#include <QPushButton>
#include <QRegularExpression>
#include <QScatterSeries>
#include <QStandardPaths>
#include <QStatusBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <QValueAxis>
#include <QWheelEvent>

#include "analysis/chart_data.h"
#include "analysis/grid_copy.h"
#include "analysis/result_file.h"
#include "analysis/table_text.h"
#include "analysis/ui/ResultChart.h"
#include "analysis/ui/frmGResults.h"
#include "analysis/value_format.h"
#include "app/MDIFrmMain.h"
#include "shell/session.h"
#include "shell/widgets/FlexGrid.h"
#include "tests/ui/grid_fit.h"
#include "tests/ui/ui_test_support.h"
#include "tests/ui_results/results_test_support.h"

namespace {

using rivulon::ui::FlexGrid;

frmGResults* resultsWindow(MDIFrmMain& main) {
    auto* w = dynamic_cast<frmGResults*>(main.openWindow(frmGResults::kKind));
    if (w)
        main.showChild(w);
    return w;
}

// The table hydload builds for the same file and mode, as a table text file.
QByteArray hydloadTable(const QString& kind, const QString& file, int mode = 1) {
    QTemporaryDir dir;
    const QString csv = dir.path() + "/t.csv";
    if (hydload({"table", kind, file, "--mode", QString::number(mode), "--csv", csv}).isNull())
        return {};
    return readBytes(csv);
}

QByteArray shownTable(const frmGResults& w) {
    return QByteArray::fromStdString(rivulon::tableText(w.GridOut->cells()));
}

class ResultsWindow : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(ExampleResults::get().ok) << "hydload could not make the example results";
        w = resultsWindow(main);
        ASSERT_NE(w, nullptr);
    }
    const ExampleResults& ex = ExampleResults::get();
    ScriptedDialogs dialogs;
    ExampleHome home;
    MDIFrmMain main;
    frmGResults* w = nullptr;
};

TEST_F(ResultsWindow, EveryTableCellEqualsHydload) {
    struct Case {
        QString kind, file;
        int mode;
    };
    const std::vector<Case> cases = {
        {"summary", ex.summary(1), 1},
        {"summary", ex.summary(4), 1},
        {"summary", ExampleResults::data("Summary1y_L1.dat"), 1},
        {"annual", ex.results(1), 1},
        {"annual", ex.results(4), 1},
        {"annual", ExampleResults::data("Results1y_L1.dat"), 1},
        {"monthly", ex.results(1), 1},
        {"monthly", ex.results(4), 1},
        {"monthly", ex.results(4), 0},
        {"monthly", ExampleResults::data("Results1y_L1.dat"), 1},
        {"monthly", ExampleResults::data("Results3y_L4.dat"), 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE((c.kind + " " + c.file + " mode " + QString::number(c.mode)).toStdString());
        // Each through the file dialog, as the menu commands ask.
        dialogs.fileAnswers << c.file;
        if (c.kind == "summary") {
            ASSERT_TRUE(w->GraphSummary());
            EXPECT_EQ(w->windowTitle(), "Summary Data and Graph: " + c.file);
            EXPECT_TRUE(dialogs.fileTitles.last().isEmpty());
        } else if (c.kind == "annual") {
            ASSERT_TRUE(w->GraphAnnual());
            EXPECT_EQ(w->windowTitle(), "Annual Data and Graph: " + c.file);
        } else {
            ASSERT_TRUE(w->GraphMonthly(c.mode, w->GridOut));
            EXPECT_EQ(w->windowTitle(), "Monthly Data and Graph " + c.file);
            EXPECT_EQ(dialogs.fileTitles.last(), "Select your results file!");
        }
        const QByteArray expected = hydloadTable(c.kind, c.file, c.mode);
        ASSERT_FALSE(expected.isEmpty());
        EXPECT_EQ(shownTable(*w), expected);
        EXPECT_EQ(w->GridOut->toolTip(), w->GridOut->textMatrix(0, 0));
        for (int col = 0; col < w->GridOut->cols(); ++col)
            EXPECT_GE(w->GridOut->colWidth(col), 1000);
        EXPECT_TRUE(cutCells(viewOf(*w->GridOut, "GridOut")).isEmpty());
        EXPECT_EQ(w->cmdNextS->isVisibleTo(w), c.kind == "summary");
        EXPECT_EQ(w->cmdNextY->isVisibleTo(w), c.kind == "annual");
        EXPECT_EQ(w->cmdNextM->isVisibleTo(w), c.kind == "monthly");
        EXPECT_FALSE(w->TxtReg->isVisibleTo(w));
    }
    EXPECT_TRUE(dialogs.messages.isEmpty()) << dialogs.messages.join("\n").toStdString();
}

TEST_F(ResultsWindow, ChartCyclesShowTheirTitlesInOrder) {
    ASSERT_TRUE(w->GraphSummary(ex.summary(4)));
    QStringList titles{w->MSChart1->title()};
    for (int i = 0; i < 19; ++i) {
        w->cmdNextS->click();
        titles << w->MSChart1->title();
    }
    const QStringList summary = {"Mean Monthly Precpitation (cm)",
                                 "Areas of Sources (ha)",
                                 "Mean Annual P Loads from Sources (t)",
                                 "Mean Annual Dissolved P Loads from Sources (t)",
                                 "Mean Annual N Loads from Sources (t)",
                                 "Mean Annual Dissolved N Loads from Sources (t)",
                                 "Mean Annual Erosion from Sources (t/ha)",
                                 "Mean Annual Runoff from Sources (cm)",
                                 "Mean Monthly P Loading (t)",
                                 "Mean Monthly DP Loading (t)",
                                 "Mean Monthly TN Loading (t)",
                                 "Mean Monthly DN Loading (t)",
                                 "Mean Monthly Sediment (1000 t)",
                                 "Mean Monthly Erosion (1000 t)",
                                 "Mean Monthly Stream Flow (cm)",
                                 "Mean Monthly Runoff (cm)",
                                 "Mean Monthly Groundwater (cm)",
                                 "Mean Monthly Evaportranspiration (cm)",
                                 "Mean Monthly Precpitation (cm)",
                                 "Areas of Sources (ha)"};
    EXPECT_EQ(titles, summary);

    // The organic-carbon word reaches the chart titles with the next table.
    w->ChkOC->click();
    ASSERT_TRUE(w->GraphAnnual(ex.results(4)));
    titles = QStringList{w->MSChart1->title()};
    for (int i = 0; i < 5; ++i) {
        w->cmdNextY->click();
        titles << w->MSChart1->title();
    }
    EXPECT_EQ(titles, (QStringList{"Annual Streamflow (cm)", "Annual Sediment (1000 t)",
                                   "Annual OC Loading (t)", "Annual P Loading (t)",
                                   "Annual Streamflow (cm)", "Annual Sediment (1000 t)"}));
    EXPECT_EQ(w->GridOut->textMatrix(14, 3), "Dis. OC (t)");

    w->ChkOC->click();
    ASSERT_TRUE(w->GraphMonthly(1, w->GridOut, ex.results(4)));
    titles = QStringList{w->MSChart1->title()};
    for (int i = 0; i < 4; ++i) {
        w->cmdNextM->click();
        titles << w->MSChart1->title();
    }
    EXPECT_EQ(titles, (QStringList{"Monthly Streamflow (cm)", "Monthly Sediment (1000 t)",
                                   "Monthly N Loading (t)", "Monthly P Loading (t)",
                                   "Monthly Streamflow (cm)"}));
}

TEST_F(ResultsWindow, ChartGridHoldsThePlottedNumbers) {
    const rivulon::ResultSet summary = rivulon::readSummaryFile(ex.summary(4).toStdString());
    ASSERT_TRUE(w->GraphSummary(ex.summary(4)));
    ASSERT_EQ(w->GGrid->cols(), 13);
    EXPECT_EQ(w->GGrid->textMatrix(1, 0), "Precp.");
    for (int m = 1; m <= 12; ++m) {
        EXPECT_EQ(w->GGrid->textMatrix(0, m).toStdString(), summary.monthName[m]);
        EXPECT_EQ(w->GGrid->textMatrix(1, m).toStdString(),
                  rivulon::formatPattern(summary.meanPrecip[m], "0.0000"));
    }
    // The chart draws the same numbers: the CSV of its data lists them.
    const QStringList csv = w->MSChart1->dataCsv().split("\r\n", Qt::SkipEmptyParts);
    ASSERT_EQ(csv.size(), 13);
    EXPECT_EQ(csv[0], "Month,Precp.");
    EXPECT_EQ(csv[1].toStdString(),
              summary.monthName[1] + "," + rivulon::plainNumber(summary.meanPrecip[1]));

    // The source P chart: land uses, then groundwater, point source, septic.
    w->cmdNextS->click();
    w->cmdNextS->click();
    const int n = summary.header.landUseCount;
    ASSERT_EQ(w->GGrid->cols(), n + 4);
    EXPECT_EQ(w->GGrid->textMatrix(1, 0), "TP Load");
    EXPECT_EQ(w->GGrid->textMatrix(0, n + 3), "SEPTIC SYS");
    EXPECT_EQ(w->GGrid->textMatrix(1, n + 3).toStdString(),
              rivulon::formatPattern(summary.meanSepticP / 1000, "0.0000"));

    // Annual sediment in thousand tonnes, one column per year.
    const rivulon::ResultSet results = rivulon::readResultsFile(ex.results(4).toStdString());
    ASSERT_TRUE(w->GraphAnnual(ex.results(4)));
    w->cmdNextY->click();
    ASSERT_EQ(w->GGrid->cols(), 11);
    EXPECT_TRUE(cutCells(viewOf(*w->GGrid, "GGrid")).isEmpty());
    for (int y = 1; y <= 10; ++y)
        EXPECT_EQ(w->GGrid->textMatrix(1, y).toStdString(),
                  rivulon::formatPattern(results.sediment[y][0] / 1000, "0.0000"));

    // Monthly streamflow of every simulated month.
    ASSERT_TRUE(w->GraphMonthly(1, w->GridOut, ex.results(4)));
    ASSERT_EQ(w->GGrid->cols(), 121);
    EXPECT_TRUE(cutCells(viewOf(*w->GGrid, "GGrid")).isEmpty());
    EXPECT_EQ(w->GGrid->textMatrix(0, 14), "M14");
    EXPECT_EQ(w->GGrid->textMatrix(1, 14).toStdString(),
              rivulon::formatPattern(results.flow[2][2], "0.0000"));
}

TEST_F(ResultsWindow, CollapseKeepsOneMonthInEveryBlockAndCopySkipsHiddenRows) {
    ASSERT_TRUE(w->GraphMonthly(1, w->GridOut, ex.results(4)));
    FlexGrid& g = *w->GridOut;
    const rivulon::TextGrid cells = g.cells();
    const int rows = g.rows();
    std::vector<int> heights;
    for (int r = 0; r < rows; ++r)
        heights.push_back(g.rowHeight(r));
    EXPECT_EQ(g.textMatrix(4, 0), "May");
    // A click on the heading of row 4 makes column 1 current; then the double click.
    g.setRow(4);
    g.setCol(1);
    w->GridOut_DblClick();
    int shown = 0;
    for (int r = 2; r < rows; ++r) {
        const bool visible = g.rowHeight(r) != 0;
        shown += visible;
        EXPECT_EQ(visible, g.textMatrix(r, 0) == "May") << "row " << r;
    }
    EXPECT_EQ(shown, 2 * 11);  // water and load rows of the mean and ten years
    EXPECT_NE(g.rowHeight(0), 0);
    EXPECT_NE(g.rowHeight(1), 0);

    // Copy of a dragged block leaves the collapsed rows out, as the core says.
    rivulon::GridSelection sel;
    sel.mouseDown(60, 5);
    sel.mouseUp(2, 1);
    g.setSelection(sel);
    const QString expected = QString::fromStdString(rivulon::copyText(cells, sel, g.hiddenRows()));
    EXPECT_EQ(g.copyText(), expected);
    g.copy();
    EXPECT_EQ(QApplication::clipboard()->text(), expected);
    // The heading line, then May's water and load rows of the means and May's
    // water row of year 1 (row 52; its load row 69 is past the block).
    EXPECT_EQ(expected.count("\r\n"), 1 + 3);

    // A single click on a row heading brings every row back.
    g.setRow(10);
    g.setCol(1);
    w->GridOut_Click();
    // Back at the height each row had, which shows its text whole.
    for (int r = 0; r < rows; ++r)
        ASSERT_EQ(g.rowHeight(r), heights[static_cast<std::size_t>(r)]) << "row " << r;
    EXPECT_GE(g.rowHeight(5), QFontMetrics(g.font()).height() * 15);
    // The tab's hint belongs to the table page.
    w->TabResult->setCurrentIndex(1);
    EXPECT_TRUE(w->TabResult->toolTip().startsWith("Double click a row heading"));
    w->TabResult->setCurrentIndex(0);
    EXPECT_TRUE(w->TabResult->toolTip().isEmpty());
}

TEST_F(ResultsWindow, ObservedComparisonAgreesWithHydload) {
    main.session().settings.observedFlowPath = ExampleResults::example("UsgsObs.dat").toStdString();
    dialogs.fileAnswers << ex.results(4);
    frmGResults::runObserved(main);
    EXPECT_TRUE(dialogs.messages.isEmpty()) << dialogs.messages.join("\n").toStdString();
    EXPECT_EQ(dialogs.fileTitles.last(), "Select your results file!");

    const QStringList lines =
        hydload({"observed", ex.results(4), ExampleResults::example("UsgsObs.dat")})
            .split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 3);
    EXPECT_TRUE(w->TxtReg->isVisibleTo(w));
    EXPECT_EQ(w->TxtReg->text(), lines[0]);
    EXPECT_EQ(w->lblStats->text(), lines[1] + "\n" + lines[2]);
    EXPECT_TRUE(lines[2].contains("KGE has no standard rating"));

    EXPECT_FALSE(w->cmdNextM->isVisibleTo(w));
    EXPECT_FALSE(w->TabResult->isTabEnabled(1));
    EXPECT_EQ(w->GGrid->rows(), 3);
    EXPECT_EQ(w->GGrid->textMatrix(0, 0), "Month");
    EXPECT_EQ(w->GGrid->textMatrix(2, 0), "Observation");
    // Months without an observation are gaps, so the observed line may be
    // several lines; the legend names the two series once each.
    main.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&main));
    QStringList legend;
    for (QLegendMarker* marker : w->MSChart1->chart()->legend()->markers())
        if (marker->isVisible())
            legend << marker->label();
    EXPECT_EQ(legend, QStringList({"Predicted", "Observed (negative values indicate no data)"}));
    // The table holds the block of means only (mode 0).
    EXPECT_EQ(shownTable(*w), hydloadTable("monthly", ex.results(4), 0));

    // An observed-flow file that is not there: named in a message; the
    // monthly table stays.
    main.session().settings.observedFlowPath = (home.dir.path() + "/NoObs.dat").toStdString();
    dialogs.fileAnswers << ex.results(1);
    EXPECT_FALSE(w->CompareObserved());
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_TRUE(dialogs.messages[0].contains("NoObs.dat"));
    EXPECT_EQ(shownTable(*w), hydloadTable("monthly", ex.results(1), 0));

    // Observations all equal: said in words instead of a regression.
    QByteArray flat;
    for (int i = 0; i < 120; ++i)
        flat += QByteArray::number(i) + ",2.5,\"M" + QByteArray::number(i) + "\"\r\n";
    const QString flatPath = home.dir.path() + "/Flat.dat";
    ASSERT_TRUE(writeBytes(flatPath, flat));
    main.session().settings.observedFlowPath = flatPath.toStdString();
    dialogs.fileAnswers << ex.results(4);
    EXPECT_FALSE(w->CompareObserved());
    EXPECT_TRUE(w->TxtReg->text().contains("all observed flows"))
        << w->TxtReg->text().toStdString();
}

// The example's observed file has months of -1 (no data): they are gaps in
// the line, not points at -1; the chart zooms with the wheel and a dragged
// rectangle and goes back with Reset Zoom; the label shows the value under
// the pointer.
TEST_F(ResultsWindow, ChartsZoomAndShowObservedGaps) {
    main.resize(1000, 800);
    main.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&main));
    main.session().settings.observedFlowPath = ExampleResults::example("UsgsObs.dat").toStdString();
    dialogs.fileAnswers << ex.results(4);
    frmGResults::runObserved(main);
    ResultChart* chart = w->MSChart1;
    int observedLines = 0;
    for (QAbstractSeries* series : chart->chart()->series()) {
        auto* line = qobject_cast<QLineSeries*>(series);
        ASSERT_NE(line, nullptr);
        for (const QPointF& p : line->points())
            EXPECT_GE(p.y(), 0) << line->name().toStdString() << " at " << p.x();
        observedLines += line->name().startsWith("Observed") ? 1 : 0;
    }
    EXPECT_GT(observedLines, 1);
    auto* x = qobject_cast<QValueAxis*>(chart->chart()->axes(Qt::Horizontal).value(0));
    ASSERT_NE(x, nullptr);
    const double min = x->min(), max = x->max();
    const double months = w->GGrid->cols() - 1;
    EXPECT_EQ(min, 1);
    EXPECT_EQ(max, months);

    w->parentWidget()->resize(950, 720);
    QTest::qWait(1);
    QWidget* view = chart->view()->viewport();
    const QPoint centre = chart->view()->mapFromScene(
        chart->chart()->mapToScene(chart->chart()->plotArea().center()));
    QWheelEvent wheel(QPointF(centre), QPointF(view->mapToGlobal(centre)), QPoint(), QPoint(0, 240),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(view, &wheel);
    EXPECT_NEAR(x->max() - x->min(), (months - 1) * 0.64, 1.0);
    EXPECT_GT(x->min(), min);

    auto* reset = chart->findChild<QToolButton*>("cmdResetZoom");
    ASSERT_NE(reset, nullptr);
    ASSERT_TRUE(reset->isVisible());
    QTest::mouseClick(reset, Qt::LeftButton);
    EXPECT_DOUBLE_EQ(x->min(), min);
    EXPECT_DOUBLE_EQ(x->max(), max);

    // A rectangle dragged over the middle third shows about that third.
    const QRectF area = chart->chart()->plotArea();
    const auto at = [&](double fx, double fy) {
        return chart->view()->mapFromScene(chart->chart()->mapToScene(
            QPointF(area.left() + fx * area.width(), area.top() + fy * area.height())));
    };
    QTest::mousePress(view, Qt::LeftButton, Qt::NoModifier, at(1.0 / 3, 0.1));
    QMouseEvent move(QEvent::MouseMove, QPointF(at(2.0 / 3, 0.9)),
                     view->mapToGlobal(QPointF(at(2.0 / 3, 0.9))), Qt::NoButton, Qt::LeftButton,
                     Qt::NoModifier);
    QCoreApplication::sendEvent(view, &move);
    QTest::mouseRelease(view, Qt::LeftButton, Qt::NoModifier, at(2.0 / 3, 0.9));
    EXPECT_NEAR(x->max() - x->min(), (months - 1) / 3, 6.0);
    EXPECT_NEAR(x->min(), 1 + (months - 1) / 3, 6.0);

    QTest::mouseMove(view, at(0.5, 0.5));
    // The month under the pointer by its name and model year (the weather
    // here carries no dates).
    const QRegularExpression month(QStringLiteral("^[A-Z][a-z]{2} Y\\d+: "));
    QTRY_VERIFY(chart->cursorText().contains(month));
    EXPECT_TRUE(chart->cursorText().contains(month)) << chart->cursorText().toStdString();

    // Predicted against observed: one point per month with an observation,
    // beside the 1:1 line.
    ASSERT_TRUE(w->TabResult->isTabVisible(3));
    const auto monthsWithData = [](const QStringList& row) {
        int n = 0;
        for (const QString& cell : row) {
            bool number = false;
            n += cell.toDouble(&number) >= 0 && number ? 1 : 0;
        }
        return n;
    };
    QStringList observedRow;
    for (int c = 1; c < w->GGrid->cols(); ++c)
        observedRow << w->GGrid->textMatrix(2, c);
    QScatterSeries* points = nullptr;
    QLineSeries* identity = nullptr;
    for (QAbstractSeries* series : w->MSChartScatter->chart()->series()) {
        if (auto* p = qobject_cast<QScatterSeries*>(series))
            points = p;
        else if (auto* l = qobject_cast<QLineSeries*>(series))
            identity = l;
    }
    ASSERT_NE(points, nullptr);
    ASSERT_NE(identity, nullptr);
    EXPECT_EQ(points->count(), monthsWithData(observedRow));
    EXPECT_LT(points->count(), 360);
    EXPECT_EQ(identity->at(1).x(), identity->at(1).y());

    // The statistics are copied and saved as the window shows them.
    const QString shown = w->TxtReg->text() + "\n" + w->lblStats->text();
    QTest::mouseClick(w->cmdCopyStats, Qt::LeftButton);
    EXPECT_EQ(QApplication::clipboard()->text(), shown);
    const QString saved = home.dir.path() + "/Output/Fit.txt";
    dialogs.fileAnswers << saved;
    QTest::mouseClick(w->cmdSaveStats, Qt::LeftButton);
    EXPECT_EQ(QString::fromUtf8(readBytes(saved)), shown + "\n");

    // Other tables have no scatter page and no statistics buttons.
    dialogs.fileAnswers << ex.results(4);
    w->GraphMonthly(0, w->GridOut);
    EXPECT_FALSE(w->TabResult->isTabVisible(3));
    EXPECT_FALSE(w->cmdSaveStats->isVisibleTo(w));
}

// The monthly charts run over dates from the weather file's first month;
// zooming shows fewer months, labelled more finely, and Reset Zoom brings the
// whole run back. An undated weather file names the run's model years.
TEST_F(ResultsWindow, MonthlyChartsShowDatesThatFollowTheZoom) {
    main.resize(1000, 800);
    main.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&main));
    // As the example project's dated weather file sets them.
    main.session().settings.datedWeather = true;
    main.session().settings.weatherStart = rivulon::CalendarDate{1990, 4, 1};
    ASSERT_TRUE(w->GraphMonthly(1, w->GridOut, ex.results(4)));
    w->parentWidget()->resize(950, 720);
    QTest::qWait(1);
    ResultChart* chart = w->MSChart1;
    auto* x = qobject_cast<QCategoryAxis*>(chart->chart()->axes(Qt::Horizontal).value(0));
    ASSERT_NE(x, nullptr);
    const double months = w->GGrid->cols() - 1;
    ASSERT_GE(months, 24);
    EXPECT_EQ(x->min(), 1);
    EXPECT_EQ(x->max(), months);
    const auto expectDates = [&] {
        const QStringList labels = x->categoriesLabels();
        EXPECT_GE(labels.size(), 3);
        for (const QString& label : labels) {
            const double at = x->endValue(label);
            EXPECT_GE(at, x->min() - 1e-9) << label.toStdString();
            EXPECT_LE(at, x->max() + 1e-9) << label.toStdString();
            // The label at point n names month n of the run.
            EXPECT_EQ(label, QString::fromStdString(rivulon::runMonthLabel(
                                 {1990, 4}, static_cast<int>(std::lround(at)) - 1)));
        }
        return labels;
    };
    const QStringList whole = expectDates();
    EXPECT_EQ(whole.first(), "Apr 1990");
    EXPECT_EQ(w->GGrid->textMatrix(0, 1), "M1");  // the data grid keeps its headings

    // Two wheel notches at the middle: a shorter range, in finer steps.
    QWidget* view = chart->view()->viewport();
    const QPoint centre = chart->view()->mapFromScene(
        chart->chart()->mapToScene(chart->chart()->plotArea().center()));
    QWheelEvent wheel(QPointF(centre), QPointF(view->mapToGlobal(centre)), QPoint(), QPoint(0, 240),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(view, &wheel);
    EXPECT_GT(x->min(), 1);
    EXPECT_LT(x->max(), months);
    const QStringList zoomed = expectDates();
    EXPECT_NE(zoomed, whole);
    const auto step = [&](const QStringList& labels) {
        return x->endValue(labels[1]) - x->endValue(labels[0]);
    };
    EXPECT_LT(step(zoomed), step(whole));

    QTest::mouseMove(view, centre);
    QTRY_VERIFY(chart->cursorText().contains(QRegularExpression("^[A-Z][a-z]{2} 19\\d\\d: ")));

    QTest::mouseClick(chart->findChild<QToolButton*>("cmdResetZoom"), Qt::LeftButton);
    EXPECT_EQ(x->min(), 1);
    EXPECT_EQ(x->max(), months);
    EXPECT_EQ(x->categoriesLabels(), whole);

    // Every chart of the monthly cycle is dated; the annual chart is not.
    w->cmdNextM->click();
    EXPECT_EQ(w->MSChart1->title(), "Monthly Sediment (1000 t)");
    x = qobject_cast<QCategoryAxis*>(chart->chart()->axes(Qt::Horizontal).value(0));
    ASSERT_NE(x, nullptr);
    EXPECT_EQ(x->categoriesLabels().first(), "Apr 1990");
    ASSERT_TRUE(w->GraphAnnual(ex.results(4)));
    EXPECT_EQ(qobject_cast<QCategoryAxis*>(chart->chart()->axes(Qt::Horizontal).value(0)), nullptr);

    // Weather without dates: the months of the run's model years.
    main.session().settings.datedWeather = false;
    ASSERT_TRUE(w->GraphMonthly(1, w->GridOut, ex.results(4)));
    x = qobject_cast<QCategoryAxis*>(chart->chart()->axes(Qt::Horizontal).value(0));
    ASSERT_NE(x, nullptr);
    EXPECT_EQ(x->categoriesLabels().first(), "Apr Y1");
}

TEST_F(ResultsWindow, PrintedMonthlyTableHasTheMeanBlockOnPageOne) {
    const QString pdftotext = QStandardPaths::findExecutable("pdftotext");
    if (pdftotext.isEmpty())
        GTEST_SKIP() << "pdftotext not installed";
    ASSERT_TRUE(w->GraphMonthly(1, w->GridOut, ex.results(4)));
    dialogs.printerAnswer = true;
    dialogs.printTo = home.dir.path() + "/table.pdf";
    w->CmdPrintGrid->click();
    EXPECT_TRUE(dialogs.messages.isEmpty());
    auto page = [&](int n) {
        QProcess p;
        p.start(pdftotext, {"-layout", "-f", QString::number(n), "-l", QString::number(n),
                            dialogs.printTo, "-"});
        p.waitForFinished();
        return QString::fromUtf8(p.readAllStandardOutput());
    };
    const QString one = page(1);
    EXPECT_TRUE(one.contains("2-10 Mean")) << one.toStdString();
    EXPECT_TRUE(one.contains("Residential, low density"));
    EXPECT_TRUE(one.contains("TOTAL"));
    EXPECT_FALSE(one.contains(QRegularExpression("YEAR\\s+1\\n")));
    EXPECT_TRUE(page(2).contains(QRegularExpression("YEAR\\s+1\\s*\\n")));
}

TEST_F(ResultsWindow, ReadingRules) {
    // The last run in the session.
    rivulon::ModelState& state = main.session().state;
    state.watershedName = "Last run";
    state.options.yearCount = 3;
    ASSERT_TRUE(w->GraphMonthly(1, w->GridOut, ex.results(4)));
    EXPECT_EQ(state.watershedName, "Last run");
    EXPECT_EQ(state.options.yearCount, 3);
    EXPECT_EQ(w->results().header.yearCount, 10);
    const QByteArray before = shownTable(*w);
    const QString caption = w->windowTitle();

    // A cancelled dialog says nothing and changes nothing.
    EXPECT_FALSE(w->GraphMonthly(1, w->GridOut));
    EXPECT_FALSE(w->GraphSummary());
    EXPECT_TRUE(dialogs.messages.isEmpty());

    // A file shorter than its header promises: named with its last line.
    const QByteArray full = readBytes(ex.results(4));
    const QString shortPath = home.dir.path() + "/ResultsShort.dat";
    ASSERT_TRUE(writeBytes(shortPath, full.left(full.size() / 2)));
    dialogs.fileAnswers << shortPath;
    EXPECT_FALSE(w->GraphMonthly(1, w->GridOut));
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_TRUE(dialogs.messages[0].contains(shortPath)) << dialogs.messages[0].toStdString();
    EXPECT_TRUE(dialogs.messages[0].contains(QRegularExpression("ResultsShort.dat:\\d+:")));
    EXPECT_EQ(shownTable(*w), before);
    EXPECT_EQ(w->windowTitle(), caption);

    // A missing file: named too.
    dialogs.messages.clear();
    EXPECT_FALSE(w->GraphAnnual(home.dir.path() + "/Nothing.dat"));
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_TRUE(dialogs.messages[0].contains("Nothing.dat"));
    EXPECT_EQ(shownTable(*w), before);

    // A file saved on Windows: its name in Windows-1252.
    QByteArray latin = full;
    latin.replace("Millbrook Creek",
                  "Rivi\xE8re Cr\xE9"
                  "ek");
    const QString latinPath = home.dir.path() + "/ResultsLatin.dat";
    ASSERT_TRUE(writeBytes(latinPath, latin));
    dialogs.messages.clear();
    ASSERT_TRUE(w->GraphSummary(ex.summary(4)));
    ASSERT_TRUE(w->GraphMonthly(1, w->GridOut, latinPath));
    EXPECT_TRUE(dialogs.messages.isEmpty());
    EXPECT_EQ(w->GridOut->textMatrix(0, 0), QString::fromUtf8("Rivière Créek"));
    EXPECT_EQ(w->GridOut->toolTip(), QString::fromUtf8("Rivière Créek"));
}

TEST_F(ResultsWindow, ScenarioPlotChartsOneValuePerFile) {
    w->plotScenarios("Tot. N (t): Annual output under different scenarios",
                     "Corn the current plotted source.",
                     {{"RgBase.txt", 12.5}, {"RgBuffer.txt", 9.25}, {"RgNoTill.txt", 0}});
    EXPECT_EQ(w->windowTitle(), "Scenario Plot");
    EXPECT_EQ(w->MSChart1->title(), "Tot. N (t): Annual output under different scenarios");
    EXPECT_EQ(w->MSChart1->footnote(), "Corn the current plotted source.");
    ASSERT_EQ(w->GGrid->cols(), 4);
    EXPECT_EQ(w->GGrid->textMatrix(0, 2), "RgBuffer.txt");
    EXPECT_EQ(w->GGrid->textMatrix(1, 1), "12.5");
    EXPECT_EQ(w->GGrid->textMatrix(1, 2), "9.25");
    EXPECT_TRUE(cutCells(viewOf(*w->GGrid, "GGrid")).isEmpty());
    EXPECT_FALSE(w->TabResult->isTabEnabled(1));
    for (QPushButton* b : {w->cmdNextS, w->cmdNextY, w->cmdNextM})
        EXPECT_FALSE(b->isVisibleTo(w));
    EXPECT_EQ(w->MSChart1->dataCsv(),
              "Scenario,\r\nRgBase.txt,12.5\r\nRgBuffer.txt,9.25\r\nRgNoTill.txt,0\r\n");

    // A later table puts the window back as a table window.
    ASSERT_TRUE(w->GraphSummary(ex.summary(1)));
    EXPECT_TRUE(w->TabResult->isTabEnabled(1));
    EXPECT_TRUE(w->MSChart1->footnote().isEmpty());
}

TEST_F(ResultsWindow, ChartAndTableSaveAsFiles) {
    ASSERT_TRUE(w->GraphSummary(ex.summary(4)));
    const QString out = home.dir.path() + "/Output/";
    dialogs.fileAnswers << out + "chart.png" << out + "chart.pdf" << out + "chart.csv"
                        << out + "Tab1.csv" << out + "Table.csv";
    // Each save says on the status bar what it wrote where.
    const QString folder = QDir::toNativeSeparators(home.dir.path() + "/Output");
    EXPECT_TRUE(w->MSChart1->saveChartPng());
    EXPECT_EQ(main.statusBar()->currentMessage(), "Saved chart.png in " + folder);
    EXPECT_TRUE(w->MSChart1->saveChartPdf());
    EXPECT_EQ(main.statusBar()->currentMessage(), "Saved chart.pdf in " + folder);
    EXPECT_TRUE(w->MSChart1->saveDataCsv());
    EXPECT_EQ(main.statusBar()->currentMessage(), "Saved chart.csv in " + folder);
    EXPECT_TRUE(readBytes(out + "chart.png").startsWith("\x89PNG"));
    EXPECT_TRUE(readBytes(out + "chart.pdf").startsWith("%PDF"));
    EXPECT_EQ(QString::fromUtf8(readBytes(out + "chart.csv")), w->MSChart1->dataCsv());
    QTest::mouseClick(w->CmdSaveTable, Qt::LeftButton);
    EXPECT_EQ(readBytes(out + "Tab1.csv"), hydloadTable("summary", ex.summary(4)));
    EXPECT_EQ(main.statusBar()->currentMessage(), "Saved Tab1.csv in " + folder);
    QTest::mouseClick(w->CmdSaveCsv, Qt::LeftButton);
    EXPECT_EQ(main.statusBar()->currentMessage(), "Saved Table.csv in " + folder);
    const QString plain = QString::fromUtf8(readBytes(out + "Table.csv"));
    EXPECT_TRUE(plain.startsWith("Millbrook Creek,10,year means,,Tot area (h)=,32400.00,"))
        << plain.left(80).toStdString();
    EXPECT_TRUE(dialogs.messages.isEmpty()) << dialogs.messages.join("\n").toStdString();
}

// Land-use names under the bars are never cut short: each is broken at its
// blanks into lines as wide as its bar group, and the chart leaves room for
// them below the plot.
TEST(ResultChartLabels, LandUseNamesShowWhole) {
    ResultChart chart;
    chart.resize(640, 420);
    rivulon::ChartData data;
    data.title = "Mean Annual Runoff from Sources (cm)";
    data.kind = rivulon::ChartKind::Bar2d;
    data.values = {12.5f, 3.25f, 8.0f, 1.5f, 20.0f};
    const QStringList names{"Residential (low density)", "Cropland, conventional tillage",
                            "Pasture and hay", "Forest and woodland", "Commercial and industrial"};
    for (const QString& n : names)
        data.pointLabels.push_back(n.toStdString());
    data.seriesLabel = "Runoff";
    chart.plot(data, "Land use");
    chart.show();
    QCoreApplication::processEvents();
    auto* axis = qobject_cast<QBarCategoryAxis*>(chart.chart()->axes(Qt::Horizontal).value(0));
    ASSERT_NE(axis, nullptr);
    EXPECT_FALSE(axis->truncateLabels());
    const QFontMetrics metrics(axis->labelsFont());
    const qreal group = chart.chart()->plotArea().width() / names.size();
    int mostLines = 0;
    for (int i = 0; i < names.size(); ++i) {
        const QStringList lines = axis->categories().at(i).split("<br>");
        EXPECT_EQ(lines.join(' '), names[i]);
        for (const QString& line : lines)
            EXPECT_LE(metrics.horizontalAdvance(line), group) << line.toStdString();
        mostLines = std::max(mostLines, static_cast<int>(lines.size()));
    }
    EXPECT_GE(mostLines, 2);
    const qreal below = chart.chart()->size().height() - chart.chart()->plotArea().bottom();
    EXPECT_GE(below, mostLines * metrics.lineSpacing());
    if (qEnvironmentVariableIsSet("RIVULON_TEST_SHOTS"))
        chart.grab().save(qEnvironmentVariable("RIVULON_TEST_SHOTS") + "/chart_labels.png");
    // The data grid and the hover tip name the land use whole too.
    EXPECT_EQ(chart.dataGrid().at(2, 0), "Cropland, conventional tillage");

    data.pointLabels = {"Apr", "May", "Jun", "Jul", "Aug"};
    chart.plot(data, "Month");
    axis = qobject_cast<QBarCategoryAxis*>(chart.chart()->axes(Qt::Horizontal).value(0));
    ASSERT_NE(axis, nullptr);
    EXPECT_EQ(axis->categories(), (QStringList{"Apr", "May", "Jun", "Jul", "Aug"}));
    EXPECT_EQ(axis->labelsAngle(), 0);
}

// The menu commands open the window through the registry.
TEST(ResultsMenu, SummaryCommandOpensTheWindow) {
    ASSERT_TRUE(ExampleResults::get().ok);
    ScriptedDialogs dialogs;
    ExampleHome home;
    MDIFrmMain main;
    startOnProject(main);
    dialogs.fileAnswers << ExampleResults::get().summary(4);
    main.runCommand("MnuSummary");
    auto* w = dynamic_cast<frmGResults*>(main.findWindow(frmGResults::kKind));
    ASSERT_NE(w, nullptr);
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(w->windowTitle(), "Summary Data and Graph: " + ExampleResults::get().summary(4));
    EXPECT_EQ(w->MSChart1->title(), "Mean Monthly Precpitation (cm)");
}

}  // namespace
