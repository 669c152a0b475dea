#include "scenarios/ui/FrmClimate.h"

#include <QCheckBox>
#include <QDir>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <stdexcept>
#include <thread>

#include "common/atomic_file.h"
#include "common/list_reader.h"
#include "common/paths.h"
#include "project/climate_delta.h"
#include "project/run_command.h"
#include "project/ui/simulation_choices.h"
#include "project/weather_model.h"
#include "scenarios/ensemble.h"
#include "shell/dialogs.h"
#include "shell/jobs.h"
#include "shell/qt_text.h"
#include "shell/session.h"

using rivulon::ui::errorBox;
using rivulon::ui::msgBox;
using rivulon::ui::qs;
using rivulon::ui::ss;
using rivulon::ui::warnBox;

namespace {

// A whole number low..high typed into a box, or nothing.
std::optional<long long> wholeNumber(const QString& text, long long low, long long high) {
    double v = 0;
    if (!rivulon::parseDouble(ss(text.trimmed()), v) ||
        v != static_cast<double>(static_cast<long long>(v)) || v < static_cast<double>(low) ||
        v > static_cast<double>(high))
        return std::nullopt;
    return static_cast<long long>(v);
}

}  // namespace

// What an ensemble takes when it starts: copies of the inputs, and what it
// leaves for the charts.
struct FrmClimate::EnsembleInFlight {
    rivulon::ProjectSettings settings;
    rivulon::ModelState state;
    rivulon::EnsembleSettings ensemble;
    std::string description;
    rivulon::EnsembleBands bands;
    std::string folder;
};

FrmClimate::FrmClimate(rivulon::ui::WindowHost& host) : host_(host) {
    setObjectName(QStringLiteral("FrmClimate"));
    setWindowTitle(QStringLiteral("Climate scenario"));

    auto* change = new QGroupBox(QStringLiteral("Change of the recorded weather"), this);
    auto* note = new QLabel(
        QStringLiteral("Every run reads the weather file changed by these values; the file "
                       "itself is not changed.\nGive one value for every month, or twelve "
                       "separated by commas, April to March."),
        change);
    note->setWordWrap(true);
    txtDeltaTemp = new QLineEdit(change);
    txtDeltaTemp->setObjectName(QStringLiteral("txtDeltaTemp"));
    txtPrecipFactor = new QLineEdit(change);
    txtPrecipFactor->setObjectName(QStringLiteral("txtPrecipFactor"));
    auto* changeGrid = new QGridLayout(change);
    changeGrid->addWidget(note, 0, 0, 1, 2);
    changeGrid->addWidget(new QLabel(QStringLiteral("Temperature change (degC):"), change), 1, 0);
    changeGrid->addWidget(txtDeltaTemp, 1, 1);
    changeGrid->addWidget(new QLabel(QStringLiteral("Precipitation factor:"), change), 2, 0);
    changeGrid->addWidget(txtPrecipFactor, 2, 1);

    auto* ensemble = new QGroupBox(QStringLiteral("Generated weather"), this);
    ChkEnsemble = new QCheckBox(QStringLiteral("Ensemble of"), ensemble);
    ChkEnsemble->setObjectName(QStringLiteral("ChkEnsemble"));
    txtRealizations = new QLineEdit(QStringLiteral("100"), ensemble);
    txtRealizations->setObjectName(QStringLiteral("txtRealizations"));
    txtRealizations->setFixedWidth(60);
    txtSeed = new QLineEdit(QStringLiteral("1"), ensemble);
    txtSeed->setObjectName(QStringLiteral("txtSeed"));
    txtSeed->setFixedWidth(80);
    auto* ensembleLine = new QHBoxLayout;
    ensembleLine->addWidget(ChkEnsemble);
    ensembleLine->addWidget(txtRealizations);
    ensembleLine->addWidget(new QLabel(QStringLiteral("generated weather series"), ensemble));
    ensembleLine->addStretch();
    ensembleLine->addWidget(new QLabel(QStringLiteral("Seed:"), ensemble));
    ensembleLine->addWidget(txtSeed);
    auto* ensembleNote = new QLabel(
        QStringLiteral("Series fitted to the project's weather file (monthly statistics, wet "
                       "and dry spells), run for the years and level of the start window. The "
                       "results window draws their 5-95 % and 25-75 % bands behind its monthly "
                       "and annual charts."),
        ensemble);
    ensembleNote->setWordWrap(true);
    auto* ensembleLayout = new QVBoxLayout(ensemble);
    ensembleLayout->addLayout(ensembleLine);
    ensembleLayout->addWidget(ensembleNote);

    lblStatus = new QLabel(this);
    lblStatus->setObjectName(QStringLiteral("lblStatus"));

    auto makeButton = [this](const char* caption, const char* name) {
        auto* b = new QPushButton(QString::fromLatin1(caption), this);
        b->setObjectName(QString::fromLatin1(name));
        return b;
    };
    cmdOK = makeButton("&OK", "cmdOK");
    cmdRecorded = makeButton("&Recorded Weather", "cmdRecorded");
    cmdCancel = makeButton("&Cancel", "cmdCancel");
    connect(cmdOK, &QPushButton::clicked, this, &FrmClimate::cmdOK_Click);
    connect(cmdRecorded, &QPushButton::clicked, this, &FrmClimate::cmdRecorded_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &FrmClimate::cmdCancel_Click);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(lblStatus, 1);
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdRecorded);
    buttons->addWidget(cmdCancel);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(change);
    layout->addWidget(ensemble);
    layout->addStretch();
    layout->addLayout(buttons);
    resize(620, 330);
    showClimate();
}

