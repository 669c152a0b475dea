#pragma once

#include <QString>

class QWidget;
class QPrinter;

namespace rivulon::ui {

// Every modal question the program asks goes through here, so that window
// tests can answer them without a person at the screen. The default handler
// shows the ordinary Qt dialogs.
class DialogHandler {
  public:
    virtual ~DialogHandler() = default;
    virtual void message(QWidget* parent, const QString& text, const QString& title) = 0;
    virtual bool askYesNo(QWidget* parent, const QString& text, const QString& title) = 0;
    // Returns the answer; an empty text means the user cancelled.
    virtual QString inputBox(QWidget* parent, const QString& prompt, const QString& title,
                             const QString& defaultText, int helpContext) = 0;
    // File dialogs return the chosen path, empty when cancelled.
    virtual QString openFile(QWidget* parent, const QString& title, const QString& folder,
                             const QString& filter) = 0;
    virtual QString saveFile(QWidget* parent, const QString& title, const QString& folder,
                             const QString& defaultName, const QString& defaultSuffix) = 0;
    // Lets the user set up the printer; false when cancelled.
    virtual bool choosePrinter(QWidget* parent, QPrinter& printer) = 0;
};

// Installs a handler (tests); nullptr restores the ordinary dialogs.
void setDialogHandler(DialogHandler* handler);
DialogHandler& dialogs();

// The application title, used where a message box has no title of its own.
QString appTitle();

inline void msgBox(QWidget* parent, const QString& text, const QString& title = {}) {
    dialogs().message(parent, text, title.isEmpty() ? appTitle() : title);
}

}  // namespace rivulon::ui
