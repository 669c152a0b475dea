#include <QApplication>
#include <QIcon>

#include "shell/MDIFrmMain.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Rivulon"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/rivulon.png")));
    MDIFrmMain main;
    main.showMaximized();
    main.MDIForm_Load();
    if (main.endRequested) {
        return 0;
    }
    return QApplication::exec();
}
