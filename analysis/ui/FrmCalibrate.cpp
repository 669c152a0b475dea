#include "analysis/ui/FrmCalibrate.h"
#include "analysis/ui/FrmCalibrate_work.h"

#include <QChart>
#include <QChartView>
#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLegend>
#include <QLegendMarker>
#include <QLineEdit>
#include <QLineSeries>
#include <QProgressBar>
#include <QPushButton>
#include <QScatterSeries>
#include <QSpinBox>
#include <QSplitter>
#include <QTabWidget>
#include <QVBoxLayout>
#include <QValueAxis>
#include <algorithm>
#include <atomic>
#include <cmath>
#include <mutex>
#include <thread>

#include "analysis/ui/chart_export.h"
#include "analysis/value_format.h"
#include "calibration/morris.h"
#include "calibration/report.h"
#include "calibration/search.h"
#include "common/atomic_file.h"
#include "common/list_reader.h"
#include "common/number_format.h"
#include "common/paths.h"
#include "common/read_error.h"
#include "shell/app_folder.h"
#include "shell/dialogs.h"
#include "shell/qt_text.h"
#include "shell/session.h"
#include "shell/widgets/NumberSpinBox.h"

using namespace rivulon::calibration;
using frm_calibrate::fixed;
using frm_calibrate::number;
using rivulon::ui::errorBox;
using rivulon::ui::qs;
using rivulon::ui::ss;
using rivulon::ui::warnBox;

namespace {

constexpr int kHelpContext = 300;
const QString kTitle = QStringLiteral("Calibrate Hydrology");

// Parameters checked when the window opens: the ones monthly flow answers to
// most on a typical watershed.
bool checkedAtFirst(const ParameterInfo& info) {
    return info.kind == ParameterKind::RecessionCoef || info.kind == ParameterKind::SeepageCoef ||
           info.kind == ParameterKind::CurveNumberMultiplier;
}

}  // namespace

