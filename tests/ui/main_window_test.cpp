#include <gtest/gtest.h>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QFontDatabase>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QTableWidget>
#include <QTest>
#include <QToolBar>
#include <QToolButton>

#include "app/MDIFrmMain.h"
#include "app/window_registry.h"
#include "shell/HelpViewer.h"
#include "shell/app_folder.h"
#include "shell/help_service.h"
#include "shell/text_editor.h"
#include "tests/ui/ui_test_support.h"
#include "tests/ui/window_access.h"

namespace {

QStringList topMenuCaptions(MDIFrmMain& w) {
    QStringList captions;
    for (QAction* a : w.menuBar()->actions()) {
        captions << a->text();
    }
    return captions;
}

QStringList itemNames(QMenu* menu) {
    QStringList names;
    for (QAction* a : menu->actions()) {
        names << a->objectName();
    }
    return names;
}

TEST(MainWindowMenus, TreeFollowsTheMenuOrder) {
    MDIFrmMain w;
    EXPECT_EQ(topMenuCaptions(w), (QStringList{"&File", "&Edit", "&Data", "&View", "&Tools",
                                               "&Option", "&Advanced", "&Windows", "&Help"}));
    EXPECT_EQ(itemNames(w.menu("MnuFile")),
              (QStringList{"mnuStart", "MnuInput", "mnuseparator", "MnuCreateNew", "MnuCreateW",
                           "MnuBuildProject", "MnuClose", "MnuSeparator0", "MnuSaveResults",
                           "mnuPrint", "mnuSeparator1", "MnuExit"}));
    EXPECT_EQ(itemNames(w.menu("MnuNoteOverall")),
              (QStringList{"MnuNotepad", "MnuNotepadTrans", "MnuNotepadNutri", "MnuNotepadWeather",
                           "MnuNotepadProject"}));
    EXPECT_EQ(itemNames(w.menu("MnuOption")),
              (QStringList{"MnuNormalW", "MnuDelay", "MnuSeepage", "MnuSetNutrMatrix",
                           "MnuSeparator4", "MnuVarConc", "MnuOC"}));
    EXPECT_EQ(w.action("MnuSeepage")->text(), "&Add Seepage or Ouput Daily Flow");
    EXPECT_EQ(w.action("MnuAbout")->text(), "&About Rivulon");
    EXPECT_EQ(w.action("MnuCopy")->shortcut(), QKeySequence("Ctrl+C"));
    EXPECT_EQ(w.action("MnuCut")->shortcut(), QKeySequence("Ctrl+X"));
    EXPECT_EQ(w.action("MnuPaste")->shortcut(), QKeySequence("Ctrl+V"));
    EXPECT_EQ(w.action("MnuCounty")->text(), "Not Available");
}

TEST(MainWindowMenus, ToolbarButtonsByKey) {
    MDIFrmMain w;
    const QStringList keys{"Start",   "Re-start", "New-Input",      "New-weather", "Close",
                           "Print",   "Notepad",  "Compare",        "ViewResults", "ReGroup",
                           "Seepage", "Sum",      "NutrientMatrix", "Help"};
    for (const QString& key : keys) {
        EXPECT_NE(w.toolBar()->findChild<QToolButton*>(key), nullptr) << key.toStdString();
    }
    auto* seepage = w.toolBar()->findChild<QToolButton*>("Seepage");
    EXPECT_EQ(seepage->toolTip(), "Set seepage calibration parameters");
    EXPECT_TRUE(seepage->isCheckable());
    EXPECT_TRUE(w.toolBar()->findChild<QToolButton*>("NutrientMatrix")->isCheckable());
    EXPECT_FALSE(w.toolBar()->findChild<QToolButton*>("Re-start")->isVisible());
    EXPECT_TRUE(w.action("MnuInput")->isVisible());
}

TEST(MainWindowMenus, CheckMarksFollowTheOptions) {
    ScriptedDialogs dialogs;
    MDIFrmMain w;
    w.session().state.options.seepControlOn = true;
    w.refreshOptionMarks();
    EXPECT_TRUE(w.action("MnuSeepage")->isChecked());
    EXPECT_TRUE(w.toolBar()->findChild<QToolButton*>("Seepage")->isChecked());

    // The menu only switches an option off; switching on goes through the window.
    w.action("MnuSeepage")->trigger();
    EXPECT_FALSE(w.session().state.options.seepControlOn);
    EXPECT_FALSE(w.action("MnuSeepage")->isChecked());
    EXPECT_FALSE(w.toolBar()->findChild<QToolButton*>("Seepage")->isChecked());

    w.action("MnuOC")->trigger();
    EXPECT_TRUE(w.session().state.options.organicCarbonMode);
    w.action("MnuOC")->trigger();
    EXPECT_FALSE(w.action("MnuOC")->isChecked());

    // "Normal Weather Data" has no command: the mark stays what the weather file says.
    w.action("MnuNormalW")->trigger();
    EXPECT_FALSE(w.action("MnuNormalW")->isChecked());
}

TEST(MainWindowMenus, DataMenusFollowTheOptionalFiles) {
    MDIFrmMain w;
    EXPECT_FALSE(w.action("MnuUSGS")->isEnabled());
    w.session().settings.observedFlowPath = "/x/UsgsObs.dat";
    w.session().settings.databasePath = "Not Found";
    w.EnableMenu();
    EXPECT_TRUE(w.action("MnuUSGS")->isEnabled());
    EXPECT_FALSE(w.menu("MnuCountyArray")->menuAction()->isEnabled());
    w.session().settings.databasePath = "/x/db.mdb";
    w.EnableMenu();
    EXPECT_TRUE(w.menu("MnuCountyArray")->menuAction()->isEnabled());
    EXPECT_FALSE(w.action("MnuSoil")->isEnabled());

    w.setCountyMenu({"Upper", "Cedar", "Lower"});
    EXPECT_EQ(w.menu("MnuCountyArray")->actions().size(), 3);
    w.disableDataMenus();
    ASSERT_EQ(w.menu("MnuCountyArray")->actions().size(), 1);
    EXPECT_EQ(w.menu("MnuCountyArray")->actions().first()->text(), "Not Available");
    EXPECT_FALSE(w.action("MnuUSGS")->isEnabled());
}

TEST(MainWindowServices, PopulationRateAsksAgainUntilBelowTheLimit) {
    ScriptedDialogs dialogs;
    MDIFrmMain w;
    dialogs.inputAnswers = {"12", "abc", "-0.02"};
    w.action("MnuExpRate")->trigger();
    ASSERT_EQ(dialogs.inputPrompts.size(), 3);
    EXPECT_TRUE(dialogs.inputPrompts[0].startsWith(
        "Exponential population rate, current rate used = 0|Please give a reasonable rate (/year) "
        "of population change for the simulation period. Exponential: e.g."));
    EXPECT_FLOAT_EQ(w.session().state.options.popRate, -0.02f);
    EXPECT_TRUE(w.action("MnuExpRate")->isChecked());
    EXPECT_FALSE(w.action("MnuLinearRate")->isChecked());

    // Cancelling keeps the rate but still switches the growth rule.
    dialogs.inputPrompts.clear();
    w.action("MnuLinearRate")->trigger();
    EXPECT_EQ(dialogs.inputPrompts.size(), 1);
    EXPECT_TRUE(
        dialogs.inputPrompts[0].startsWith("Linear population rate, current rate used = -.02|"));
    EXPECT_FLOAT_EQ(w.session().state.options.popRate, -0.02f);
    EXPECT_TRUE(w.action("MnuLinearRate")->isChecked());
    EXPECT_FALSE(w.session().state.options.popGrowthExponential);
}

TEST(MainWindowServices, WeatherYearsBoxLimits) {
    ScriptedDialogs dialogs;
    MDIFrmMain w;
    dialogs.inputAnswers = {"101", "100"};
    w.action("MnuCreateW")->trigger();
    EXPECT_EQ(dialogs.inputPrompts.size(), 2);
    EXPECT_TRUE(dialogs.messages.isEmpty());
    EXPECT_NE(w.findWindow(rivulon::ui::WindowKind::Weather), nullptr);

    for (const QString& answer : {QString("0"), QString()}) {
        dialogs.messages.clear();
        dialogs.inputAnswers = {answer};
        w.action("MnuCreateW")->trigger();
        EXPECT_EQ(dialogs.messages, QStringList{"Warning!|Number of years must be >0!"});
    }
}

TEST(MainWindowServices, NewInputFilesAskLatitudeAndCounts) {
    ScriptedDialogs dialogs;
    MDIFrmMain w;
    dialogs.inputAnswers = {"70", "45", "3", "100", "2"};
    w.action("MnuCreateNew")->trigger();
    EXPECT_EQ(dialogs.inputPrompts,
              (QStringList{QString::fromUtf8("Watershed Latitude|What is the latitude (<= 66°) of "
                                             "the watershed ?"),
                           QString::fromUtf8("Watershed Latitude|What is the latitude (<= 66°) of "
                                             "the watershed ?"),
                           "Rural Land Uses|How many rural land uses will you have for your "
                           "project ?",
                           "Urban Land Uses|How many urban land uses will you have for your "
                           "project ?",
                           "Urban Land Uses|How many urban land uses will you have for your "
                           "project ?"}));
    EXPECT_TRUE(dialogs.messages.isEmpty());
    EXPECT_NE(w.findWindow(rivulon::ui::WindowKind::Transport), nullptr);

    // Cancelling a question stops the command.
    dialogs.inputPrompts.clear();
    dialogs.messages.clear();
    dialogs.inputAnswers = {"36"};
    w.action("MnuCreateNew")->trigger();
    EXPECT_EQ(dialogs.inputPrompts.size(), 2);
    EXPECT_TRUE(dialogs.messages.isEmpty());
}

TEST(MainWindowServices, PrintsTheActiveWindow) {
    ScriptedDialogs dialogs;
    QTemporaryDir dir;
    MDIFrmMain w;
    w.show();
    auto* form = new QLabel("Millbrook Creek");
    addShown(w, form);
    w.mdiArea()->setActiveSubWindow(w.mdiArea()->subWindowList().first());

    // Cancelling the printer dialog prints nothing and says nothing.
    dialogs.printTo = dir.path() + "/form.pdf";
    w.action("mnuPrint")->trigger();
    EXPECT_FALSE(QFile::exists(dialogs.printTo));
    EXPECT_TRUE(dialogs.messages.isEmpty());

    dialogs.printerAnswer = true;
    w.action("mnuPrint")->trigger();
    EXPECT_TRUE(dialogs.messages.isEmpty());
    QFile pdf(dialogs.printTo);
    ASSERT_TRUE(pdf.open(QIODevice::ReadOnly));
    EXPECT_TRUE(pdf.read(5).startsWith("%PDF"));
}

TEST(MainWindowServices, WindowsMenuArrangesAndListsChildren) {
    MDIFrmMain w;
    w.resize(1000, 700);
    w.show();
    QLabel* first = new QLabel("one");
    first->setWindowTitle("One");
    QLabel* second = new QLabel("two");
    second->setWindowTitle("Two");
    addShown(w, first);
    addShown(w, second);
    const QSize area = w.mdiArea()->viewport()->size();

    w.action("Mnuhorizontal")->trigger();
    for (QMdiSubWindow* sub : w.mdiArea()->subWindowList()) {
        EXPECT_EQ(sub->width(), area.width());
        EXPECT_EQ(sub->height(), area.height() / 2);
    }
    w.action("MnuVertical")->trigger();
    for (QMdiSubWindow* sub : w.mdiArea()->subWindowList()) {
        EXPECT_EQ(sub->height(), area.height());
        EXPECT_EQ(sub->width(), area.width() / 2);
    }
    emit w.menu("mnuWindows")->aboutToShow();
    QStringList listed;
    for (QAction* a : w.menu("mnuWindows")->actions()) {
        if (!a->isSeparator() && a->objectName().isEmpty()) {
            listed << a->text();
        }
    }
    EXPECT_EQ(listed, (QStringList{"&1 One", "&2 Two"}));
}

TEST(MainWindowServices, ExitAsksAndNoKeepsTheProgram) {
    ScriptedDialogs dialogs;
    MDIFrmMain w;
    w.show();
    dialogs.yesNoAnswer = false;
    w.action("MnuExit")->trigger();
    EXPECT_EQ(dialogs.yesNoAsked, 1);
    EXPECT_TRUE(w.isVisible());
    dialogs.yesNoAnswer = true;
    w.action("MnuExit")->trigger();
    EXPECT_FALSE(w.isVisible());
}

TEST(MainWindowServices, CloseAndPrintWithoutAWindow) {
    ScriptedDialogs dialogs;
    MDIFrmMain w;
    w.action("MnuClose")->trigger();
    w.action("mnuPrint")->trigger();
    EXPECT_EQ(dialogs.messages, QStringList{"Rivulon|No form to print or printer error"});
}

TEST(MainWindowEdit, CommandsActOnTheActiveControl) {
    ScriptedDialogs dialogs;
    MDIFrmMain w;
    w.show();
    auto* form = new QWidget;
    auto* text = new QLineEdit("Millbrook Creek", form);
    text->setObjectName("txt");
    auto* grid = new QTableWidget(3, 3, form);
    grid->move(0, 40);
    addShown(w, form);
    QApplication::clipboard()->setText("pasted");

    text->setFocus();
    text->setSelection(0, 9);
    emit w.menu("MnuEdit")->aboutToShow();
    EXPECT_TRUE(w.action("MnuCopy")->isEnabled());
    EXPECT_TRUE(w.action("MnuPaste")->isEnabled());
    w.MnuCut_Click();
    EXPECT_EQ(QApplication::clipboard()->text(), "Millbrook");
    EXPECT_EQ(text->text(), " Creek");
    text->setCursorPosition(0);
    w.MnuPaste_Click();
    EXPECT_EQ(text->text(), "Millbrook Creek");

    grid->setFocus();
    emit w.menu("MnuEdit")->aboutToShow();
    EXPECT_FALSE(w.action("MnuCopy")->isEnabled());
    EXPECT_FALSE(w.action("MnuCut")->isEnabled());
    EXPECT_FALSE(w.action("MnuPaste")->isEnabled());
}

TEST(Services, TextEditorChoices) {
    const auto installed = [](const QStringList& programs) {
        return [programs](const QString& p) { return programs.contains(p); };
    };
    // A terminal editor runs inside a terminal; a desktop one directly.
    auto calls = rivulon::ui::editorCalls("/p/Transprt.dat", "", "vim",
                                          installed({"vim", "xterm", "xdg-open", "gedit"}));
    ASSERT_EQ(calls.size(), 3);
    EXPECT_EQ(calls[0], (rivulon::ui::ProgramCall{"xterm", {"-e", "vim", "/p/Transprt.dat"}}));
    EXPECT_EQ(calls[1], (rivulon::ui::ProgramCall{"xdg-open", {"/p/Transprt.dat"}}));
    EXPECT_EQ(calls[2].program, "gedit");

    calls = rivulon::ui::editorCalls("/p/a.dat", "code --wait", "", installed({"code"}));
    ASSERT_EQ(calls.size(), 1);
    EXPECT_EQ(calls[0], (rivulon::ui::ProgramCall{"code", {"--wait", "/p/a.dat"}}));

    // Nothing usable: the caller shows its message.
    EXPECT_TRUE(rivulon::ui::editorCalls("", "nano", "", installed({"nano"})).isEmpty());
    EXPECT_FALSE(rivulon::ui::startFirst({}));
}

TEST(Services, ApplicationFolderGetsTheExampleOnce) {
    QTemporaryDir home;
    const QString examples = QStringLiteral(RIVULON_SOURCE_DIR "/examples/Millbrook");
    auto setup = rivulon::ui::prepareApplicationFolder(home.path() + "/Rivulon", examples);
    EXPECT_TRUE(setup.error.isEmpty());
    EXPECT_TRUE(setup.inputCreated);
    EXPECT_GT(setup.examplesCopied, 4);
    EXPECT_TRUE(QFile::exists(home.path() + "/Rivulon/Input/Millbrook.prj"));
    EXPECT_TRUE(QDir(home.path() + "/Rivulon/Output").exists());

    // A user who removed the example does not get it back.
    QFile::remove(home.path() + "/Rivulon/Input/Millbrook.prj");
    setup = rivulon::ui::prepareApplicationFolder(home.path() + "/Rivulon", examples);
    EXPECT_EQ(setup.examplesCopied, 0);
    EXPECT_FALSE(QFile::exists(home.path() + "/Rivulon/Input/Millbrook.prj"));
}

TEST(Services, HelpTopicsByContextNumber) {
    for (int context : {75, 76, 82, 110, 270}) {
        EXPECT_FALSE(rivulon::ui::helpTopicFile(context).isEmpty()) << context;
    }
    EXPECT_TRUE(rivulon::ui::helpTopicFile(99999).isEmpty());
    rivulon::ui::showHelp(rivulon::ui::HelpCommand::Context, 82);
    auto* viewer = qobject_cast<HelpViewer*>(QApplication::topLevelWidgets().value(0));
    for (QWidget* top : QApplication::topLevelWidgets()) {
        if (top->objectName() == "HelpViewer") {
            viewer = qobject_cast<HelpViewer*>(top);
        }
    }
    ASSERT_NE(viewer, nullptr);
    EXPECT_EQ(viewer->currentFile(), rivulon::ui::helpTopicFile(82));
    rivulon::ui::showHelp(rivulon::ui::HelpCommand::Quit);
}

HelpViewer* shownViewer() {
    for (QWidget* top : QApplication::topLevelWidgets()) {
        if (auto* viewer = qobject_cast<HelpViewer*>(top); viewer && viewer->isVisible()) {
            return viewer;
        }
    }
    return nullptr;
}

// F1 in every window the registry makes shows that window's own topic, and
// the viewer closes from the keyboard with Esc or Ctrl+W.
TEST(Help, F1ShowsEveryWindowsTopicAndTheViewerClosesFromTheKeyboard) {
    ScriptedDialogs dialogs;
    ExampleHome home;
    MDIFrmMain w;
    w.resize(1280, 860);
    startOnProject(w);
    bool escape = true;
    for (const rivulon::ui::WindowRow& row : rivulon::ui::windowRows()) {
        if (!row.create) {
            continue;
        }
        SCOPED_TRACE(row.className);
        QWidget* window = w.openWindow(row.kind);
        ASSERT_NE(window, nullptr);
        w.showChild(window);
        const QString topic = rivulon::ui::helpTopicFile(row.helpContext);
        EXPECT_FALSE(topic.isEmpty());
        w.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
        window->setFocus();
        QTest::keyClick(window, Qt::Key_F1);
        HelpViewer* viewer = shownViewer();
        ASSERT_NE(viewer, nullptr);
        EXPECT_EQ(viewer->currentFile(), topic);
        ASSERT_TRUE(QTest::qWaitForWindowActive(viewer));
        if (escape) {
            QTest::keyClick(viewer, Qt::Key_Escape);
        } else {
            QTest::keyClick(viewer, Qt::Key_W, Qt::ControlModifier);
        }
        escape = !escape;
        EXPECT_EQ(shownViewer(), nullptr);
        QCoreApplication::processEvents();
    }
}

TEST(Services, FontsAreInstalled) {
    EXPECT_FALSE(QFontDatabase::families().isEmpty());
}

}  // namespace
