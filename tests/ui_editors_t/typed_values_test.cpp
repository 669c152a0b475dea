// What a user types into the transport and weather editors is what they
// keep: cells typed without Enter, areas typed before "Set Land Use
// Changes", the delay typed into its box; and what the run would refuse is
// refused at Save with the run's words.
#include <gtest/gtest.h>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>

#include "app/MDIFrmMain.h"
#include "project/transport_file.h"
#include "project/ui/FrmT.h"
#include "project/ui/FrmW.h"
#include "shell/UpDown.h"
#include "shell/widgets/FlexGrid.h"
#include "tests/ui_editors_t/editor_test_support.h"

namespace {

using rivulon::ui::WindowKind;

struct TypedFixture : ::testing::Test {
    EditorDialogs dialogs;
    ExampleHome home;
    MDIFrmMain w;
    void SetUp() override {
        w.resize(1100, 800);
        startOnProject(w);
        dialogs.messages.clear();
    }
    FrmT* openTransport(const QString& path) {
        auto* t = qobject_cast<FrmT*>(w.openWindow(WindowKind::Transport));
        if (t && t->TransOpen(path)) {
            w.showChild(t);
            return t;
        }
        return nullptr;
    }
};

// Clicks a cell and types into it as a user does, leaving the edit open.
void typeWithoutEnter(rivulon::ui::FlexGrid* grid, QLineEdit* box, int row, int col,
                      const QString& text) {
    grid->setRow(row);
    grid->setCol(col);
    QTest::keyClicks(grid, text.left(1));
    ASSERT_TRUE(box->isVisible());
    QTest::keyClicks(box, text.mid(1));
}

// The first line of a file that starts with `prefix`.
QByteArray lineStarting(const QByteArray& bytes, const QByteArray& prefix) {
    for (const QByteArray& line : bytes.split('\n')) {
        if (line.startsWith(prefix)) {
            return line.trimmed();
        }
    }
    return {};
}

TEST_F(TypedFixture, TransportSaveAndCloseTakeTheOpenCell) {
    FrmT* t = openTransport(home.input() + "/Transprt.dat");
    ASSERT_NE(t, nullptr);
    t->TabT->setCurrentIndex(2);
    typeWithoutEnter(t->TGrid2[0], t->TxtCell[2], 3, 2, "71");
    const QString out = home.dir.path() + "/Typed.dat";
    dialogs.fileAnswers = {out};
    t->cmdSaveT->click();
    EXPECT_EQ(lineStarting(fileBytes(out), "\"Hay\""), "\"Hay\",3100,71,.012");

    // A cell typed on one page and left by turning the page is kept.
    typeWithoutEnter(t->TGrid2[0], t->TxtCell[2], 3, 2, "73");
    t->TabT->setCurrentIndex(1);
    EXPECT_EQ(t->TGrid2[0]->textMatrix(3, 2), "73");
    EXPECT_EQ(t->TGrid2[0]->cellForeColorAt(3, 2), 255u);

    // Closing with a cell still open asks, and Yes saves what was typed.
    t->TabT->setCurrentIndex(2);
    typeWithoutEnter(t->TGrid2[0], t->TxtCell[2], 3, 2, "74");
    dialogs.questions.clear();
    dialogs.yesNoQueue = {true};
    dialogs.fileAnswers = {out};
    t->CmdExit->click();
    EXPECT_EQ(dialogs.questions.value(0), "Save changes?|Save changes?");
    EXPECT_EQ(lineStarting(fileBytes(out), "\"Hay\""), "\"Hay\",3100,74,.012");
}

// An area typed shares the total out again, so that "Set Land Use Changes"
// moves only the shares changed after it: typed areas are never overwritten.
TEST_F(TypedFixture, SetLandUseChangesKeepsTypedAreas) {
    FrmT* t = openTransport(home.input() + "/Transprt.dat");
    ASSERT_NE(t, nullptr);
    t->TabT->setCurrentIndex(2);
    typeWithoutEnter(t->TGrid2[0], t->TxtCell[2], 1, 1, "3500");
    t->cmdSet->click();
    EXPECT_EQ(t->TGrid2[0]->textMatrix(1, 1), "3500");
    EXPECT_EQ(t->TGrid2[0]->textMatrix(2, 1), "2300");
    EXPECT_FLOAT_EQ(t->totalArea(), 32500.0f);
    EXPECT_EQ(t->TGrid2[1]->textMatrix(1, 0), "10.7692");
    EXPECT_EQ(t->TGrid2[1]->textMatrix(11, 1), "100.00");

    // A new file's four areas typed one after another, then Set: kept.
    dialogs.yesNoAnswer = false;  // no save of the changes above, no nutrient file
    dialogs.inputAnswers = {"40", "3", "1"};
    w.action("MnuCreateNew")->trigger();
    t = qobject_cast<FrmT*>(w.findWindow(WindowKind::Transport));
    ASSERT_NE(t, nullptr);
    ASSERT_EQ(t->TGrid2[0]->rows(), 5);
    const QStringList areas = {"1000", "1500", "3000", "500"};
    for (int k = 1; k <= 4; ++k) {
        typeWithoutEnter(t->TGrid2[0], t->TxtCell[2], k, 1, areas[k - 1]);
    }
    t->cmdSet->click();
    for (int k = 1; k <= 4; ++k) {
        EXPECT_EQ(t->TGrid2[0]->textMatrix(k, 1), areas[k - 1]) << k;
    }
    EXPECT_EQ(t->TGrid2[1]->textMatrix(3, 0), "50.0000");

    // A share typed into the box and not confirmed moves its area at Set;
    // the others keep theirs.
    t->TGrid2[1]->setRow(4);
    t->TGrid2[1]->setCol(1);
    QTest::keyClicks(t->TGrid2[1], "2");
    QTest::keyClicks(t->txtPct, "0");
    t->cmdSet->click();
    EXPECT_EQ(t->TGrid2[0]->textMatrix(4, 1), "1200.00");
    EXPECT_EQ(t->TGrid2[0]->textMatrix(3, 1), "3000");
    EXPECT_EQ(t->TGrid2[0]->cellForeColorAt(4, 1), 255u);
    EXPECT_EQ(t->TGrid2[1]->textMatrix(5, 1), "100.00") << "shared out again from the new areas";
}

TEST_F(TypedFixture, TransportSaveRefusesWhatTheRunRefuses) {
    FrmT* t = openTransport(home.input() + "/Transprt.dat");
    ASSERT_NE(t, nullptr);
    t->TabT->setCurrentIndex(2);
    const QString out = home.dir.path() + "/Refused.dat";
    const struct {
        int row, col;
        QString typed, expected;
    } cases[] = {
        {1, 1, "-500",
         "The land-use table, row 1 (Corn), column \"Area (ha)\": -500 is outside the allowed "
         "range 0 or more"},
        {4, 2, "250",
         "The land-use table, row 4 (Pasture), column \"Soil Curve #\": 250 is outside the "
         "allowed range 0 to 100"},
    };
    for (const auto& c : cases) {
        const QString before = t->TGrid2[0]->textMatrix(c.row, c.col);
        typeWithoutEnter(t->TGrid2[0], t->TxtCell[2], c.row, c.col, c.typed);
        dialogs.messages.clear();
        dialogs.fileTitles.clear();
        dialogs.fileAnswers = {out};
        t->cmdSaveT->click();
        ASSERT_EQ(dialogs.messages.size(), 1) << c.typed.toStdString();
        EXPECT_TRUE(dialogs.messages[0].contains(c.expected)) << dialogs.messages[0].toStdString();
        EXPECT_TRUE(dialogs.fileTitles.isEmpty()) << "no save dialog";
        EXPECT_FALSE(QFile::exists(out));
        t->TGrid2[0]->setTextMatrix(c.row, c.col, before);
    }
    // All areas 0: the run has no watershed to compute.
    for (int k = 1; k < t->TGrid2[0]->rows(); ++k) {
        t->TGrid2[0]->setTextMatrix(k, 1, "0");
    }
    dialogs.messages.clear();
    t->cmdSaveT->click();
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_TRUE(dialogs.messages[0].contains("add up to 0 ha"))
        << dialogs.messages[0].toStdString();
}

struct WeatherTyped : TypedFixture {
    FrmW* open() {
        w.action("MnuEditweather")->trigger();
        return qobject_cast<FrmW*>(w.findWindow(WindowKind::Weather));
    }
    static void typeInGrid(FrmW* f, int row, int col, const QString& text) {
        QWidget* fg2 = f->GridW->findChild<QWidget*>("Fg2");
        auto* edit = f->GridW->findChild<QLineEdit*>("TxtEdit");
        ASSERT_NE(fg2, nullptr);
        f->GridW->setProperty("Row", row);
        f->GridW->setProperty("Col", col);
        QTest::keyClicks(fg2, text.left(1));
        ASSERT_TRUE(edit->isVisible());
        QTest::keyClicks(edit, text.mid(1));
    }
};

TEST_F(WeatherTyped, SaveAndCloseTakeTheOpenCell) {
    FrmW* f = open();
    ASSERT_NE(f, nullptr);
    typeInGrid(f, 3, 1, "12");
    const QString out = home.dir.path() + "/W12.dat";
    dialogs.fileAnswers = {out};
    f->btnSave->click();
    EXPECT_TRUE(fileBytes(out).startsWith("30,4/1/1990\r\n10.2,.35\r\n12,1.53\r\n"))
        << fileBytes(out).left(40).toStdString();

    // One typed character, not confirmed: closing asks.
    typeInGrid(f, 3, 1, "9");
    dialogs.questions.clear();
    dialogs.yesNoQueue = {false};
    f->cmdClose->click();
    EXPECT_EQ(dialogs.questions, QStringList{"Save changes?|Save changes?"});
}

TEST_F(WeatherTyped, SaveRefusesWhatTheRunRefusesNamingTheDate) {
    FrmW* f = open();
    ASSERT_NE(f, nullptr);
    const QString out = home.dir.path() + "/Refused.dat";
    // Row 4 is the third day of April 1990; row 33 the first day of May.
    const struct {
        int row, col;
        QString typed, expected;
    } cases[] = {
        {4, 2, "-2",
         "The weather table, 4/3/1990, column 2 (Prcp): -2 is outside the allowed range 0 or "
         "more"},
        {33, 1, "-300",
         "The weather table, 5/1/1990, column 1 (Temp): -300 is outside the allowed range above "
         "-273"},
        {32, 1, "32", "the month header of 5/1/1990, column 1 (Temp): the day count \"32\""},
    };
    for (const auto& c : cases) {
        typeInGrid(f, c.row, c.col, c.typed);
        dialogs.messages.clear();
        dialogs.fileTitles.clear();
        dialogs.fileAnswers = {out};
        f->btnSave->click();
        ASSERT_EQ(dialogs.messages.size(), 1) << c.typed.toStdString();
        EXPECT_TRUE(dialogs.messages[0].contains(c.expected)) << dialogs.messages[0].toStdString();
        EXPECT_TRUE(dialogs.fileTitles.isEmpty());
        EXPECT_FALSE(QFile::exists(out));
        typeInGrid(f, c.row, c.col, c.typed == "32" ? "31" : "1");
    }
}

// The delay typed into its box is the delay used, without Enter; a delay
// the delay file cannot give is refused naming what was typed.
TEST_F(WeatherTyped, TypedDelayIsTheDelayUsed) {
    FrmW* f = open();
    ASSERT_NE(f, nullptr);
    ASSERT_TRUE(f->btnDelay->isEnabled());
    f->TxtDelay->selectAll();
    QTest::keyClicks(f->TxtDelay, "12");
    f->btnDelay->click();
    auto* delayed = qobject_cast<FrmW*>(w.findWindow(WindowKind::Weather));
    ASSERT_NE(delayed, f);
    QString first, moved;
    QMetaObject::invokeMethod(f->GridW, "TextMatrix", Q_RETURN_ARG(QString, first), Q_ARG(int, 2),
                              Q_ARG(int, 1));
    QMetaObject::invokeMethod(delayed->GridW, "TextMatrix", Q_RETURN_ARG(QString, moved),
                              Q_ARG(int, 14), Q_ARG(int, 1));
    EXPECT_EQ(moved, first) << "the first day moved twelve days later";
    EXPECT_EQ(delayed->proposedSaveName(), "Wdelay12.dat");
    dialogs.yesNoQueue = {false};  // not saved
    delayed->close();
    QTest::qWait(10);

    f->TxtDelay->selectAll();
    QTest::keyClicks(f->TxtDelay, "40");
    dialogs.messages.clear();
    f->btnDelay->click();
    EXPECT_EQ(qobject_cast<FrmW*>(w.findWindow(WindowKind::Weather)), f) << "no delayed window";
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_TRUE(dialogs.messages[0].startsWith(
        "Rivulon|Delay (days): 40 is outside the allowed range 1 to 32"))
        << dialogs.messages[0].toStdString();
    EXPECT_EQ(f->proposedSaveName(), "Wdelay40.dat");
}

}  // namespace
