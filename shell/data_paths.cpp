#include "shell/data_paths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace rivulon::ui {

QString dataFolder(const QString& installedSubfolder, const QString& sourceFolder) {
    const QString installed =
        QDir(QCoreApplication::applicationDirPath())
            .absoluteFilePath(QStringLiteral("../") + QStringLiteral(RIVULON_INSTALL_DATA_DIR) +
                              QStringLiteral("/") + installedSubfolder);
    if (QFileInfo(installed).isDir()) {
        return QDir::cleanPath(installed);
    }
    if (QFileInfo(sourceFolder).isDir()) {
        return QDir::cleanPath(sourceFolder);
    }
    return {};
}

QString exampleProjectFolder() {
    return dataFolder(QStringLiteral("examples/Millbrook"),
                      QStringLiteral(RIVULON_SOURCE_EXAMPLE_DIR));
}

}  // namespace rivulon::ui
