#include "analysis/ui/frmGResults.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QDir>
#include <QFontMetrics>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QTabWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <exception>

#include "analysis/ensemble_bands.h"
#include "analysis/grid_copy.h"
#include "analysis/observed_flow.h"
#include "analysis/result_tables.h"
#include "analysis/ui/DurationPage.h"
#include "analysis/ui/ResultChart.h"
#include "analysis/value_format.h"
#include "common/atomic_file.h"
#include "common/paths.h"
#include "shell/dialogs.h"
#include "shell/qt_text.h"
#include "shell/session.h"
#include "shell/twips.h"
#include "shell/widgets/FlexGrid.h"
#include "shell/widgets/grid_export.h"

using rivulon::ui::errorBox;
using rivulon::ui::FlexGrid;
using rivulon::ui::qs;
using rivulon::ui::ss;
using rivulon::ui::warnBox;

namespace {

const QString kCollapseHint = QStringLiteral(
    "Double click a row heading to collapse the table; single click a row heading to recover "
    "the table.");

frmGResults* openResults(rivulon::ui::WindowHost& host) {
    auto* w = dynamic_cast<frmGResults*>(host.openWindow(frmGResults::kKind));
    if (w)
        host.showChild(w);
    return w;
}

QString shownPath(const QString& path) {
    return QDir::toNativeSeparators(path);
}

}  // namespace

void frmGResults::runSummary(rivulon::ui::WindowHost& host) {
    if (frmGResults* w = openResults(host))
        w->GraphSummary();
}

void frmGResults::runAnnual(rivulon::ui::WindowHost& host) {
    if (frmGResults* w = openResults(host))
        w->GraphAnnual();
}

void frmGResults::runMonthly(rivulon::ui::WindowHost& host) {
    if (frmGResults* w = openResults(host))
        w->GraphMonthly(1, w->GridOut);
}

void frmGResults::runObserved(rivulon::ui::WindowHost& host) {
    if (frmGResults* w = openResults(host))
        w->CompareObserved();
}

