#pragma once

#include <gtest/gtest.h>
#include <QApplication>
#include <QPrinter>
#include <QStringList>

#include "shell/app_locale.h"
#include "shell/dialogs.h"

// The window tests share one offscreen application, started before the first test.
class QtEnvironment : public ::testing::Environment {
  public:
    void SetUp() override {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
            qputenv("QT_QPA_PLATFORM", "offscreen");
        }
        static int argc = 1;
        static char name[] = "ui_tests";
        static char* argv[] = {name, nullptr};
        app_ = new QApplication(argc, argv);
        rivulon::ui::pinNumericLocale();
    }
    void TearDown() override {
        delete app_;
        app_ = nullptr;
    }

  private:
    QApplication* app_ = nullptr;
};

inline const ::testing::Environment* const kQtEnvironment =
    ::testing::AddGlobalTestEnvironment(new QtEnvironment);

// Answers the program's questions from a script and records what it said.
class ScriptedDialogs : public rivulon::ui::DialogHandler {
  public:
    ScriptedDialogs() { rivulon::ui::setDialogHandler(this); }
    ~ScriptedDialogs() override { rivulon::ui::setDialogHandler(nullptr); }

    QStringList messages;  // "title|text"
    // The kind of each message, in the same order.
    QList<rivulon::ui::MessageKind> kinds;
    QStringList inputPrompts;  // "title|prompt"
    QStringList inputAnswers;  // taken in order; empty once used up (cancel)
    QStringList fileAnswers;   // for open and save dialogs, in order
    QStringList fileTitles;
    QStringList proposedFiles;  // the names the save dialogs proposed
    bool yesNoAnswer = true;
    int yesNoAsked = 0;
    QStringList questions;  // "title|text" of the yes/no questions
    bool printerAnswer = false;

    void message(QWidget*, const QString& text, const QString& title,
                 rivulon::ui::MessageKind kind) override {
        messages.append(title + "|" + text);
        kinds.append(kind);
    }
    // The kind of the message whose text contains `part` (the last such);
    // Information when none does, so that a check for a refusal fails. The
    // lists are matched from their ends, as tests clear only the messages.
    rivulon::ui::MessageKind kindOf(const QString& part) const {
        for (qsizetype i = messages.size() - 1; i >= 0; --i) {
            const qsizetype k = kinds.size() - (messages.size() - i);
            if (messages.at(i).contains(part) && k >= 0)
                return kinds.at(k);
        }
        return rivulon::ui::MessageKind::Information;
    }
    bool askYesNo(QWidget*, const QString& text, const QString& title) override {
        ++yesNoAsked;
        questions.append(title + "|" + text);
        return yesNoAnswer;
    }
    QString inputBox(QWidget*, const QString& prompt, const QString& title, const QString&,
                     int) override {
        inputPrompts.append(title + "|" + prompt);
        return inputAnswers.isEmpty() ? QString() : inputAnswers.takeFirst();
    }
    QString openFile(QWidget*, const QString& title, const QString&, const QString&) override {
        fileTitles.append(title);
        return fileAnswers.isEmpty() ? QString() : fileAnswers.takeFirst();
    }
    QString saveFile(QWidget*, const QString& title, const QString&, const QString& proposed,
                     const QString&) override {
        fileTitles.append(title);
        proposedFiles.append(proposed);
        return fileAnswers.isEmpty() ? QString() : fileAnswers.takeFirst();
    }
    QString printTo;  // a PDF file standing in for the printer
    QString printDocName;
    bool choosePrinter(QWidget*, QPrinter& printer) override {
        printDocName = printer.docName();
        if (!printTo.isEmpty()) {
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(printTo);
        }
        return printerAnswer;
    }
};

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <functional>

// An application folder whose Input/ holds a copy of the example project.
struct ExampleHome {
    QTemporaryDir dir;
    QString input() const { return dir.path() + "/Input"; }
    QString project() const { return input() + "/Millbrook.prj"; }

    ExampleHome() {
        qputenv("RIVULON_HOME", dir.path().toUtf8());
        QDir().mkpath(input());
        QDir().mkpath(dir.path() + "/Output");
        const QDir examples(QStringLiteral(RIVULON_SOURCE_DIR "/examples/Millbrook"));
        for (const QString& name : examples.entryList(QDir::Files)) {
            QFile::copy(examples.absoluteFilePath(name), input() + "/" + name);
        }
    }
};

// Runs `action` on the next modal dialog once it is up.
inline void onNextModal(std::function<void(QWidget*)> action) {
    auto* timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, action] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            timer->stop();
            timer->deleteLater();
            action(modal);
        }
    });
    timer->start();
}

#include <QPushButton>

// Loads the main window and picks the example project in the first window.
template <typename MainWindow>
void startOnProject(MainWindow& w) {
    w.show();
    onNextModal([](QWidget* modal) { modal->findChild<QPushButton*>("btnGetFile")->click(); });
    w.MDIForm_Load();
}
