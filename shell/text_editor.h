#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

namespace rivulon::ui {

struct ProgramCall {
    QString program;
    QStringList arguments;
    bool operator==(const ProgramCall&) const = default;
};

// The ways to open a text file in the user's editor, best first: $VISUAL,
// then $EDITOR (a terminal editor such as vi or nano inside a terminal
// window), then xdg-open, then common desktop editors. `installed` tells
// whether a program is on the PATH. An empty file name starts an empty editor.
QList<ProgramCall> editorCalls(const QString& fileName, const QString& visual,
                               const QString& editor,
                               const std::function<bool(const QString&)>& installed);

// Starts the first call that can be started; false when none could.
bool startFirst(const QList<ProgramCall>& calls);

// Opens a file in the user's text editor; false when no editor was found.
bool openInTextEditor(const QString& fileName);

// The message shown when no editor could be started: why the editor the user
// chose ($VISUAL, then $EDITOR) did not start when one is set (not installed,
// or a terminal editor with no terminal program to run it in), else how to
// get one.
QString noEditorMessage(const QString& visual, const QString& editor,
                        const std::function<bool(const QString&)>& installed);
// The same for this process's environment and PATH.
QString noEditorMessage();

// Programs that show system information, best first.
QList<ProgramCall> systemInfoCalls(const std::function<bool(const QString&)>& installed);

bool programInstalled(const QString& program);

}  // namespace rivulon::ui
