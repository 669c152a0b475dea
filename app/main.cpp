#include <QApplication>
#include <QIcon>
#include <QScreen>
#include <cstdio>
#include <cstring>

#include "app/MDIFrmMain.h"
#include "shell/app_locale.h"
#include "shell/install_check.h"

namespace {

// The options that print and end; they need no display.
int printOnly(int argc, char* argv[]) {
    const char* option = argv[1];
    if (std::strcmp(option, "--version") == 0) {
        std::printf("rivulon %s\n", RIVULON_VERSION);
        return 0;
    }
    if (std::strcmp(option, "--help") == 0) {
        std::printf(
            "usage: rivulon [FILE...]\n"
            "Opens each file by what it holds: a project file in the simulation window,\n"
            "a results or summary file in the result tables, a regrouped table in the\n"
            "regrouping window. Without files, the start-up dialogue asks for a project.\n"
            "  --check-install  report where the user guide, the example project and\n"
            "                   the grid control were found\n"
            "  --version        print the version\n");
        return 0;
    }
    QCoreApplication app(argc, argv);
    const rivulon::ui::InstallReport report = rivulon::ui::checkInstall();
    std::fputs(report.text.toLocal8Bit().constData(), stdout);
    return report.ok ? 0 : 1;
}

}  // namespace

int main(int argc, char* argv[]) {
    if (argc > 1 &&
        (std::strcmp(argv[1], "--version") == 0 || std::strcmp(argv[1], "--help") == 0 ||
         std::strcmp(argv[1], "--check-install") == 0)) {
        return printOnly(argc, argv);
    }
    QApplication app(argc, argv);
    // A German locale would otherwise read "1.5" as 1 and show "1,5".
    rivulon::ui::pinNumericLocale();
    QApplication::setApplicationName(QStringLiteral("Rivulon"));
    QApplication::setApplicationVersion(QStringLiteral(RIVULON_VERSION));
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
