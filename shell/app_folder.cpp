#include "shell/app_folder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcessEnvironment>

namespace rivulon::ui {

QString applicationFolder() {
    const QString home =
        QProcessEnvironment::systemEnvironment().value(QStringLiteral("RIVULON_HOME"));
    if (!home.isEmpty()) {
        return QDir::cleanPath(home);
    }
    return QDir::home().absoluteFilePath(QStringLiteral("Rivulon"));
}

FolderSetup prepareApplicationFolder(const QString& folder, const QString& exampleFolder) {
    FolderSetup setup;
    const QDir root(folder);
    const QString input = root.absoluteFilePath(QStringLiteral("Input"));
    const QString output = root.absoluteFilePath(QStringLiteral("Output"));
    setup.inputCreated = !QFileInfo(input).isDir();
    if (!QDir().mkpath(input) || !QDir().mkpath(output)) {
        setup.error = QStringLiteral("Could not create the folders Input and Output in %1.")
                          .arg(QDir::toNativeSeparators(folder));
        return setup;
    }
    if (!setup.inputCreated || exampleFolder.isEmpty()) {
        return setup;
    }
    const QDir examples(exampleFolder);
    for (const QFileInfo& file : examples.entryInfoList(QDir::Files)) {
        const QString target = QDir(input).absoluteFilePath(file.fileName());
        if (!QFileInfo::exists(target) && QFile::copy(file.absoluteFilePath(), target)) {
            // Copies keep the source's read-only bit when installed system-wide.
            QFile::setPermissions(target, QFile::permissions(target) | QFileDevice::WriteOwner);
            ++setup.examplesCopied;
        }
    }
    return setup;
}

}  // namespace rivulon::ui