FrmCalibrate::FrmCalibrate(rivulon::ui::WindowHost& host) : host_(host) {
    setObjectName(QStringLiteral("FrmCalibrate"));
    setWindowTitle(kTitle);
    setAttribute(Qt::WA_DeleteOnClose);

    // Left: what to calibrate and how.
    auto* files = new QGroupBox(QStringLiteral("Project"));
    auto* filesGrid = new QGridLayout(files);
    lblProject = new QLabel;
    lblProject->setObjectName(QStringLiteral("lblProject"));
    lblProject->setTextInteractionFlags(Qt::TextSelectableByMouse);
    lblProject->setWordWrap(true);
    txtObserved = new QLineEdit;
    txtObserved->setObjectName(QStringLiteral("txtObserved"));
    txtObserved->setPlaceholderText(QStringLiteral("the project's observed-flow file"));
    cmdBrowse = new QPushButton(QStringLiteral("&Browse..."));
    cmdBrowse->setObjectName(QStringLiteral("cmdBrowse"));
    filesGrid->addWidget(new QLabel(QStringLiteral("Project file:")), 0, 0);
    filesGrid->addWidget(lblProject, 0, 1, 1, 2);
    filesGrid->addWidget(new QLabel(QStringLiteral("Observed flow:")), 1, 0);
    filesGrid->addWidget(txtObserved, 1, 1);
    filesGrid->addWidget(cmdBrowse, 1, 2);
    filesGrid->setColumnStretch(1, 1);

    auto* paramsBox = new QGroupBox(QStringLiteral("Parameters and ranges"));
    auto* pg = new QGridLayout(paramsBox);
    pg->addWidget(new QLabel(QStringLiteral("<b>Parameter</b>")), 0, 0);
    pg->addWidget(new QLabel(QStringLiteral("<b>Low</b>")), 0, 1);
    pg->addWidget(new QLabel(QStringLiteral("<b>High</b>")), 0, 2);
    pg->addWidget(new QLabel(QStringLiteral("<b>Unit</b>")), 0, 3);
    int row = 1;
    for (const ParameterInfo& info : parameterCatalogue()) {
        if (info.kind == ParameterKind::Synthetic)
            continue;
        ParamRow r;
        r.info = &info;
        const QString name = qs(info.name).replace(QLatin1Char('-'), QLatin1Char('_'));
        r.check = new QCheckBox(qs(info.label));
        r.check->setObjectName(QStringLiteral("chk_") + name);
        r.check->setChecked(checkedAtFirst(info));
        r.check->setToolTip(qs(info.name) + (info.transform == Transform::Log
                                                 ? QStringLiteral(": searched on a log scale")
                                                 : QString()));
        r.low = new QLineEdit(number(info.low));
        r.low->setObjectName(QStringLiteral("txtLow_") + name);
        r.high = new QLineEdit(number(info.high));
        r.high->setObjectName(QStringLiteral("txtHigh_") + name);
        for (QLineEdit* e : {r.low, r.high}) {
            e->setMaximumWidth(70);
            e->setAlignment(Qt::AlignRight);
        }
        pg->addWidget(r.check, row, 0);
        pg->addWidget(r.low, row, 1);
        pg->addWidget(r.high, row, 2);
        pg->addWidget(new QLabel(info.multiplier ? QStringLiteral("factor") : qs(info.unit)), row,
                      3);
        paramRows.push_back(r);
        ++row;
    }
    pg->setColumnStretch(0, 1);

    auto* searchBox = new QGroupBox(QStringLiteral("Search"));
    auto* sg = new QGridLayout(searchBox);
    cboObjective = new QComboBox;
    cboObjective->setObjectName(QStringLiteral("cboObjective"));
    cboObjective->addItem(QStringLiteral("NSE (Nash-Sutcliffe efficiency)"),
                          static_cast<int>(Objective::Nse));
    cboObjective->addItem(QStringLiteral("KGE (Kling-Gupta efficiency)"),
                          static_cast<int>(Objective::Kge));
    cboObjective->addItem(QStringLiteral("log-NSE (NSE of log flows)"),
                          static_cast<int>(Objective::LogNse));
    chkPbias = new QCheckBox(QStringLiteral("|PBIAS| at most (%):"));
    chkPbias->setObjectName(QStringLiteral("chkPbias"));
    txtPbias = new QLineEdit(QStringLiteral("25"));
    txtPbias->setObjectName(QStringLiteral("txtPbias"));
    txtPbias->setMaximumWidth(70);
    txtPbias->setAlignment(Qt::AlignRight);
    txtPbias->setEnabled(false);
    connect(chkPbias, &QCheckBox::toggled, txtPbias, &QWidget::setEnabled);
    connect(cboObjective, &QComboBox::currentIndexChanged, this, [this] {
        if (!work_) {
            traceY_->setTitleText(
                QStringLiteral("Best ") +
                qs(objectiveLabel(static_cast<Objective>(cboObjective->currentData().toInt()))));
        }
    });
    const auto spin = [](const char* name, int low, int high, int value) {
        auto* s = new NumberSpinBox;
        s->setObjectName(QLatin1String(name));
        s->setRange(low, high);
        s->setValue(value);
        s->setMaximumWidth(100);
        s->setAlignment(Qt::AlignRight);
        return s;
    };
    spnRuns = spin("spnRuns", 10, 10000000, 2000);
    spnRuns->setSingleStep(500);
    spnSeed = spin("spnSeed", 0, 2147483647, 1);
    const int cores = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    spnJobs = spin("spnJobs", 1, 64, std::min(cores, 8));
    spnTrajectories = spin("spnTrajectories", 1, 10000, 10);
    sg->addWidget(new QLabel(QStringLiteral("Objective:")), 0, 0);
    sg->addWidget(cboObjective, 0, 1, 1, 3);
    sg->addWidget(chkPbias, 1, 0, 1, 2);
    sg->addWidget(txtPbias, 1, 2);
    sg->addWidget(new QLabel(QStringLiteral("Model runs:")), 2, 0);
    sg->addWidget(spnRuns, 2, 1);
    sg->addWidget(new QLabel(QStringLiteral("Seed:")), 2, 2);
    sg->addWidget(spnSeed, 2, 3);
    sg->addWidget(new QLabel(QStringLiteral("Jobs:")), 3, 0);
    sg->addWidget(spnJobs, 3, 1);
    sg->addWidget(new QLabel(QStringLiteral("Trajectories:")), 3, 2);
    sg->addWidget(spnTrajectories, 3, 3);
    spnTrajectories->setToolTip(QStringLiteral("Morris trajectories of the sensitivity screen"));
    txtThreshold = new QLineEdit(QStringLiteral(".5"));
    txtThreshold->setObjectName(QStringLiteral("txtThreshold"));
    txtThreshold->setMaximumWidth(70);
    txtThreshold->setAlignment(Qt::AlignRight);
    txtThreshold->setToolTip(
        QStringLiteral("Uncertainty: sets whose objective reaches this are behavioural"));
    sg->addWidget(new QLabel(QStringLiteral("Behavioural from:")), 4, 0);
    sg->addWidget(txtThreshold, 4, 1);
    sg->setColumnStretch(4, 1);

    const auto button = [this](const QString& text, const char* name) {
        auto* b = new QPushButton(text);
        b->setObjectName(QLatin1String(name));
        b->setParent(this);
        return b;
    };
    cmdRun = button(QStringLiteral("&Run"), "cmdRun");
    cmdCancel = button(QStringLiteral("&Cancel"), "cmdCancel");
    cmdSensitivity = button(QStringLiteral("Sensiti&vity"), "cmdSensitivity");
    cmdUncertainty = button(QStringLiteral("&Uncertainty"), "cmdUncertainty");
    cmdSave = button(QStringLiteral("&Save calibrated transport file…"), "cmdSave");
    cmdSaveTrace = button(QStringLiteral("Save &trace…"), "cmdSaveTrace");
    cmdSaveTrace->setToolTip(
        QStringLiteral("Every evaluated set with its objective and the best so far, as "
                       "hydload calibrate writes calibration.csv"));
    cmdHelp = button(QStringLiteral("&Help"), "cmdHelp");
    cmdClose = button(QStringLiteral("Cl&ose"), "cmdClose");
    cmdRun->setDefault(true);
    cmdCancel->setEnabled(false);
    cmdSave->setEnabled(false);
    cmdSaveTrace->setEnabled(false);
    auto* buttons = new QGridLayout;
    buttons->addWidget(cmdRun, 0, 0);
    buttons->addWidget(cmdCancel, 0, 1);
    buttons->addWidget(cmdSensitivity, 0, 2);
    buttons->addWidget(cmdSave, 1, 0, 1, 2);
    buttons->addWidget(cmdSaveTrace, 1, 2);
    buttons->addWidget(cmdUncertainty, 2, 0);
    buttons->addWidget(cmdHelp, 2, 1);
    buttons->addWidget(cmdClose, 2, 2);

    prgRuns = new QProgressBar;
    prgRuns->setObjectName(QStringLiteral("prgRuns"));
    prgRuns->setRange(0, 1);
    prgRuns->setValue(0);
    prgRuns->setFormat(QString());  // no count before the first run
    lblStatus = new QLabel;
    lblStatus->setObjectName(QStringLiteral("lblStatus"));
    lblStatus->setWordWrap(true);

    auto* left = new QWidget;
    auto* leftLayout = new QVBoxLayout(left);
    leftLayout->setContentsMargins(0, 0, 0, 0);
    leftLayout->addWidget(files);
    leftLayout->addWidget(paramsBox);
    leftLayout->addWidget(searchBox);
    leftLayout->addLayout(buttons);
    leftLayout->addWidget(prgRuns);
    leftLayout->addWidget(lblStatus);
    leftLayout->addStretch(1);

    // Right: the best objective as the runs go, then the fit.
    traceChart_ = new QChart;
    traceChart_->setTitle(QStringLiteral("Best objective against model runs"));
    traceChart_->legend()->hide();
    serTrace = new QLineSeries;
    serTrace->setObjectName(QStringLiteral("serTrace"));
    serTrace->setName(QStringLiteral("Best NSE"));
    traceChart_->addSeries(serTrace);
    traceX_ = new QValueAxis;
    traceX_->setTitleText(QStringLiteral("Model runs"));
    traceX_->setLabelFormat(QStringLiteral("%d"));
    traceX_->setRange(0, spnRuns->value());
    traceY_ = new QValueAxis;
    traceY_->setTitleText(QStringLiteral("Best NSE"));
    traceY_->setRange(0, 1);
    traceChart_->addAxis(traceX_, Qt::AlignBottom);
    traceChart_->addAxis(traceY_, Qt::AlignLeft);
    serTrace->attachAxis(traceX_);
    serTrace->attachAxis(traceY_);
    chtTrace = new QChartView(traceChart_);
    chtTrace->setObjectName(QStringLiteral("chtTrace"));
    chtTrace->setRenderHint(QPainter::Antialiasing);
    chtTrace->setMinimumHeight(220);
    auto* tracePage = new QWidget;
    auto* traceLayout = new QVBoxLayout(tracePage);
    traceLayout->setContentsMargins(0, 0, 0, 0);
    traceLayout->setSpacing(0);
    auto* traceTools = new QHBoxLayout;
    traceTools->addStretch();
    rivulon::ui::addExportButtons(
        traceTools, this, QStringLiteral("cmdTrace"),
        {chtTrace,
         [this] { return traceChart_->title(); },
         [this] { return lineData(chtTrace, QStringLiteral("Model runs")); },
         {},
         [this] { return host_.session().outputFolder(); }});
    traceLayout->addLayout(traceTools);
    traceLayout->addWidget(chtTrace, 1);

    auto* flowsChart = new QChart;
    flowsChart->setTitle(QStringLiteral("Observed and simulated monthly flow"));
    chtFlows = new QChartView(flowsChart);
    chtFlows->setObjectName(QStringLiteral("chtFlows"));
    chtFlows->setRenderHint(QPainter::Antialiasing);
    lblStatistics = new QLabel;
    lblStatistics->setObjectName(QStringLiteral("lblStatistics"));
    lblStatistics->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* flowsPage = new QWidget;
    auto* flowsLayout = new QVBoxLayout(flowsPage);
    auto* flowsTools = new QHBoxLayout;
    flowsTools->addStretch();
    rivulon::ui::addExportButtons(
        flowsTools, this, QStringLiteral("cmdFlows"),
        {chtFlows,
         [this] { return chtFlows->chart()->title(); },
         [this] { return lineData(chtFlows, QStringLiteral("Year of the run")); },
         {},
         [this] { return host_.session().outputFolder(); }});
    flowsLayout->addLayout(flowsTools);
    flowsLayout->addWidget(chtFlows, 1);
    flowsLayout->addWidget(lblStatistics);

    grdBest = new rivulon::ui::FlexGrid;
    grdBest->setObjectName(QStringLiteral("grdBest"));
    grdSensitivity = new rivulon::ui::FlexGrid;
    grdSensitivity->setObjectName(QStringLiteral("grdSensitivity"));
    tabResults = new QTabWidget;
    tabResults->setObjectName(QStringLiteral("tabResults"));
    tabResults->addTab(flowsPage, QStringLiteral("Monthly flow"));
    tabResults->addTab(grdBest, QStringLiteral("Best values"));
    tabResults->addTab(grdSensitivity, QStringLiteral("Sensitivity"));
    tabResults->addTab(makeUncertaintyPage(), QStringLiteral("Uncertainty"));

    auto* right = new QSplitter(Qt::Vertical);
    right->addWidget(tracePage);
    right->addWidget(tabResults);
    right->setStretchFactor(0, 1);
    right->setStretchFactor(1, 1);
    right->setMinimumWidth(520);

    auto* layout = new QHBoxLayout(this);
    layout->addWidget(left, 0);
    layout->addWidget(right, 1);

    const rivulon::ProjectSettings& s = host_.session().settings;
    lblProject->setText(s.projectPath.empty() ? QStringLiteral("(no project open)")
                                              : qs(s.projectPath));
    if (!s.observedFlowPath.empty() && s.observedFlowPath != "Not Found")
        txtObserved->setText(qs(s.observedFlowPath));

    connect(cmdRun, &QPushButton::clicked, this, [this] { cmdRun_Click(); });
    connect(cmdCancel, &QPushButton::clicked, this, &FrmCalibrate::cmdCancel_Click);
    connect(cmdSensitivity, &QPushButton::clicked, this, [this] { cmdSensitivity_Click(); });
    connect(cmdUncertainty, &QPushButton::clicked, this, [this] { cmdUncertainty_Click(); });
    connect(cmdSave, &QPushButton::clicked, this, [this] { cmdSave_Click(); });
    connect(cmdSaveTrace, &QPushButton::clicked, this, [this] { cmdSaveTrace_Click(); });
    connect(cmdBrowse, &QPushButton::clicked, this, &FrmCalibrate::cmdBrowse_Click);
    connect(cmdHelp, &QPushButton::clicked, this, [this] { host_.HelpCmd(1, kHelpContext); });
    connect(cmdClose, &QPushButton::clicked, this, &QWidget::close);
    resize(sizeHint());
}

