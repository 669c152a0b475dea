#include "project/ui/FrmStart.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QTextEdit>
#include <QVBoxLayout>
#include <algorithm>

#include "common/list_reader.h"
#include "common/paths.h"
#include "engine/ui/run_view.h"
#include "project/climate_delta.h"
#include "project/project_file.h"
#include "project/run_command.h"
#include "project/startup.h"
#include "project/transport_file.h"
#include "project/ui/frmFileList.h"
#include "project/ui/settings_listing.h"
#include "shell/UpDown.h"
#include "shell/dialogs.h"
#include "shell/jobs.h"
#include "shell/qt_text.h"
#include "shell/session.h"

using rivulon::ui::dialogs;
using rivulon::ui::errorBox;
using rivulon::ui::msgBox;
using rivulon::ui::qs;
using rivulon::ui::ss;
using rivulon::ui::StartupChoice;
using rivulon::ui::warnBox;
using rivulon::ui::WindowKind;

namespace {

const char* const kOptSimCaptions[4] = {
    "Simulate Streamflow Only.", "Simulate Streamflow, Sediment Only.",
    "Simulate Streamflow, Sediment, and Nutrients Only.",
    "Simulate Streamflow, Sediment, Nutrients, and Septic System."};

// The listing's values start at column 30; a longer label pushes its value
// onto the next line, at the same column.
constexpr int kValueColumn = 30;

QString infoLine(const QString& label, const QString& value) {
    QString line = label.toHtmlEscaped();
    if (label.size() > kValueColumn - 1) {
        line += QStringLiteral("<br>") + QString(kValueColumn - 1, ' ');
    } else {
        line += QString(kValueColumn - 1 - label.size(), ' ');
    }
    return line + QStringLiteral("<b>") + value.toHtmlEscaped() + QStringLiteral("</b>");
}

}  // namespace

FrmStart::FrmStart(rivulon::ui::WindowHost& host) : host_(host) {
    setObjectName("FrmStart");
    setWindowTitle(QStringLiteral("Hydload Simulation"));
    txtWName = new QLineEdit(QStringLiteral("My River Basin"), this);
    txtWName->setObjectName("txtWName");
    txtYear = new QLineEdit(QStringLiteral("1"), this);
    txtYear->setObjectName("txtYear");
    txtYear->setFixedWidth(60);
    UpdnYear = new UpDown(this);
    UpdnYear->setObjectName("UpdnYear");
    UpdnYear->setRange(1, 1);
    UpdnYear->setValue(1);
    connect(UpdnYear, &QSpinBox::valueChanged, this,
            [this](int value) { txtYear->setText(QString::number(value)); });
    connect(txtYear, &QLineEdit::textChanged, this, &FrmStart::txtYear_Change);
    txtStartMY = new QLineEdit(QStringLiteral("N/A"), this);
    txtStartMY->setObjectName("txtStartMY");
    txtStartMY->setReadOnly(true);
    TxtEndMY = new QLineEdit(QStringLiteral("N/A"), this);
    TxtEndMY->setObjectName("TxtEndMY");
    TxtEndMY->setReadOnly(true);

    auto* options = new QGroupBox(QStringLiteral("Simulation Options"), this);
    auto* optionsLayout = new QVBoxLayout(options);
    for (int i = 0; i < 4; ++i) {
        OptSim[i] = new QRadioButton(QString::fromLatin1(kOptSimCaptions[i]), options);
        OptSim[i]->setObjectName(QStringLiteral("OptSim_%1").arg(i));
        optionsLayout->addWidget(OptSim[i]);
    }
    // The program starts with everything simulated.
    OptSim[3]->setChecked(true);
    ChkDaily = new QCheckBox(QStringLiteral("Write daily values"), this);
    ChkDaily->setObjectName("ChkDaily");
    ChkDaily->setToolTip(
        QStringLiteral("Saving the results also writes one line per simulated day into "
                       "<results name>_daily.csv beside them"));

    auto makeButton = [this](const char* caption, const char* name) {
        auto* b = new QPushButton(QString::fromLatin1(caption), this);
        b->setObjectName(QString::fromLatin1(name));
        return b;
    };
    cmdShowSimInfo = makeButton("Show Sim. &Info.", "cmdShowSimInfo");
    cmdRunSimulation = makeButton("&Run Simulation", "cmdRunSimulation");
    cmdCreateResults = makeButton("&Save Simulation Results", "cmdCreateResults");
    cmdClose = makeButton("&Close", "cmdClose");
    cmdCancelRun = makeButton("Cance&l Run", "cmdCancelRun");
    cmdCancelRun->hide();
    connect(cmdShowSimInfo, &QPushButton::clicked, this, &FrmStart::cmdShowSimInfo_Click);
    connect(cmdRunSimulation, &QPushButton::clicked, this, &FrmStart::cmdRunSimulation_Click);
    connect(cmdCreateResults, &QPushButton::clicked, this, &FrmStart::cmdCreateResults_Click);
    connect(cmdClose, &QPushButton::clicked, this, &FrmStart::cmdClose_Click);
    connect(cmdCancelRun, &QPushButton::clicked, this, [this] {
        if (job_) {
            job_->stop();
        }
    });
    connect(&host_.session(), &Session::runningChanged, this, &FrmStart::followRunning);

    auto* fields = new QGridLayout;
    fields->addWidget(new QLabel(QStringLiteral("Watershed Name:"), this), 0, 0);
    fields->addWidget(txtWName, 0, 1, 1, 3);
    fields->addWidget(new QLabel(QStringLiteral("How many years will you simulate?"), this), 1, 0);
    auto* years = new QHBoxLayout;
    years->setSpacing(0);
    years->addWidget(txtYear);
    years->addWidget(UpdnYear);
    years->addStretch();
    fields->addLayout(years, 1, 1);
    fields->addWidget(new QLabel(QStringLiteral("Start:"), this), 2, 0, Qt::AlignRight);
    fields->addWidget(txtStartMY, 2, 1);
    fields->addWidget(new QLabel(QStringLiteral("End:"), this), 2, 2, Qt::AlignRight);
    fields->addWidget(TxtEndMY, 2, 3);
    auto* buttons = new QHBoxLayout;
    for (QPushButton* b :
         {cmdShowSimInfo, cmdRunSimulation, cmdCancelRun, cmdCreateResults, cmdClose}) {
        buttons->addWidget(b);
    }
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addWidget(options);
    layout->addWidget(ChkDaily);
    layout->addLayout(buttons);
    layout->addStretch();
}

