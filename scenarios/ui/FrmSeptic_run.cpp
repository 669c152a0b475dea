#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <stdexcept>

#include "analysis/ui/pie_text_page.h"
#include "analysis/ui/result_table_view.h"
#include "common/paths.h"
#include "engine/ui/run_view.h"
#include "project/run_command.h"
#include "project/ui/simulation_choices.h"
#include "project/weather_scan.h"
#include "scenarios/septic_calc.h"
#include "scenarios/ui/FrmSeptic.h"
#include "shell/dialogs.h"
#include "shell/jobs.h"
#include "shell/qt_text.h"
#include "shell/session.h"

// Set and its split of the population into the nutrient file, the run with
// septic systems and its result files, and the technology list viewed and
// saved.

using rivulon::ui::errorBox;
using rivulon::ui::msgBox;
using rivulon::ui::qs;
using rivulon::ui::ss;
using rivulon::ui::warnBox;

namespace {

// A septic run's results, beside (not over) those of the start window.
const QString kResultsName = QStringLiteral("ResultsSeptic.dat"),
              kSummaryName = QStringLiteral("SummarySeptic.dat");

bool saveTechTable(rivulon::ui::WindowHost& host, const rivulon::SepticTechTable& table) {
    // The technology files live in the program's Input folder.
    const QString folder = QDir(host.session().applicationFolder).filePath(QStringLiteral("Input"));
    const QString path =
        rivulon::ui::dialogs().saveFile(host.frame(), QStringLiteral("Save septic data"), folder,
                                        QStringLiteral("SepticNew.dat"), QStringLiteral("dat"));
    if (path.isEmpty()) {
        return false;
    }
    try {
        rivulon::writeSepticTechFile(ss(path), table);
    } catch (const std::exception& e) {
        errorBox(host.frame(), QStringLiteral("The septic data were not saved: ") + qs(e.what()));
        return false;
    }
    rivulon::ui::showSaved(host.frame(), path);
    return true;
}

}  // namespace

// What a septic run reports besides its results; the worker fills it.
struct FrmSeptic::RunReport {
    bool ran = false;
    std::string saveError;  // the result files could not be written
};

void FrmSeptic::cmdSetSeptic_Click() {
    Session& session = host_.session();
    rivulon::SepticOverall o;
    rivulon::SepticSplit split;
    try {
        o = rivulon::computeSepticOverall(table_);
        split = rivulon::splitPopulation(normalSum_, pondedSum_, o.failureSum);
    } catch (const std::domain_error& e) {
        // Nothing is set from a table whose totals cannot be kept.
        warnBox(this, qs(e.what()));
        return;
    }
    TxtReduction->setText(qs(o.reductionText));
    session.state.options.septicNReduction = o.nReduction;
    lblTechName_0->setText(qs(o.efficiencyLabel));
    txtUseCur->setText(qs(o.shareText));
    txtFailure->setText(qs(o.failureText));
    session.announceOptions();
    if (o.shareWarning) {
        warnBox(this, qs(rivulon::kShareWarning));
    }
    TxtNotes->setPlainText(qs(o.notes));
    TxtPond->setText(QString::number(split.ponded));
    TxtNorm->setText(QString::number(split.normal));
    if (!o.septicOn) {
        return;
    }
    if (rivulon::ui::dialogs().askYesNo(
            this,
            QStringLiteral(
                "Do you want to update the population numbers on different septic systems?"),
            QStringLiteral("Update the Nutrient file?"))) {
        UpdateNutrient(o.failureSum / 10000.0f);
    } else {
        showAverages();
    }
}

rivulon::ui::NutrientEditorService* FrmSeptic::openEditor() {
    rivulon::ui::NutrientEditorService* editor = nullptr;
    bool wasOpen = true;
    if (editorSource_) {
        editor = editorSource_();
    } else {
        wasOpen = host_.findWindow(rivulon::ui::NutrientEditorService::kProvider) != nullptr;
        QWidget* window = host_.openWindow(rivulon::ui::NutrientEditorService::kProvider);
        editor = dynamic_cast<rivulon::ui::NutrientEditorService*>(window);
    }
    if (!editor) {
        return nullptr;
    }
    if (!editor->openSepticOnly()) {
        // An editor made just for this and left unshown goes again.
        if (auto* window = dynamic_cast<QWidget*>(editor); window && !wasOpen) {
            window->close();
        }
        return nullptr;
    }
    if (auto* window = dynamic_cast<QWidget*>(editor)) {
        host_.showChild(window);
    }
    return editor;
}

