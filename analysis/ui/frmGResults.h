#pragma once

#include <QString>
#include <QWidget>
#include <vector>

#include "analysis/chart_data.h"
#include "analysis/result_file.h"
#include "analysis/ui/duration_curve_view.h"
#include "analysis/ui/result_table_view.h"
#include "shell/window_host.h"
#include "shell/window_registration.h"

class QCheckBox;
class QFrame;
class QLabel;
class QPushButton;
class QTabWidget;
class DurationPage;
class ResultChart;

namespace rivulon::ui {
class FlexGrid;
}

// The results window ("Summary Graphs"): the summary, annual or monthly
// table of a result file on the page "Table and Print", its charts on the
// page "Graph", and the comparison of predicted with observed streamflow.
// A file is read into the window's own result set; the last run's values in
// the session are never touched.
class frmGResults : public QWidget,
                    public rivulon::ui::ResultTableView,
                    public rivulon::ui::DurationCurveView {
    Q_OBJECT
  public:
    static constexpr rivulon::ui::WindowKind kKind{"frmGResults"};
    static const rivulon::ui::WindowRegistration registration;

    explicit frmGResults(rivulon::ui::WindowHost& host);

    // The menu commands (Summary, Annual and Monthly Results, Compare to USGS
    // Observations).
    static void runSummary(rivulon::ui::WindowHost& host);
    static void runAnnual(rivulon::ui::WindowHost& host);
    static void runMonthly(rivulon::ui::WindowHost& host);
    static void runObserved(rivulon::ui::WindowHost& host);

    // An empty name asks for the file. False when nothing was built (cancel
    // silently, a file that cannot be read with a message).
    bool GraphSummary(const QString& file = {});
    bool GraphAnnual(const QString& file = {});
    // Mode 0 the block of means, 1 or more every year too; mode 2 leaves the
    // chart and GGrid as they are; modes 2 and 3 never ask for the file.
    bool GraphMonthly(int mode, rivulon::ui::FlexGrid* grid, const QString& file = {});
    // Steps of the observed-flow comparison after the window is shown.
    bool CompareObserved();
    QString SelectFile(const QString& pattern, const QString& title);

    bool showResultFile(const QString& path, rivulon::ui::ResultTable table, int mode = 1) override;
    void plotScenarios(const QString& title, const QString& footnote,
                       const std::vector<std::pair<QString, double>>& values) override;
    void plotAgainstBands(const QString& title, const QString& footnote, const QString& pointTitle,
                          const QString& valueTitle,
                          const std::vector<std::pair<QString, float>>& baseline,
                          const std::vector<std::array<float, 5>>& bands) override;
    // Opens a daily file on the page "Duration curves".
    bool showDailyFile(const QString& path) override;

    void cmdNextS_Click();
    void cmdNextY_Click();
    void cmdNextM_Click();
    void ChkOC_Click();
    void CmdSaveTable_Click();
    void CmdPrintGrid_Click();
    void CmdSaveCsv_Click();
    // The regression and goodness-of-fit lines of the observed-flow comparison.
    QString statisticsText() const;
    void cmdCopyStats_Click();
    bool cmdSaveStats_Click();
    void GridOut_DblClick();
    void GridOut_Click();

    // What the window shows, for its user and its tests.
    const rivulon::ResultSet& results() const { return results_; }
    QString nutrientWord() const;
    QSize sizeHint() const override;

    QTabWidget* TabResult;
    ResultChart* MSChart1;
    // The observed-flow comparison's predicted against observed months.
    ResultChart* MSChartScatter;
    QPushButton* cmdCopyStats;
    QPushButton* cmdSaveStats;
    rivulon::ui::FlexGrid* GGrid;
    QPushButton* cmdNextS;
    QPushButton* cmdNextY;
    QPushButton* cmdNextM;
    QPushButton* cmdClose;
    QLabel* TxtReg;
    QLabel* lblStats;
    rivulon::ui::FlexGrid* GridOut;
    QCheckBox* ChkOC;
    QFrame* Frame;
    QPushButton* CmdCloseTable;
    QPushButton* CmdSaveTable;
    QPushButton* CmdPrintGrid;
    QPushButton* CmdSaveCsv;
    DurationPage* durationPage;

  private:
    // The window as the comparison window's chart: its caption, the graph
    // page, and a chart of the points.
    rivulon::ChartData comparisonChart(const QString& caption, const QString& title,
                                       rivulon::ChartKind kind,
                                       const std::vector<std::pair<QString, float>>& points);
    enum class Kind { None, Summary, Annual, Monthly, Observed, Scenario };

    bool readFile(const QString& path, bool summary, rivulon::ResultSet& out);
    // The file given, or one asked for with `pattern`, read into the window's
    // result set; empty when cancelled or unreadable (the set is kept then).
    QString takeFile(const QString& file, const QString& pattern, bool summary);
    // A built summary or annual table in GridOut, its caption and its first chart.
    void showBuilt(const rivulon::TextGrid& grid, std::vector<rivulon::ChartData> charts, Kind kind,
                   const QString& caption);
    void showTable(const rivulon::TextGrid& cells, rivulon::ui::FlexGrid* grid);
    void setGGrid(const rivulon::TextGrid& cells, int firstWidth);
    void fitGGridHeight();
    void drawChart(int selection);
    void showButtons(Kind kind);
    void pageChanged(int page);
    QString xTitle(int selection) const;
    // The months of the session's run for a monthly chart's axis.
    rivulon::RunMonths runMonths() const;

    rivulon::ui::WindowHost& host_;
    rivulon::ResultSet results_;
    bool organicCarbon_ = false;
    Kind kind_ = Kind::None;
    std::vector<rivulon::ChartData> charts_;  // the table's charts by selection
    rivulon::ChartCycle summaryCycle_{19};
    rivulon::ChartCycle annualCycle_{5};
    rivulon::ChartCycle monthlyCycle_{5};
    int ggridFirstWidth_ = 1200;
    // The heights (twips) rows had before a double click collapsed them,
    // given back by the click that shows them again.
    std::vector<int> collapsedHeights_;
};
