#include <gtest/gtest.h>
#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QImage>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextEdit>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

#include "app/MDIFrmMain.h"
#include "project/ui/FrmStart.h"
#include "shell/HelpViewer.h"
#include "shell/help_service.h"
#include "tests/ui/ui_test_support.h"
#include "tests/ui/window_access.h"

namespace {

// Answers every modal window that comes up while it lives: the project list
// picks the example project, any other dialogue is cancelled.
class ModalAnswerer {
  public:
    ModalAnswerer() {
        QObject::connect(&timer_, &QTimer::timeout, [] {
            QWidget* modal = QApplication::activeModalWidget();
            if (!modal) {
                return;
            }
            if (auto* pick = modal->findChild<QPushButton*>("btnGetFile");
                pick && pick->isVisibleTo(modal)) {
                pick->click();
            } else if (auto* dialog = qobject_cast<QDialog*>(modal)) {
                dialog->reject();
            }
        });
        timer_.start(10);
    }

  private:
    QTimer timer_;
};

QWidget* helpViewer() {
    for (QWidget* top : QApplication::topLevelWidgets()) {
        if (top->objectName() == "HelpViewer" && top->isVisible()) {
            return top;
        }
    }
    return nullptr;
}

bool hasChild(MDIFrmMain& w, const QString& name) {
    for (QMdiSubWindow* sub : w.mdiArea()->subWindowList()) {
        if (sub->widget() && sub->widget()->objectName() == name && sub->isVisible()) {
            return true;
        }
    }
    return false;
}

// Every menu item and toolbar button once, as a curious new user would: none
// may crash, and the windows still to come say so plainly.
TEST(UserWalk, EveryMenuItemAndToolbarButton) {
    ScriptedDialogs dialogs;
    ExampleHome home;
    // No editor may really start from the Notepad items.
    QTemporaryDir emptyBin;
    const QByteArray path = qgetenv("PATH");
    const QByteArray visual = qgetenv("VISUAL");
    const QByteArray editor = qgetenv("EDITOR");
    qputenv("PATH", emptyBin.path().toUtf8());
    qunsetenv("VISUAL");
    qunsetenv("EDITOR");

    MDIFrmMain w;
    w.resize(1100, 800);
    startOnProject(w);
    ASSERT_TRUE(startWindow(w));
    ModalAnswerer answers;
    dialogs.yesNoAnswer = false;  // Exit: stay

    const QStringList later = {};
    QStringList walked;
    const std::function<void(QMenu*)> walk = [&](QMenu* menu) {
        emit menu->aboutToShow();
        for (QAction* a : menu->actions()) {
            if (a->menu()) {
                walk(a->menu());
                continue;
            }
            if (a->isSeparator() || a->objectName().isEmpty()) {
                continue;
            }
            dialogs.messages.clear();
            a->setEnabled(true);  // the data items are walked even without their files
            a->trigger();
            QTest::qWait(20);
            walked << a->objectName();
            if (later.contains(a->objectName())) {
                ASSERT_EQ(dialogs.messages.size(), 1) << a->objectName().toStdString();
                EXPECT_TRUE(dialogs.messages[0].endsWith("is not available yet."))
                    << dialogs.messages[0].toStdString();
            } else {
                for (const QString& m : dialogs.messages) {
                    EXPECT_FALSE(m.contains("not available yet")) << m.toStdString();
                }
            }
            if (a->objectName() == "MnuSoil") {
                EXPECT_EQ(dialogs.messages, QStringList{"Rivulon|No data or to be implemented!"});
            }
            if (a->objectName() == "MnuHelpCnt" || a->objectName() == "MnuHelpIndex") {
                EXPECT_NE(helpViewer(), nullptr);
                rivulon::ui::showHelp(rivulon::ui::HelpCommand::Quit);
            }
        }
    };
    for (QAction* top : w.menuBar()->actions()) {
        walk(top->menu());
    }
    EXPECT_GE(walked.size(), 50);
    for (const char* deep : {"MnuCounty", "MnuNotepadProject", "MnuMonthly", "MnuAbout"}) {
        EXPECT_TRUE(walked.contains(deep)) << deep;
    }
    EXPECT_TRUE(w.isVisible());

    // The toolbar buttons run the same commands; the start window is back each time.
    w.action("mnuStart")->trigger();
    QTest::qWait(20);
    for (QAction* a : w.toolBar()->actions()) {
        auto* button = qobject_cast<QToolButton*>(w.toolBar()->widgetForAction(a));
        if (!button || !a->isVisible()) {
            continue;
        }
        dialogs.messages.clear();
        button->click();
        QTest::qWait(20);
        if (button->objectName() == "Help") {
            EXPECT_NE(helpViewer(), nullptr);
            rivulon::ui::showHelp(rivulon::ui::HelpCommand::Quit);
        }
    }
    EXPECT_TRUE(w.isVisible());

    qputenv("PATH", path);
    qputenv("VISUAL", visual);
    qputenv("EDITOR", editor);
    w.mdiArea()->closeAllSubWindows();
}

// Alt+letter reaches the buttons of the active child window, typed at the main
// window as a person types them.
TEST(UserWalk, MnemonicsOfTheStartWindow) {
    ScriptedDialogs dialogs;
    ExampleHome home;
    MDIFrmMain w;
    startOnProject(w);
    ASSERT_TRUE(startWindow(w));
    w.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));

    QTest::keyClick(w.windowHandle(), Qt::Key_I, Qt::AltModifier);
    QTRY_VERIFY(hasChild(w, "frmSimInfo"));

    // Back on the start window, Alt+R runs the model and shows the graphs.
    w.mdiArea()->setActiveSubWindow(qobject_cast<QMdiSubWindow*>(startWindow(w)->parentWidget()));
    startWindow(w)->txtYear->setText("1");
    QTest::keyClick(w.windowHandle(), Qt::Key_R, Qt::AltModifier);
    QTRY_VERIFY(hasChild(w, "FrmGraph"));
    QTRY_VERIFY(startWindow(w)->hasResults());
    w.mdiArea()->closeAllSubWindows();
}