// What the run reports besides its results; the worker fills it.
struct FrmStart::RunReport {
    rivulon::RunOutcome outcome;
    std::shared_ptr<rivulon::DailyRecorder> daily;  // when daily values are written
};

StartupChoice FrmStart::Form_Load(const QString& projectFile) {
    Session& session = host_.session();
    rivulon::ProjectSettings& s = session.settings;
    rivulon::RunOptions& o = session.state.options;
    frmFileList::Choice choice = frmFileList::Choice::None;
    if (!projectFile.isEmpty()) {
        const std::string path = ss(QFileInfo(projectFile).absoluteFilePath());
        const std::string problem = rivulon::checkProjectFile(path);
        if (problem.empty()) {
            s.projectPath = path;
            s.inputFolder = rivulon::dirOfPath(path);
            s.projectChosen = true;
            choice = frmFileList::Choice::Project;
        } else {
            warnBox(this, qs(problem));
        }
    }
    if (choice == frmFileList::Choice::None) {
        frmFileList list(session, host_.frame(), frmFileList::Mode::Project);
        list.exec();
        choice = list.choice();
    }
    if (choice == frmFileList::Choice::End) {
        return StartupChoice::End;
    }
    if (choice == frmFileList::Choice::CreateNew) {
        return StartupChoice::CreateNew;
    }
    const bool projectChosen = s.projectChosen;
    o.popRate = 0;
    s.popRate = 0;
    o.septicNReduction = 0;
    o.graphScale = rivulon::kDefaultGraphScales;
    s.graphScale = o.graphScale;
    o.popGrowthExponential = false;
    o.nutrientMatrixInUse = false;
    s.filesChosen = true;
    session.announceOptions();

    const QDir root(session.applicationFolder);
    QDir().mkpath(root.absoluteFilePath(QStringLiteral("Output")));
    QDir().mkpath(root.absoluteFilePath(QStringLiteral("Input")));
    s.outputFolder = ss(root.absoluteFilePath(QStringLiteral("Output"))) + "/";

    if (!projectChosen) {
        frmFileList list(session, host_.frame(), frmFileList::Mode::Files);
        const bool accepted = list.exec() == QDialog::Accepted;
        if (list.choice() == frmFileList::Choice::End) {
            return StartupChoice::End;
        }
        if (list.choice() == frmFileList::Choice::CreateNew) {
            return StartupChoice::CreateNew;
        }
        if (!accepted) {
            return StartupChoice::NoFiles;
        }
    }
    Startup();
    const bool ready = rivulon::pathPresent(s.transportPath) &&
                       rivulon::pathPresent(s.nutrientPath) && rivulon::pathPresent(s.weatherPath);
    return ready ? StartupChoice::Ready : StartupChoice::NoFiles;
}

