#include "project/ui/FrmStart.h"

#include <QCloseEvent>
#include <QDir>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QRadioButton>
#include <QTextEdit>
#include <QVBoxLayout>

#include "common/list_reader.h"
#include "common/paths.h"
#include "engine/ui/FrmGraph.h"
#include "engine/ui/RunGraphs.h"
#include "project/run_command.h"
#include "project/startup.h"
#include "project/transport_file.h"
#include "project/ui/frmFileList.h"
#include "shell/MDIFrmMain.h"
#include "shell/UpDown.h"
#include "shell/dialogs.h"
#include "shell/qt_text.h"

using rivulon::ui::dialogs;
using rivulon::ui::msgBox;
using rivulon::ui::qs;
using rivulon::ui::ss;

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

FrmStart::FrmStart(MDIFrmMain* main) : main_(main) {
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

    auto makeButton = [this](const char* caption, const char* name) {
        auto* b = new QPushButton(QString::fromLatin1(caption), this);
        b->setObjectName(QString::fromLatin1(name));
        return b;
    };
    cmdShowSimInfo = makeButton("Show Sim. &Info.", "cmdShowSimInfo");
    cmdRunSimulation = makeButton("&Run Simulation", "cmdRunSimulation");
    cmdCreateResults = makeButton("&Save Simulation Results", "cmdCreateResults");
    cmdClose = makeButton("&Close", "cmdClose");
    connect(cmdShowSimInfo, &QPushButton::clicked, this, &FrmStart::cmdShowSimInfo_Click);
    connect(cmdRunSimulation, &QPushButton::clicked, this, &FrmStart::cmdRunSimulation_Click);
    connect(cmdCreateResults, &QPushButton::clicked, this, &FrmStart::cmdCreateResults_Click);
    connect(cmdClose, &QPushButton::clicked, this, &FrmStart::cmdClose_Click);

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
    for (QPushButton* b : {cmdShowSimInfo, cmdRunSimulation, cmdCreateResults, cmdClose}) {
        buttons->addWidget(b);
    }
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addWidget(options);
    layout->addLayout(buttons);
    layout->addStretch();
}

bool FrmStart::Form_Load() {
    Session& session = main_->session();
    rivulon::ProjectSettings& s = session.settings;
    rivulon::RunOptions& o = session.state.options;
    {
        frmFileList list(main_, frmFileList::Mode::Project);
        list.exec();
    }
    if (main_->endRequested || main_->createNewRequested) {
        return false;
    }
    const bool projectChosen = s.projectChosen;
    o.popRate = 0;
    s.popRate = 0;
    o.septicNReduction = 0;
    o.graphScale = {0, 100, 50, 30, 50};
    s.graphScale = o.graphScale;
    o.popGrowthExponential = false;
    o.nutrientMatrixInUse = false;
    s.filesChosen = true;
    main_->refreshOptionMarks();

    const QDir root(session.applicationFolder);
    QDir().mkpath(root.absoluteFilePath(QStringLiteral("Output")));
    QDir().mkpath(root.absoluteFilePath(QStringLiteral("Input")));
    s.outputFolder = ss(root.absoluteFilePath(QStringLiteral("Output"))) + "/";

    if (!projectChosen) {
        frmFileList list(main_, frmFileList::Mode::Files);
        if (list.exec() != QDialog::Accepted) {
            // Given up (or new input asked for, or the program ended).
            return false;
        }
    }
    Startup();
    return rivulon::pathPresent(s.transportPath) && rivulon::pathPresent(s.nutrientPath) &&
           rivulon::pathPresent(s.weatherPath);
}

void FrmStart::Startup() {
    Session& session = main_->session();
    rivulon::StartupReport report;
    try {
        report = rivulon::startup(session.settings, session.state);
    } catch (const std::exception& e) {
        msgBox(this, qs(rivulon::kTransportFileMessage) + QStringLiteral("\n") + qs(e.what()));
        return;
    }
    showStartupReport(report.messages, report.projectRead, report.weatherScanned,
                      report.closeStartWindow);
}

void FrmStart::showStartupReport(const std::vector<std::string>& messages, bool projectRead,
                                 bool weatherScanned, bool closeStart) {
    const rivulon::ProjectSettings& s = main_->session().settings;
    for (const std::string& message : messages) {
        msgBox(this, qs(message));
    }
    if (projectRead) {
        txtWName->setText(qs(s.basinName));
        QStringList counties;
        for (const std::string& name : s.countyNames) {
            counties.append(qs(name));
        }
        main_->setCountyMenu(counties);
        main_->EnableMenu();
    }
    if (weatherScanned) {
        const int years = rivulon::yearsForSpinner(
            {s.datedWeather, s.weatherStart, s.weatherLineCount, s.weatherYears});
        UpdnYear->setMaximum(years);
        UpdnYear->setValue(years);
        txtYear->setText(QString::number(years));
        txtStartMY->setText(qs(s.startText));
        TxtEndMY->setText(qs(s.endText));
        QAction* normal = main_->action(QStringLiteral("MnuNormalW"));
        normal->setEnabled(s.datedWeather);
        main_->refreshOptionMarks();
    }
    if (closeStart && main_->mainLoaded && isVisible()) {
        close();
    }
}

void FrmStart::txtYear_Change() {
    if (txtStartMY->text() == QLatin1String("N/A")) {
        return;
    }
    const double years = rivulon::leadingNumber(ss(txtYear->text()));
    TxtEndMY->setText(qs(
        rivulon::endDateForYears(main_->session().settings.weatherStart, static_cast<int>(years))));
}