QSize FrmCalibrate::sizeHint() const {
    // Room for the parameter table and charts wide enough to read a
    // 30-year monthly record.
    return {1180, 740};
}

FrmCalibrate::~FrmCalibrate() {
    // The worker holds the work by a shared pointer; it must not report to a
    // window that is gone.
    if (job_) {
        disconnect(job_, nullptr, this, nullptr);
        job_->stop();
        job_->waitForEnd();
    }
}

QString FrmCalibrate::projectPath() const {
    return qs(host_.session().settings.projectPath);
}

std::vector<Parameter> FrmCalibrate::chosenParameters() {
    std::vector<Parameter> out;
    for (const ParamRow& r : paramRows) {
        if (!r.check->isChecked())
            continue;
        double low = 0, high = 0;
        const QString name = r.check->text();
        if (!rivulon::parseDouble(ss(r.low->text().trimmed()), low) ||
            !rivulon::parseDouble(ss(r.high->text().trimmed()), high) || !std::isfinite(low) ||
            !std::isfinite(high)) {
            warnBox(this, name + QStringLiteral(": the range takes two numbers."), kTitle);
            return {};
        }
        if (!(low < high)) {
            warnBox(this, name + QStringLiteral(": the low end must be below the high end."),
                    kTitle);
            return {};
        }
        if (low < r.info->minAllowed || high > r.info->maxAllowed) {
            warnBox(this,
                    name + QStringLiteral(": the range must lie within ") +
                        number(r.info->minAllowed) + QStringLiteral(" to ") +
                        number(r.info->maxAllowed) + QStringLiteral("."),
                    kTitle);
            return {};
        }
        if (r.info->transform == Transform::Log && low <= 0) {
            warnBox(this, name + QStringLiteral(": the low end must be above 0 (log scale)."),
                    kTitle);
            return {};
        }
        out.push_back(Parameter{r.info, low, high});
    }
    if (out.empty())
        warnBox(this, QStringLiteral("Check at least one parameter to calibrate."), kTitle);
    return out;
}