void FrmStart::Startup() {
    Session& session = host_.session();
    rivulon::StartupReport report;
    try {
        report = rivulon::startup(session.settings, session.state);
    } catch (const std::exception& e) {
        errorBox(this, qs(rivulon::kTransportFileMessage) + QStringLiteral("\n") + qs(e.what()));
        return;
    }
    showStartupReport(report.messages, report.projectRead, report.weatherScanned,
                      report.closeStartWindow);
    showWarnings(report.warnings);
}

void FrmStart::showWarnings(const std::vector<std::string>& warnings) {
    QString text;
    for (const std::string& w : warnings) {
        if (std::find(warned_.begin(), warned_.end(), w) != warned_.end())
            continue;
        warned_.push_back(w);
        text += (text.isEmpty() ? QString() : QStringLiteral("\n")) + qs("Warning: " + w);
    }
    if (!text.isEmpty())
        warnBox(this, text);
}

void FrmStart::showStartupReport(const std::vector<std::string>& messages, bool projectRead,
                                 bool weatherScanned, bool closeStart) {
    const rivulon::ProjectSettings& s = host_.session().settings;
    for (const std::string& message : messages) {
        warnBox(this, qs(message));
    }
    if (projectRead) {
        txtWName->setText(qs(s.basinName));
    }
    if (projectRead || weatherScanned) {
        host_.session().inputsLoaded = true;
        host_.session().announceFiles();
    }
    if (weatherScanned) {
        const int years = rivulon::yearsForSpinner(
            {s.datedWeather, s.weatherStart, s.weatherLineCount, s.weatherYears});
        UpdnYear->setMaximum(years);
        UpdnYear->setValue(years);
        txtYear->setText(QString::number(years));
        txtStartMY->setText(qs(s.startText));
        TxtEndMY->setText(qs(s.endText));
    }
    if (closeStart && isVisible()) {
        close();
    }
}

void FrmStart::txtYear_Change() {
    // The arrows go on from a typed count.
    if (const auto years = rivulon::yearsFromBox(ss(txtYear->text()), UpdnYear->maximum())) {
        const QSignalBlocker block(UpdnYear);
        UpdnYear->setValue(*years);
    }
    if (txtStartMY->text() == QLatin1String("N/A")) {
        return;
    }
    TxtEndMY->setText(qs(rivulon::endDateWhileTyping(host_.session().settings.weatherStart,
                                                     ss(txtYear->text()), UpdnYear->maximum())));
}

int FrmStart::simLevel() const {
    for (int i = 0; i < 4; ++i) {
        if (OptSim[i]->isChecked()) {
            return i + 1;
        }
    }
    const int previous = host_.session().state.options.simLevel;
    return previous >= 1 && previous <= 4 ? previous : 4;
}

QString FrmStart::chosenWatershedName() const {
    return txtWName->text();
}

QString FrmStart::chosenPeriod() const {
    QString period = txtStartMY->text() + QStringLiteral(" to ") + TxtEndMY->text();
    const rivulon::ClimateDelta& climate = host_.session().settings.climate;
    if (!climate.isIdentity())
        period +=
            QStringLiteral("; climate changed: ") + qs(rivulon::describeClimateDelta(climate));
    return period;
}

void FrmStart::setWatershedName(const QString& name) {
    txtWName->setText(name);
}

