#pragma once

#include <QObject>
#include <QString>
#include <cstdint>
#include <memory>
#include <utility>

#include "engine/model_state.h"
#include "project/project_settings.h"
#include "shell/jobs.h"

namespace rivulon {
struct EnsembleBands;
}

// What the program holds between commands: the one model state of the last
// run and the project settings (paths, project options, what start-up found).
// Whoever changes it announces the change, so that menus, check marks and
// toolbar states follow without being called by hand.
class Session : public QObject {
    Q_OBJECT
  public:
    rivulon::ModelState state;
    rivulon::ProjectSettings settings;
    QString applicationFolder;  // holds Input/ and Output/
    // The start window holds read inputs; the menus that need them are
    // enabled from the project's optional files while this holds.
    bool inputsLoaded = false;
    // The program has finished starting; before that the start-up dialogue
    // may also ask for new input files.
    bool programLoaded = false;
    // The spread of the last ensemble of generated weather series, drawn
    // behind the monthly and annual charts; empty when none was run.
    std::shared_ptr<const rivulon::EnsembleBands> ensemble;

    // Where windows write results and first offer to open or save them: the
    // project's output folder, or Output in the application folder while no
    // project has named one.
    QString outputFolder() const;

    // The model state holds the tables of a finished run that may be saved.
    bool hasResults() const { return hasResults_; }
    // The results of the last run are not in any file yet: a run ended and
    // nothing saved its tables since.
    bool resultsUnsaved() const { return hasResults_ && !resultsSaved_; }
    // A job is in flight on the worker thread (shell/jobs.h); commands that
    // start one or save results wait for it.
    bool running() const { return running_; }

    // The one hand-over of every job's result (shell/jobs.h): a job that
    // ended hands back only its results. The user's choices made while it
    // went stay: when the project's settings changed meanwhile (another
    // project opened) nothing of the job's replaces them; when only options
    // changed, the job's settings and run are taken with the user's options
    // (years and level stay the run's). Graph scales are always the user's.
    rivulon::ui::HandOver takeJobResult(rivulon::ui::JobResult&& result,
                                        const rivulon::ProjectSettings& settingsAtStart,
                                        const rivulon::RunOptions& optionsAtStart);

    // The run options (check marks, population rate, scales) changed.
    void announceOptions() { emit optionsChanged(); }
    // Switches an option of the menus off when it is on (true), so that its
    // command knows not to open the window that sets it.
    bool switchOptionOff(bool& option) {
        const bool wasOn = option;
        option = false;
        announceOptions();
        return wasOn;
    }
    // The project's files or lists changed (start-up, a new selection, a closed start window).
    void announceFiles() { emit filesChanged(); }
    void setResults(bool available) {
        hasResults_ = available;
        resultsSaved_ = false;
        emit resultsChanged();
    }
    // The tables of the last run were written to result files.
    void setResultsSaved() { resultsSaved_ = true; }
    void setRunning(bool running) {
        running_ = running;
        emit runningChanged(running);
    }

  signals:
    void optionsChanged();
    void filesChanged();
    void resultsChanged();
    void runningChanged(bool running);

  private:
    bool hasResults_ = false;
    bool resultsSaved_ = false;
    bool running_ = false;
};
