#pragma once

#include <QString>

namespace rivulon::ui {

// What an installed program needs beside itself: the user guide, the example
// project and the editable grid control. One line per part ("found" or
// "missing"); `ok` is false when a part is missing.
struct InstallReport {
    QString text;
    bool ok = true;
};
InstallReport checkInstall();

}  // namespace rivulon::ui