std::shared_ptr<FrmCalibrate::Work> FrmCalibrate::newWork() {
    auto work = std::make_shared<Work>();
    work->params = chosenParameters();
    if (work->params.empty())
        return nullptr;
    work->objective.objective = static_cast<Objective>(cboObjective->currentData().toInt());
    return work;
}

bool FrmCalibrate::readyToStart() {
    if (work_ || host_.jobs().busy()) {
        warnBox(this, QStringLiteral("Wait until the run in progress has ended."), kTitle);
        return false;
    }
    if (host_.session().settings.projectPath.empty()) {
        warnBox(this, QStringLiteral("Open a project first: the calibration reads its files."),
                kTitle);
        return false;
    }
    return true;
}

bool FrmCalibrate::cmdRun_Click() {
    if (!readyToStart())
        return false;
    auto work = newWork();
    if (!work)
        return false;
    if (chkPbias->isChecked()) {
        double limit = 0;
        if (!rivulon::parseDouble(ss(txtPbias->text().trimmed()), limit) || !std::isfinite(limit) ||
            limit < 0) {
            warnBox(this, QStringLiteral("The |PBIAS| limit takes a percentage of 0 or more."),
                    kTitle);
            return false;
        }
        work->objective.pbiasMax = limit;
    }
    work->search.runs = spnRuns->value();
    work->search.seed = static_cast<std::uint64_t>(spnSeed->value());
    work->search.jobs = spnJobs->value();
    return begin(work);
}

