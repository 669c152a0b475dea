#include "scenarios/ui/FrmComp.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFontMetrics>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QShortcut>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>
#include <exception>

#include "analysis/regroup.h"
#include "analysis/ui/result_table_view.h"
#include "shell/dialogs.h"
#include "shell/file_lists.h"
#include "shell/qt_text.h"
#include "shell/session.h"
#include "shell/twips.h"

using rivulon::ui::qs;
using rivulon::ui::ss;

namespace {

const QString kCompareCaption = QStringLiteral("Compare Scenarios");
const QString kPlotHint = QStringLiteral(
    "Highlight the cell you want to compare, then double click \"Plot selected\" button.");
const QString kEnsembleCaption = QStringLiteral("Compare a Baseline with an Ensemble");
const QString kEnsemblePattern = QStringLiteral("Result*.*;bands*.csv");

// The wait cursor for as long as a step runs, however it ends.
struct WaitCursor {
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

}  // namespace

// ---------------------------------------------------------------------------

CompareGrid::CompareGrid(QWidget* parent) : rivulon::ui::FlexGrid(parent) {
    setBackColor(kCellColor);
    setBackColorFixed(tabulex::kSystemButtonFace);
    setBackColorBkg(tabulex::kSystemButtonFace);
}

tabulex::ColorValue CompareGrid::cellBackColor(int row, int col) const {
    if (row < fixedRows() || col < fixedCols()) {
        return tabulex::kSystemButtonFace;
    }
    return row == this->row() && col == this->col() ? kCurrentColor : kCellColor;
}

void CompareGrid::paintEvent(QPaintEvent* event) {
    rivulon::ui::FlexGrid::paintEvent(event);
    const int r = row();
    const int c = col();
    if (r < fixedRows() || c < fixedCols() || r >= rows() || c >= cols()) {
        return;
    }
    // The grid draws its current cell like the others; paint it over in
    // yellow so that the compared cell stands out in every tab.
    const QRect cell(rivulon::ui::twipsToPixels(colPos(c)) - viewport()->x(),
                     rivulon::ui::twipsToPixels(rowPos(r)) - viewport()->y(),
                     rivulon::ui::twipsToPixels(colWidth(c)),
                     rivulon::ui::twipsToPixels(rowHeight(r)));
    if (cell.width() <= 0 || cell.height() <= 0 || cell.right() < fixedCols() ||
        !viewport()->rect().intersects(cell)) {
        return;
    }
    // Not over the fixed heading row or column when scrolled under them.
    int fixedWidth = 0;
    for (int k = 0; k < fixedCols(); ++k) {
        fixedWidth += rivulon::ui::twipsToPixels(colWidth(k));
    }
    int fixedHeight = 0;
    for (int k = 0; k < fixedRows(); ++k) {
        fixedHeight += rivulon::ui::twipsToPixels(rowHeight(k));
    }
    const QRect visible =
        cell.intersected(viewport()->rect().adjusted(fixedWidth, fixedHeight, 0, 0));
    if (visible.isEmpty()) {
        return;
    }
    QPainter p(viewport());
    p.setClipRect(visible);
    const QRect inner = cell.adjusted(0, 0, -gridLineWidth(), -gridLineWidth());
    p.fillRect(inner, QColor(0xFF, 0xFF, 0x00));
    const QString text = textMatrix(r, c);
    bool numeric = false;
    text.trimmed().toDouble(&numeric);
    p.setPen(Qt::black);
    p.drawText(inner.adjusted(3, 1, -3, -1),
               Qt::AlignVCenter | (numeric ? Qt::AlignRight : Qt::AlignLeft), text);
}

// ---------------------------------------------------------------------------

void FrmComp::runCompare(rivulon::ui::WindowHost& host) {
    auto* window = qobject_cast<FrmComp*>(host.openWindow(kKind));
    if (window) {
        host.showChild(window);
    }
}

void FrmComp::runEnsembleCompare(rivulon::ui::WindowHost& host) {
    // A comparison with an ensemble starts on a fresh window, as a sum does.
    if (QWidget* open = host.findWindow(kKind)) {
        open->close();
    }
    auto* window = new FrmComp(host);
    host.addChild(window);
    host.showChild(window);
    window->LoadEnsemble();
}

void FrmComp::runSum(rivulon::ui::WindowHost& host) {
    // A sum starts on a fresh window, whatever the open one was doing.
    if (QWidget* open = host.findWindow(kKind)) {
        open->close();
    }
    auto* window = new FrmComp(host);
    host.addChild(window);
    host.showChild(window);
    window->LoadSum();
}

FrmComp::FrmComp(rivulon::ui::WindowHost& host) : host_(host) {
    setObjectName(QStringLiteral("FrmComp"));
    setWindowTitle(kCompareCaption);
    buildControls();

    const Session& session = host_.session();
    QString output = session.outputFolder();
    if (!QDir(output).exists()) {
        output = QDir::currentPath();
    }
    File1->setPattern(QStringLiteral("Rg*.txt"));
    setFolder(output);
}

void FrmComp::buildControls() {
    // The selection page: lists on the left, the chosen files on the right.
    selection_ = new QWidget(this);
    selection_->setObjectName(QStringLiteral("SelectionPage"));
    Label1 = new QLabel(QStringLiteral("File Path:"), selection_);
    Label1->setObjectName(QStringLiteral("Label1"));
    Text1 = new QLineEdit(selection_);
    Text1->setObjectName(QStringLiteral("Text1"));
    Text1->setReadOnly(true);
    Drive1 = new DriveList(selection_);
    Drive1->setObjectName(QStringLiteral("Drive1"));
    Dir1 = new DirList(selection_);
    Dir1->setObjectName(QStringLiteral("Dir1"));
    File1 = new FileList(selection_);
    File1->setObjectName(QStringLiteral("File1"));
    Check1 = new QCheckBox(QStringLiteral("Show all files."), selection_);
    Check1->setObjectName(QStringLiteral("Check1"));
    cmdAdd = new QPushButton(QStringLiteral("Add Files ->"), selection_);
    cmdAdd->setObjectName(QStringLiteral("cmdAdd"));
    cmdRemove = new QPushButton(QStringLiteral("<- Remove"), selection_);
    cmdRemove->setObjectName(QStringLiteral("cmdRemove"));
    List1 = new QListWidget(selection_);
    List1->setObjectName(QStringLiteral("List1"));
    Label2 = new QLabel(QStringLiteral("Add files from the left box. You may select up to 20 "
                                       "files for the operation!"),
                        selection_);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setWordWrap(true);
    cmdNext = new QPushButton(QStringLiteral("Next >>"), selection_);
    cmdNext->setObjectName(QStringLiteral("cmdNext"));

    auto* browse = new QVBoxLayout;
    browse->addWidget(Label1);
    browse->addWidget(Text1);
    browse->addWidget(Drive1);
    browse->addWidget(Dir1, 2);
    browse->addWidget(File1, 3);
    browse->addWidget(Check1);
    auto* moves = new QVBoxLayout;
    moves->addStretch(1);
    moves->addWidget(cmdAdd);
    moves->addWidget(cmdRemove);
    moves->addStretch(1);
    auto* chosenRow = new QHBoxLayout;
    chosenRow->addWidget(List1, 1);
    chosenHolder_ = chosenRow;
    auto* chosen = new QVBoxLayout;
    chosen->addWidget(Label2);
    chosen->addLayout(chosenRow, 1);
    chosen->addWidget(cmdNext, 0, Qt::AlignRight);
    auto* selectionLayout = new QHBoxLayout(selection_);
    selectionLayout->addLayout(browse, 1);
    selectionLayout->addLayout(moves);
    selectionLayout->addLayout(chosen, 1);

    // The tabs page.
    tabsArea_ = new QWidget(this);
    tabsArea_->setObjectName(QStringLiteral("TabsPage"));
    CmdPlot = new QPushButton(QStringLiteral("Plot selected"), tabsArea_);
    CmdPlot->setObjectName(QStringLiteral("CmdPlot"));
    Label3 = new QLabel(kPlotHint, tabsArea_);
    Label3->setObjectName(QStringLiteral("Label3"));
    Label3->setWordWrap(true);
    Text2 = new QLineEdit(tabsArea_);
    Text2->setObjectName(QStringLiteral("Text2"));
    Text3 = new QLineEdit(tabsArea_);
    Text3->setObjectName(QStringLiteral("Text3"));
    OptMonths = new QRadioButton(QStringLiteral("Months"), tabsArea_);
    OptMonths->setObjectName(QStringLiteral("OptMonths"));
    OptMonths->setChecked(true);
    OptYears = new QRadioButton(QStringLiteral("Years"), tabsArea_);
    OptYears->setObjectName(QStringLiteral("OptYears"));
    OptMonths->hide();
    OptYears->hide();
    lblSummary = new QLabel(tabsArea_);
    lblSummary->setObjectName(QStringLiteral("lblSummary"));
    lblSummary->setWordWrap(true);
    lblSummary->hide();
    for (QLineEdit* t : {Text2, Text3}) {
        t->setReadOnly(true);
        t->setFixedWidth(rivulon::ui::twipsToPixels(1300));
    }
    TabData = new QTabWidget(tabsArea_);
    TabData->setObjectName(QStringLiteral("TabData"));
    TabData->setUsesScrollButtons(true);
    for (int k = 0; k < kMaxFiles; ++k) {
        auto* page = new QWidget;
        auto* pageLayout = new QVBoxLayout(page);
        pageLayout->setContentsMargins(2, 2, 2, 2);
        Grid1[k] = new CompareGrid(page);
        Grid1[k]->setObjectName(QStringLiteral("Grid1_%1").arg(k));
        pageLayout->addWidget(Grid1[k]);
        TabData->addTab(page, QStringLiteral("Tab %1").arg(k));
        connect(Grid1[k], &tabulex::TableGrid::RowColChange, this, [this, k] { cellEntered(k); });
    }
    auto* top = new QHBoxLayout;
    top->addWidget(CmdPlot);
    top->addWidget(OptMonths);
    top->addWidget(OptYears);
    top->addWidget(Label3, 1);
    top->addStretch();  // takes Label3's room when the summary line stands in for it
    top->addWidget(Text2);
    top->addWidget(Text3);
    auto* tabsLayout = new QVBoxLayout(tabsArea_);
    tabsLayout->setContentsMargins(0, 0, 0, 0);
    tabsLayout->addLayout(top);
    tabsLayout->addWidget(lblSummary);
    tabsLayout->addWidget(TabData, 1);
    tabsArea_->hide();

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(selection_, 1);
    layout->addWidget(tabsArea_, 1);

    connect(Drive1, &DriveList::driveChanged, this,
            [this](const QString& root) { setFolder(root); });
    connect(Dir1, &DirList::pathChanged, this, [this](const QString& path) { setFolder(path); });
    connect(Check1, &QCheckBox::clicked, this, &FrmComp::Check1_Click);
    connect(File1, &QListWidget::itemDoubleClicked, this, &FrmComp::File1_DblClick);
    connect(cmdAdd, &QPushButton::clicked, this, &FrmComp::cmdAdd_Click);
    connect(List1, &QListWidget::itemDoubleClicked, this, &FrmComp::cmdRemove_Click);
    connect(cmdRemove, &QPushButton::clicked, this, &FrmComp::cmdRemove_Click);
    connect(cmdNext, &QPushButton::clicked, this, &FrmComp::cmdNext_Click);
    connect(CmdPlot, &QPushButton::clicked, this, &FrmComp::CmdPlot_Click);
    connect(OptYears, &QRadioButton::toggled, this, [this] {
        if (ensembleMode() && ensemble_) {
            showEnsembleTables();
        }
    });
    connect(TabData, &QTabWidget::currentChanged, this, [this] {
        if (ensembleMode()) {
            showEnsembleSummary();
        }
    });

    auto* help = new QShortcut(QKeySequence::HelpContents, this);
    help->setContext(Qt::WidgetWithChildrenShortcut);
    connect(help, &QShortcut::activated, this, [this] { host_.HelpCmd(1, kHelpContext); });
}

QSize FrmComp::sizeHint() const {
    return rivulon::ui::twipsSize(11400, 7200);
}

QString FrmComp::folder() const {
    return Dir1->path();
}

void FrmComp::setFolder(const QString& folder) {
    Dir1->setPath(folder);
    File1->setPath(Dir1->path());
    Text1->setText(QDir::toNativeSeparators(Dir1->path()));
    Drive1->showFolder(Dir1->path());
}

QString FrmComp::pathOf(const QString& name) const {
    return QDir(folder()).filePath(name);
}

void FrmComp::errorMessage(const QString& text) {
    rivulon::ui::errorBox(this, text, windowTitle());
}

void FrmComp::Check1_Click() {
    if (Check1->isChecked()) {
        File1->setPattern(QStringLiteral("*.*"));
    } else {
        File1->setPattern(sumMode()        ? QStringLiteral("Result*.*")
                          : ensembleMode() ? kEnsemblePattern
                                           : QStringLiteral("*.txt"));
    }
}

void FrmComp::File1_DblClick() {
    cmdAdd_Click();
}

void FrmComp::cmdAdd_Click() {
    const QString name = File1->fileName();
    if (name.isEmpty() || List1->count() >= kMaxFiles) {
        return;
    }
    List1->addItem(name);
}

void FrmComp::cmdRemove_Click() {
    const int row = List1->currentRow();
    if (row >= 0) {
        delete List1->takeItem(row);
    }
}

void FrmComp::showTabsPage(int count) {
    selection_->hide();
    shown_ = count;
    for (int k = 0; k < kMaxFiles; ++k) {
        TabData->setTabVisible(k, k < count);
    }
    TabData->setCurrentIndex(0);
    tabsArea_->show();
}

void FrmComp::cmdNext_Click() {
    QStringList names;
    for (int i = 0; i < List1->count(); ++i) {
        names << List1->item(i)->text();
    }
    if (names.isEmpty()) {
        return;
    }
    if (sumMode()) {
        sumFiles(names);
    } else if (ensembleMode()) {
        ensembleFiles(names);
    } else {
        compareFiles(names);
    }
}

void FrmComp::compareFiles(const QStringList& names) {
    std::vector<rivulon::CompareTable> tables;
    {
        WaitCursor wait;
        // Every table is read before the tabs are shown, so that a file that
        // cannot be read leaves the list as it was, to be put right.
        try {
            for (const QString& name : names) {
                rivulon::CompareTable t = rivulon::loadCompareTable(
                    ss(pathOf(name)), rivulon::kRegroupRows, rivulon::kRegroupCols);
                t.fileName = ss(name);
                tables.push_back(std::move(t));
            }
        } catch (const std::exception& e) {
            errorMessage(qs(e.what()));
            return;
        }
    }
    tables_ = std::move(tables);
    CmdPlot->setText(QStringLiteral("Wait ..."));
    showTabsPage(static_cast<int>(tables_.size()));
    for (std::size_t k = 0; k < tables_.size(); ++k) {
        const rivulon::CompareTable& t = tables_[k];
        TabData->setTabText(static_cast<int>(k),
                            QStringLiteral("%1: %2").arg(k + 1).arg(qs(t.fileName)));
        rivulon::TextGrid cells(rivulon::kRegroupRows, rivulon::kRegroupCols);
        for (int r = 0; r < rivulon::kRegroupRows; ++r) {
            for (int c = 0; c < rivulon::kRegroupCols; ++c) {
                cells.set(r, c, t.cells[r][c]);
            }
        }
        Grid1[k]->setCells(cells);
    }
    formatCompareGrids();
    // Again once the tabs have their size on screen.
    QTimer::singleShot(0, this, [this] { formatCompareGrids(); });
    CmdPlot->setText(QStringLiteral("Plot Selected"));
    cellEntered(0);
}

void FrmComp::formatCompareGrids() {
    if (sumMode()) {
        return;
    }
    for (int k = 0; k < shown_; ++k) {
        CompareGrid* g = Grid1[k];
        // The tab's width shared by the columns, the land-use column half as
        // wide again as the others.
        const int width = std::max(TabData->currentWidget()->width() - 8, 200);
        const int scroll =
            g->verticalScrollBar()->isVisible() ? g->verticalScrollBar()->width() : 0;
        const int available =
            static_cast<int>((width - scroll) * rivulon::ui::kTwipsPerPixel) - 100;
        const int column = std::max(available * 2 / (2 * g->cols() + 1), 600);
        // Never narrower than a column's widest text: a narrow window
        // scrolls rather than cutting headings.
        const QFontMetrics metrics(g->font());
        for (int c = 0; c < g->cols(); ++c) {
            int widest = 0;
            for (int r = 0; r < g->rows(); ++r) {
                widest = std::max(widest, metrics.horizontalAdvance(g->textMatrix(r, c)));
            }
            const int fitted = static_cast<int>((widest + 12) * rivulon::ui::kTwipsPerPixel);
            g->setColWidth(c, std::max(c == 0 ? column * 3 / 2 : column, fitted));
        }
    }
}

void FrmComp::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (tabsArea_->isVisible()) {
        formatCompareGrids();
    }
}

