#pragma once

#include <QPointer>
#include <QStringList>
#include <QWidget>
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "project/ui/run_commands.h"
#include "project/ui/simulation_choices.h"
#include "project/ui/startup_dialogue.h"
#include "shell/jobs.h"
#include "shell/window_host.h"
#include "shell/window_registration.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTextEdit;
class UpDown;
namespace rivulon {
class DailyRecorder;
}

// The simulation window: watershed name, years, what to simulate, and the
// commands to list the settings, run, save the results and close.
class FrmStart : public QWidget,
                 public rivulon::ui::RunCommands,
                 public rivulon::ui::StartupDialogue,
                 public rivulon::ui::SimulationChoices {
    Q_OBJECT
  public:
    static constexpr rivulon::ui::WindowKind kKind{"FrmStart"};
    static const rivulon::ui::WindowRegistration registration;

    explicit FrmStart(rivulon::ui::WindowHost& host);
    // "Save Current Results": there is something to save while this window
    // is open with the results of a finished run and no job is in flight.
    static bool resultsToSave(rivulon::ui::WindowHost& host);
    static void saveCurrentResults(rivulon::ui::WindowHost& host);

    // The start-up dialogue: what the user chose; Ready only with input files
    // to run on. A project file given is taken without asking.
    rivulon::ui::StartupChoice Form_Load(const QString& projectFile = {});
    rivulon::ui::StartupChoice runStartup(const QString& projectFile) override {
        return Form_Load(projectFile);
    }
    // Reads what the current selection needs (project options, transport
    // file, weather scan) and shows what it found.
    void Startup();

    void cmdShowSimInfo_Click();
    void cmdRunSimulation_Click();
    void cmdCreateResults_Click();
    void cmdClose_Click();
    void txtYear_Change();

    // Runs with the given graph scales ([1..4]); the graph window's Redraw.
    void redraw(const std::array<std::int16_t, 5>& scales) override;
    void saveResults() override { cmdCreateResults_Click(); }
    // Write the result files; an empty name asks for one. The path written,
    // empty when cancelled or failed.
    QString SaveResults(const QString& fileName);
    QString SaveSummary(const QString& fileName);
    bool hasResults() const;
    bool running() const;
    // The level of the selected simulation option (the last one when none is).
    int simLevel() const;
    // What a batch of runs takes from this window.
    bool chosenYears(std::int16_t& years) override { return yearCountFromBox(years); }
    int chosenLevel() const override { return simLevel(); }
    QString chosenPeriod() const override;
    QString chosenWatershedName() const override;
    void setWatershedName(const QString& name) override;

    QLineEdit* txtWName;
    QLineEdit* txtYear;
    UpDown* UpdnYear;
    QLineEdit* txtStartMY;
    QLineEdit* TxtEndMY;
    std::array<QRadioButton*, 4> OptSim{};
    // Records the run day by day; saving the results then also writes the
    // daily file beside them.
    QCheckBox* ChkDaily;
    QPushButton* cmdShowSimInfo;
    QPushButton* cmdRunSimulation;
    QPushButton* cmdCreateResults;
    QPushButton* cmdClose;
    // Stops the run in flight between two days; shown only while one runs.
    QPushButton* cmdCancelRun;

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    // Starts the model on the worker thread with the given scales; the graph
    // window draws as it goes. False when it could not start.
    bool RunSimulation(const std::array<std::int16_t, 5>& scales);
    struct RunReport;
    void runEnded(const rivulon::ui::JobEnd& end, const RunReport& report);
    void followRunning(bool running);
    void showStartupReport(const std::vector<std::string>& messages, bool projectRead,
                           bool weatherScanned, bool closeStart);
    bool yearCountFromBox(std::int16_t& years);

    rivulon::ui::WindowHost& host_;
    QPointer<rivulon::ui::Job> job_;
    // The daily values of the last run that recorded them.
    std::shared_ptr<rivulon::DailyRecorder> daily_;
    void saveDailyBeside(const QString& resultsPath);
    // The files the last save wrote, results first, for the status bar.
    QStringList saved_;
    // Layout warnings of the input files, each shown once (every run rereads
    // the files and would find them again).
    void showWarnings(const std::vector<std::string>& warnings);
    std::vector<std::string> warned_;
};
