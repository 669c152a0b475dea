#pragma once

#include <QString>
#include <QStringList>

class QWidget;
class QPrinter;

namespace rivulon::ui {

// What a message box tells: news, a refusal the user can put right, or a
// failure (a file not read or not written, a run that stopped). The box
// shows the icon of its kind.
enum class MessageKind { Information, Warning, Critical };

// Every modal question the program asks goes through here, so that window
// tests can answer them without a person at the screen. The default handler
// shows the ordinary Qt dialogs.
class DialogHandler {
  public:
    virtual ~DialogHandler() = default;
    virtual void message(QWidget* parent, const QString& text, const QString& title,
                         MessageKind kind) = 0;
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

// The text with its first letter in capitals when it starts with a plain word
// ("the file..." from a lower layer's error); a file name stays as it is.
QString sentenceStart(const QString& text);

inline void msgBox(QWidget* parent, const QString& text, const QString& title = {},
                   MessageKind kind = MessageKind::Information) {
    dialogs().message(parent, sentenceStart(text), title.isEmpty() ? appTitle() : title, kind);
}
// A refusal: the command did not do what was asked, and the user can put it right.
inline void warnBox(QWidget* parent, const QString& text, const QString& title = {}) {
    msgBox(parent, text, title, MessageKind::Warning);
}
// A failure: a file not read or not written, a run or a print that failed.
inline void errorBox(QWidget* parent, const QString& text, const QString& title = {}) {
    msgBox(parent, text, title, MessageKind::Critical);
}

// Messages with more lines than this show them in a scrolling box, so that the
// OK button stays on the screen.
inline constexpr int kLongMessageLines = 16;

// Says on the main window's status bar what a save wrote where, e.g.
// "Saved Results.dat and Summary.dat in /home/ann/Rivulon/Output". `from` is
// the window that saved; the text goes up to the frame that holds it.
void showSaved(QWidget* from, const QStringList& paths);
inline void showSaved(QWidget* from, const QString& path) {
    showSaved(from, QStringList{path});
}
// The status text for saved files: their names and the folder, or the folders
// when they differ.
QString savedText(const QStringList& paths);

}  // namespace rivulon::ui