frmGResults::frmGResults(rivulon::ui::WindowHost& host) : host_(host) {
    setObjectName(QStringLiteral("frmGResults"));
    setWindowTitle(QStringLiteral("Summary Graphs"));
    resize(sizeHint());
    organicCarbon_ = host.session().state.options.organicCarbonMode;

    auto makeButton = [this](const char* caption, const char* name) {
        auto* b = new QPushButton(QString::fromLatin1(caption), this);
        b->setObjectName(QString::fromLatin1(name));
        return b;
    };

    TabResult = new QTabWidget(this);
    TabResult->setObjectName(QStringLiteral("TabResult"));

    // Page 0: the chart, its data grid and the cycle buttons.
    auto* graphPage = new QWidget;
    MSChart1 = new ResultChart(graphPage);
    MSChart1->setOutputFolder([this] { return host_.session().outputFolder(); });
    GGrid = new FlexGrid(graphPage);
    GGrid->setObjectName(QStringLiteral("GGrid"));
    GGrid->setRows(2);
    GGrid->setCols(2);
    fitGGridHeight();
    cmdNextS = makeButton("Next Graph", "cmdNextS");
    cmdNextY = makeButton("Next Graph", "cmdNextY");
    cmdNextM = makeButton("Next Graph", "cmdNextM");
    cmdClose = makeButton("Close", "cmdClose");
    auto* cycleButtons = new QHBoxLayout;
    cycleButtons->addStretch(1);
    cycleButtons->addWidget(cmdNextS);
    cycleButtons->addWidget(cmdNextY);
    cycleButtons->addWidget(cmdNextM);
    cycleButtons->addStretch(1);
    cycleButtons->addWidget(cmdClose);
    cycleButtons->addStretch(1);
    auto* graphLayout = new QVBoxLayout(graphPage);
    graphLayout->setContentsMargins(6, 4, 6, 4);
    graphLayout->addWidget(MSChart1, 1);
    graphLayout->addWidget(GGrid);
    graphLayout->addLayout(cycleButtons);
    TabResult->addTab(graphPage, QStringLiteral("Graph"));

    // Page 1: the table and its commands.
    auto* tablePage = new QWidget;
    GridOut = new FlexGrid(tablePage);
    GridOut->setObjectName(QStringLiteral("GridOut"));
    ChkOC = new QCheckBox(QStringLiteral("Check here if using organic carbon data."), tablePage);
    ChkOC->setObjectName(QStringLiteral("ChkOC"));
    ChkOC->setChecked(organicCarbon_);
    Frame = new QFrame(tablePage);
    Frame->setObjectName(QStringLiteral("Frame"));
    CmdCloseTable = makeButton("Close", "CmdCloseTable");
    CmdSaveTable = makeButton("Save the data table", "CmdSaveTable");
    CmdPrintGrid = makeButton("Print the data above", "CmdPrintGrid");
    CmdSaveCsv = makeButton("Save as CSV", "CmdSaveCsv");
    CmdSaveCsv->setToolTip(
        QStringLiteral("Save the table as comma-separated values for a spreadsheet"));
    auto* frameLayout = new QHBoxLayout(Frame);
    frameLayout->setContentsMargins(0, 0, 0, 0);
    for (QPushButton* b : {CmdCloseTable, CmdSaveTable, CmdSaveCsv, CmdPrintGrid})
        frameLayout->addWidget(b);
    auto* frameRow = new QHBoxLayout;
    frameRow->addStretch(1);
    frameRow->addWidget(Frame);
    frameRow->addStretch(1);
    auto* tableLayout = new QVBoxLayout(tablePage);
    tableLayout->setContentsMargins(4, 4, 4, 4);
    tableLayout->addWidget(GridOut, 1);
    tableLayout->addWidget(ChkOC);
    tableLayout->addLayout(frameRow);
    TabResult->addTab(tablePage, QStringLiteral("Table and Print"));

    // Page 2: duration curves of a daily file, over the project's area.
    durationPage = new DurationPage;
    durationPage->setOutputFolder([this] { return host_.session().outputFolder(); });
    double area = 0;
    for (float a : host.session().state.watershed.area)
        area += a;
    durationPage->setProjectArea(area);
    TabResult->addTab(durationPage, QStringLiteral("Duration curves"));

    // Page 3: predicted against observed months, for the observed-flow comparison.
    auto* scatterPage = new QWidget;
    MSChartScatter = new ResultChart(scatterPage);
    MSChartScatter->setOutputFolder([this] { return host_.session().outputFolder(); });
    MSChartScatter->setObjectName(QStringLiteral("MSChartScatter"));
    auto* scatterLayout = new QVBoxLayout(scatterPage);
    scatterLayout->setContentsMargins(6, 4, 6, 4);
    scatterLayout->addWidget(MSChartScatter, 1);
    TabResult->addTab(scatterPage, QStringLiteral("Predicted vs. Observed"));

    // Below the tabs: the regression and the goodness of fit of the
    // observed-flow comparison.
    TxtReg = new QLabel(this);
    TxtReg->setObjectName(QStringLiteral("TxtReg"));
    TxtReg->setFrameShape(QFrame::StyledPanel);
    TxtReg->setWordWrap(true);
    TxtReg->setTextInteractionFlags(Qt::TextSelectableByMouse);
    lblStats = new QLabel(this);
    lblStats->setObjectName(QStringLiteral("lblStats"));
    lblStats->setWordWrap(true);
    lblStats->setTextInteractionFlags(Qt::TextSelectableByMouse);
    TxtReg->hide();
    lblStats->hide();
    cmdCopyStats = makeButton("Copy Statistics", "cmdCopyStats");
    cmdSaveStats = makeButton("Save Statistics...", "cmdSaveStats");
    auto* statsRow = new QHBoxLayout;
    statsRow->addWidget(lblStats, 1);
    statsRow->addWidget(cmdCopyStats, 0, Qt::AlignTop);
    statsRow->addWidget(cmdSaveStats, 0, Qt::AlignTop);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(3, 3, 3, 3);
    layout->addWidget(TabResult, 1);
    layout->addWidget(TxtReg);
    layout->addLayout(statsRow);

    connect(cmdNextS, &QPushButton::clicked, this, &frmGResults::cmdNextS_Click);
    connect(cmdNextY, &QPushButton::clicked, this, &frmGResults::cmdNextY_Click);
    connect(cmdNextM, &QPushButton::clicked, this, &frmGResults::cmdNextM_Click);
    connect(cmdClose, &QPushButton::clicked, this, &QWidget::close);
    connect(CmdCloseTable, &QPushButton::clicked, this, &QWidget::close);
    connect(ChkOC, &QCheckBox::clicked, this, &frmGResults::ChkOC_Click);
    connect(CmdSaveTable, &QPushButton::clicked, this, &frmGResults::CmdSaveTable_Click);
    connect(CmdPrintGrid, &QPushButton::clicked, this, &frmGResults::CmdPrintGrid_Click);
    connect(CmdSaveCsv, &QPushButton::clicked, this, &frmGResults::CmdSaveCsv_Click);
    connect(cmdCopyStats, &QPushButton::clicked, this, &frmGResults::cmdCopyStats_Click);
    connect(cmdSaveStats, &QPushButton::clicked, this, &frmGResults::cmdSaveStats_Click);
    connect(GridOut, &FlexGrid::doubleClicked, this, &frmGResults::GridOut_DblClick);
    connect(GridOut, &FlexGrid::Click, this, &frmGResults::GridOut_Click);
    connect(TabResult, &QTabWidget::currentChanged, this, &frmGResults::pageChanged);
    showButtons(Kind::None);
    pageChanged(TabResult->currentIndex());
}

