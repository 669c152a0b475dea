// Messages that look like what they say (icon, capital, a long list that
// scrolls), the status bar after a save, and what the main window says of
// itself: unsaved results on Exit and Re-Start, the active window's caption,
// a minimised window chosen from the Windows list.

#include <gtest/gtest.h>
#include <QAction>
#include <QApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollBar>
#include <QStatusBar>
#include <QTest>

#include "app/MDIFrmMain.h"
#include "engine/ui/FrmSeepage.h"
#include "shell/dialogs.h"
#include "shell/text_editor.h"
#include "tests/ui/ui_test_support.h"
#include "tests/ui/window_access.h"

using rivulon::ui::MessageKind;

namespace {

struct ShownBox {
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QString text;
};

// Shows a message through the ordinary dialogs and closes it with its OK
// button, as a user would; what the box showed.
ShownBox showAndClickOk(const std::function<void()>& show) {
    rivulon::ui::setDialogHandler(nullptr);
    ShownBox seen;
    onNextModal([&seen](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        if (!box) {
            modal->close();
            return;
        }
        seen.icon = box->icon();
        seen.text = box->text();
        if (qEnvironmentVariableIsSet("RIVULON_TEST_SHOTS"))
            box->grab().save(qEnvironmentVariable("RIVULON_TEST_SHOTS") +
                             QStringLiteral("/message_%1.png").arg(int(seen.icon)));
        QTest::mouseClick(box->button(QMessageBox::Ok), Qt::LeftButton);
    });
    show();
    return seen;
}

TEST(Messages, EachKindShowsItsIcon) {
    EXPECT_EQ(showAndClickOk([] { rivulon::ui::msgBox(nullptr, "The ensemble is done."); }).icon,
              QMessageBox::Information);
    EXPECT_EQ(
        showAndClickOk([] { rivulon::ui::warnBox(nullptr, "Number of years must be >0!"); }).icon,
        QMessageBox::Warning);
    const ShownBox failed = showAndClickOk(
        [] { rivulon::ui::errorBox(nullptr, "the weather file could not be read"); });
    EXPECT_EQ(failed.icon, QMessageBox::Critical);
    EXPECT_EQ(failed.text, "The weather file could not be read");
}

TEST(Messages, SentencesStartWithACapitalAndFileNamesStayAsTheyAre) {
    using rivulon::ui::sentenceStart;
    EXPECT_EQ(sentenceStart("the daily file holds no days"), "The daily file holds no days");
    EXPECT_EQ(sentenceStart("seepage: Please Check your numbers!"),
              "Seepage: Please Check your numbers!");
    EXPECT_EQ(sentenceStart("a"), "A");
    EXPECT_EQ(sentenceStart("nutrient.dat:390: expected a number"),
              "nutrient.dat:390: expected a number");
    EXPECT_EQ(sentenceStart("transprt2.dat cannot be read"), "transprt2.dat cannot be read");
    EXPECT_EQ(sentenceStart("/home/ann/x.dat cannot be read"), "/home/ann/x.dat cannot be read");
    EXPECT_EQ(sentenceStart("Already fine."), "Already fine.");
    EXPECT_EQ(sentenceStart(""), "");
}

// 72 files left from an earlier batch: every name can be read by scrolling,
// and the OK button is on the screen to be clicked.
TEST(Messages, ALongListScrollsWithItsOkButtonOnTheScreen) {
    rivulon::ui::setDialogHandler(nullptr);
    QString text =
        "These files of later rows are from an earlier batch and were left as they were:";
    for (int i = 1; i <= 72; ++i) {
        text += QStringLiteral("\n/home/ann/Rivulon/Output/Auto%1.dat").arg(i);
    }
    bool seen = false;
    onNextModal([&](QWidget* modal) {
        seen = true;
        EXPECT_EQ(modal->objectName(), "LongMessage");
        EXPECT_EQ(modal->windowTitle(), "Sub-basins");
        auto* lines = modal->findChild<QPlainTextEdit*>("MessageText");
        ASSERT_NE(lines, nullptr);
        EXPECT_EQ(lines->toPlainText(), text);
        EXPECT_TRUE(lines->isReadOnly());
        EXPECT_GT(lines->verticalScrollBar()->maximum(), 0);
        EXPECT_NE(modal->findChild<QLabel*>("MessageIcon")->pixmap().cacheKey(), 0);
        QPushButton* ok = modal->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok);
        const QRect onScreen(ok->mapToGlobal(QPoint(0, 0)), ok->size());
        const QRect screen = modal->screen()->availableGeometry();
        EXPECT_TRUE(screen.contains(onScreen))
            << "OK at " << onScreen.y() << ".." << onScreen.bottom() << ", screen to "
            << screen.bottom();
        if (qEnvironmentVariableIsSet("RIVULON_TEST_SHOTS"))
            modal->grab().save(qEnvironmentVariable("RIVULON_TEST_SHOTS") + "/long_message.png");
        QTest::mouseClick(ok, Qt::LeftButton);
    });
    rivulon::ui::warnBox(nullptr, text, "Sub-basins");
    EXPECT_TRUE(seen);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

TEST(Messages, SavedTextNamesTheFilesAndTheFolder) {
    using rivulon::ui::savedText;
    const QString out = QDir::toNativeSeparators("/home/ann/Rivulon/Output");
    EXPECT_EQ(savedText({"/home/ann/Rivulon/Output/Table.csv"}), "Saved Table.csv in " + out);
    EXPECT_EQ(
        savedText({"/home/ann/Rivulon/Output/Results.dat", "/home/ann/Rivulon/Output/Summary.dat"}),
        "Saved Results.dat and Summary.dat in " + out);
    EXPECT_EQ(savedText({"/a/R.dat", "/a/S.dat", "/a/R_daily.csv"}),
              "Saved R.dat, S.dat and R_daily.csv in /a");
    QStringList many;
    for (int i = 1; i <= 10; ++i)
        many << QStringLiteral("/o/Auto%1.dat").arg(i);
    EXPECT_EQ(savedText(many), "Saved 10 files in /o");
    EXPECT_EQ(savedText({"/a/x.png", "/b/y.png"}), "Saved /a/x.png and /b/y.png");
    EXPECT_EQ(savedText({}), "");
}

TEST(Messages, EditorMessageSaysWhyTheChosenEditorDidNotStart) {
    auto onlyVi = [](const QString& p) { return p == "vi" || p == "nano"; };
    const QString terminal = rivulon::ui::noEditorMessage("", "vi", onlyVi);
    EXPECT_TRUE(terminal.startsWith(
        "Couldn't start a text editor: $EDITOR is \"vi\", which runs in a terminal, and no "
        "terminal program (x-terminal-emulator, xterm"))
        << terminal.toStdString();
    EXPECT_FALSE(terminal.contains("Set $VISUAL or $EDITOR"));
    EXPECT_TRUE(
        rivulon::ui::noEditorMessage("nano -w", "", onlyVi).contains("$VISUAL is \"nano -w\""));

    const QString missing = rivulon::ui::noEditorMessage("", "micro", onlyVi);
    EXPECT_TRUE(
        missing.startsWith("Couldn't start a text editor: $EDITOR is \"micro\", which is "
                           "not installed."))
        << missing.toStdString();
    // A terminal to run it in: the editor is not the reason.
    auto withXterm = [](const QString& p) { return p == "vi" || p == "xterm"; };
    EXPECT_TRUE(
        rivulon::ui::noEditorMessage("", "vi", withXterm).contains("Set $VISUAL or $EDITOR"));
    EXPECT_TRUE(rivulon::ui::noEditorMessage("", "", onlyVi).contains("Set $VISUAL or $EDITOR"));
}

// A run, then Exit and Re-Start before and after saving its results; the
// status bar says where Save Simulation Results wrote.
TEST(MainWindowResults, UnsavedResultsAreSaidAndTheSaveIsShown) {
    ScriptedDialogs dialogs;
    ExampleHome home;
    MDIFrmMain w;
    startOnProject(w);
    FrmStart* start = startWindow(w);
    ASSERT_NE(start, nullptr);
    start->txtYear->selectAll();
    QTest::keyClicks(start->txtYear, "2");
    QTest::mouseClick(start->OptSim[0], Qt::LeftButton);
    QTest::mouseClick(start->cmdRunSimulation, Qt::LeftButton);
    waitForRun(w);
    ASSERT_TRUE(w.session().hasResults());

    dialogs.yesNoAnswer = false;
    w.action("MnuExit")->trigger();
    ASSERT_EQ(dialogs.questions.size(), 1);
    EXPECT_EQ(dialogs.questions[0],
              "Exit now?|The results of the last run are not saved (File > Save Current Results "
              "saves them).\n\nAre you sure to exit the program?");
    EXPECT_TRUE(w.isVisible());

    // No keeps every window, and the results can still be saved.
    w.action("MnuInput")->trigger();
    ASSERT_EQ(dialogs.questions.size(), 2);
    EXPECT_TRUE(
        dialogs.questions[1].startsWith("Re-Start|The results of the last run are not saved"));
    EXPECT_EQ(startWindow(w), start);
    EXPECT_TRUE(w.action("MnuSaveResults")->isEnabled());

    const QString out = home.dir.path() + "/Output";
    dialogs.fileAnswers = {out + "/Results.dat", out + "/Summary.dat"};
    QTest::mouseClick(start->cmdCreateResults, Qt::LeftButton);
    EXPECT_TRUE(QFile::exists(out + "/Summary.dat"));
    EXPECT_EQ(w.statusBar()->currentMessage(),
              "Saved Results.dat and Summary.dat in " + QDir::toNativeSeparators(out));

    w.action("MnuExit")->trigger();
    ASSERT_EQ(dialogs.questions.size(), 3);
    EXPECT_EQ(dialogs.questions[2], "Exit now?|Are you sure to exit the program?");

    // Saved: Re-Start asks nothing more than it did before.
    dialogs.fileAnswers.clear();
    onNextModal([](QWidget* modal) { modal->findChild<QPushButton*>("btnGetFile")->click(); });
    w.action("MnuInput")->trigger();
    EXPECT_EQ(dialogs.questions.size(), 3);
    EXPECT_EQ(dialogs.messages, QStringList{}) << dialogs.messages.join("\n").toStdString();
}

TEST(MainWindowTitle, NamesTheActiveWindowAndListRestoresMinimised) {
    MDIFrmMain w;
    w.resize(1000, 700);
    w.show();
    QCoreApplication::processEvents();
    EXPECT_EQ(w.windowTitle().toStdString(), "Rivulon");
    auto* graph = new QLabel("graph");
    graph->setWindowTitle("Simultion Output (Real-time)");
    auto* table = new QLabel("table");
    table->setWindowTitle("Monthly Data and Graph");
    QMdiSubWindow* graphSub = addShown(w, graph);
    QMdiSubWindow* tableSub = addShown(w, table);

    w.mdiArea()->setActiveSubWindow(graphSub);
    graphSub->showMaximized();
    QCoreApplication::processEvents();
    EXPECT_EQ(w.windowTitle().toStdString(), "Rivulon - [Simultion Output (Real-time)]");
    w.mdiArea()->setActiveSubWindow(tableSub);
    QCoreApplication::processEvents();
    EXPECT_EQ(w.windowTitle().toStdString(), "Rivulon - [Monthly Data and Graph]");
    table->setWindowTitle("Monthly Data and Graph: Results.dat");
    QCoreApplication::processEvents();
    EXPECT_EQ(w.windowTitle().toStdString(), "Rivulon - [Monthly Data and Graph: Results.dat]");

    // Minimised, then chosen from the Windows list: back at its size, active.
    tableSub->showMinimized();
    w.mdiArea()->setActiveSubWindow(graphSub);
    emit w.menu("mnuWindows")->aboutToShow();
    QAction* item = nullptr;
    for (QAction* a : w.menu("mnuWindows")->actions()) {
        if (a->text().endsWith("Monthly Data and Graph: Results.dat"))
            item = a;
    }
    ASSERT_NE(item, nullptr);
    item->trigger();
    QCoreApplication::processEvents();
    EXPECT_FALSE(tableSub->isMinimized());
    EXPECT_EQ(w.mdiArea()->activeSubWindow(), tableSub);
    EXPECT_EQ(w.windowTitle().toStdString(), "Rivulon - [Monthly Data and Graph: Results.dat]");

    // The graph window closes: its caption does not stay behind.
    graphSub->close();
    QCoreApplication::processEvents();
    tableSub->close();
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    EXPECT_EQ(w.windowTitle().toStdString(), "Rivulon");
}

// Limits the wrong way round are refused for what they are, with the
// warning icon.
TEST(MessageKinds, RefusalsOfTheSeepageWindowAreWarnings) {
    ScriptedDialogs dialogs;
    ExampleHome home;
    MDIFrmMain w;
    startOnProject(w);
    w.action("MnuVarConc")->trigger();
    FrmSeepage* window = seepageWindow(w);
    ASSERT_NE(window, nullptr);
    const char* typed[4] = {"1", "1", "3", "2"};
    for (int i = 0; i < 4; ++i) {
        window->Text1[i]->selectAll();
        QTest::keyClicks(window->Text1[i], typed[i]);
    }
    QTest::mouseClick(window->CmdSetV, Qt::LeftButton);
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_TRUE(dialogs.messages[0].startsWith(
        "Rivulon|Please Check the limits: the high limit of the nutrient coefficient must not be "
        "below the low limit!\nHigh limit"))
        << dialogs.messages[0].toStdString();
    EXPECT_EQ(dialogs.kinds[0], MessageKind::Warning);
    EXPECT_FALSE(w.session().state.options.varConcOn);

    // Print with no window to print is refused, not announced.
    dialogs.messages.clear();
    dialogs.kinds.clear();
    window->close();
    QCoreApplication::processEvents();
    for (QMdiSubWindow* sub : w.mdiArea()->subWindowList())
        sub->close();
    QCoreApplication::processEvents();
    w.action("mnuPrint")->trigger();
    EXPECT_EQ(dialogs.kindOf("No form to print"), MessageKind::Warning);
}

}  // namespace
