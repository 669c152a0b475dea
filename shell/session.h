#pragma once

#include <QString>

#include "engine/model_state.h"
#include "project/project_settings.h"

// What the program holds between commands: the one model state of the run
// and the project settings (paths, project options, what start-up found).
struct Session {
    rivulon::ModelState state;
    rivulon::ProjectSettings settings;
    QString applicationFolder;  // holds Input/ and Output/
};