void FrmComp::cellEntered(int k) {
    if (k >= shown_ || syncing_) {
        return;
    }
    CompareGrid* source = Grid1[k];
    const int r = source->row();
    const int c = source->col();
    Text2->setText(QStringLiteral("Row=%1").arg(r));
    Text3->setText(QStringLiteral("Col=%1").arg(c));
    // The same cell in every table.
    syncing_ = true;
    for (int j = 0; j < shown_; ++j) {
        CompareGrid* g = Grid1[j];
        if (g != source && r < g->rows() && c < g->cols()) {
            g->setRow(r);
            g->setCol(c);
        }
    }
    syncing_ = false;
}

void FrmComp::CmdPlot_Click() {
    auto* window = host_.openWindow(rivulon::ui::ResultTableView::kProvider);
    auto* view = dynamic_cast<rivulon::ui::ResultTableView*>(window);
    if (!view) {
        return;
    }
    if (ensembleMode()) {
        const int k = TabData->currentIndex();
        if (k < 0 || k >= static_cast<int>(comparisons_.size())) {
            return;
        }
        const rivulon::BaselineBands& c = comparisons_[static_cast<std::size_t>(k)];
        std::vector<std::pair<QString, float>> baseline;
        for (std::size_t i = 0; i < c.baseline.size(); ++i) {
            baseline.emplace_back(qs(c.pointLabels[i]), c.baseline[i]);
        }
        host_.showChild(window);
        view->plotAgainstBands(
            qs(c.label) +
                (c.annual ? QStringLiteral(" by year: ") : QStringLiteral(" by month: ")) +
                QStringLiteral("the baseline against the ensemble"),
            QStringLiteral("Baseline: %1. Bands: %2.")
                .arg(baselineName_, qs(ensemble_->description)),
            c.annual ? QStringLiteral("Year") : QStringLiteral("Month of the run"), qs(c.label),
            baseline, c.bands);
        return;
    }
    if (sumMode()) {
        if (savedName_.isEmpty()) {
            return;
        }
        host_.showChild(window);
        view->showResultFile(savedName_, rivulon::ui::ResultTable::Monthly, 3);
        return;
    }
    if (tables_.empty()) {
        return;
    }
    const int r = Grid1[0]->row();
    const int c = Grid1[0]->col();
    rivulon::CompareSeries series;
    try {
        series = rivulon::compareSeries(tables_, r, c);
    } catch (const std::exception& e) {
        errorMessage(qs(e.what()));
        return;
    }
    std::vector<std::pair<QString, double>> values;
    for (std::size_t k = 0; k < series.labels.size(); ++k) {
        values.emplace_back(qs(series.labels[k]), series.values[k]);
    }
    host_.showChild(window);
    view->plotScenarios(qs(series.title), qs(series.footnote), values);
}