bool FrmStart::yearCountFromBox(std::int16_t& years) {
    const auto value = rivulon::yearsFromBox(ss(txtYear->text()), UpdnYear->maximum());
    if (!value) {
        warnBox(this, qs(rivulon::yearsBoxMessage(UpdnYear->maximum())));
        return false;
    }
    years = static_cast<std::int16_t>(*value);
    return true;
}

void FrmStart::cmdShowSimInfo_Click() {
    Session& session = host_.session();
    auto* listing = rivulon::ui::openService<rivulon::ui::SettingsListing>(host_);
    if (!listing) {
        return;
    }
    QString html = QStringLiteral("<pre>");
    for (const auto& [label, value] : rivulon::simulationInfo(session.settings, session.state)) {
        html += infoLine(qs(label), qs(value)) + QStringLiteral("\n");
    }
    html += QStringLiteral("</pre>");
    listing->showListing(qs(rivulon::kSimulationInfoTitle), html);
}

void FrmStart::cmdRunSimulation_Click() {
    rivulon::RunOptions& o = host_.session().state.options;
    if (rivulon::graphScalesNeedDefaults(o.graphScale)) {
        o.graphScale = rivulon::kDefaultGraphScales;
    }
    RunSimulation(o.graphScale);
}

void FrmStart::redraw(const std::array<std::int16_t, 5>& scales) {
    RunSimulation(scales);
}

bool FrmStart::RunSimulation(const std::array<std::int16_t, 5>& scales) {
    std::int16_t years = 0;
    if (host_.jobs().busy() || !yearCountFromBox(years)) {
        return false;
    }
    const rivulon::RunRequest request{years, static_cast<std::int16_t>(simLevel())};
    auto report = std::make_shared<RunReport>();
    if (ChkDaily->isChecked())
        report->daily = std::make_shared<rivulon::DailyRecorder>();
    // The graph window is up before the run starts, so that it draws from the first day.
    QWidget* graph = host_.openWindow(rivulon::ui::RunView::kProvider);
    if (graph) {
        host_.showChild(graph);
    }
    // The run works on the job's copies of the settings and the model state;
    // the options may change meanwhile (they count from the next run).
    rivulon::ui::Job* job = host_.jobs().start(
        rivulon::ui::JobUse::Session, [report, request](rivulon::ui::Job::Context& c) {
            c.result.leaves = true;
            rivulon::RunObserverList observers{&c.recorder, report->daily.get()};
            report->outcome =
                rivulon::runProject(c.result.settings, c.result.state, request, &observers);
            c.result.ran = report->outcome.ran;
        });
    if (!job) {
        return false;
    }
    job_ = job;
    cmdCancelRun->show();
    host_.session().setResults(false);
    if (graph) {
        if (auto* view = dynamic_cast<rivulon::ui::RunView*>(graph)) {
            view->beginRun(*job, request.simLevel, scales, chosenPeriod());
        }
    }
    connect(job, &rivulon::ui::Job::finished, this,
            [this, report](const rivulon::ui::JobEnd& end) { runEnded(end, *report); });
    return true;
}

void FrmStart::runEnded(const rivulon::ui::JobEnd& end, const RunReport& report) {
    job_ = nullptr;
    if (!end.cancelled) {
        const rivulon::StartupReport& reload = report.outcome.reload;
        showStartupReport(reload.messages, reload.projectRead, reload.weatherScanned, false);
        showWarnings(reload.warnings);
    }
    if (end.cancelled) {
        msgBox(this, QStringLiteral("The run was cancelled; there are no results to save."));
    } else if (!end.ok) {
        errorBox(this, end.error);
    }
    daily_ = end.ok && report.outcome.ran ? report.daily : nullptr;
}

void FrmStart::followRunning(bool running) {
    // The inputs were taken when Run was pressed; another run or a save
    // waits for this one.
    cmdRunSimulation->setEnabled(!running);
    cmdCreateResults->setEnabled(!running);
    // Cancel stops this window's run only, not another window's job.
    cmdCancelRun->setVisible(running && job_);
}

bool FrmStart::hasResults() const {
    return host_.session().hasResults();
}

bool FrmStart::running() const {
    return job_ != nullptr;
}