bool FrmCalibrate::cmdSensitivity_Click() {
    if (!readyToStart())
        return false;
    auto work = newWork();
    if (!work)
        return false;
    work->sensitivity = true;
    work->morris.trajectories = spnTrajectories->value();
    work->morris.seed = static_cast<std::uint64_t>(spnSeed->value());
    work->morris.jobs = spnJobs->value();
    return begin(work);
}

bool FrmCalibrate::begin(std::shared_ptr<Work> work) {
    work->projectPath = host_.session().settings.projectPath;
    work->observedPath = ss(txtObserved->text().trimmed());
    rivulon::ui::Job* job =
        host_.jobs().start(rivulon::ui::JobUse::OwnCopy, [work](rivulon::ui::Job::Context& c) {
            rivulon::RunEventRecorder& recorder = c.recorder;
            work->inputs = std::make_shared<CalibrationInputs>(
                loadCalibrationProject(work->projectPath, work->observedPath, 0, 1));
            const FlowTarget& target = work->inputs->target;
            const Evaluator evaluate = flowEvaluator(target, work->params, work->objective);
            if (work->uncertainty) {
                recorder.note(0, work->band.runs, "Uncertainty");
                work->bands = analyseUncertainty(
                    target, work->params, work->objective, work->band,
                    [&](const SearchProgress& p) {
                        recorder.note(p.runsDone, p.runsTotal, "Uncertainty");
                    },
                    &c.stop);
                if (work->bands.cancelled)
                    throw rivulon::RunCancelled();
                return;
            }
            if (work->sensitivity) {
                const int total =
                    work->morris.trajectories * (static_cast<int>(work->params.size()) + 1);
                recorder.note(0, total, "Sensitivity screen");
                work->screen = screenMorris(
                    work->params, evaluate, work->morris,
                    [&](const SearchProgress& p) {
                        recorder.note(p.runsDone, p.runsTotal, "Sensitivity screen");
                    },
                    &c.stop);
                if (work->screen.cancelled)
                    throw rivulon::RunCancelled();
                return;
            }
            for (const Parameter& p : work->params)
                work->start.push_back(currentValue(p, target.base.watershed));
            work->startFit = evaluateFlow(target, work->params, work->start, work->objective);
            recorder.note(0, work->search.runs, "Calibration");
            work->outcome = searchDds(
                work->params, work->start, evaluate, work->search,
                [&](const SearchProgress& p) {
                    if (p.best && std::isfinite(p.best->evaluation.objective)) {
                        const std::lock_guard<std::mutex> lock(work->mutex);
                        work->points.emplace_back(p.runsDone, p.best->evaluation.objective);
                    }
                    recorder.note(p.runsDone, p.runsTotal, "Calibration");
                },
                &c.stop);
            if (work->outcome.cancelled)
                throw rivulon::RunCancelled();
        });
    if (!job) {
        warnBox(this, QStringLiteral("Wait until the run in progress has ended."), kTitle);
        return false;
    }
    job_ = job;
    connect(job, &rivulon::ui::Job::progress, this, &FrmCalibrate::workProgress);
    connect(job, &rivulon::ui::Job::finished, this, &FrmCalibrate::workEnded);
    work_ = work;
    if (!work->sensitivity && !work->uncertainty) {
        serTrace->clear();
        traceX_->setRange(0, work->search.runs);
        traceLow_ = 0;
        traceHigh_ = 1;
        traceY_->setRange(0, 1);
        traceY_->setTitleText(QStringLiteral("Best ") +
                              qs(objectiveLabel(work->objective.objective)));
        serTrace->setName(traceY_->titleText());
    }
    prgRuns->setRange(0, work->sensitivity ? work->morris.trajectories *
                                                 (static_cast<int>(work->params.size()) + 1)
                         : work->uncertainty ? work->band.runs
                                             : work->search.runs);
    prgRuns->setValue(0);
    prgRuns->setFormat(QStringLiteral("%v of %m runs"));
    lblStatus->setText(work->sensitivity   ? QStringLiteral("Screening the parameters...")
                       : work->uncertainty ? QStringLiteral("Sampling the parameters...")
                                           : QStringLiteral("Calibrating..."));
    followRunning(true);
    return true;
}