FrmClimate::~FrmClimate() {
    // The ensemble's copies belong to this window: stop it before they go.
    if (job_) {
        job_->stop();
        job_->waitForEnd();
    }
}

void FrmClimate::showClimate() {
    const rivulon::ClimateDelta& c = host_.session().settings.climate;
    txtDeltaTemp->setText(qs(rivulon::monthlyValuesText(c.tempShiftC)));
    txtPrecipFactor->setText(qs(rivulon::monthlyValuesText(c.precipFactor)));
}

void FrmClimate::cmdRecorded_Click() {
    txtDeltaTemp->setText(QStringLiteral("0"));
    txtPrecipFactor->setText(QStringLiteral("1"));
}

void FrmClimate::cmdOK_Click() {
    rivulon::ClimateDelta climate;
    try {
        climate.tempShiftC =
            rivulon::parseTempShifts("Temperature change", ss(txtDeltaTemp->text().trimmed()));
        climate.precipFactor = rivulon::parsePrecipFactors("Precipitation factor",
                                                           ss(txtPrecipFactor->text().trimmed()));
    } catch (const std::invalid_argument& e) {
        warnBox(this, qs(e.what()));
        return;
    }
    Session& session = host_.session();
    session.settings.climate = climate;
    session.announceOptions();
    if (!ChkEnsemble->isChecked()) {
        close();
        return;
    }
    startEnsemble();
}

void FrmClimate::cmdCancel_Click() {
    if (job_) {
        job_->stop();
        return;
    }
    close();
}