void FrmComp::LoadEnsemble() {
    mode_ = QStringLiteral("Ensemble");
    setWindowTitle(kEnsembleCaption);
    Label2->setText(QStringLiteral(
        "Add the results file of the baseline run and the ensemble's bands.csv, or the results "
        "file alone to compare it with the ensemble run last in the Climate Scenario dialog."));
    File1->setPattern(kEnsemblePattern);
}

void FrmComp::ensembleFiles(const QStringList& names) {
    QStringList results;
    QStringList bands;
    for (const QString& name : names) {
        (name.endsWith(QStringLiteral(".csv"), Qt::CaseInsensitive) ? bands : results) << name;
    }
    if (results.size() != 1) {
        errorMessage(QStringLiteral("Add one results file of the baseline run; the list holds %1.")
                         .arg(results.size()));
        return;
    }
    if (bands.size() > 1) {
        errorMessage(QStringLiteral("Add one bands file of the ensemble; the list holds %1.")
                         .arg(bands.size()));
        return;
    }
    rivulon::ResultSet baseline;
    std::shared_ptr<const rivulon::EnsembleBands> ensemble;
    {
        WaitCursor wait;
        try {
            baseline = rivulon::readResultsFile(ss(pathOf(results[0])));
            if (!bands.isEmpty()) {
                ensemble = std::make_shared<const rivulon::EnsembleBands>(
                    rivulon::readEnsembleBandsFile(ss(pathOf(bands[0]))));
            }
        } catch (const std::exception& e) {
            errorMessage(qs(e.what()));
            return;
        }
    }
    if (!ensemble) {
        ensemble = host_.session().ensemble;
    }
    if (!ensemble) {
        errorMessage(QStringLiteral(
            "There is no ensemble to compare with: add the ensemble's bands.csv, or run an "
            "ensemble in the Climate Scenario dialog first."));
        return;
    }
    if (rivulon::compareWithEnsemble(baseline, *ensemble, false).empty()) {
        errorMessage(
            QStringLiteral("%1 and the ensemble have no output in common.").arg(results[0]));
        return;
    }
    baseline_ = std::move(baseline);
    baselineName_ = results[0];
    ensemble_ = std::move(ensemble);
    const bool annual = !rivulon::compareWithEnsemble(baseline_, *ensemble_, true).empty();
    OptYears->setEnabled(annual);
    OptYears->setToolTip(
        annual ? QString() : QStringLiteral("The ensemble's folder holds no annual_bands.csv."));
    OptMonths->show();
    OptYears->show();
    Label3->hide();
    lblSummary->show();
    showEnsembleTables();
}

