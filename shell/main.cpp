#include <QApplication>
#include <QIcon>
#include <QScreen>

#include "shell/MDIFrmMain.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Rivulon"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/rivulon.png")));
    MDIFrmMain main;
    // Without a window manager "maximised" means nothing; fill the screen anyway.
    main.setGeometry(main.screen()->availableGeometry());
    main.showMaximized();
    main.MDIForm_Load();
    if (main.endRequested) {
        return 0;
    }
    // Keyboard mnemonics of the child windows need an active main window; a
    // desktop without a window manager (a bare X server) never activates it.
    main.activateWindow();
    return QApplication::exec();
}