// A third larger than the 8088 x 6504 twips of old: source names under the
// bars and the comparison's statistics need the room.
QSize frmGResults::sizeHint() const {
    return rivulon::ui::twipsSize(8088 * 1.3, 6504 * 1.3);
}

QString frmGResults::nutrientWord() const {
    return qs(rivulon::nutrientWord(organicCarbon_));
}

QString frmGResults::SelectFile(const QString& pattern, const QString& title) {
    // Results are usually in the application's output folder; a user already
    // working in an output folder stays there.
    QString folder = QDir::currentPath();
    if (!folder.right(6).toLower().endsWith(QStringLiteral("output")))
        folder = host_.session().outputFolder();
    return rivulon::ui::dialogs().openFile(
        this, title, folder,
        QStringLiteral("Data file (%1);;Data file (*.dat);;All files (*)").arg(pattern));
}

bool frmGResults::readFile(const QString& path, bool summary, rivulon::ResultSet& out) {
    try {
        out = summary ? rivulon::readSummaryFile(ss(path)) : rivulon::readResultsFile(ss(path));
        return true;
    } catch (const std::exception& e) {
        // The table on screen stays as it was.
        errorBox(this, QStringLiteral("The file %1 could not be read:\n%2")
                           .arg(shownPath(path), qs(e.what())));
        return false;
    }
}

void frmGResults::showTable(const rivulon::TextGrid& cells, FlexGrid* grid) {
    const bool wasRedraw = grid->redraw();
    grid->setRedraw(false);
    // Down to the heading row first, so that rows collapsed in the last
    // table come back at their normal height.
    grid->setRows(grid->fixedRows());
    if (grid == GridOut)
        collapsedHeights_.clear();
    grid->setCells(cells);
    // 1000 twips a column, or wider where any heading, name or number would
    // be cut.
    grid->fitColumnsToText(1000);
    grid->setToolTip(grid->textMatrix(0, 0));
    grid->setRedraw(wasRedraw);
}

