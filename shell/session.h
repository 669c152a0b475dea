#pragma once

#include <QObject>
#include <QString>
#include <cstdint>
#include <memory>
#include <utility>

#include "engine/model_state.h"
#include "project/project_settings.h"

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

    // The model state holds the tables of a finished run that may be saved.
    bool hasResults() const { return hasResults_; }
    // A run is in flight on the worker thread; commands that start a run or
    // save results wait for it.
    bool running() const { return running_; }

    // Takes the inputs and the model state of a run that ended (it worked on
    // copies). Options changed while the run went are kept for the next run;
    // otherwise the run's own (years, level, what its reload read) stay.
    void takeFinishedRun(rivulon::ProjectSettings&& runSettings, rivulon::ModelState&& runState,
                         const rivulon::RunOptions& optionsAtStart) {
        const rivulon::RunOptions current = state.options;
        const bool optionsChanged = !(current == optionsAtStart);
        settings = std::move(runSettings);
        state = std::move(runState);
        if (optionsChanged) {
            const std::int16_t years = state.options.yearCount;
            const std::int16_t level = state.options.simLevel;
            state.options = current;
            state.options.yearCount = years;
            state.options.simLevel = level;
        }
    }

    // The run options (check marks, population rate, scales) changed.
    void announceOptions() { emit optionsChanged(); }
    // The project's files or lists changed (start-up, a new selection, a closed start window).
    void announceFiles() { emit filesChanged(); }
    void setResults(bool available) {
        hasResults_ = available;
        emit resultsChanged();
    }
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
    bool running_ = false;
};
