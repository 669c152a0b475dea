// The example's results and inputs in every window that holds a grid, and
// every cell's text whole in its column: summary, annual, monthly and
// observed-flow tables with each of their charts' data grids, the regrouped
// table, the comparison and sum tabs, and the input editors as they load.
// (The calibration window's grids are checked after its run, in its own
// tests.) A text wider than its column is drawn cut short with an ellipsis,
// and the cell's tool tip shows it whole; that is checked on a narrowed column.
#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QHelpEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>
#include <QToolTip>

#include "analysis/table_text.h"
#include "analysis/ui/FrmReGroup.h"
#include "analysis/ui/frmGResults.h"
#include "app/MDIFrmMain.h"
#include "project/ui/FrmN.h"
#include "project/ui/FrmT.h"
#include "project/ui/FrmW.h"
#include "project/ui/frmMatrix.h"
#include "scenarios/ui/FrmComp.h"
#include "shell/file_lists.h"
#include "shell/session.h"
#include "shell/twips.h"
#include "shell/widgets/FlexGrid.h"
#include "tests/ui/grid_fit.h"
#include "tests/ui/ui_test_support.h"
#include "tests/ui_results/results_test_support.h"

namespace {

using rivulon::ui::WindowKind;

// Adds every cut cell of the grid to `cut`.
void check(QStringList& cut, const GridView& view) {
    ASSERT_GT(view.rows, 0) << view.name.toStdString();
    cut << cutCells(view);
}

// Clicks `next` until the chart comes back to its first title, checking the
// chart's data grid at each step.
void eachChart(QStringList& cut, frmGResults& w, QPushButton* next, const QString& what) {
    const QString first = w.GGrid->textMatrix(1, 0) + w.GGrid->textMatrix(0, 1);
    for (int step = 0; step < 30; ++step) {
        check(cut, viewOf(*w.GGrid, QStringLiteral("%1 chart %2 GGrid").arg(what).arg(step)));
        next->click();
        if (w.GGrid->textMatrix(1, 0) + w.GGrid->textMatrix(0, 1) == first)
            return;
    }
}

void addFiles(FrmComp& w, const QString& folder, const QStringList& names) {
    w.File1->setPath(folder);
    w.setFolder(folder);
    for (const QString& name : names) {
        const auto found = w.File1->findItems(name, Qt::MatchExactly);
        ASSERT_EQ(found.size(), 1) << name.toStdString();
        w.File1->setCurrentItem(found.first());
        w.cmdAdd->click();
    }
}

}  // namespace

