#pragma once

#include <QHash>
#include <QMainWindow>
#include <QPointer>
#include <cstdint>

#include "shell/session.h"

class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QToolBar;
class FrmStart;
class FrmGraph;
class FrmSeepage;

// The main window: a multiple-document frame whose menus and toolbar open the
// other windows and switch the run options. It owns the session (the model
// state and the project settings) that the child windows work on; its check
// marks reflect the session's options, they never hold them.
class MDIFrmMain : public QMainWindow {
    Q_OBJECT
  public:
    explicit MDIFrmMain(QWidget* parent = nullptr);
    ~MDIFrmMain() override;

    // Prepares the application folder and opens the start window, whose
    // loading runs the start-up dialogue.
    void MDIForm_Load();

    Session& session() { return session_; }
    QMdiArea* mdiArea() const { return mdiArea_; }
    QAction* action(const QString& name) const { return actions_.value(name); }
    QMenu* menu(const QString& name) const { return menus_.value(name); }
    QToolBar* toolBar() const { return toolBar_; }

    // Services for the other windows.
    void HelpCmd(std::int16_t command, std::int32_t context);
    QString CheckInputBox(const QString& prompt, const QString& title, float limit, int helpContext,
                          const QString& defaultText);
    void SetPopRate(const QString& explanation, const QString& kind);
    bool NotepadOpen(const QString& fileName);

    // Check marks and two-state buttons follow the session's options.
    bool switchOptionOff(bool& option);
    void refreshOptionMarks();
    // Menus that depend on the optional files of the project.
    void EnableMenu();
    // Items that need loaded data are disabled and the county list reset.
    void disableDataMenus();
    void setCountyMenu(const QStringList& names);

    // Child windows.
    QMdiSubWindow* addChild(QWidget* window);
    // Shows a child window inside the visible part of the frame and makes it active.
    void showChild(QWidget* window);
    FrmStart* startWindow() const;
    FrmGraph* graphWindow(bool create);
    FrmSeepage* seepageWindow() const;
    void openSeepageWindow(bool variableConcentration);
    void closeGraphWindow();
    QWidget* activeChild() const;

    // Commands, named after their menu items.
    void mnuStart_Click();
    void MnuInput_Click();
    void MnuCreateNew_Click();
    void MnuCreateW_Click();
    void MnuBuildProject_Click();
    void MnuClose_Click();
    void MnuSaveResults_Click();
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
    void MnuEditTransport_Click();
    void MnuEditNutrient_Click();
    void GetMatchInputFiles();
    void MnuEditweather_Click();
    void MnuLandUse_Click();
    void MnuSoil_Click();
    void MnuPopulation_Click();
    void MnuUSGS_Click();
    void MnuCounty_Click(int index);
    void MnuLUMap_Click();
    void MnuSoilMap_Click();
    void MnuCountyMap_Click();
    void MnuSummary_Click();
    void MnuAnnual_Click();
    void MnuMonthly_Click();
    void MnuRegroup_Click();
    void MnuCompScen_Click();
    void MnuSum_Click();
    void MnuSDR_Click();
    void MnuNormalW_Click();
    void MnuDelay_Click();
    void MnuSeepage_Click();
    void MnuSetNutrMatrix_Click();
    void MnuVarConc_Click();
    void MnuOC_Click();
    void MnuSeptic_Click();
    void MnuRunSubBasins_Click();
    void MnuCascade_Click();
    void Mnuhorizontal_Click();
    void MnuVertical_Click();
    void MnuArrangeIcons_Click();
    void MnuHelpCnt_Click();
    void MnuHelpIndex_Click();
    void mnuAbout_Click();

    // Set once loading has finished; the start-up dialogue sets the second
    // when the user gave up choosing, so that the start window is closed again.
    bool mainLoaded = false;
    bool closeStartAfterLoad = false;
    // The start-up dialogue's "create new input" request.
    bool createNewRequested = false;
    // "End the program" was pressed during start-up.
    bool endRequested = false;

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void createActions();
    void createMenus();
    void createToolBars();
    void MnuFile_Open();
    void MnuEdit_Open();
    void mnuWindows_Open();
    void notAvailable(const QString& caption);
    void openStartWindow();

    Session session_;
    QMdiArea* mdiArea_;
    QToolBar* toolBar_ = nullptr;
    QHash<QString, QAction*> actions_;
    QHash<QString, QMenu*> menus_;
    QList<QAction*> countyItems_;
    QList<QAction*> windowItems_;
    QPointer<FrmStart> start_;
    QPointer<FrmGraph> graph_;
    QPointer<FrmSeepage> seepage_;
    bool exitConfirmed_ = false;
};