void FrmCalibrate::takeTracePoints() {
    if (!work_ || work_->sensitivity || work_->uncertainty)
        return;
    std::vector<QPointF> points;
    {
        const std::lock_guard<std::mutex> lock(work_->mutex);
        points.swap(work_->points);
    }
    if (points.empty())
        return;
    QList<QPointF> list(points.begin(), points.end());
    serTrace->append(list);
    // A first set far off would squash the curve that matters: the axis
    // reaches down to -1 at most.
    // Under a |PBIAS| limit the best objective may fall when the first set
    // within the limit is found, so the range is the points' own.
    const bool first = serTrace->count() == static_cast<int>(points.size());
    double low = first ? 1 : traceLow_, high = first ? -1 : traceHigh_;
    for (const QPointF& p : points) {
        low = std::min(low, std::max(p.y(), -1.0));
        high = std::max(high, p.y());
    }
    low = std::min(low, high);  // every point below -1
    traceLow_ = low;
    traceHigh_ = high;
    const double span = std::max(high - low, 0.01);
    traceY_->setRange(std::floor((low - 0.05 * span) * 100) / 100,
                      std::ceil((high + 0.05 * span) * 100) / 100);
}

void FrmCalibrate::workProgress(const std::vector<rivulon::RunEvent>& events) {
    for (const rivulon::RunEvent& e : events) {
        if (e.kind != rivulon::RunEvent::Kind::Note)
            continue;
        prgRuns->setMaximum(std::max(1, e.total));
        prgRuns->setValue(e.done);
    }
    takeTracePoints();
    if (work_ && !work_->sensitivity && !work_->uncertainty && serTrace->count() > 0) {
        const QPointF last = serTrace->at(serTrace->count() - 1);
        lblStatus->setText(QStringLiteral("Run ") + QString::number(prgRuns->value()) +
                           QStringLiteral(" of ") + QString::number(prgRuns->maximum()) +
                           QStringLiteral(", best ") +
                           qs(objectiveLabel(work_->objective.objective)) + QStringLiteral(" ") +
                           fixed(last.y(), "0.0000"));
    }
}

