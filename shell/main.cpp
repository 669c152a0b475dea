#include <QApplication>
#include <QIcon>
#include <QLocale>
#include <QScreen>
#include <clocale>

#include "shell/MDIFrmMain.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    // The application object takes the user's locale for everything; numbers
    // must be read and shown the same under any locale (a German one would
    // read "1.5" as 15 through the C library and show "1,5").
    std::setlocale(LC_NUMERIC, "C");
    QLocale::setDefault(QLocale::c());
    QApplication::setApplicationName(QStringLiteral("Rivulon"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/rivulon.png")));
    QStringList files = QApplication::arguments();
    files.removeFirst();
    MDIFrmMain main;
    // Without a window manager "maximised" means nothing; fill the screen anyway.
    main.setGeometry(main.screen()->availableGeometry());
    main.showMaximized();
    if (!main.MDIForm_Load(files)) {
        return 0;
    }
    // Keyboard mnemonics of the child windows need an active main window; a
    // desktop without a window manager (a bare X server) never activates it.
    main.activateWindow();
    return QApplication::exec();
}