void FrmSeptic::UpdateNutrient(float failedShare) {
    rivulon::SepticSplit monthly;
    try {
        monthly = rivulon::monthlySepticPopulation(normalSum_, pondedSum_, failedShare);
    } catch (const std::domain_error& e) {
        warnBox(this, qs(e.what()));
        showAverages();
        return;
    }
    rivulon::ui::NutrientEditorService* editor = openEditor();
    if (!editor) {
        nutrientEditorClosed(false, {});
        return;
    }
    for (int m = 1; m <= 12; ++m) {
        editor->setSepticPopulation(2, m, monthly.ponded);
        editor->setSepticPopulation(1, m, monthly.normal);
    }
    // The window goes on once the editor has closed, saved or not.
    waitingForEditor_ = true;
    // The editor may announce its close while the program shuts down, after
    // this window or the session are gone.
    QPointer<FrmSeptic> self(this);
    QPointer<Session> session(&host_.session());
    editor->whenClosed([self, session](bool fileSaved, const QString& savedName) {
        if (!session) {
            return;
        }
        if (self) {
            self->nutrientEditorClosed(fileSaved, savedName);
        } else if (fileSaved && !savedName.isEmpty()) {
            // The runs that follow use the saved file even without this window.
            session->settings.nutrientPath = ss(savedName);
            session->announceFiles();
        }
    });
}

void FrmSeptic::nutrientEditorClosed(bool fileSaved, const QString& savedName) {
    waitingForEditor_ = false;
    if (fileSaved && !savedName.isEmpty()) {
        host_.session().settings.nutrientPath = ss(savedName);
        host_.session().announceFiles();
        return;
    }
    showAverages();
}

void FrmSeptic::CmdGetNutr_Click() {
    openEditor();
}

void FrmSeptic::CmdView_Click() {
    showPanel(false);
    QWidget* window = host_.openWindow(rivulon::ui::PieTextPage::kProvider);
    auto* page = dynamic_cast<rivulon::ui::PieTextPage*>(window);
    if (!page) {
        errorBox(this, QStringLiteral("The window to view the septic data is not available."));
        return;
    }
    // The page puts the text after the first tab at column 40 and later ones
    // at the next 14-column zone; each value fills its zone so that the
    // numbers stand under their headings.
    auto zone = [](const QString& text) { return text.leftJustified(13) + QLatin1Char('\t'); };
    QStringList lines;
    lines << QStringLiteral("SepticData, ") + QString::number(table_.size()) << QString();
    lines << QStringLiteral("Method\t") + zone(QStringLiteral("Efficiency-N")) +
                 zone(QStringLiteral("PctPopUse")) + QStringLiteral("Failure (%)");
    for (const auto& t : table_) {
        lines << qs(t.name) + QLatin1Char('\t') + zone(plain(t.reduction)) + zone(plain(t.share)) +
                     plain(t.failure);
    }
    // The page saves the table as it was shown, even once this window is closed.
    const rivulon::SepticTechTable shown = table_;
    rivulon::ui::WindowHost* host = &host_;
    page->showTextPage(QStringLiteral("Current Data on Septic Systems"), lines,
                       [shown, host] { saveTechTable(*host, shown); });
    host_.showChild(window);
    // Wide enough for the last column of the page.
    host_.resizeFrame(window, window->size().expandedTo(QSize(750, 0)));
}

bool FrmSeptic::SaveData(const rivulon::SepticTechTable& table) {
    return saveTechTable(host_, table);
}

void FrmSeptic::cmdClose_Click() {
    if (!rivulon::ui::dialogs().askYesNo(this, QStringLiteral("Want to run the model now?"),
                                         QStringLiteral("Run the Model?"))) {
        close();
        return;
    }
    runSeptic();
}

