// Renders the windows of the desktop program in the situations a user meets
// them, into PNG files for a person to look at: `ui_screenshots DIR`.
#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>

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
    FrmStart* start = startWindow(w);
    start->txtYear->setText("30");
    start->cmdRunSimulation->click();
    waitForRun(w);
    save(w, folder, "after_run");

    // The graph window maximised: the drawing grows with it.
    if (auto* sub = qobject_cast<QMdiSubWindow*>(graphWindow(w)->parentWidget())) {
        sub->showMaximized();
    }
    save(w, folder, "graph_maximised");
    graphWindow(w)->TabOut->setCurrentIndex(1);
    save(w, folder, "graph_maximised_nutrients");

    // Start again: the old start and graph windows go, frames and all.
    onNextModal([](QWidget* modal) { modal->findChild<QPushButton*>("btnGetFile")->click(); });
    w.mnuStart_Click();
    QApplication::processEvents();
    QApplication::processEvents();
    save(w, folder, "second_start");
    std::printf("%lld windows after the second start\n",
                static_cast<long long>(w.mdiArea()->subWindowList().size()));

    // The calibration window on the example project, before a run.
    w.runCommand(QStringLiteral("MnuCalibrate"));
    save(w, folder, "calibration");

    // A results file given as on the command line.
    w.mdiArea()->closeAllSubWindows();
    w.openFiles({QStringLiteral(RIVULON_SOURCE_DIR "/tests/analysis/data/Results3y_L4.dat")});
    save(w, folder, "results_monthly");
    w.openFiles({QStringLiteral(RIVULON_SOURCE_DIR "/tests/analysis/data/Summary3y_L4.dat")});
    save(w, folder, "results_summary");
    return 0;
}