void frmGResults::setGGrid(const rivulon::TextGrid& cells, int firstWidth) {
    const bool wasRedraw = GGrid->redraw();
    GGrid->setRedraw(false);
    GGrid->setCells(cells);
    ggridFirstWidth_ = firstWidth;
    for (int c = 0; c < GGrid->cols(); ++c) {
        const int design = firstWidth <= 0 ? FlexGrid::kDefaultColWidth : c == 0 ? firstWidth : 800;
        GGrid->fitColumnToText(c, design);
    }
    GGrid->setRedraw(wasRedraw);
    fitGGridHeight();
}

// The chart data grid is as tall as its rows and scroll bar, so the chart
// keeps the rest of the page.
void frmGResults::fitGGridHeight() {
    int height = 2 * GGrid->frameWidth() + GGrid->horizontalScrollBar()->sizeHint().height() + 1;
    for (int r = 0; r < GGrid->rows(); ++r)
        height += rivulon::ui::twipsToPixels(GGrid->rowHeight(r));
    GGrid->setFixedHeight(height);
}

QString frmGResults::xTitle(int selection) const {
    switch (kind_) {
        case Kind::Summary:
            return selection >= 11 ? QStringLiteral("Source") : QStringLiteral("Month");
        case Kind::Annual:
            return QStringLiteral("Year");
        case Kind::Monthly:
            return QStringLiteral("Month of the run");
        default:
            return {};
    }
}

rivulon::RunMonths frmGResults::runMonths() const {
    // The run starts at the weather file's first date when it carries dates.
    const rivulon::ProjectSettings& s = host_.session().settings;
    if (s.datedWeather && s.weatherStart)
        return {s.weatherStart->year, s.weatherStart->month};
    return {};
}

void frmGResults::drawChart(int selection) {
    if (selection < 0 || selection >= static_cast<int>(charts_.size()))
        return;
    const rivulon::ChartData& chart = charts_[static_cast<std::size_t>(selection)];
    MSChart1->setFootnote({});
    const rivulon::EnsembleBands* ensemble = host_.session().ensemble.get();
    std::vector<rivulon::Band> bands;
    if (ensemble && (kind_ == Kind::Annual || kind_ == Kind::Monthly)) {
        bands = rivulon::chartBands(*ensemble, kind_ == Kind::Monthly, selection, organicCarbon_,
                                    chart.values.size());
    }
    MSChart1->setRunMonths(kind_ == Kind::Monthly ? std::optional(runMonths()) : std::nullopt);
    if (bands.empty()) {
        MSChart1->plot(chart, xTitle(selection));
    } else {
        MSChart1->plotWithBands(chart, bands, xTitle(selection));
        MSChart1->setFootnote(QStringLiteral("Bands: ") + qs(ensemble->description));
    }
    setGGrid(rivulon::chartGrid(chart), kind_ == Kind::Summary  ? 0
                                        : kind_ == Kind::Annual ? 1600
                                                                : 1200);
}

void frmGResults::showButtons(Kind kind) {
    cmdNextS->setVisible(kind == Kind::Summary);
    cmdNextY->setVisible(kind == Kind::Annual);
    cmdNextM->setVisible(kind == Kind::Monthly);
    TxtReg->hide();
    lblStats->hide();
    cmdCopyStats->setVisible(kind == Kind::Observed);
    cmdSaveStats->setVisible(kind == Kind::Observed);
    TabResult->setTabEnabled(1, kind != Kind::Scenario && kind != Kind::Observed);
    TabResult->setTabVisible(TabResult->indexOf(MSChartScatter->parentWidget()),
                             kind == Kind::Observed);
}

void frmGResults::pageChanged(int page) {
    TabResult->setToolTip(page == 1 ? kCollapseHint : QString());
    Frame->setVisible(page == 1);
}

QString frmGResults::takeFile(const QString& file, const QString& pattern, bool summary) {
    const QString path = file.isEmpty() ? SelectFile(pattern, {}) : file;
    if (path.isEmpty())
        return {};
    rivulon::ResultSet set;
    if (!readFile(path, summary, set))
        return {};
    results_ = std::move(set);
    return path;
}