void FrmCalibrate::workEnded(const rivulon::ui::JobEnd& end) {
    takeTracePoints();
    job_ = nullptr;
    std::shared_ptr<Work> work = std::move(work_);
    work_.reset();
    followRunning(false);
    if (!work)
        return;
    last_ = work;
    if (!work->sensitivity && !work->uncertainty) {
        lastSearch_ = work;
        followRunning(false);
    }
    if (!end.ok && !end.cancelled) {
        lblStatus->setText(QStringLiteral("Stopped by an error."));
        cmdSave->setEnabled(result_ && result_->bestFit.feasible);
        errorBox(this, end.error, kTitle);
        return;
    }
    if (work->uncertainty) {
        showUncertainty();
        cmdSave->setEnabled(result_ && result_->bestFit.feasible);
        if (end.cancelled)
            lblStatus->setText(QStringLiteral("Uncertainty cancelled after ") +
                               QString::number(work->bands.sets.size()) + QStringLiteral(" runs."));
        return;
    }
    if (work->sensitivity) {
        showSensitivity();
        // A calibration shown before the screen may still be saved.
        cmdSave->setEnabled(result_ && result_->bestFit.feasible);
        if (end.cancelled)
            lblStatus->setText(QStringLiteral("Sensitivity screen cancelled after ") +
                               QString::number(work->screen.evaluations.size()) +
                               QStringLiteral(" runs."));
        return;
    }
    showCalibration();
    if (end.cancelled) {
        lblStatus->setText(QStringLiteral("Cancelled after ") +
                           QString::number(work->outcome.evaluations.size()) +
                           (result_ ? QStringLiteral(" runs; the best set so far is shown.")
                                    : QStringLiteral(" runs.")));
    }
}

void FrmCalibrate::followRunning(bool running) {
    cmdRun->setEnabled(!running);
    cmdSensitivity->setEnabled(!running);
    cmdUncertainty->setEnabled(!running);
    cmdCancel->setEnabled(running);
    cmdBrowse->setEnabled(!running);
    if (running)
        cmdSave->setEnabled(false);
    cmdSaveTrace->setEnabled(!running && lastSearch_ && !lastSearch_->outcome.evaluations.empty());
}

rivulon::TextGrid FrmCalibrate::lineData(QChartView* view, const QString& xTitle) {
    std::vector<QLineSeries*> lines;
    for (QAbstractSeries* s : view->chart()->series()) {
        auto* line = qobject_cast<QLineSeries*>(s);
        // Dots drawn over a line are that line's points again.
        if (line && line->type() == QAbstractSeries::SeriesTypeLine)
            lines.push_back(line);
    }
    int points = 0;
    for (QLineSeries* line : lines)
        points = std::max(points, static_cast<int>(line->count()));
    rivulon::TextGrid grid(points + 1, static_cast<int>(lines.size()) + 1);
    grid.set(0, 0, ss(xTitle));
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const int col = static_cast<int>(i) + 1;
        grid.set(0, col,
                 ss(lines[i]->name().isEmpty() ? view->chart()->title() : lines[i]->name()));
        for (int j = 0; j < lines[i]->count(); ++j) {
            const QPointF p = lines[i]->at(j);
            if (grid.at(j + 1, 0).empty())
                grid.set(j + 1, 0, exactNumber(p.x()));
            grid.set(j + 1, col, exactNumber(p.y()));
        }
    }
    return grid;
}

