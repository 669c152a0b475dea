#pragma once

#include <QHash>
#include <QMainWindow>
#include <QStringList>
#include <cstdint>

#include "shell/jobs.h"
#include "shell/session.h"
#include "shell/window_host.h"
#include "shell/window_registration.h"

class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QToolBar;

// The main window: a multiple-document frame whose menus and toolbar open the
// other windows and switch the run options. It owns the session (the model
// state and the project settings) and is the host the child windows see; its
// check marks and enabled states follow the session's signals.
//
// Its parts are split by concern: menu_tree.cpp (the menu and toolbar as
// data, command dispatch), main_edit.cpp (Copy, Cut, Paste), main_arrange.cpp
// (window arrangement), main_startup.cpp (start-up flow and files given on
// the command line).
class MDIFrmMain : public QMainWindow, public rivulon::ui::WindowHost {
    Q_OBJECT
  public:
    explicit MDIFrmMain(QWidget* parent = nullptr);
    ~MDIFrmMain() override;

    // Prepares the application folder and opens the start window, whose
    // loading runs the start-up dialogue. Files given (on the command line)
    // are opened instead: a project in the start window without asking, the
    // others in their windows. False when the user ended the program.
    bool MDIForm_Load(const QStringList& files = {});
    // Opens files given on the command line, each by what it holds.
    void openFiles(const QStringList& paths);

    // The window host.
    Session& session() override { return session_; }
    QWidget* frame() override { return this; }
    QWidget* findWindow(rivulon::ui::WindowKind kind) const override;
    QWidget* openWindow(rivulon::ui::WindowKind kind) override;
    void addChild(QWidget* window) override;
    void showChild(QWidget* window) override;
    void fitFrame(QWidget* window) override;
    void resizeFrame(QWidget* window, QSize size) override;
    void centreChild(QWidget* window) override;
    void placeInCorner(QWidget* window) override;
    void runCommand(const QString& menuItem) override;
    void HelpCmd(std::int16_t command, std::int32_t context) override;
    QString CheckInputBox(const QString& prompt, const QString& title, float limit, int helpContext,
                          const QString& defaultText) override;
    void SetPopRate(const QString& explanation, const QString& kind) override;
    bool NotepadOpen(const QString& fileName) override;
    rivulon::ui::Jobs& jobs() override { return jobs_; }

    QMdiArea* mdiArea() const { return mdiArea_; }
    QAction* action(const QString& name) const { return actions_.value(name); }
    QMenu* menu(const QString& name) const { return menus_.value(name); }
    QToolBar* toolBar() const { return toolBar_; }
    QWidget* activeChild() const;

    // Followers of the session's signals.
    void refreshOptionMarks();
    void EnableMenu();
    void disableDataMenus();
    void setCountyMenu(const QStringList& names);

    // The main window's own commands, named after their menu items; the
    // windows' commands come with their registrations.
    void mnuStart_Click();
    void MnuInput_Click();
    void MnuBuildProject_Click();
    void MnuClose_Click();
    void mnuPrint_Click();
    void MnuExit_Click();
    void MnuCopy_Click();
    void MnuCut_Click();
    void MnuPaste_Click();
    void MnuNotepad_Click();
    void MnuNotepadTrans_Click();
    void MnuNotepadNutri_Click();
    void MnuNotepadWeather_Click();
    void MnuNotepadProject_Click();
    void MnuLinearRate_Click();
    void MnuExpRate_Click();
    void MnuSoil_Click();
    void MnuNormalW_Click();
    void MnuOC_Click();
    void MnuCascade_Click();
    void Mnuhorizontal_Click();
    void MnuVertical_Click();
    void MnuArrangeIcons_Click();
    void MnuHelpCnt_Click();
    void MnuHelpIndex_Click();
    void mnuAbout_Click();

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void addHelpKey(QWidget* window, int helpContext);
    void createActions();
    void createMenus();
    void createToolBars();
    // Puts every registered window's commands into the menus.
    void addWindowCommands();
    // The windows' commands' enabled states and check marks, from their registrations.
    void refreshCommandStates();
    // Item `index` of the county sub-menu: the record of the county whose "ID" is index + 1.
    void openCounty(int index);
    void followSession();
    // Keeps the selection of a text box while the menu bar has the keyboard
    // (main_edit.cpp).
    void keepSelectionsForMenus();
    void followFiles();
    void followRuns();
    // While a job whose results are the project\'s runs, the commands that
    // choose another project are off.
    void followJobs();
    // True (after saying so) while such a job runs.
    bool refusedWhileRunning();
    void MnuEdit_Open();
    void mnuWindows_Open();
    // Opens the start window and runs its start-up dialogue.
    void openStartWindow();
    // The frame's title names the active window (main_arrange.cpp).
    void followActiveWindow();
    void showActiveTitle();
    // A line saying that the last run's results are in no file yet, or "".
    QString unsavedResultsNote() const;

    Session session_;
    rivulon::ui::Jobs jobs_{session_};
    QMdiArea* mdiArea_;
    QToolBar* toolBar_ = nullptr;
    QHash<QString, QAction*> actions_;
    QHash<QString, QMenu*> menus_;
    QList<QAction*> countyItems_;
    QList<QAction*> windowItems_;
    // The actions of the windows' commands, with their registrations.
    QList<QPair<QAction*, const rivulon::ui::WindowCommand*>> windowCommands_;
    // A project named on the command line, taken by the next start-up instead of asking.
    QString pendingProject_;
    bool exitConfirmed_ = false;
    bool ended_ = false;  // "End" was chosen in the start-up dialogue
};