TEST(GridsFit, EveryGridShowsEveryTextWhole) {
    const ExampleResults& ex = ExampleResults::get();
    ASSERT_TRUE(ex.ok) << "hydload could not make the example results";
    ScriptedDialogs dialogs;
    ExampleHome home;
    MDIFrmMain main;
    main.resize(1280, 860);
    startOnProject(main);
    dialogs.messages.clear();
    QStringList cut;

    // Results: summary, annual, monthly tables with every chart of each.
    auto* results = qobject_cast<frmGResults*>(main.openWindow(WindowKind::Results));
    ASSERT_NE(results, nullptr);
    main.showChild(results);
    ASSERT_TRUE(results->GraphSummary(ex.summary(4)));
    check(cut, viewOf(*results->GridOut, "summary GridOut"));
    eachChart(cut, *results, results->cmdNextS, "summary");
    ASSERT_TRUE(results->GraphAnnual(ex.results(4)));
    check(cut, viewOf(*results->GridOut, "annual GridOut"));
    eachChart(cut, *results, results->cmdNextY, "annual");
    for (int mode : {0, 1}) {
        ASSERT_TRUE(results->GraphMonthly(mode, results->GridOut, ex.results(4)));
        check(cut, viewOf(*results->GridOut, QStringLiteral("monthly %1 GridOut").arg(mode)));
    }
    eachChart(cut, *results, results->cmdNextM, "monthly");
    dialogs.fileAnswers << ex.results(4);
    ASSERT_TRUE(results->CompareObserved()) << dialogs.messages.join("\n").toStdString();
    check(cut, viewOf(*results->GGrid, "observed GGrid"));
    check(cut, viewOf(*results->GridOut, "observed GridOut"));

    // Regrouping: every land use in a group of its own, then the table.
    auto* regroup = qobject_cast<FrmReGroup*>(main.openWindow(WindowKind::Regroup));
    ASSERT_NE(regroup, nullptr);
    main.showChild(regroup);
    ASSERT_TRUE(regroup->openResultsFile(ex.results(4)));
    for (int g = 0; regroup->ListLU->count() > 0 && g < 6; ++g) {
        regroup->ListLU->setCurrentRow(0);
        regroup->Image1[g]->click();
    }
    while (regroup->ListLU->count() > 0) {
        regroup->ListLU->setCurrentRow(0);
        regroup->Image1[5]->click();
    }
    regroup->cmdCalculate->click();
    main.jobs().waitForEnd();
    QCoreApplication::processEvents();
    ASSERT_TRUE(regroup->tableShown()) << dialogs.messages.join("\n").toStdString();
    check(cut, viewOf(*regroup->ReGrid, "ReGrid"));

    // Comparison of two regrouped tables, then the sum of two result files.
    const QString output = home.dir.path() + "/Output";
    main.session().applicationFolder = home.dir.path();
    rivulon::saveTableText((output + "/RgOne.txt").toStdString(), regroup->ReGrid->cells());
    rivulon::saveTableText((output + "/RgTwo.txt").toStdString(), regroup->ReGrid->cells());
    main.runCommand("MnuCompScen");
    auto* compare = qobject_cast<FrmComp*>(main.findWindow(WindowKind::Compare));
    ASSERT_NE(compare, nullptr);
    addFiles(*compare, output, {"RgOne.txt", "RgTwo.txt"});
    compare->cmdNext->click();
    for (int k = 0; k < 2; ++k)
        check(cut, viewOf(*compare->Grid1[k], QStringLiteral("compare Grid1[%1]").arg(k)));
    compare->close();
    QCoreApplication::processEvents();

    ASSERT_TRUE(QFile::copy(ex.results(4), output + "/ResultsUp.dat"));
    ASSERT_TRUE(QFile::copy(ex.results(1), output + "/ResultsDown.dat"));
    main.runCommand("MnuSum");
    auto* sum = qobject_cast<FrmComp*>(main.findWindow(WindowKind::Compare));
    ASSERT_NE(sum, nullptr);
    ASSERT_NE(sum->Gridcf, nullptr) << "no Tabulex library";
    addFiles(*sum, output, {"ResultsUp.dat", "ResultsDown.dat"});
    dialogs.fileAnswers << output + "/ResultsSum.dat";
    sum->cmdNext->click();
    check(cut, viewOf(sum->Gridcf, "Gridcf"));
    for (int k = 0; k < 2; ++k)
        check(cut, viewOf(*sum->Grid1[k], QStringLiteral("sum Grid1[%1]").arg(k)));

    // The input editors as they load the example's files.
    auto* transport = qobject_cast<FrmT*>(main.openWindow(WindowKind::Transport));
    ASSERT_NE(transport, nullptr);
    ASSERT_TRUE(transport->TransOpen(home.input() + "/Transprt.dat"));
    main.showChild(transport);
    check(cut, viewOf(*transport->TGrid1, "TGrid1"));
    check(cut, viewOf(*transport->TGrid2[0], "TGrid2[0]"));
    check(cut, viewOf(*transport->TGrid2[1], "TGrid2[1]"));

    dialogs.fileAnswers = {home.input() + "/Transprt.dat", home.input() + "/Nutrient.dat"};
    main.runCommand("MnuEditNutrient");
    auto* nutrient = qobject_cast<FrmN*>(main.findWindow(WindowKind::Nutrient));
    ASSERT_NE(nutrient, nullptr);
    for (int i = 0; i < 5; ++i)
        check(cut, viewOf(*nutrient->NGrid[i], QStringLiteral("NGrid[%1]").arg(i)));

    main.action("MnuEditweather")->trigger();
    auto* weather = qobject_cast<FrmW*>(main.findWindow(WindowKind::Weather));
    ASSERT_NE(weather, nullptr);
    ASSERT_NE(weather->GridW, nullptr) << "no Tabulex library";
    check(cut, viewOf(weather->GridW, "GridW"));

    main.action("MnuSetNutrMatrix")->trigger();
    auto* matrix = qobject_cast<frmMatrix*>(main.findWindow(WindowKind::Matrix));
    ASSERT_NE(matrix, nullptr);
    for (int i = 0; i < 2; ++i)
        check(cut, viewOf(matrix->GridMx[i], QStringLiteral("GridMx[%1]").arg(i)));

    EXPECT_TRUE(cut.isEmpty()) << cut.size() << " cut cells:\n"
                               << cut.mid(0, 40).join("\n").toStdString();
}