int FrmStart::simLevel() const {
    for (int i = 0; i < 4; ++i) {
        if (OptSim[i]->isChecked()) {
            return i + 1;
        }
    }
    const int previous = main_->session().state.options.simLevel;
    return previous >= 1 && previous <= 4 ? previous : 4;
}

bool FrmStart::yearCountFromBox(std::int16_t& years) {
    float value = 0;
    if (!rivulon::parseReal(ss(txtYear->text()), value) || value < 1 || value > 32767 ||
        value != std::floor(value)) {
        msgBox(this, QStringLiteral("The number of years must be a whole number from 1 to %1!")
                         .arg(UpdnYear->maximum()));
        return false;
    }
    years = static_cast<std::int16_t>(value);
    return true;
}

void FrmStart::cmdShowSimInfo_Click() {
    Session& session = main_->session();
    const QString title = qs(rivulon::kSimulationInfoTitle);
    QTextEdit* listing = nullptr;
    for (QMdiSubWindow* sub : main_->mdiArea()->subWindowList()) {
        if (sub->widget() && sub->widget()->objectName() == QLatin1String("frmSimInfo")) {
            listing = qobject_cast<QTextEdit*>(sub->widget());
        }
    }
    if (!listing) {
        listing = new QTextEdit;
        listing->setObjectName("frmSimInfo");
        listing->setReadOnly(true);
        listing->setWindowTitle(title);
        listing->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
        main_->addChild(listing)->resize(760, 460);
    }
    QString html = QStringLiteral("<pre>");
    for (const auto& [label, value] : rivulon::simulationInfo(session.settings, session.state)) {
        html += infoLine(qs(label), qs(value)) + QStringLiteral("\n");
    }
    html += QStringLiteral("</pre>");
    listing->setHtml(html);
    main_->showChild(listing);
}

void FrmStart::cmdRunSimulation_Click() {
    rivulon::RunOptions& o = main_->session().state.options;
    if (rivulon::graphScalesNeedDefaults(o.graphScale)) {
        o.graphScale = {0, 100, 50, 30, 50};
    }
    RunSimulation(o.graphScale);
}

void FrmStart::redraw(const std::array<std::int16_t, 5>& scales) {
    RunSimulation(scales);
}

bool FrmStart::RunSimulation(const std::array<std::int16_t, 5>& scales) {
    if (running_) {
        return false;
    }
    std::int16_t years = 0;
    if (!yearCountFromBox(years)) {
        return false;
    }
    Session& session = main_->session();
    const int level = simLevel();
    FrmGraph* graph = main_->graphWindow(true);
    graph->prepareRun(level);
    main_->showChild(graph);
    graph->TabOut->setCurrentIndex(0);

    RunGraphs::Pictures pictures;
    pictures.water = graph->PicBox[0];
    pictures.nutrients = graph->PicBox[1];
    for (int i = 0; i < 4; ++i) {
        pictures.legends[i] = graph->PicLegend[i];
    }
    RunGraphs graphs(pictures, scales);
    hasResults_ = false;
    running_ = true;
    rivulon::RunOutcome outcome;
    QString failure;
    try {
        outcome = rivulon::runProject(session.settings, session.state,
                                      {years, static_cast<std::int16_t>(level)}, &graphs);
    } catch (const std::exception& e) {
        failure = qs(e.what());
    }
    running_ = false;
    graphs.finish();
    showStartupReport(outcome.reload.messages, outcome.reload.projectRead,
                      outcome.reload.weatherScanned, false);
    if (!failure.isEmpty()) {
        msgBox(this, failure);
        return false;
    }
    hasResults_ = outcome.ran;
    if (graph) {
        graph->keepDrawings();
    }
    return outcome.ran;
}

QString FrmStart::SaveResults(const QString& fileName) {
    Session& session = main_->session();
    QString path = fileName;
    if (path.isEmpty()) {
        path = dialogs().saveFile(this, QStringLiteral("Save simulation results"),
                                  qs(session.settings.outputFolder), QStringLiteral("Results.dat"),
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
        dialogs().message(this, QStringLiteral("Results were not saved: ") + qs(e.what()),
                          QStringLiteral("Save simulation results"));
        return {};
    }
    return path;
}

QString FrmStart::SaveSummary(const QString& fileName) {
    Session& session = main_->session();
    QString path = fileName;
    if (path.isEmpty()) {
        path = dialogs().saveFile(this, QStringLiteral("Save simulation summary"),
                                  qs(session.settings.outputFolder), QStringLiteral("Summary.dat"),
                                  QStringLiteral("dat"));
    }
    if (path.isEmpty()) {
        return {};
    }
    try {
        rivulon::saveSummary(ss(path), session.state, rivulon::runInputPaths(session.settings));
    } catch (const std::exception& e) {
        dialogs().message(this, QStringLiteral("Summary was not saved: ") + qs(e.what()),
                          QStringLiteral("Save simulation summary"));
        return {};
    }
    return path;
}

void FrmStart::cmdCreateResults_Click() {
    SaveResults(QString());
    SaveSummary(QString());
}

void FrmStart::cmdClose_Click() {
    close();
}

void FrmStart::closeEvent(QCloseEvent* event) {
    main_->disableDataMenus();
    main_->closeGraphWindow();
    event->accept();
}