int inkPixels(const QImage& page) {
    int n = 0;
    for (int y = 0; y < page.height(); ++y) {
        for (int x = 0; x < page.width(); ++x) {
            n += qGray(page.pixel(x, y)) < 128;
        }
    }
    return n;
}

// The printed page shows the form, not a blank sheet.
TEST(UserWalk, PrintedStartWindowIsOnThePage) {
    const QString pdftoppm = QStandardPaths::findExecutable("pdftoppm");
    if (pdftoppm.isEmpty()) {
        GTEST_SKIP() << "pdftoppm is not installed";
    }
    ScriptedDialogs dialogs;
    ExampleHome home;
    QTemporaryDir dir;
    MDIFrmMain w;
    w.resize(1000, 700);
    startOnProject(w);
    ASSERT_TRUE(startWindow(w));
    w.mdiArea()->setActiveSubWindow(qobject_cast<QMdiSubWindow*>(startWindow(w)->parentWidget()));

    dialogs.printTo = dir.path() + "/form.pdf";
    dialogs.printerAnswer = true;
    w.action("mnuPrint")->trigger();
    EXPECT_TRUE(dialogs.messages.isEmpty()) << dialogs.messages.join('\n').toStdString();
    ASSERT_EQ(QProcess::execute(pdftoppm, {"-png", "-r", "40", "-singlefile", dialogs.printTo,
                                           dir.path() + "/page"}),
              0);
    const QImage page(dir.path() + "/page.png");
    ASSERT_FALSE(page.isNull());
    // Only the top of the page holds the form; the bottom stays white.
    const int ink = inkPixels(page.copy(0, 0, page.width(), page.height() / 2));
    EXPECT_GT(ink, 500);
    EXPECT_EQ(inkPixels(page.copy(0, page.height() * 3 / 4, page.width(), page.height() / 4)), 0);

    // With every window closed there is nothing to print.
    w.mdiArea()->closeAllSubWindows();
    QTest::qWait(20);
    dialogs.messages.clear();
    w.action("mnuPrint")->trigger();
    EXPECT_EQ(dialogs.messages, QStringList{"Rivulon|No form to print or printer error"});
}

// Topics show in the guide's colours, whichever page is opened first.
TEST(UserWalk, HelpPagesUseTheGuideStyles) {
    rivulon::ui::showHelp(rivulon::ui::HelpCommand::Context, 82);
    QWidget* viewer = helpViewer();
    ASSERT_NE(viewer, nullptr);
    auto* text = viewer->findChild<QTextBrowser*>("HelpText");
    ASSERT_NE(text, nullptr);
    bool heading = false;
    for (QTextBlock b = text->document()->begin(); b.isValid(); b = b.next()) {
        if (b.blockFormat().headingLevel() == 1) {
            heading = true;
            for (auto it = b.begin(); !it.atEnd(); ++it) {
                if (!it.fragment().text().trimmed().isEmpty()) {
                    EXPECT_EQ(it.fragment().charFormat().foreground().color(), QColor("#1a4c7a"))
                        << it.fragment().text().toStdString();
                }
            }
        }
    }
    EXPECT_TRUE(heading);
    rivulon::ui::showHelp(rivulon::ui::HelpCommand::Quit);
}

}  // namespace
