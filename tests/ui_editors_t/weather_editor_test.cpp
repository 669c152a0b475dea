// The weather window on the example's weather file, a new default file and
// the delayed table, driven as a user would.
#include <gtest/gtest.h>
#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTest>

#include "app/MDIFrmMain.h"
#include "project/transport_editing.h"
#include "project/ui/FrmW.h"
#include "project/weather_table.h"
#include "shell/UpDown.h"
#include "shell/session.h"
#include "tests/ui/window_access.h"
#include "tests/ui_editors_t/editor_test_support.h"

namespace {

using rivulon::ui::WindowKind;

FrmW* weatherWindow(MDIFrmMain& w) {
    return qobject_cast<FrmW*>(w.findWindow(WindowKind::Weather));
}

QString cell(FrmW* f, int row, int col) {
    QString s;
    QMetaObject::invokeMethod(f->GridW, "TextMatrix", Q_RETURN_ARG(QString, s), Q_ARG(int, row),
                              Q_ARG(int, col));
    return s;
}

void setCell(FrmW* f, int row, int col, const QString& text) {
    QMetaObject::invokeMethod(f->GridW, "setTextMatrix", Q_ARG(int, row), Q_ARG(int, col),
                              Q_ARG(QString, text));
}

// What our writer makes of a weather file the editor loads.
QByteArray writerBytes(const QString& path, bool dated) {
    return QByteArray::fromStdString(
        rivulon::weatherTableText(rivulon::loadWeatherTable(path.toStdString(), dated).table));
}

struct WeatherFixture : ::testing::Test {
    EditorDialogs dialogs;
    ExampleHome home;
    MDIFrmMain w;
    void SetUp() override {
        w.resize(1100, 800);
        startOnProject(w);
        dialogs.messages.clear();
    }
    QString weatherPath() { return QString::fromStdString(w.session().settings.weatherPath); }
};

// Two default years: 755 rows, 754 lines written, header lines like 30,1-Apr.
TEST_F(WeatherFixture, NewTwoYearFile) {
    dialogs.inputAnswers = {"2"};
    w.action("MnuCreateW")->trigger();
    FrmW* f = weatherWindow(w);
    ASSERT_NE(f, nullptr);
    ASSERT_NE(f->GridW, nullptr);
    EXPECT_TRUE(f->isVisible());
    EXPECT_EQ(f->windowTitle(), "Weather Data");
    EXPECT_EQ(f->GridW->property("Rows").toInt(), 755);
    EXPECT_EQ(cell(f, 0, 0), "New_File");
    EXPECT_EQ(cell(f, 1, 2), "1-Apr");
    EXPECT_EQ(f->Text1->text(), "10.00");
    EXPECT_EQ(f->Text2->text(), "1.0000");
    EXPECT_EQ(f->Text3->text(), "730 (24 months)");
    EXPECT_TRUE(f->btnDelay->isEnabled());  // the example has a weather-delay file

    const QString out = home.input() + "/New2.dat";
    dialogs.fileAnswers = {out};
    ASSERT_TRUE(f->btnSave_Click());
    EXPECT_EQ(dialogs.proposedNames, QStringList{"Wdelay1.dat"});
    const QByteArray bytes = fileBytes(out);
    EXPECT_EQ(bytes.count("\r\n"), 754);
    EXPECT_TRUE(bytes.startsWith("30,1-Apr\r\n10,1\r\n"));

    // Saved and unchanged: closing asks nothing.
    dialogs.questions.clear();
    f->cmdClose->click();
    QTest::qWait(20);
    EXPECT_TRUE(dialogs.questions.isEmpty());
    EXPECT_EQ(weatherWindow(w), nullptr);
}

// The example opened, checked and saved unchanged gives our writer's bytes,
// and the delay builds a second window that proposes "Wdelay3.dat".
TEST_F(WeatherFixture, OpenSaveUnchangedAndDelay) {
    w.action("MnuEditweather")->trigger();
    FrmW* f = weatherWindow(w);
    ASSERT_NE(f, nullptr);
    EXPECT_TRUE(dialogs.messages.isEmpty()) << dialogs.messages.join("\n").toStdString();
    EXPECT_EQ(cell(f, 1, 0), "Days of Month");
    EXPECT_EQ(cell(f, 1, 2), "4/1/1990");
    EXPECT_EQ(cell(f, 2, 1), "10.2");
    const rivulon::WeatherStats stats = rivulon::weatherStatistics(
        rivulon::loadWeatherTable(weatherPath().toStdString(), true).table);
    EXPECT_EQ(f->Text3->text().toStdString(), stats.daysText);
    EXPECT_EQ(f->Text1->text().toStdString(), stats.meanTempText);

    const QString once = home.input() + "/WeatherOnce.dat";
    dialogs.fileAnswers = {once};
    ASSERT_TRUE(f->btnSave_Click());
    EXPECT_EQ(fileBytes(once), writerBytes(weatherPath(), true));

    ASSERT_TRUE(f->btnDelay->isEnabled());
    f->UpDnDelay->setValue(3);
    EXPECT_EQ(f->TxtDelay->text(), "3");
    f->btnDelay->click();
    FrmW* delayed = weatherWindow(w);
    ASSERT_NE(delayed, f);
    EXPECT_EQ(delayed->windowTitle(), "Delayed weather data");
    EXPECT_TRUE(delayed->btnDelay->isHidden());
    EXPECT_TRUE(delayed->TxtDelay->isHidden());
    EXPECT_TRUE(delayed->UpDnDelay->isHidden());
    // Every value moves three days later; the first days come from the delay file.
    EXPECT_EQ(cell(delayed, 5, 1), cell(f, 2, 1));
    const QList<QByteArray> records = fileBytes(home.input() + "/Wdelay.dat").split('\n');
    ASSERT_GE(records.size(), 32);
    EXPECT_EQ(cell(delayed, 2, 1) + "," + cell(delayed, 2, 2), records[29].trimmed());
    EXPECT_EQ(cell(delayed, 4, 1) + "," + cell(delayed, 4, 2), records[31].trimmed());
    const QString delayedOut = home.input() + "/Delayed.dat";
    dialogs.fileAnswers = {delayedOut};
    ASSERT_TRUE(delayed->btnSave_Click());
    EXPECT_EQ(dialogs.proposedNames.value(1), "Wdelay3.dat");
    EXPECT_EQ(fileBytes(delayedOut).count("\n"), fileBytes(once).count("\n"));
}

// Edit - Copy takes the block selected in the weather grid, whose inner grid
// has the focus.
TEST_F(WeatherFixture, CopyTakesTheGridSelection) {
    w.action("MnuEditweather")->trigger();
    FrmW* f = weatherWindow(w);
    ASSERT_NE(f, nullptr);
    QWidget* fg2 = f->GridW->findChild<QWidget*>("Fg2");
    ASSERT_NE(fg2, nullptr);
    f->GridW->setProperty("Row", 2);
    f->GridW->setProperty("Col", 1);
    QTest::keyClick(fg2, Qt::Key_Down, Qt::ShiftModifier);
    QTest::keyClick(fg2, Qt::Key_Right, Qt::ShiftModifier);
    fg2->setFocus();
    ASSERT_EQ(f->focusWidget(), fg2);
    QApplication::clipboard()->clear();
    emit w.menu("MnuEdit")->aboutToShow();
    EXPECT_TRUE(w.action("MnuCopy")->isEnabled());
    EXPECT_FALSE(w.action("MnuPaste")->isEnabled());
    w.action("MnuCopy")->trigger();
    EXPECT_EQ(QApplication::clipboard()->text(), ",Temp,Prcp\r\n1,10.2,.35\r\n2,9.2,1.53\r\n");
}

TEST_F(WeatherFixture, DelayNeedsADelayFile) {
    w.session().settings.weatherDelayPath = "Not Found";
    w.action("MnuDelay")->trigger();
    FrmW* f = weatherWindow(w);
    ASSERT_NE(f, nullptr);
    EXPECT_FALSE(f->btnDelay->isEnabled());
}

// A typed cell turns red and its value is saved; an edit makes closing ask.
TEST_F(WeatherFixture, EditACell) {
    w.action("MnuEditweather")->trigger();
    FrmW* f = weatherWindow(w);
    ASSERT_NE(f, nullptr);
    QWidget* fg2 = f->GridW->findChild<QWidget*>("Fg2");
    auto* edit = f->GridW->findChild<QLineEdit*>("TxtEdit");
    ASSERT_NE(fg2, nullptr);
    ASSERT_NE(edit, nullptr);
    f->GridW->setProperty("Row", 3);
    f->GridW->setProperty("Col", 1);
    QTest::keyClicks(fg2, "-");
    ASSERT_TRUE(edit->isVisible());
    QTest::keyClicks(edit, "7.5");
    QTest::keyClick(edit, Qt::Key_Return);
    QTRY_COMPARE(cell(f, 3, 1), QString("-7.5"));
    uint colour = 0;
    QMetaObject::invokeMethod(fg2, "cellForeColorAt", Q_RETURN_ARG(uint, colour), Q_ARG(int, 3),
                              Q_ARG(int, 1));
    EXPECT_EQ(colour, 255u);
    EXPECT_TRUE(f->hasUnsavedChanges());

    const QString out = home.input() + "/Edited.dat";
    dialogs.questions.clear();
    dialogs.yesNoQueue = {true};
    dialogs.fileAnswers = {out};
    f->cmdClose->click();
    QTest::qWait(20);
    EXPECT_EQ(dialogs.questions, QStringList{"Save changes?|Save changes?"});
    EXPECT_EQ(weatherWindow(w), nullptr);
    EXPECT_TRUE(fileBytes(out).startsWith("30,4/1/1990\r\n10.2,.35\r\n-7.5,1.53\r\n"))
        << fileBytes(out).left(60).toStdString();
}

// Rulings: a broken file loads nothing; a cell that is not a number stops the
// save and the file on disk is untouched; Cancel at a flagged day stops the
// load, leaves the rest empty (not saveable) and disables Delay.
TEST_F(WeatherFixture, RulingsKeepFilesSafe) {
    const QString good = weatherPath();
    QByteArray broken = fileBytes(good);
    broken.replace("9.1,.76", "9.1,.7x6");
    const QString brokenPath = home.input() + "/BrokenWeather.dat";
    writeBytes(brokenPath, broken);
    w.session().settings.weatherPath = brokenPath.toStdString();
    w.action("MnuEditweather")->trigger();
    EXPECT_EQ(weatherWindow(w), nullptr);  // nothing to show: no window
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_TRUE(dialogs.messages[0].contains("BrokenWeather.dat:4: field 2 (precipitation)"))
        << dialogs.messages[0].toStdString();

    w.session().settings.weatherPath = good.toStdString();
    w.action("MnuEditweather")->trigger();
    FrmW* f = weatherWindow(w);
    ASSERT_NE(f, nullptr);
    const QString days = f->Text3->text();
    // The open window keeps its table when a later load fails.
    w.session().settings.weatherPath = brokenPath.toStdString();
    dialogs.messages.clear();
    EXPECT_FALSE(f->EditWeather());
    EXPECT_EQ(dialogs.messages.size(), 1);
    EXPECT_EQ(f->Text3->text(), days);
    EXPECT_EQ(cell(f, 4, 2), ".76");

    const QByteArray original = fileBytes(good);
    setCell(f, 4, 2, ".7x6");
    dialogs.messages.clear();
    dialogs.fileTitles.clear();
    dialogs.fileAnswers = {good};
    EXPECT_FALSE(f->btnSave_Click());
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_TRUE(dialogs.messages[0].contains("4/3/1990, column 2 (Prcp): \".7x6\" is not a number"))
        << dialogs.messages[0].toStdString();
    EXPECT_TRUE(dialogs.fileTitles.isEmpty());
    EXPECT_EQ(fileBytes(good), original);

    // A day the checks question: Cancel stops there.
    QByteArray hot = original;
    hot.replace("9.1,.76", "51,.76");
    const QString hotPath = home.input() + "/Hot.dat";
    writeBytes(hotPath, hot);
    w.session().settings.weatherPath = hotPath.toStdString();
    dialogs.messages.clear();
    dialogs.questions.clear();
    dialogs.yesNoQueue = {false};
    ASSERT_TRUE(f->EditWeather());
    EXPECT_EQ(dialogs.questions, QStringList{"Rivulon|Possible data error: Temp=51, Prcp=.76"});
    EXPECT_FALSE(f->btnDelay->isEnabled());
    EXPECT_EQ(cell(f, 3, 1), "9.2");
    EXPECT_TRUE(cell(f, 4, 1).isEmpty());
    EXPECT_EQ(f->Text3->text(), "2 (1 months)");
    dialogs.messages.clear();
    EXPECT_FALSE(f->btnSave_Click());
    EXPECT_TRUE(dialogs.messages.value(0).contains("4/3/1990, column 1 (Temp): the row is empty"))
        << dialogs.messages.value(0).toStdString();

    // OK keeps the day and loads on.
    dialogs.yesNoQueue = {true};
    ASSERT_TRUE(f->EditWeather());
    EXPECT_EQ(cell(f, 4, 1), "51");
    EXPECT_TRUE(f->btnDelay->isEnabled());
}

// A 100-year file (36,500 days) is read, checked, summed up and shown in
// under half a second on the development machine; the bound here leaves room
// for a busy test machine.
TEST_F(WeatherFixture, HundredYearFileOpensQuickly) {
    const QString path = home.input() + "/Weather100.dat";
    writeBytes(path, QByteArray::fromStdString(rivulon::weatherTableText(
                         rivulon::createDefaultWeather(100, rivulon::defaultMonthNames()))));
    w.session().settings.weatherPath = path.toStdString();
    w.session().settings.datedWeather = true;
    auto* f = qobject_cast<FrmW*>(w.openWindow(WindowKind::Weather));
    ASSERT_NE(f, nullptr);
    QElapsedTimer clock;
    clock.start();
    ASSERT_TRUE(f->EditWeather());
    w.showChild(f);
    QCoreApplication::processEvents();
    const qint64 ms = clock.elapsed();
    std::printf("[ measure ] 100-year weather file opened in %lld ms\n",
                static_cast<long long>(ms));
    EXPECT_EQ(f->GridW->property("Rows").toInt(), 37701);
    EXPECT_EQ(f->Text3->text(), "36500 (1200 months)");
    if (qEnvironmentVariableIsSet("RIVULON_TIMED")) {
        EXPECT_LT(ms, 1500);
    }

    // Scrolling to the end and an edit there stay quick too.
    clock.restart();
    f->GridW->setProperty("Row", 37700);
    QCoreApplication::processEvents();
    const qint64 scrollMs = clock.elapsed();
    std::printf("[ measure ] scrolled to the last of 37,700 rows in %lld ms\n",
                static_cast<long long>(scrollMs));
    EXPECT_EQ(f->GridW->property("Row").toInt(), 37700);
    if (qEnvironmentVariableIsSet("RIVULON_TIMED")) {
        EXPECT_LT(scrollMs, 200);
    }
}

}  // namespace
