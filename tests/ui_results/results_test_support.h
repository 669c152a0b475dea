#pragma once

// Result files for the results window tests: the example project run by
// hydload at levels 1 and 4, and the small hand-checked files of the core
// tests (a one-year level-1 run and a three-year level-4 run).

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

inline QString hydloadPath() {
    return QCoreApplication::applicationDirPath() + "/hydload";
}

// Runs hydload; its standard output, or a null string when it failed.
inline QString hydload(const QStringList& args) {
    QProcess p;
    p.start(hydloadPath(), args);
    if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit)
        return {};
    const QString out = QString::fromUtf8(p.readAllStandardOutput());
    if (p.exitCode() != 0 && p.exitCode() != 3)
        return {};
    return out.isNull() ? QStringLiteral("") : out;
}

inline QByteArray readBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

inline bool writeBytes(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

// Made once per test program: Results/Summary of 10 example years at level 1
// (L1) and level 4 (L4).
struct ExampleResults {
    QTemporaryDir dir;
    QString results(int level) const { return dir.path() + QString("/L%1/Results.dat").arg(level); }
    QString summary(int level) const { return dir.path() + QString("/L%1/Summary.dat").arg(level); }
    static QString data(const char* name) {
        return QStringLiteral(RIVULON_SOURCE_DIR "/tests/analysis/data/") + name;
    }
    static QString example(const char* name) {
        return QStringLiteral(RIVULON_SOURCE_DIR "/examples/Millbrook/") + name;
    }
    bool ok = true;
    ExampleResults() {
        for (int level : {1, 4}) {
            const QString out = dir.path() + QString("/L%1").arg(level);
            ok = ok && !hydload({"run", example("Millbrook.prj"), "--years", "10", "--level",
                                 QString::number(level), "--out", out, "--quiet"})
                            .isNull();
        }
    }
    static const ExampleResults& get() {
        static const ExampleResults results;
        return results;
    }
};