void FrmSeptic::runSeptic() {
    rivulon::ui::Jobs& jobs = host_.jobs();
    if (jobs.busy()) {
        warnBox(this, QStringLiteral("A run is in progress. Please try again when it has ended."));
        return;
    }
    // The project, years and watershed name the start window shows now.
    const Session& session = host_.session();
    const rivulon::ProjectSettings& s = session.settings;
    auto* start = rivulon::ui::findService<rivulon::ui::SimulationChoices>(host_);
    std::int16_t years = static_cast<std::int16_t>(
        std::max(1, rivulon::yearsForSpinner(
                        {s.datedWeather, s.weatherStart, s.weatherLineCount, s.weatherYears})));
    if (start && !start->chosenYears(years)) {
        return;
    }
    std::string name = start ? ss(start->chosenWatershedName()) : s.basinName;
    if (name.empty()) {
        name = session.state.watershedName;
    }
    const QString period =
        start ? start->chosenPeriod() : qs(s.startText) + QStringLiteral(" to ") + qs(s.endText);

    rivulon::RunRequest request{years, 4};
    request.keepSeepLog = true;  // written with the two result files
    const std::string folder = ss(session.outputFolder());
    auto report = std::make_shared<RunReport>();
    rivulon::ui::Job* job = jobs.start(
        rivulon::ui::JobUse::Session,
        [report, request, name, folder](rivulon::ui::Job::Context& c) {
            c.result.leaves = true;
            c.result.state.watershedName = name;
            rivulon::RunOutcome outcome =
                rivulon::runProject(c.result.settings, c.result.state, request, &c.recorder);
            c.result.ran = report->ran = outcome.ran;
            if (!outcome.ran) {
                return;
            }
            try {
                rivulon::saveRunFileSet({rivulon::joinPath(folder, ss(kResultsName)),
                                         rivulon::joinPath(folder, ss(kSummaryName)),
                                         rivulon::joinPath(folder, rivulon::kSeepCoefFileName)},
                                        c.result.state, outcome.seepLog,
                                        rivulon::runInputPaths(c.result.settings));
            } catch (const std::exception& e) {
                report->saveError = e.what();
            }
        });
    if (!job) {
        return;
    }
    job_ = job;
    host_.session().setResults(false);
    std::array<std::int16_t, 5> scales = session.state.options.graphScale;
    if (rivulon::graphScalesNeedDefaults(scales)) {
        scales = rivulon::kDefaultGraphScales;
    }
    if (QWidget* graph = host_.openWindow(rivulon::ui::RunView::kProvider)) {
        if (auto* view = dynamic_cast<rivulon::ui::RunView*>(graph)) {
            view->beginRun(*job, 4, scales, period);
        }
        host_.showChild(graph);
    }
    connect(job, &rivulon::ui::Job::finished, this,
            [this, report, folder](const rivulon::ui::JobEnd& end) {
                runEnded(end, *report, qs(rivulon::joinPath(folder, ss(kResultsName))));
            });
}

void FrmSeptic::runEnded(const rivulon::ui::JobEnd& end, const RunReport& report,
                         const QString& results) {
    job_ = nullptr;
    if (end.cancelled) {
        msgBox(this, QStringLiteral("The run was cancelled; ") + kResultsName +
                         QStringLiteral(" and ") + kSummaryName +
                         QStringLiteral(" were not written."));
        return;
    }
    if (!end.ok || !report.ran) {
        errorBox(this,
                 end.ok ? QStringLiteral("No weather file is named; nothing was run.") : end.error);
        return;
    }
    if (!report.saveError.empty()) {
        errorBox(this,
                 QStringLiteral("The septic results were not saved: ") + qs(report.saveError));
        return;
    }
    host_.session().setResultsSaved();
    rivulon::ui::showSaved(this, {results, QFileInfo(results).dir().filePath(kSummaryName)});
    QWidget* window = host_.openWindow(rivulon::ui::ResultTableView::kProvider);
    if (auto* view = dynamic_cast<rivulon::ui::ResultTableView*>(window)) {
        if (view->showResultFile(results, rivulon::ui::ResultTable::Monthly, 1)) {
            host_.showChild(window);
        }
    }
}
