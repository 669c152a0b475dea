#pragma once

#include <gtest/gtest.h>
#include <QApplication>
#include <QPrinter>
#include <QStringList>

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
    }
    void TearDown() override {
        delete app_;
        app_ = nullptr;
    }

  private:
    QApplication* app_ = nullptr;
};

// Answers the program's questions from a script and records what it said.
class ScriptedDialogs : public rivulon::ui::DialogHandler {
  public:
    ScriptedDialogs() { rivulon::ui::setDialogHandler(this); }
    ~ScriptedDialogs() override { rivulon::ui::setDialogHandler(nullptr); }

    QStringList messages;      // "title|text"
    QStringList inputPrompts;  // "title|prompt"
    QStringList inputAnswers;  // taken in order; empty once used up (cancel)
    QStringList fileAnswers;   // for open and save dialogs, in order
    QStringList fileTitles;
    bool yesNoAnswer = true;
    int yesNoAsked = 0;
    bool printerAnswer = false;

    void message(QWidget*, const QString& text, const QString& title) override {
        messages.append(title + "|" + text);
    }
    bool askYesNo(QWidget*, const QString&, const QString&) override {
        ++yesNoAsked;
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
    QString saveFile(QWidget*, const QString& title, const QString&, const QString&,
                     const QString&) override {
        fileTitles.append(title);
        return fileAnswers.isEmpty() ? QString() : fileAnswers.takeFirst();
    }
    bool choosePrinter(QWidget*, QPrinter&) override { return printerAnswer; }
};
