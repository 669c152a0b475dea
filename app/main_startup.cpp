#include <QFileInfo>
#include <QMdiArea>
#include <QMdiSubWindow>

#include "analysis/file_kind.h"
#include "analysis/ui/duration_curve_view.h"
#include "analysis/ui/regroup_view.h"
#include "analysis/ui/result_table_view.h"
#include "app/MDIFrmMain.h"
#include "project/ui/frmFileList.h"
#include "project/ui/startup_dialogue.h"
#include "shell/app_folder.h"
#include "shell/data_paths.h"
#include "shell/dialogs.h"

// The start-up flow: the application folder, the start window and its
// dialogue, Start and Re-Start, the create commands' questions, and files
// given on the command line.

using rivulon::ui::dialogs;
using rivulon::ui::errorBox;
using rivulon::ui::msgBox;
using rivulon::ui::openService;
using rivulon::ui::StartupChoice;
using rivulon::ui::StartupDialogue;
using rivulon::ui::warnBox;
using rivulon::ui::WindowKind;

namespace {

// The start-up dialogue of a start window, or nothing to ask.
rivulon::ui::StartupDialogue* dialogueOf(QWidget* window) {
    return dynamic_cast<rivulon::ui::StartupDialogue*>(window);
}

}  // namespace

bool MDIFrmMain::MDIForm_Load(const QStringList& files) {
    const QString folder = rivulon::ui::applicationFolder();
    const rivulon::ui::FolderSetup setup =
        rivulon::ui::prepareApplicationFolder(folder, rivulon::ui::exampleProjectFolder());
    if (!setup.error.isEmpty()) {
        errorBox(this, setup.error);
    }
    session_.applicationFolder = folder;
    session_.programLoaded = false;
    if (files.isEmpty()) {
        openStartWindow();
    } else {
        openFiles(files);
    }
    session_.programLoaded = true;
    return !ended_;
}

void MDIFrmMain::openStartWindow() {
    if (QWidget* start = findWindow(StartupDialogue::kProvider)) {
        showChild(start);
        return;
    }
    QWidget* start = openWindow(StartupDialogue::kProvider);
    rivulon::ui::StartupDialogue* dialogue = dialogueOf(start);
    if (!dialogue) {
        return;
    }
    const StartupChoice choice = dialogue->runStartup(pendingProject_);
    pendingProject_.clear();
    if (choice == StartupChoice::Ready) {
        showChild(start);
        return;
    }
    // Nothing to run on: the start window goes again, never shown.
    if (auto* sub = qobject_cast<QMdiSubWindow*>(start->parentWidget())) {
        sub->close();
    }
    if (choice == StartupChoice::End) {
        ended_ = true;
        exitConfirmed_ = true;
        close();
    } else if (choice == StartupChoice::CreateNew) {
        runCommand(QStringLiteral("MnuCreateNew"));
    }
}

QString MDIFrmMain::unsavedResultsNote() const {
    if (!session_.resultsUnsaved()) {
        return {};
    }
    return QStringLiteral(
        "The results of the last run are not saved (File > Save Current Results saves "
        "them).\n\n");
}

bool MDIFrmMain::refusedWhileRunning() {
    // The run's results are this project's; another project would not match them.
    if (!jobs_.holdsSession()) {
        return false;
    }
    warnBox(this, QStringLiteral("A run is in progress. Open another project when it has ended."));
    return true;
}

void MDIFrmMain::mnuStart_Click() {
    if (refusedWhileRunning()) {
        return;
    }
    // An open start window would be left without its files: start it afresh.
    if (QWidget* start = findWindow(StartupDialogue::kProvider)) {
        if (auto* sub = qobject_cast<QMdiSubWindow*>(start->parentWidget())) {
            sub->close();
        } else {
            start->close();
        }
        if (findWindow(StartupDialogue::kProvider)) {
            return;  // the window refused to close
        }
    }
    rivulon::ProjectSettings& s = session_.settings;
    // The observed-flow file is kept: it is not part of a start.
    for (std::string* path :
         {&s.transportPath, &s.nutrientPath, &s.weatherPath, &s.weatherDelayPath, &s.landUseMapPath,
          &s.countyMapPath, &s.soilMapPath, &s.databasePath, &s.projectPath}) {
        path->clear();
    }
    openStartWindow();
}

void MDIFrmMain::MnuInput_Click() {
    if (refusedWhileRunning()) {
        return;
    }
    // Closing the start window leaves nothing that could save them.
    if (session_.resultsUnsaved() &&
        !dialogs().askYesNo(
            this,
            unsavedResultsNote() + QStringLiteral("Re-Start closes every window. Re-Start anyway?"),
            QStringLiteral("Re-Start"))) {
        return;
    }
    // Closing may be refused by a window; stop rather than loop forever.
    for (int guard = 0; guard < 100 && activeChild(); ++guard) {
        QMdiSubWindow* sub = mdiArea_->activeSubWindow() ? mdiArea_->activeSubWindow()
                                                         : mdiArea_->currentSubWindow();
        if (!sub || !sub->close()) {
            break;
        }
    }
    mnuStart_Click();
}

void MDIFrmMain::MnuBuildProject_Click() {
    if (refusedWhileRunning()) {
        return;
    }
    const rivulon::RunOptions& options = session_.state.options;
    frmFileList list(session_, this, frmFileList::Mode::Hidden);
    list.CreateProject(options.varConcA, options.varConcB, options.varConcLow, options.varConcHigh,
                       options.yearSeep);
}

void MDIFrmMain::openFiles(const QStringList& paths) {
    for (const QString& path : paths) {
        const rivulon::FileKind kind = rivulon::fileKindOf(path.toStdString());
        switch (kind) {
            case rivulon::FileKind::Project: {
                // A project replaces the one open, as Start does.
                pendingProject_ = QFileInfo(path).absoluteFilePath();
                mnuStart_Click();
                break;
            }
            case rivulon::FileKind::Results:
            case rivulon::FileKind::Summary:
                if (auto* view = openService<rivulon::ui::ResultTableView>(*this)) {
                    showChild(dynamic_cast<QWidget*>(view));
                    view->showResultFile(path,
                                         kind == rivulon::FileKind::Results
                                             ? rivulon::ui::ResultTable::Monthly
                                             : rivulon::ui::ResultTable::Summary,
                                         1);
                }
                break;
            case rivulon::FileKind::Daily:
                if (auto* view = openService<rivulon::ui::DurationCurveView>(*this)) {
                    showChild(dynamic_cast<QWidget*>(view));
                    view->showDailyFile(path);
                }
                break;
            case rivulon::FileKind::Regrouped:
                if (auto* view = openService<rivulon::ui::RegroupView>(*this)) {
                    showChild(dynamic_cast<QWidget*>(view));
                    view->loadRegroupedTable(path);
                }
                break;
            case rivulon::FileKind::Unreadable:
                errorBox(this,
                         QStringLiteral("Cannot open %1: the file cannot be read.").arg(path));
                break;
            case rivulon::FileKind::Unknown:
                warnBox(this,
                        QStringLiteral("Cannot open %1: it is not a project file, a results "
                                       "file, a summary file, a regrouped table or a daily file.")
                            .arg(path));
                break;
        }
    }
}
