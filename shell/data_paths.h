#pragma once

#include <QString>

namespace rivulon::ui {

// A folder shipped with the program (help pages, the example project): next
// to an installed program first, then in the source tree it was built from.
// Empty when neither exists.
QString dataFolder(const QString& installedSubfolder, const QString& sourceFolder);

QString exampleProjectFolder();

}  // namespace rivulon::ui
