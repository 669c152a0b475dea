#pragma once

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonObject>
#include <QPluginLoader>
#include <QWidget>

#include "gridcontrol/tabulex_factory.h"

// Finds, loads and uses the Tabulex library from a host that does not link it.
namespace tabulex {

inline constexpr char kPluginFileName[] = "libtabulex.so";

// Folders searched, in order: every entry of $TABULEX_PLUGIN_PATH (separated
// by colons), the folder that holds the running program, then lib/rivulon
// beside it (where an installed program keeps it).
inline QStringList pluginSearchPath() {
    QStringList dirs;
    const QString env = qEnvironmentVariable("TABULEX_PLUGIN_PATH");
    for (const QString& dir : env.split(QLatin1Char(':'), Qt::SkipEmptyParts))
        dirs << dir;
    dirs << QCoreApplication::applicationDirPath();
    dirs << QDir::cleanPath(QCoreApplication::applicationDirPath() +
                            QLatin1String("/../lib/rivulon"));
    return dirs;
}

// The first library on the search path whose metadata offers className;
// reading the metadata does not load the library. Empty when none does.
inline QString findPlugin(const QString& className, QString* error = nullptr) {
    QStringList looked;
    for (const QString& dir : pluginSearchPath()) {
        const QString path = QDir(dir).filePath(QLatin1String(kPluginFileName));
        looked << path;
        if (!QFileInfo::exists(path))
            continue;
        const QJsonObject meta = QPluginLoader(path).metaData();
        if (meta.value(QLatin1String("IID")).toString() != QLatin1String(TabulexFactory_iid))
            continue;
        const QJsonArray classes = meta.value(QLatin1String("MetaData"))
                                       .toObject()
                                       .value(QLatin1String("Classes"))
                                       .toArray();
        if (classes.contains(className))
            return path;
    }
    if (error) {
        *error = QStringLiteral("No Tabulex library offering %1 was found; looked for %2")
                     .arg(className, looked.join(QStringLiteral(", ")));
    }
    return {};
}

// The library's factory, loaded on first use and kept loaded for the rest of
// the process, since its controls may live anywhere in the host.
inline TabulexFactory* loadFactory(const QString& className, QString* error = nullptr) {
    static TabulexFactory* factory = nullptr;
    if (factory)
        return factory;
    const QString path = findPlugin(className, error);
    if (path.isEmpty())
        return nullptr;
    auto* loader = new QPluginLoader(path);  // never deleted: no unloading
    factory = qobject_cast<TabulexFactory*>(loader->instance());
    if (!factory && error) {
        *error = QStringLiteral("Cannot load the Tabulex library %1: %2")
                     .arg(path, loader->errorString());
    }
    return factory;
}

// A new control of class className owned by parent, or nullptr with the reason in error.
inline QWidget* createControl(const QString& className, QWidget* parent, QString* error = nullptr) {
    TabulexFactory* factory = loadFactory(className, error);
    if (!factory)
        return nullptr;
    QWidget* control = factory->create(className, parent);
    if (!control && error)
        *error = QStringLiteral("The Tabulex library does not make %1").arg(className);
    return control;
}

}  // namespace tabulex
