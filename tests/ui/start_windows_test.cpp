#include <gtest/gtest.h>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTextDocument>
#include <QTextEdit>

#include "app/MDIFrmMain.h"
#include "project/ui/FrmStart.h"
#include "project/ui/frmFileList.h"
#include "shell/UpDown.h"
#include "tests/ui/ui_test_support.h"
#include "tests/ui/window_access.h"

namespace {

QString box(frmFileList& list, int i) {
    return list.TxtInputFile[i]->text();
}

TEST(FileList, DefaultsComeFromTheInputFolder) {
    ScriptedDialogs dialogs;
    ExampleHome home;
    MDIFrmMain w;
    frmFileList list(w.session(), &w, frmFileList::Mode::Files);
    EXPECT_EQ(list.windowTitle(), "Check Input Files");
    EXPECT_EQ(box(list, 0), home.input() + "/Transprt.dat");
    EXPECT_EQ(box(list, 2), home.input() + "/Weather.dat");
    EXPECT_EQ(box(list, 3), home.input() + "/Wdelay.dat");
    EXPECT_EQ(box(list, 4), "Not Found");
    EXPECT_EQ(box(list, 8), home.input() + "/UsgsObs.dat");
    // Neither Option.dat nor QuennaOpt.dat: the folder's first project file.
    EXPECT_EQ(box(list, 9), home.project());
    EXPECT_TRUE(list.cmdCreateNew->isVisibleTo(&list));
    EXPECT_FALSE(list.btnGetFile->isVisibleTo(&list));

    // The project window lists only project files, so only the project box is found.
    frmFileList projectList(w.session(), &w, frmFileList::Mode::Project);
    EXPECT_EQ(projectList.windowTitle(), "Where's the project or option file?");
    EXPECT_EQ(box(projectList, 0), "Not Found");
    EXPECT_EQ(box(projectList, 9), home.project());
}

TEST(FileList, ProjectFileIsChecked) {
    ScriptedDialogs dialogs;
    ExampleHome home;
    MDIFrmMain w;
    frmFileList list(w.session(), &w, frmFileList::Mode::Project);
    list.TxtInputFile[9]->setText(home.input() + "/Transprt.dat");
    list.btnGetFile->click();
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_TRUE(dialogs.messages[0].endsWith(", probably wrong option file."))
        << dialogs.messages[0].toStdString();
    EXPECT_FALSE(w.session().settings.projectChosen);

    list.TxtInputFile[9]->setText(home.project());
    list.btnGetFile->click();
    EXPECT_EQ(list.result(), QDialog::Accepted);
    EXPECT_TRUE(w.session().settings.projectChosen);
    EXPECT_EQ(w.session().settings.projectPath, home.project().toStdString());
    EXPECT_EQ(w.session().settings.inputFolder, (home.input() + "/").toStdString());
}

TEST(FileList, FilesOneByOneAreChecked) {
    ScriptedDialogs dialogs;
    ExampleHome home;
    MDIFrmMain w;
    frmFileList list(w.session(), &w, frmFileList::Mode::Files);
    list.TxtInputFile[1]->setText("Not Found");
    list.btnOK->click();
    EXPECT_EQ(dialogs.messages,
              QStringList{"Warning!|Files required to run the program are not available! Please "
                          "find all the files!"});

    dialogs.messages.clear();
    list.TxtInputFile[1]->setText(home.input() + "/Nutrient.dat");
    list.TxtInputFile[4]->setText(home.input() + "/Gone.bmp");
    list.btnOK->click();
    EXPECT_EQ(dialogs.messages,
              QStringList{"Warning!|" + home.input() +
                          "/Gone.bmp: File listed is not available! Please find all the files!"});
    EXPECT_FALSE(w.session().settings.filesChosen);

    dialogs.messages.clear();
    list.TxtInputFile[4]->setText("Not Found");
    list.btnOK->click();
    EXPECT_TRUE(dialogs.messages.isEmpty());
    EXPECT_EQ(list.result(), QDialog::Accepted);
    EXPECT_TRUE(w.session().settings.filesChosen);
    EXPECT_EQ(w.session().settings.weatherPath, (home.input() + "/Weather.dat").toStdString());
    EXPECT_TRUE(w.action("MnuUSGS")->isEnabled());
    EXPECT_FALSE(w.action("MnuLUMap")->isEnabled());
}

TEST(FileList, BuildsAProjectFile) {
    ScriptedDialogs dialogs;
    ExampleHome home;
    MDIFrmMain w;
    frmFileList list(w.session(), &w, frmFileList::Mode::Files);
    dialogs.inputAnswers = {"Mine"};
    list.btnCreatePrj->click();
    ASSERT_EQ(dialogs.inputPrompts.size(), 1);
    EXPECT_TRUE(dialogs.inputPrompts[0].startsWith("New Project or Option File|If you want"));
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_EQ(dialogs.messages[0],
              "Rivulon|A project file Mine.prj has been created in " + home.input() + "/!");
    QFile file(home.input() + "/Mine.prj");
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = file.readAll().split('\n');
    EXPECT_EQ(lines[0], "BasinName, \"New Project\"\r");
    EXPECT_EQ(lines[1], "TransportFile, \"Transprt.dat\"\r");
    EXPECT_EQ(lines[5], "LandUseMap, \"Not Found\"\r");
}

// The whole start: the project picked in the first window, then start-up.
TEST(StartWindow, StartsOnTheExampleProject) {
    ScriptedDialogs dialogs;
    ExampleHome home;
    MDIFrmMain w;
    w.resize(1280, 860);
    w.show();
    onNextModal([](QWidget* modal) { modal->findChild<QPushButton*>("btnGetFile")->click(); });
    w.MDIForm_Load();
    EXPECT_TRUE(dialogs.messages.isEmpty()) << dialogs.messages.join("\n").toStdString();
    FrmStart* start = startWindow(w);
    ASSERT_NE(start, nullptr);
    EXPECT_TRUE(start->isVisible());
    EXPECT_EQ(start->txtWName->text(), "Millbrook Creek");
    EXPECT_EQ(start->txtYear->text(), "30");
    EXPECT_EQ(start->txtStartMY->text(), "4/1/1990");
    EXPECT_TRUE(w.action("MnuNormalW")->isChecked());
    EXPECT_EQ(w.menu("MnuCountyArray")->actions().size(), 3);
    EXPECT_EQ(w.menu("MnuCountyArray")->actions()[1]->text(), "Cedar Run");
    EXPECT_TRUE(w.action("MnuUSGS")->isEnabled());

    // One rule for the end: the last day of the years in the box, on load as
    // after typing (30 years from 4/1/1990 end on 3/31/2020, leap days or
    // not); typing moves the arrows' count too.
    EXPECT_EQ(start->TxtEndMY->text(), "3/31/2020");
    start->txtYear->selectAll();
    QTest::keyClicks(start->txtYear, "3");
    EXPECT_EQ(start->TxtEndMY->text(), "3/31/1993");
    QTest::keyClick(start->UpdnYear, Qt::Key_Up);
    EXPECT_EQ(start->txtYear->text(), "4");
    EXPECT_EQ(start->TxtEndMY->text(), "3/31/1994");
    start->txtYear->selectAll();
    QTest::keyClicks(start->txtYear, "50");
    EXPECT_EQ(start->TxtEndMY->text(), "");
    start->txtYear->selectAll();
    QTest::keyClicks(start->txtYear, "30");
    EXPECT_EQ(start->TxtEndMY->text(), "3/31/2020");
    start->txtYear->selectAll();
    QTest::keyClicks(start->txtYear, "3");

    start->cmdShowSimInfo->click();
    auto* info = w.mdiArea()->findChild<QTextEdit*>("frmSimInfo");
    ASSERT_NE(info, nullptr);
    EXPECT_EQ(info->windowTitle(), "Current Simulation Infomation");
    // It opens large enough for its longest path and every line.
    EXPECT_GE(info->viewport()->width(), info->document()->idealWidth());
    EXPECT_GE(info->viewport()->height(), info->document()->size().height());
    const QStringList lines = info->toPlainText().split('\n');
    EXPECT_EQ(lines[0], "Current Transport File:      " + home.input() + "/Transprt.dat");
    EXPECT_TRUE(lines[10].startsWith("Population Growth Rate:      .01 (Linear)"));
    EXPECT_EQ(lines[17].trimmed(), "Annual seepage rate (cm):");
    EXPECT_EQ(lines[18].trimmed(), "0");

    // Closing the start window takes the data menus with it.
    start->cmdClose->click();
    EXPECT_FALSE(w.action("MnuUSGS")->isEnabled());
    EXPECT_EQ(w.menu("MnuCountyArray")->actions().size(), 1);
    dialogs.yesNoAnswer = true;
}

TEST(StartWindow, StartAgainAsksForTheFilesAgain) {
    ScriptedDialogs dialogs;
    ExampleHome home;
    MDIFrmMain w;
    startOnProject(w);
    QPointer<FrmStart> first = startWindow(w);
    ASSERT_NE(first, nullptr);
    // The project window again, this time without "Create new input".
    bool offered = true;
    onNextModal([&offered](QWidget* modal) {
        offered = modal->findChild<QPushButton*>("cmdCreateNew")->isVisibleTo(modal);
        modal->findChild<QPushButton*>("btnGetFile")->click();
    });
    w.action("mnuStart")->trigger();
    EXPECT_FALSE(offered);
    ASSERT_NE(startWindow(w), nullptr);
    EXPECT_NE(startWindow(w), first.data());
    EXPECT_EQ(w.session().settings.transportPath, (home.input() + "/Transprt.dat").toStdString());
    EXPECT_TRUE(dialogs.messages.isEmpty()) << dialogs.messages.join("\n").toStdString();
}

TEST(StartWindow, EndTheProgramFromTheFirstWindow) {
    ScriptedDialogs dialogs;
    ExampleHome home;
    MDIFrmMain w;
    w.show();
    onNextModal([](QWidget* modal) { modal->findChild<QPushButton*>("btnEnd")->click(); });
    EXPECT_FALSE(w.MDIForm_Load());
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(dialogs.yesNoAsked, 0);
}

}  // namespace