void FrmComp::showEnsembleTables() {
    const int current = std::max(TabData->currentIndex(), 0);
    comparisons_ = rivulon::compareWithEnsemble(baseline_, *ensemble_, OptYears->isChecked());
    const int count = std::min(static_cast<int>(comparisons_.size()), kMaxFiles);
    showTabsPage(count);
    for (int k = 0; k < count; ++k) {
        const rivulon::BaselineBands& c = comparisons_[static_cast<std::size_t>(k)];
        TabData->setTabText(k, QStringLiteral("%1: %2").arg(k + 1).arg(qs(c.label)));
        Grid1[k]->setCells(rivulon::baselineBandsGrid(c));
    }
    TabData->setCurrentIndex(std::min(current, count - 1));
    formatCompareGrids();
    QTimer::singleShot(0, this, [this] { formatCompareGrids(); });
    CmdPlot->setText(QStringLiteral("Plot Selected"));
    showEnsembleSummary();
    cellEntered(TabData->currentIndex());
}

void FrmComp::showEnsembleSummary() {
    const int k = TabData->currentIndex();
    if (k < 0 || k >= static_cast<int>(comparisons_.size())) {
        return;
    }
    lblSummary->setText(
        qs(rivulon::baselineBandsSummary(comparisons_[static_cast<std::size_t>(k)])));
}

namespace {

const rivulon::ui::WindowCommand kFrmCompCommands[] = {
    {.id = "MnuCompScen",
     .caption = "&Compare Scenarios",
     .menu = "MnuTools",
     .after = "MnuRegroup",
     .run = &FrmComp::runCompare},
    {.id = "MnuSum",
     .caption = "Su&m Sub-basin Results",
     .menu = "MnuTools",
     .after = "MnuCompScen",
     .run = &FrmComp::runSum},
    {.id = "MnuCompEnsemble",
     .caption = "Compare with an &Ensemble",
     .menu = "MnuTools",
     .after = "MnuSum",
     .run = &FrmComp::runEnsembleCompare},
};

}  // namespace

const rivulon::ui::WindowRegistration FrmComp::registration{
    kKind, &rivulon::ui::makeWindow<FrmComp>, true, 280, kFrmCompCommands};