void frmGResults::showBuilt(const rivulon::TextGrid& grid, std::vector<rivulon::ChartData> charts,
                            Kind kind, const QString& caption) {
    showTable(grid, GridOut);
    setWindowTitle(caption);
    kind_ = kind;
    charts_ = std::move(charts);
    showButtons(kind_);
    drawChart(0);
}

bool frmGResults::GraphSummary(const QString& file) {
    const QString path = takeFile(file, QStringLiteral("Summary*.dat"), true);
    if (path.isEmpty())
        return false;
    const rivulon::SummaryTable table = rivulon::buildSummaryTable(results_, organicCarbon_);
    showBuilt(table.grid, {table.charts.begin(), table.charts.end()}, Kind::Summary,
              QStringLiteral("Summary Data and Graph: ") + shownPath(path));
    return true;
}

bool frmGResults::GraphAnnual(const QString& file) {
    const QString path = takeFile(file, QStringLiteral("Result*.dat"), false);
    if (path.isEmpty())
        return false;
    const rivulon::AnnualTable table = rivulon::buildAnnualTable(results_, organicCarbon_);
    showBuilt(table.grid, {table.charts.begin(), table.charts.end()}, Kind::Annual,
              QStringLiteral("Annual Data and Graph: ") + shownPath(path));
    return true;
}

bool frmGResults::GraphMonthly(int mode, FlexGrid* grid, const QString& file) {
    QString path = file;
    if (mode != 2 && mode != 3 && path.isEmpty())
        path =
            SelectFile(QStringLiteral("Result*.dat"), QStringLiteral("Select your results file!"));
    if (path.isEmpty())
        return false;
    rivulon::ResultSet set;
    if (!readFile(path, false, set))
        return false;
    results_ = std::move(set);
    const rivulon::MonthlyTable table = rivulon::buildMonthlyTable(results_, mode, organicCarbon_);
    showTable(table.grid, grid ? grid : GridOut);
    setWindowTitle(QStringLiteral("Monthly Data and Graph ") + shownPath(path));
    if (mode == 2)
        return true;
    kind_ = Kind::Monthly;
    charts_.assign(table.charts.begin(), table.charts.end());
    showButtons(kind_);
    drawChart(0);
    return true;
}

bool frmGResults::CompareObserved() {
    setWindowTitle(QStringLiteral("Steamflow Prediction vs. Observation"));
    if (!GraphMonthly(0, GridOut))
        return false;
    kind_ = Kind::Observed;
    showButtons(kind_);
    TabResult->setCurrentIndex(0);

    const std::string& named = host_.session().settings.observedFlowPath;
    if (!rivulon::pathPresent(named)) {
        warnBox(this, QStringLiteral("The project names no observed-flow file, so the monthly "
                                     "streamflow cannot be compared with observations."));
        return false;
    }
    std::vector<rivulon::ObservedMonth> observed;
    try {
        observed = rivulon::readObservedFile(named, 12 * results_.header.yearCount);
    } catch (const std::exception& e) {
        errorBox(this, QStringLiteral("The observed-flow file %1 could not be read:\n%2")
                           .arg(shownPath(qs(named)), qs(e.what())));
        return false;
    }
    const rivulon::ObservedComparison cmp = rivulon::compareObserved(results_, observed);
    setGGrid(cmp.grid, 1200);
    MSChart1->setRunMonths(runMonths());
    MSChart1->plotLines({cmp.predicted, cmp.observed}, QStringLiteral("Month of the run"),
                        QStringLiteral("Streamflow (cm)"));
    rivulon::ChartData observedAxis = cmp.observed;
    observedAxis.seriesLabel = "Observed";
    MSChartScatter->plotScatter(observedAxis, cmp.predicted,
                                QStringLiteral("Predicted vs. Observed Monthly Streamflow"),
                                QStringLiteral("Observed (cm)"), QStringLiteral("Predicted (cm)"));
    // Too few months or a constant series: the reason stands where the
    // regression would.
    TxtReg->setText(qs(cmp.regressionShown ? cmp.regressionText : cmp.report));
    TxtReg->show();
    if (cmp.pairedMonths > 0) {
        lblStats->setText(qs(cmp.statisticsText) + QLatin1Char('\n') +
                          qs(rivulon::ratingText(cmp)));
        lblStats->show();
    }
    return cmp.regressionShown;
}

