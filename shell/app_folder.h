#pragma once

#include <QString>

namespace rivulon::ui {

// The folder that holds Input/ and Output/: $RIVULON_HOME, or ~/Rivulon.
QString applicationFolder();

struct FolderSetup {
    bool inputCreated = false;  // Input/ did not exist before: a first start
    int examplesCopied = 0;
    QString error;  // empty when the folders are in place
};

// Creates the folder with Input/ and Output/ when missing. On a first start
// the example project's files are copied into Input/ (existing files are
// never replaced).
FolderSetup prepareApplicationFolder(const QString& folder, const QString& exampleFolder);

}  // namespace rivulon::ui
