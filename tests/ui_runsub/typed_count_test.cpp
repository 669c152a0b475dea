// The number of sub-basins can be typed: the number typed is the number run.
#include <gtest/gtest.h>
#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include "app/MDIFrmMain.h"
#include "project/ui/FrmStart.h"
#include "scenarios/ui/frmRunSub.h"
#include "shell/UpDown.h"
#include "shell/file_lists.h"
#include "shell/session.h"
#include "tests/ui/ui_test_support.h"
#include "tests/ui/window_access.h"

namespace {

TEST(RunSubTyped, TypedSubBasinCountIsTheCountRun) {
    ScriptedDialogs dialogs;
    ExampleHome home;
    MDIFrmMain main;
    main.resize(1280, 860);
    startOnProject(main);
    FrmStart* start = startWindow(main);
    start->txtYear->setText("1");
    start->OptSim[0]->setChecked(true);
    main.runCommand("MnuRunSubBasins");
    auto* w = qobject_cast<frmRunSub*>(main.findWindow(rivulon::ui::WindowKind::RunSub));
    ASSERT_NE(w, nullptr);
    const auto items = w->File1->findItems("RunSubbasins62.dat", Qt::MatchExactly);
    ASSERT_EQ(items.size(), 1);
    w->File1->setCurrentItem(items[0]);
    const QString output = QString::fromStdString(main.session().settings.outputFolder);

    // More than the spinner takes: refused, nothing runs.
    w->TxtNumSubBasins->selectAll();
    QTest::keyClicks(w->TxtNumSubBasins, "150");
    dialogs.messages.clear();
    w->cmdRun->click();
    main.jobs().waitForEnd();
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_TRUE(dialogs.messages[0].contains(
        "Number of sub-basins: 150 is outside the allowed range 1 to 100"))
        << dialogs.messages[0].toStdString();
    EXPECT_TRUE(QDir(output).entryList({"Results*.dat"}, QDir::Files).isEmpty());

    w->TxtNumSubBasins->selectAll();
    QTest::keyClicks(w->TxtNumSubBasins, "3");
    EXPECT_EQ(w->UpDnSubBasins->value(), 3);
    w->cmdRun->click();
    main.jobs().waitForEnd();
    QCoreApplication::processEvents();
    EXPECT_EQ(QDir(output).entryList({"Results*.dat"}, QDir::Files).size(), 3)
        << QDir(output).entryList(QDir::Files).join(" ").toStdString();
}

}  // namespace