bool frmGResults::showResultFile(const QString& path, rivulon::ui::ResultTable table, int mode) {
    switch (table) {
        case rivulon::ui::ResultTable::Summary:
            return GraphSummary(path);
        case rivulon::ui::ResultTable::Annual:
            return GraphAnnual(path);
        case rivulon::ui::ResultTable::Monthly:
            break;
    }
    return GraphMonthly(mode, GridOut, path);
}

rivulon::ChartData frmGResults::comparisonChart(
    const QString& caption, const QString& title, rivulon::ChartKind kind,
    const std::vector<std::pair<QString, float>>& points) {
    setWindowTitle(caption);
    kind_ = Kind::Scenario;
    charts_.clear();
    showButtons(kind_);
    TabResult->setCurrentIndex(0);
    rivulon::ChartData chart;
    chart.title = ss(title);
    chart.kind = kind;
    for (const auto& [label, value] : points) {
        chart.values.push_back(value);
        chart.pointLabels.push_back(ss(label));
        chart.gridHeadings.push_back(ss(label));
    }
    return chart;
}

void frmGResults::plotScenarios(const QString& title, const QString& footnote,
                                const std::vector<std::pair<QString, double>>& values) {
    std::vector<std::pair<QString, float>> points;
    for (const auto& [name, value] : values)
        points.emplace_back(name, static_cast<float>(value));
    const rivulon::ChartData chart =
        comparisonChart(QStringLiteral("Scenario Plot"), title, rivulon::ChartKind::Bar2d, points);
    const QString valueTitle = title.section(QLatin1Char(':'), 0, 0).trimmed();
    MSChart1->setRunMonths(std::nullopt);
    MSChart1->plot(chart, QStringLiteral("Scenario"), valueTitle);
    MSChart1->setFootnote(footnote);
    rivulon::TextGrid grid = rivulon::chartGrid(chart);
    for (std::size_t k = 0; k < values.size(); ++k)
        grid.set(1, static_cast<int>(k) + 1, rivulon::plainNumber(chart.values[k]));
    setGGrid(grid, 0);
}

void frmGResults::plotAgainstBands(const QString& title, const QString& footnote,
                                   const QString& pointTitle, const QString& valueTitle,
                                   const std::vector<std::pair<QString, float>>& baseline,
                                   const std::vector<std::array<float, 5>>& bands) {
    rivulon::ChartData chart = comparisonChart(QStringLiteral("Baseline and Ensemble"), title,
                                               rivulon::ChartKind::Line2d, baseline);
    chart.seriesLabel = "Baseline";
    MSChart1->plotWithBands(chart, bands, pointTitle, valueTitle);
    MSChart1->setFootnote(footnote);
    setGGrid(rivulon::chartGrid(chart), 1200);
}

bool frmGResults::showDailyFile(const QString& path) {
    TabResult->setCurrentWidget(durationPage);
    const bool shown = durationPage->openDailyFile(path);
    if (shown)
        setWindowTitle(QStringLiteral("Duration Curves: ") + shownPath(path));
    return shown;
}

void frmGResults::cmdNextS_Click() {
    drawChart(summaryCycle_.next());
}

void frmGResults::cmdNextY_Click() {
    drawChart(annualCycle_.next());
}

void frmGResults::cmdNextM_Click() {
    drawChart(monthlyCycle_.next());
}

void frmGResults::ChkOC_Click() {
    // Takes effect when the next table is built.
    organicCarbon_ = ChkOC->isChecked();
}

void frmGResults::CmdSaveTable_Click() {
    rivulon::ui::SaveGrid(*GridOut, QStringLiteral("Tab*.csv"));
}

void frmGResults::CmdPrintGrid_Click() {
    rivulon::ui::CmdPrintGrid(this, GridOut->cells(), windowTitle());
}

