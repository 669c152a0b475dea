#pragma once

#include <QFile>
#include <QStringList>
#include <deque>

#include "tests/ui/ui_test_support.h"

// Scripted answers with the yes/no questions recorded and answered in turn
// (the default answer once the queue is empty), and the file names the save
// dialogs proposed.
class EditorDialogs : public ScriptedDialogs {
  public:
    QStringList questions;  // "title|text"
    std::deque<bool> yesNoQueue;
    QStringList proposedNames;

    bool askYesNo(QWidget* parent, const QString& text, const QString& title) override {
        ScriptedDialogs::askYesNo(parent, text, title);
        questions.append(title + "|" + text);
        if (yesNoQueue.empty()) {
            return yesNoAnswer;
        }
        const bool answer = yesNoQueue.front();
        yesNoQueue.pop_front();
        return answer;
    }
    QString saveFile(QWidget* parent, const QString& title, const QString& folder,
                     const QString& defaultName, const QString& suffix) override {
        proposedNames.append(defaultName);
        return ScriptedDialogs::saveFile(parent, title, folder, defaultName, suffix);
    }
};

inline QByteArray fileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline void writeBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (file.open(QIODevice::WriteOnly)) {
        file.write(bytes);
    }
}
