#pragma once

#include <QString>

#include "shell/window_kind.h"

namespace rivulon::ui {

// What the user chose in the start-up dialogue.
enum class StartupChoice {
    Ready,      // the input files are chosen and read
    NoFiles,    // given up, or required files missing: nothing to run on
    CreateNew,  // new input files asked for
    End,        // end the program
};

// The window whose loading runs the start-up dialogue (the start window).
class StartupDialogue {
  public:
    static constexpr WindowKind kProvider{"FrmStart"};
    virtual ~StartupDialogue() = default;
    // Runs the dialogue; with a project file given, that project is taken
    // without asking (a file that is no project is said so, then asked).
    virtual StartupChoice runStartup(const QString& projectFile = {}) = 0;
};

}  // namespace rivulon::ui
