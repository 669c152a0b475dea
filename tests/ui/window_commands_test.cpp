#include <gtest/gtest.h>
#include <QAction>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QTest>
#include <QToolBar>

#include "app/MDIFrmMain.h"
#include "app/window_registry.h"
#include "tests/ui/ui_test_support.h"
#include "tests/ui/window_access.h"

// The windows' own commands, placed by their registrations into the main
// window's menu tree, and the host's placing of windows.

namespace {

QStringList itemsOf(const MDIFrmMain& w, const char* menu) {
    QStringList names;
    for (const QAction* a : w.menu(QString::fromLatin1(menu))->actions()) {
        names << a->objectName();
    }
    return names;
}

QMdiSubWindow* frameOf(QWidget* window) {
    return qobject_cast<QMdiSubWindow*>(window->parentWidget());
}

}  // namespace

// Commands of different windows meet in one menu, each after the item its
// registration names (some of which are other windows' commands).
TEST(WindowCommands, EveryMenuHoldsItsItemsInTheirOrder) {
    ScriptedDialogs dialogs;
    MDIFrmMain w;
    EXPECT_EQ(itemsOf(w, "MnuFile"),
              (QStringList{"mnuStart", "MnuInput", "mnuseparator", "MnuCreateNew", "MnuCreateW",
                           "MnuBuildProject", "MnuClose", "MnuSeparator0", "MnuSaveResults",
                           "mnuPrint", "mnuSeparator1", "MnuExit"}));
    EXPECT_EQ(itemsOf(w, "MnuEdit"),
              (QStringList{"MnuCopy", "MnuCut", "MnuPaste", "MnuNoteOverall", "MnuSeparator2",
                           "MnuPopRate", "MnuEditTransport", "MnuEditNutrient", "MnuEditweather"}));
    EXPECT_EQ(itemsOf(w, "MnuData"),
              (QStringList{"MnuLandUse", "MnuSoil", "MnuPopulation", "MnuUSGS", "MnuCountyArray"}));
    EXPECT_EQ(itemsOf(w, "MnuView"), (QStringList{"MnuLUMap", "MnuSoilMap", "MnuCountyMap",
                                                  "MnuSeparator3", "MnuResutls"}));
    EXPECT_EQ(itemsOf(w, "MnuResutls"), (QStringList{"MnuSummary", "MnuAnnual", "MnuMonthly"}));
    EXPECT_EQ(itemsOf(w, "MnuTools"), (QStringList{"MnuRegroup", "MnuCompScen", "MnuSum",
                                                   "MnuCompEnsemble", "MnuSDR", "MnuCalibrate"}));
    EXPECT_EQ(itemsOf(w, "MnuOption"),
              (QStringList{"MnuNormalW", "MnuDelay", "MnuSeepage", "MnuSetNutrMatrix",
                           "MnuSeparator4", "MnuVarConc", "MnuOC"}));
    EXPECT_EQ(itemsOf(w, "mnuAdvanced"),
              (QStringList{"MnuSeptic", "MnuRunSubBasins", "MnuClimate"}));
    // Every registered command has one action, in the menu its registration names.
    for (const rivulon::ui::WindowRegistration* window : rivulon::ui::windowRegistrations()) {
        for (const rivulon::ui::WindowCommand& command : window->commands) {
            SCOPED_TRACE(command.id);
            ASSERT_NE(w.action(QString::fromLatin1(command.id)), nullptr);
            EXPECT_TRUE(itemsOf(w, command.menu).contains(QString::fromLatin1(command.id)));
            EXPECT_EQ(w.action(QString::fromLatin1(command.id))->text(),
                      QString::fromUtf8(command.caption));
        }
    }
}

// "Save Current Results" can be chosen only while the simulation window is
// open with the results of a finished run; once it closes, the item is off.
TEST(WindowCommands, SaveCurrentResultsOnlyWhileThereIsSomethingToSave) {
    ExampleHome home;
    MDIFrmMain w;
    QAction* save = w.action("MnuSaveResults");
    ScriptedDialogs dialogs;
    startOnProject(w);
    FrmStart* start = startWindow(w);
    ASSERT_NE(start, nullptr);
    emit w.menu("MnuFile")->aboutToShow();
    EXPECT_FALSE(save->isEnabled()) << "nothing was run yet";

    start->txtYear->selectAll();
    QTest::keyClicks(start->txtYear, "2");
    start->cmdRunSimulation->click();
    waitForRun(w);
    ASSERT_TRUE(start->hasResults());
    emit w.menu("MnuFile")->aboutToShow();
    EXPECT_TRUE(save->isEnabled());

    frameOf(start)->close();
    QTest::qWait(20);
    ASSERT_EQ(startWindow(w), nullptr);
    EXPECT_FALSE(save->isEnabled()) << "the simulation window has closed";
    emit w.menu("MnuFile")->aboutToShow();
    EXPECT_FALSE(save->isEnabled());
    // Chosen anyway, it writes nothing.
    dialogs.fileAnswers = {home.dir.path() + "/Output/Results.dat",
                           home.dir.path() + "/Output/Summary.dat"};
    save->setEnabled(true);
    save->trigger();
    EXPECT_FALSE(QFile::exists(home.dir.path() + "/Output/Results.dat"));
}

// An option's command switches it off when it is on, and opens its window
// only when it is off; the check mark follows the option.
TEST(WindowCommands, OptionCommandsSwitchOffOrOpenTheirWindow) {
    ScriptedDialogs dialogs;
    ExampleHome home;
    MDIFrmMain w;
    startOnProject(w);
    w.session().state.options.seepControlOn = true;
    w.session().announceOptions();
    EXPECT_TRUE(w.action("MnuSeepage")->isChecked());
    w.action("MnuSeepage")->trigger();
    EXPECT_FALSE(w.session().state.options.seepControlOn);
    EXPECT_FALSE(w.action("MnuSeepage")->isChecked());
    EXPECT_EQ(seepageWindow(w), nullptr);
    w.action("MnuSeepage")->trigger();
    EXPECT_NE(seepageWindow(w), nullptr);
    EXPECT_FALSE(w.action("MnuSeepage")->isChecked()) << "opening the window sets nothing yet";
}

// The host keeps the windows it places inside the area the windows live in.
TEST(HostPlacement, CornerCentreAndSizeStayInsideTheArea) {
    ScriptedDialogs dialogs;
    MDIFrmMain w;
    w.resize(1000, 760);
    w.show();
    auto* window = new QLabel(QStringLiteral("placed"));
    window->setObjectName("Placed");
    window->resize(300, 200);
    QMdiSubWindow* sub = addShown(w, window);
    const QRect area = w.mdiArea()->viewport()->rect();

    w.resizeFrame(window, QSize(320, 240));
    EXPECT_EQ(window->size(), QSize(320, 240));

    w.centreChild(window);
    EXPECT_NEAR(sub->geometry().center().x(), area.center().x(), 2);
    EXPECT_NEAR(sub->geometry().center().y(), area.center().y(), 2);

    w.placeInCorner(window);
    EXPECT_TRUE(area.contains(sub->geometry()));
    EXPECT_GT(sub->x(), area.width() / 2);
    const int bar = w.toolBar()->height();
    EXPECT_EQ(sub->geometry().right(), area.width() - bar - 1);

    // A frame asked to be larger than the area is cut to it.
    w.resizeFrame(window, area.size() * 2);
    EXPECT_TRUE(area.contains(sub->geometry()));
}