bool FrmClimate::startEnsemble() {
    const auto realizations = wholeNumber(txtRealizations->text(), 1, 10000);
    if (!realizations) {
        warnBox(this, QStringLiteral("The number of generated weather series must be a whole "
                                     "number from 1 to 10000."));
        return false;
    }
    const auto seed = wholeNumber(txtSeed->text(), 0, 1LL << 53);
    if (!seed) {
        warnBox(this, QStringLiteral("The seed must be a whole number of 0 or more."));
        return false;
    }
    Session& session = host_.session();
    if (!rivulon::pathPresent(session.settings.weatherPath) || session.settings.weatherYears < 1) {
        warnBox(this, QStringLiteral("An ensemble is fitted to the project's weather file: start "
                                     "a project with a weather file of at least one year first."));
        return false;
    }
    if (host_.jobs().busy()) {
        warnBox(this, QStringLiteral("Another run is in progress; start the ensemble when it "
                                     "has ended."));
        return false;
    }
    auto run = std::make_shared<EnsembleInFlight>();
    run->settings = session.settings;
    run->state = session.state;
    run->ensemble.realizations = static_cast<int>(*realizations);
    run->ensemble.seed = static_cast<std::uint64_t>(*seed);
    run->ensemble.years = session.settings.weatherYears;
    run->ensemble.level = 4;
    if (auto* start = rivulon::ui::findService<rivulon::ui::SimulationChoices>(host_)) {
        std::int16_t years = 0;
        if (!start->chosenYears(years))
            return false;
        run->ensemble.years = years;
        run->ensemble.level = start->chosenLevel();
    }
    run->ensemble.jobs = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    run->folder = run->settings.outputFolder;
    const rivulon::EnsembleSettings& e = run->ensemble;
    run->description = std::to_string(e.realizations) + " generated weather series of " +
                       std::to_string(e.years) + " years (seeds " + std::to_string(e.seed) +
                       " to " + std::to_string(e.seed + e.realizations - 1) + ")";
    if (!run->settings.climate.isIdentity())
        run->description += ", " + rivulon::describeClimateDelta(run->settings.climate);

    rivulon::ui::Job* job =
        host_.jobs().start(rivulon::ui::JobUse::OwnCopy, [run](rivulon::ui::Job::Context& c) {
            rivulon::RunEventRecorder& recorder = c.recorder;
            const rivulon::WeatherModel model =
                rivulon::fitWeatherModel(rivulon::readWeatherRecord(run->settings.weatherPath));
            const rivulon::EnsembleResult result =
                rivulon::runEnsemble(run->settings, run->state, model, run->ensemble, nullptr,
                                     [&recorder](int done, int total) {
                                         recorder.note(done, total, "Generated weather series");
                                         recorder.checkStop();
                                     });
            run->bands = rivulon::ensembleBands(result, run->description);
            // The numbers behind the bands, beside the run's result files.
            const std::vector<std::string> files = {
                rivulon::joinPath(run->folder, "bands.csv"),
                rivulon::joinPath(run->folder, "annual_bands.csv"),
                rivulon::joinPath(run->folder, "summary.csv")};
            const auto claim = rivulon::claimOutputFolder(run->folder, files,
                                                          rivulon::runInputPaths(run->settings),
                                                          rivulon::OutputFolderLock::Mode::Refuse);
            rivulon::ResultFileSet set;
            set.add(files[0], rivulon::ensembleBandsCsv(result));
            set.add(files[1], rivulon::ensembleAnnualBandsCsv(result));
            set.add(files[2], rivulon::ensembleSummaryCsv(result));
            set.commit();
        });
    if (!job) {
        warnBox(this, QStringLiteral("Another run is in progress; start the ensemble when it "
                                     "has ended."));
        return false;
    }
    run_ = run;
    job_ = job;
    connect(job, &rivulon::ui::Job::progress, this,
            [this](const std::vector<rivulon::RunEvent>& events) {
                for (const rivulon::RunEvent& ev : events) {
                    if (ev.kind == rivulon::RunEvent::Kind::Note)
                        lblStatus->setText(
                            QStringLiteral("Series %1 of %2").arg(ev.done).arg(ev.total));
                }
            });
    connect(job, &rivulon::ui::Job::finished, this, &FrmClimate::ensembleEnded);
    cmdOK->setEnabled(false);
    cmdRecorded->setEnabled(false);
    lblStatus->setText(QStringLiteral("Fitting the weather record..."));
    return true;
}

void FrmClimate::ensembleEnded(const rivulon::ui::JobEnd& end) {
    std::shared_ptr<EnsembleInFlight> run = std::move(run_);
    job_ = nullptr;
    if (!run)
        return;
    cmdOK->setEnabled(true);
    cmdRecorded->setEnabled(true);
    lblStatus->clear();
    if (end.cancelled) {
        msgBox(this, QStringLiteral("The ensemble was cancelled; the charts keep the bands "
                                    "they had."));
        return;
    }
    if (!end.ok) {
        errorBox(this, QStringLiteral("The ensemble could not be run:\n") + end.error);
        return;
    }
    host_.session().ensemble =
        std::make_shared<const rivulon::EnsembleBands>(std::move(run->bands));
    {
        const QDir folder(qs(run->folder));
        rivulon::ui::showSaved(this, {folder.filePath(QStringLiteral("bands.csv")),
                                      folder.filePath(QStringLiteral("annual_bands.csv")),
                                      folder.filePath(QStringLiteral("summary.csv"))});
    }
    msgBox(this, QStringLiteral("The ensemble of %1 is done. The monthly and annual charts of "
                                "the results window show its 5-95 % and 25-75 % bands; the "
                                "numbers are in bands.csv, annual_bands.csv and summary.csv "
                                "in %2.")
                     .arg(qs(run->description), qs(run->folder)));
    close();
}

namespace {

const rivulon::ui::WindowCommand kFrmClimateCommands[] = {
    {.id = "MnuClimate",
     .caption = "&Climate Scenario...",
     .menu = "mnuAdvanced",
     .after = "MnuRunSubBasins"},
};

}  // namespace

const rivulon::ui::WindowRegistration FrmClimate::registration{
    kKind, &rivulon::ui::makeWindow<FrmClimate>, true, 310, kFrmClimateCommands};
