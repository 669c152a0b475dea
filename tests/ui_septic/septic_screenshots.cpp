// Renders the septic window as a user meets it, into PNG files for a person
// to look at: `ui_septic_screenshots DIR`.
#include <QApplication>
#include <QDir>
#include <QMdiSubWindow>
#include <QPushButton>

#include "project/ui/FrmN.h"
#include "project/ui/FrmStart.h"
#include "scenarios/ui/FrmSeptic.h"
#include "tests/ui/ui_test_support.h"
#include "tests/ui/window_access.h"

namespace {

void save(QWidget& w, const QString& folder, const QString& name) {
    QApplication::processEvents();
    w.grab().save(QDir(folder).absoluteFilePath(name + ".png"));
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QDir::currentPath();
    ScriptedDialogs dialogs;
    ExampleHome home;
    MDIFrmMain w;
    w.resize(1280, 860);
    startOnProject(w);
    if (QWidget* start = w.findWindow(FrmStart::kKind)) {
        start->parentWidget()->showMinimized();
    }
    w.runCommand(QStringLiteral("MnuSeptic"));
    auto* septic = qobject_cast<FrmSeptic*>(w.findWindow(FrmSeptic::kKind));
    if (!septic) {
        return 1;
    }
    save(w, folder, "septic_opened");
    dialogs.fileAnswers = {home.input() + "/SepMillbrook.dat"};
    septic->cmdLoadData->click();
    dialogs.yesNoAnswer = false;
    septic->cmdSetSeptic->click();
    save(w, folder, "septic_set");
    septic->cmdChange->click();
    save(w, folder, "septic_panel");
    septic->CmdCancel->click();
    septic->CmdView->click();
    save(w, folder, "septic_text_page");
    dialogs.yesNoAnswer = true;
    septic->cmdSetSeptic->click();
    save(w, folder, "septic_editor");
    if (QWidget* editor = w.findWindow(FrmN::kKind)) {
        dialogs.yesNoAnswer = false;  // leave without saving
        editor->close();
    }
    dialogs.yesNoAnswer = true;
    septic->cmdClose->click();
    waitForRun(w);
    save(w, folder, "septic_run");
    for (const QString& m : dialogs.messages) {
        std::printf("%s\n", qPrintable(m));
    }
    return 0;
}
