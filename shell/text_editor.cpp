#include "shell/text_editor.h"

#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStandardPaths>
#include <utility>

namespace rivulon::ui {

namespace {

// Editors that need a terminal to draw in.
bool isTerminalEditor(const QString& program) {
    static const QStringList names{"vi",  "vim", "nvim", "nano",   "pico", "micro",
                                   "joe", "ne",  "jed",  "mcedit", "ed",   "emacs-nox"};
    return names.contains(QFileInfo(program).fileName());
}

struct Terminal {
    const char* program;
    const char* runFlag;
};
constexpr Terminal kTerminals[] = {{"x-terminal-emulator", "-e"},
                                   {"xterm", "-e"},
                                   {"konsole", "-e"},
                                   {"xfce4-terminal", "-x"},
                                   {"gnome-terminal", "--"}};

void addUserEditor(QList<ProgramCall>& calls, const QString& setting, const QString& fileName,
                   const std::function<bool(const QString&)>& installed) {
    QStringList words = QProcess::splitCommand(setting);
    if (words.isEmpty() || !installed(words.constFirst())) {
        return;
    }
    if (!fileName.isEmpty()) {
        words << fileName;
    }
    if (!isTerminalEditor(words.constFirst())) {
        const QString program = words.takeFirst();
        calls.append({program, words});
        return;
    }
    for (const Terminal& terminal : kTerminals) {
        if (installed(QString::fromLatin1(terminal.program))) {
            calls.append({QString::fromLatin1(terminal.program),
                          QStringList{QString::fromLatin1(terminal.runFlag)} + words});
            return;
        }
    }
}

}  // namespace

QList<ProgramCall> editorCalls(const QString& fileName, const QString& visual,
                               const QString& editor,
                               const std::function<bool(const QString&)>& installed) {
    QList<ProgramCall> calls;
    addUserEditor(calls, visual, fileName, installed);
    addUserEditor(calls, editor, fileName, installed);
    if (!fileName.isEmpty() && installed(QStringLiteral("xdg-open"))) {
        calls.append({QStringLiteral("xdg-open"), {fileName}});
    }
    static const QStringList desktopEditors{
        "gedit", "gnome-text-editor", "kate",    "kwrite", "mousepad", "xed",
        "pluma", "featherpad",        "leafpad", "geany"};
    for (const QString& program : desktopEditors) {
        if (installed(program)) {
            calls.append({program, fileName.isEmpty() ? QStringList{} : QStringList{fileName}});
        }
    }
    return calls;
}

bool programInstalled(const QString& program) {
    if (program.contains('/')) {
        return QFileInfo(program).isExecutable();
    }
    return !QStandardPaths::findExecutable(program).isEmpty();
}

bool startFirst(const QList<ProgramCall>& calls) {
    for (const ProgramCall& call : calls) {
        if (QProcess::startDetached(call.program, call.arguments)) {
            return true;
        }
    }
    return false;
}

bool openInTextEditor(const QString& fileName) {
    const QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    return startFirst(editorCalls(fileName, env.value(QStringLiteral("VISUAL")),
                                  env.value(QStringLiteral("EDITOR")), programInstalled));
}

QString noEditorMessage(const QString& visual, const QString& editor,
                        const std::function<bool(const QString&)>& installed) {
    const QString advice = QStringLiteral(
        " Set $VISUAL to a desktop editor, or install one (gedit, kate, mousepad, xed...).");
    for (const auto& [name, setting] : {std::pair{QStringLiteral("$VISUAL"), visual},
                                        std::pair{QStringLiteral("$EDITOR"), editor}}) {
        const QStringList words = QProcess::splitCommand(setting);
        if (words.isEmpty()) {
            continue;
        }
        const QString program = words.constFirst();
        if (!installed(program)) {
            return QStringLiteral(
                       "Couldn't start a text editor: %1 is \"%2\", which is not "
                       "installed.")
                       .arg(name, setting) +
                   advice;
        }
        QStringList terminals;
        bool anyTerminal = false;
        for (const Terminal& terminal : kTerminals) {
            terminals.append(QString::fromLatin1(terminal.program));
            anyTerminal = anyTerminal || installed(terminals.constLast());
        }
        if (isTerminalEditor(program) && !anyTerminal) {
            return QStringLiteral(
                       "Couldn't start a text editor: %1 is \"%2\", which runs in a "
                       "terminal, and no terminal program (%3) is installed to run "
                       "it in.")
                       .arg(name, setting, terminals.join(QStringLiteral(", "))) +
                   advice;
        }
    }
    return QStringLiteral(
        "Couldn't start a text editor. Set $VISUAL or $EDITOR, or install one "
        "(gedit, kate, mousepad, xed...) or a handler for xdg-open!");
}

QString noEditorMessage() {
    const QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    return noEditorMessage(env.value(QStringLiteral("VISUAL")), env.value(QStringLiteral("EDITOR")),
                           programInstalled);
}

QList<ProgramCall> systemInfoCalls(const std::function<bool(const QString&)>& installed) {
    QList<ProgramCall> calls;
    static const QStringList tools{"hardinfo", "kinfocenter", "gnome-system-monitor",
                                   "xfce4-taskmanager"};
    for (const QString& tool : tools) {
        if (installed(tool)) {
            calls.append({tool, {}});
        }
    }
    return calls;
}

}  // namespace rivulon::ui