// A column narrower than its text: the cell's tool tip shows the text whole,
// a cell that fits shows none of its own; fitting the column again makes
// every text fit.
TEST(GridsFit, NarrowColumnShowsItsTextInTheToolTip) {
    rivulon::ui::FlexGrid grid;
    grid.resize(400, 200);
    grid.setRows(3);
    grid.setCols(2);
    grid.setTextMatrix(1, 1, QStringLiteral("3400.0000"));
    grid.setTextMatrix(2, 1, QStringLiteral("1"));
    grid.setColWidth(1, 300);  // 20 pixels
    grid.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&grid));
    EXPECT_FALSE(grid.cellTextFits(1, 1));
    EXPECT_TRUE(grid.cellTextFits(2, 1));

    auto tipAt = [&](int row) {
        QToolTip::hideText();  // hides after a short fade
        EXPECT_TRUE(QTest::qWaitFor([] { return !QToolTip::isVisible(); }, 5000));
        const QPoint pos(rivulon::ui::twipsToPixels(grid.colPos(1)) - grid.viewport()->x() + 5,
                         rivulon::ui::twipsToPixels(grid.rowPos(row)) - grid.viewport()->y() + 5);
        QHelpEvent event(QEvent::ToolTip, pos, grid.viewport()->mapToGlobal(pos));
        QApplication::sendEvent(grid.viewport(), &event);
        return QToolTip::isVisible() ? QToolTip::text() : QString();
    };
    EXPECT_EQ(tipAt(1), "3400.0000");
    EXPECT_EQ(tipAt(2), "");

    grid.fitColumnToText(1);
    EXPECT_TRUE(cutCells(viewOf(grid, "grid")).isEmpty());
    EXPECT_EQ(tipAt(1), "");
}

// A new hundred-year weather table: its statistics box shows "36500 (1200
// months)" whole, and the grid's heading and day rows fit.
TEST(GridsFit, HundredYearWeatherTableAndItsDaysShowWhole) {
    ScriptedDialogs dialogs;
    ExampleHome home;
    MDIFrmMain main;
    main.resize(1280, 860);
    startOnProject(main);
    dialogs.inputAnswers = {"100"};
    main.action("MnuCreateW")->trigger();
    auto* weather = qobject_cast<FrmW*>(main.findWindow(WindowKind::Weather));
    ASSERT_NE(weather, nullptr);
    ASSERT_NE(weather->GridW, nullptr) << "no Tabulex library";
    QCoreApplication::processEvents();
    QLineEdit* days = weather->Text3;
    ASSERT_EQ(days->text(), "36500 (1200 months)");
    QStyleOptionFrame option;
    option.initFrom(days);
    option.rect = days->rect();
    option.lineWidth = days->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, days);
    const QRect contents =
        days->style()->subElementRect(QStyle::SE_LineEditContents, &option, days);
    // The box keeps two pixels each side of its text.
    EXPECT_LE(days->fontMetrics().horizontalAdvance(days->text()), contents.width() - 4);
    EXPECT_EQ(cutCells(viewOf(weather->GridW, "GridW")), QStringList());
}