bool FrmCalibrate::cmdSaveTrace_Click() {
    if (!lastSearch_ || lastSearch_->outcome.evaluations.empty())
        return false;
    const Work& w = *lastSearch_;
    const QString folder = host_.session().settings.outputFolder.empty()
                               ? rivulon::ui::applicationFolder() + QStringLiteral("/Output")
                               : qs(host_.session().settings.outputFolder);
    const QString path =
        rivulon::ui::dialogs().saveFile(this, QStringLiteral("Save calibration trace"), folder,
                                        QStringLiteral("calibration.csv"), QStringLiteral("csv"));
    if (path.isEmpty())
        return false;
    try {
        if (w.inputs)
            refuseInputPath(ss(path), *w.inputs, false);
        rivulon::writeFileAtomically(
            ss(path), evaluationsCsv(w.params, w.outcome.evaluations, w.objective.objective,
                                     &w.outcome.trace));
    } catch (const std::exception& e) {
        errorBox(this, qs(e.what()), kTitle);
        return false;
    }
    rivulon::ui::showSaved(this, path);
    lblStatus->setText(QStringLiteral("Wrote the trace of ") +
                       QString::number(w.outcome.evaluations.size()) + QStringLiteral(" runs to ") +
                       path + QStringLiteral("."));
    return true;
}

void FrmCalibrate::cmdCancel_Click() {
    if (job_)
        job_->stop();
}

void FrmCalibrate::cmdBrowse_Click() {
    const QString folder = qs(host_.session().settings.inputFolder);
    const QString path = rivulon::ui::dialogs().openFile(
        this, QStringLiteral("Observed-flow file"), folder,
        QStringLiteral("Observed flow (*.dat *.txt);;All files (*)"));
    if (!path.isEmpty())
        txtObserved->setText(path);
}

bool FrmCalibrate::cmdSave_Click() {
    if (!result_ || !result_->bestFit.feasible)
        return false;
    const CalibrationInputs& in = *result_->inputs;
    const QFileInfo transport(qs(in.settings.transportPath));
    const QString suggested =
        transport.completeBaseName() + QStringLiteral("_calibrated.") +
        (transport.suffix().isEmpty() ? QStringLiteral("dat") : transport.suffix());
    const QString path =
        rivulon::ui::dialogs().saveFile(this, QStringLiteral("Save calibrated transport file"),
                                        transport.absolutePath(), suggested, QStringLiteral("dat"));
    if (path.isEmpty())
        return false;
    const std::string out = ss(path);
    bool replace = false;
    if (rivulon::sameFile(out, in.settings.transportPath)) {
        replace = rivulon::ui::dialogs().askYesNo(
            this,
            QStringLiteral("This is the project's own transport file. Replace its values with "
                           "the calibrated ones?"),
            kTitle);
        if (!replace)
            return false;
    }
    try {
        refuseInputPath(out, in, replace);
        writeCalibratedTransport(out, in.settings.transportPath, replace, in.target.base.watershed,
                                 result_->params, result_->best);
    } catch (const std::exception& e) {
        errorBox(this, qs(e.what()), kTitle);
        return false;
    }
    lblStatus->setText(QStringLiteral("Wrote ") + path + QStringLiteral("."));
    rivulon::ui::showSaved(this, path);
    if (replace)
        host_.session().announceFiles();
    return true;
}

namespace {

const rivulon::ui::WindowCommand kFrmCalibrateCommands[] = {
    {.id = "MnuCalibrate",
     .caption = "Cali&brate Hydrology...",
     .menu = "MnuTools",
     .after = "MnuSDR"},
};

}  // namespace

const rivulon::ui::WindowRegistration FrmCalibrate::registration{
    kKind, &rivulon::ui::makeWindow<FrmCalibrate>, true, 300, kFrmCalibrateCommands};