void frmGResults::CmdSaveCsv_Click() {
    rivulon::ui::saveGridCsv(this, GridOut->cells(), QStringLiteral("Table.csv"));
}

void frmGResults::GridOut_DblClick() {
    if (GridOut->col() != 1)
        return;
    const std::vector<bool> hidden = rivulon::collapsedRows(GridOut->cells(), GridOut->row());
    const bool wasRedraw = GridOut->redraw();
    GridOut->setRedraw(false);
    collapsedHeights_.resize(static_cast<std::size_t>(GridOut->rows()), 0);
    for (int r = 0; r < GridOut->rows() && r < static_cast<int>(hidden.size()); ++r) {
        if (hidden[static_cast<std::size_t>(r)]) {
            if (const int h = GridOut->rowHeight(r); h > 0)
                collapsedHeights_[static_cast<std::size_t>(r)] = h;
            GridOut->setRowHeight(r, 0);
        }
    }
    GridOut->setRedraw(wasRedraw);
}

void frmGResults::GridOut_Click() {
    if (GridOut->col() != 1)
        return;
    const bool wasRedraw = GridOut->redraw();
    GridOut->setRedraw(false);
    // Rows come back at the height they had (that of their text), not at a
    // fixed one that would cut it.
    const int usual = GridOut->rowHeight(1) > 0 ? GridOut->rowHeight(1) : 240;
    for (int r = 2; r < GridOut->rows(); ++r) {
        if (GridOut->rowHeight(r) == 0) {
            const std::size_t i = static_cast<std::size_t>(r);
            GridOut->setRowHeight(r, i < collapsedHeights_.size() && collapsedHeights_[i] > 0
                                         ? collapsedHeights_[i]
                                         : usual);
        }
    }
    collapsedHeights_.clear();
    GridOut->setRedraw(wasRedraw);
}

QString frmGResults::statisticsText() const {
    QStringList lines;
    if (!TxtReg->isHidden())
        lines << TxtReg->text();
    if (!lblStats->isHidden())
        lines << lblStats->text();
    return lines.join(QLatin1Char('\n'));
}

void frmGResults::cmdCopyStats_Click() {
    QApplication::clipboard()->setText(statisticsText());
}

bool frmGResults::cmdSaveStats_Click() {
    const QString text = statisticsText();
    if (text.isEmpty())
        return false;
    const QString path = rivulon::ui::dialogs().saveFile(
        this, QStringLiteral("Save Statistics"), host_.session().outputFolder(),
        QStringLiteral("ObservedFit.txt"), QStringLiteral("txt"));
    if (path.isEmpty())
        return false;
    try {
        rivulon::writeFileAtomically(ss(path), ss(text + QLatin1Char('\n')));
        rivulon::ui::showSaved(this, path);
        return true;
    } catch (const std::exception& e) {
        errorBox(
            this,
            QStringLiteral("The statistics could not be saved as %1:\n%2").arg(path, qs(e.what())));
        return false;
    }
}

namespace {

const rivulon::ui::WindowCommand kfrmGResultsCommands[] = {
    {.id = "MnuUSGS",
     .caption = "Compare to USGS Observations",
     .menu = "MnuData",
     .after = "MnuPopulation",
     .run = &frmGResults::runObserved},
    {.id = "MnuSummary",
     .caption = "Su&mmary",
     .menu = "MnuResutls",
     .run = &frmGResults::runSummary},
    {.id = "MnuAnnual",
     .caption = "&Annual Results",
     .menu = "MnuResutls",
     .after = "MnuSummary",
     .run = &frmGResults::runAnnual},
    {.id = "MnuMonthly",
     .caption = "&Monthly Results",
     .menu = "MnuResutls",
     .after = "MnuAnnual",
     .run = &frmGResults::runMonthly},
};

}  // namespace

const rivulon::ui::WindowRegistration frmGResults::registration{
    kKind, &rivulon::ui::makeWindow<frmGResults>, true, 110, kfrmGResultsCommands};