QString FrmStart::SaveResults(const QString& fileName) {
    saved_.clear();
    Session& session = host_.session();
    QString path = fileName;
    if (path.isEmpty()) {
        path = dialogs().saveFile(this, QStringLiteral("Save simulation results"),
                                  session.outputFolder(), QStringLiteral("Results.dat"),
                                  QStringLiteral("dat"));
    }
    if (path.isEmpty()) {
        return {};
    }
    session.state.watershedName = ss(txtWName->text());
    try {
        rivulon::saveResults(ss(path), session.state, rivulon::runInputPaths(session.settings));
    } catch (const std::exception& e) {
        // A cancelled dialog stays silent, but a failed write must not look
        // like a saved file.
        errorBox(this, QStringLiteral("Results were not saved: ") + qs(e.what()),
                 QStringLiteral("Save simulation results"));
        return {};
    }
    saved_.append(path);
    if (ChkDaily->isChecked())
        saveDailyBeside(path);
    return path;
}

void FrmStart::saveDailyBeside(const QString& resultsPath) {
    const QString title = QStringLiteral("Save simulation results");
    if (!daily_) {
        warnBox(this,
                QStringLiteral("The daily values of this run were not recorded: check "
                               "\"Write daily values\" before Run Simulation."),
                title);
        return;
    }
    Session& session = host_.session();
    const std::string path = rivulon::dailyPathBeside(ss(resultsPath));
    try {
        rivulon::saveDaily(path, rivulon::dailyFileTextFor(daily_->record(), session.settings),
                           rivulon::runInputPaths(session.settings));
    } catch (const std::exception& e) {
        errorBox(this, QStringLiteral("Daily values were not saved: ") + qs(e.what()), title);
        return;
    }
    saved_.append(qs(path));
}

QString FrmStart::SaveSummary(const QString& fileName) {
    Session& session = host_.session();
    QString path = fileName;
    if (path.isEmpty()) {
        path = dialogs().saveFile(this, QStringLiteral("Save simulation summary"),
                                  session.outputFolder(), QStringLiteral("Summary.dat"),
                                  QStringLiteral("dat"));
    }
    if (path.isEmpty()) {
        return {};
    }
    try {
        rivulon::saveSummary(ss(path), session.state, rivulon::runInputPaths(session.settings));
    } catch (const std::exception& e) {
        errorBox(this, QStringLiteral("Summary was not saved: ") + qs(e.what()),
                 QStringLiteral("Save simulation summary"));
        return {};
    }
    saved_.append(path);
    return path;
}

void FrmStart::cmdCreateResults_Click() {
    const bool results = !SaveResults(QString()).isEmpty();
    const bool summary = !SaveSummary(QString()).isEmpty();
    if (results && summary)
        host_.session().setResultsSaved();
    rivulon::ui::showSaved(this, saved_);
}

void FrmStart::cmdClose_Click() {
    close();
}

void FrmStart::closeEvent(QCloseEvent* event) {
    // The run belongs to this window: stop it before closing.
    if (job_) {
        job_->stop();
        job_->waitForEnd();
    }
    if (QWidget* graph = host_.findWindow(rivulon::ui::RunView::kProvider)) {
        graph->close();
    }
    host_.session().inputsLoaded = false;
    host_.session().announceFiles();
    event->accept();
}

bool FrmStart::resultsToSave(rivulon::ui::WindowHost& host) {
    const Session& session = host.session();
    return host.findWindow(kKind) && session.hasResults() && !session.running();
}

void FrmStart::saveCurrentResults(rivulon::ui::WindowHost& host) {
    if (auto* start = rivulon::ui::findService<rivulon::ui::RunCommands>(host);
        start && resultsToSave(host)) {
        start->saveResults();
    }
}

namespace {

const rivulon::ui::WindowCommand kFrmStartCommands[] = {
    {.id = "MnuSaveResults",
     .caption = "Sa&ve Current Results",
     .menu = "MnuFile",
     .after = "MnuSeparator0",
     .run = &FrmStart::saveCurrentResults,
     .enabledWhen = &FrmStart::resultsToSave},
};

}  // namespace

const rivulon::ui::WindowRegistration FrmStart::registration{
    kKind, &rivulon::ui::makeWindow<FrmStart>, true, 4, kFrmStartCommands};
