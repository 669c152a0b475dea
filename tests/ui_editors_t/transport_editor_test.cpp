// The transport editor and the SDR calculator, driven as a user would from
// the main window on a copy of the example project.
#include <gtest/gtest.h>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>

#include "app/MDIFrmMain.h"
#include "common/read_error.h"
#include "project/transport_file.h"
#include "project/ui/FrmT.h"
#include "project/ui/frmSDR.h"
#include "shell/widgets/FlexGrid.h"
#include "tests/ui/window_access.h"
#include "tests/ui_editors_t/editor_test_support.h"

namespace {

using rivulon::ui::WindowKind;

FrmT* transportEditor(MDIFrmMain& w) {
    return qobject_cast<FrmT*>(w.findWindow(WindowKind::Transport));
}

// What our writer makes of a transport file read by the run's reader.
QByteArray writerBytes(const QString& path) {
    rivulon::WatershedSetup ws;
    rivulon::readTransportFile(path.toStdString(), ws);
    return QByteArray::fromStdString(rivulon::transportFileText(rivulon::transportTableFrom(ws)));
}

// A two-land-use file with areas of 200 and 300 ha.
QString twoLandUseFile(const QString& folder) {
    const QString path = folder + "/TwoUses.dat";
    QByteArray text = "2,0\r\n.03,0,0,0,0,.1,0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n";
    for (const char* m :
         {"Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec", "Jan", "Feb", "Mar"}) {
        text += QByteArray("\"") + m + "\",.95,13.2,1,.3\r\n";
    }
    text += "\"Corn\",200,80,.07\r\n\"Hay\",300,70,.01\r\n";
    writeBytes(path, text);
    return path;
}

struct EditorFixture : ::testing::Test {
    EditorDialogs dialogs;
    ExampleHome home;
    MDIFrmMain w;
    void SetUp() override {
        w.resize(1100, 800);
        startOnProject(w);
        dialogs.messages.clear();
    }
    // Types into the current cell of a table grid and presses Enter.
    static void typeIntoCell(rivulon::ui::FlexGrid* grid, int row, int col, const QString& text,
                             QLineEdit* box) {
        grid->setRow(row);
        grid->setCol(col);
        QTest::keyClicks(grid, text.left(1));
        ASSERT_TRUE(box->isVisible());
        QTest::keyClicks(box, text.mid(1));
        QTest::keyClick(box, Qt::Key_Return);
    }
};

// Latitude 0 gives 12.0 hours in every month; 2 rural and 0 urban land uses
// give rows "Land Use 1" and "Land Use 2" with the defaults.
TEST_F(EditorFixture, CreateFlowFillsTheDefaults) {
    dialogs.inputAnswers = {"0", "2", "0"};
    w.action("MnuCreateNew")->trigger();
    FrmT* t = transportEditor(w);
    ASSERT_NE(t, nullptr);
    EXPECT_TRUE(t->isVisible());
    EXPECT_TRUE(t->createNewMode());
    for (int m = 1; m <= 12; ++m) {
        EXPECT_EQ(t->TGrid1->textMatrix(m, 2), "12.0") << m;
    }
    EXPECT_EQ(t->TGrid1->textMatrix(1, 0), "Apr");
    EXPECT_EQ(t->TGrid1->textMatrix(7, 1), "0.95");
    EXPECT_EQ(t->TGrid1->textMatrix(8, 1), "0.45");
    EXPECT_EQ(t->TGrid1->textMatrix(7, 3), "1");
    EXPECT_EQ(t->TGrid1->textMatrix(8, 3), "0");
    EXPECT_EQ(t->TGrid1->textMatrix(6, 4), "0.3");
    EXPECT_EQ(t->TGrid1->textMatrix(7, 4), "0.12");
    EXPECT_EQ(t->Text1[0]->text(), "2");
    EXPECT_EQ(t->Text1[1]->text(), "0");
    EXPECT_EQ(t->Text1[2]->text(), "0.03");
    EXPECT_EQ(t->Text1[13]->text(), "0");
    ASSERT_EQ(t->TGrid2[0]->rows(), 3);
    EXPECT_EQ(t->TGrid2[0]->textMatrix(1, 0), "Land Use 1");
    EXPECT_EQ(t->TGrid2[0]->textMatrix(2, 0), "Land Use 2");
    EXPECT_EQ(t->TGrid2[0]->textMatrix(2, 2), "70");
    EXPECT_EQ(t->TGrid2[1]->textMatrix(1, 0), "50.0000");
    EXPECT_EQ(t->TGrid2[1]->textMatrix(3, 0), "Total:");

    // Counts that add up to nothing open no editor.
    dialogs.yesNoAnswer = false;  // no save, no nutrient file
    t->close();
    QTest::qWait(20);
    dialogs.inputAnswers = {"36", "0", "0"};
    w.action("MnuCreateNew")->trigger();
    QTest::qWait(20);
    EXPECT_EQ(transportEditor(w), nullptr);
}

// 200 and 300 ha are 40 and 60 %; New % 50/50 makes both 250 ha; the SDR of
// 2590 ha (10 square miles) is .1791.
TEST_F(EditorFixture, SharesLandUseChangesAndSdr) {
    auto* t = qobject_cast<FrmT*>(w.openWindow(WindowKind::Transport));
    ASSERT_NE(t, nullptr);
    ASSERT_TRUE(t->TransOpen(twoLandUseFile(home.input())));
    w.showChild(t);
    EXPECT_FLOAT_EQ(t->totalArea(), 500.0f);
    EXPECT_EQ(t->TGrid2[1]->textMatrix(1, 0), "40.0000");
    EXPECT_EQ(t->TGrid2[1]->textMatrix(2, 0), "60.0000");
    EXPECT_EQ(t->TGrid2[1]->textMatrix(1, 1), "40.0000");
    EXPECT_EQ(t->TGrid2[1]->textMatrix(3, 1), "100.00");

    t->TabT->setCurrentIndex(2);
    for (int row : {1, 2}) {
        t->TGrid2[1]->setRow(row);
        t->TGrid2[1]->setCol(1);
        QTest::keyClicks(t->TGrid2[1], "5");  // goes to the percentage box
        QTest::keyClicks(t->txtPct, "0");
        QTest::keyClick(t->txtPct, Qt::Key_Return);
    }
    EXPECT_EQ(t->TGrid2[1]->textMatrix(1, 1), "50");
    EXPECT_EQ(t->TGrid2[1]->textMatrix(3, 1), "100.00");
    t->cmdSet->click();
    EXPECT_EQ(t->TGrid2[0]->textMatrix(1, 1), "250.00");
    EXPECT_EQ(t->TGrid2[0]->textMatrix(2, 1), "250.00");
    EXPECT_FALSE(t->saved());

    t->TGrid2[0]->setTextMatrix(1, 1, "2590");
    t->TGrid2[0]->setTextMatrix(2, 1, "0");
    t->cmdUpdateSDR->click();
    EXPECT_EQ(t->Text1[7]->text(), ".1791");

    t->TGrid2[0]->setTextMatrix(2, 1, "lots");
    t->cmdUpdateSDR->click();
    EXPECT_EQ(dialogs.messages, QStringList{"Rivulon|Input Error for Calculating SDR."});
    EXPECT_EQ(t->Text1[7]->text(), ".1791");
}

TEST_F(EditorFixture, SdrCalculatorWindow) {
    dialogs.messages.clear();
    w.action("MnuSDR")->trigger();
    auto* sdr = qobject_cast<frmSDR*>(w.findWindow(WindowKind::Sdr));
    ASSERT_NE(sdr, nullptr);
    EXPECT_EQ(sdr->windowTitle(), "Calculate SDR");
    sdr->TxtArea->setText("10");
    sdr->cmdCalculate->click();
    EXPECT_NEAR(sdr->TxtSDR->text().toDouble(), 0.1791, 0.00005);
    EXPECT_TRUE(sdr->TxtSDR->text().startsWith("0.179")) << sdr->TxtSDR->text().toStdString();
    for (const char* bad : {"0", "-3", "ten"}) {
        sdr->TxtArea->setText(bad);
        sdr->cmdCalculate->click();
        EXPECT_TRUE(sdr->TxtSDR->text().isEmpty());
    }
    EXPECT_EQ(dialogs.messages.size(), 3);
    EXPECT_EQ(dialogs.messages.value(0),
              "Rivulon|Please input a valid number (>0) in the area box!");
}

// The example opened through the menu and saved unchanged gives our writer's
// bytes; saving that file again gives the same bytes.
TEST_F(EditorFixture, OpenAndSaveUnchangedKeepsTheBytes) {
    const QString example = home.input() + "/Transprt.dat";
    dialogs.fileAnswers = {example};
    w.action("MnuEditTransport")->trigger();
    FrmT* t = transportEditor(w);
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->windowTitle(), "Edit Transprt.dat");
    EXPECT_EQ(t->Text1[0]->text(), "8");
    EXPECT_EQ(t->TGrid2[0]->textMatrix(10, 0), "Residential, high density/commercial");

    const QString once = home.input() + "/Once.dat";
    dialogs.fileAnswers = {once};
    t->cmdSaveT->click();
    EXPECT_TRUE(t->saved());
    EXPECT_EQ(fileBytes(once), writerBytes(example));

    ASSERT_TRUE(t->TransOpen(once));
    const QString twice = home.input() + "/Twice.dat";
    dialogs.fileAnswers = {twice};
    ASSERT_TRUE(t->cmdSaveT_Click());
    EXPECT_EQ(fileBytes(twice), fileBytes(once));

    // Saved and unchanged: Exit closes at once.
    dialogs.questions.clear();
    t->CmdExit->click();
    QTest::qWait(20);
    EXPECT_TRUE(dialogs.questions.isEmpty());
    EXPECT_EQ(transportEditor(w), nullptr);
}

// A typed cell turns red and is saved; Esc in a box brings its text back.
TEST_F(EditorFixture, InCellEditAndBoxUndo) {
    dialogs.fileAnswers = {home.input() + "/Transprt.dat"};
    w.action("MnuEditTransport")->trigger();
    FrmT* t = transportEditor(w);
    ASSERT_NE(t, nullptr);
    t->TabT->setCurrentIndex(2);
    typeIntoCell(t->TGrid2[0], 1, 2, "77", t->TxtCell[2]);
    EXPECT_FALSE(t->TxtCell[2]->isVisible());
    EXPECT_EQ(t->TGrid2[0]->textMatrix(1, 2), "77");
    EXPECT_EQ(t->TGrid2[0]->cellForeColorAt(1, 2), 255u);
    EXPECT_NE(t->TGrid2[0]->cellForeColorAt(2, 2), 255u);

    // Esc drops a cell edit.
    t->TGrid2[0]->setRow(2);
    t->TGrid2[0]->setCol(2);
    QTest::keyClicks(t->TGrid2[0], "1");
    QTest::keyClick(t->TxtCell[2], Qt::Key_Escape);
    EXPECT_EQ(t->TGrid2[0]->textMatrix(2, 2), "80");

    // The month table takes edits the same way; Down commits and moves on.
    t->TabT->setCurrentIndex(1);
    t->TGrid1->setRow(3);
    t->TGrid1->setCol(1);
    QTest::keyClicks(t->TGrid1, "9");
    QTest::keyClick(t->TxtCell[1], Qt::Key_Down);
    EXPECT_EQ(t->TGrid1->textMatrix(3, 1), "9");
    EXPECT_EQ(t->TGrid1->row(), 4);

    t->TabT->setCurrentIndex(0);
    QLineEdit* box = t->Text1[2];
    box->setFocus();
    QApplication::sendEvent(box, new QFocusEvent(QEvent::FocusIn));
    box->selectAll();
    QTest::keyClicks(box, ".5");
    QTest::keyClick(box, Qt::Key_Escape);
    EXPECT_EQ(box->text(), ".035");

    const QString out = home.input() + "/Edited.dat";
    dialogs.fileAnswers = {out};
    ASSERT_TRUE(t->cmdSaveT_Click());
    const QByteArray saved = fileBytes(out);
    EXPECT_TRUE(saved.contains("\"Corn\",3400,77,.07\r\n")) << saved.toStdString();
    EXPECT_TRUE(saved.contains("\"Jun\",9,")) << saved.toStdString();
}

// Rulings: a broken file leaves the editor as it was; a cell that is not a
// number, or counts that disagree with the rows, stop the save before any
// file is touched; an edit after a save makes Exit ask again.
TEST_F(EditorFixture, RulingsKeepFilesSafe) {
    const QString example = home.input() + "/Transprt.dat";
    auto* t = qobject_cast<FrmT*>(w.openWindow(WindowKind::Transport));
    ASSERT_TRUE(t->TransOpen(example));
    w.showChild(t);
    const rivulon::TransportTable before = t->table();

    QByteArray broken = fileBytes(example);
    broken.replace("\"Hay\",3100,72,.012", "\"Hay\",3100,7O,.012");
    const QString brokenPath = home.input() + "/Broken.dat";
    writeBytes(brokenPath, broken);
    EXPECT_FALSE(t->TransOpen(brokenPath));
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_TRUE(dialogs.messages[0].contains("Broken.dat:22: field 3 (curve number)"))
        << dialogs.messages[0].toStdString();
    EXPECT_EQ(t->table().landUses, before.landUses);
    EXPECT_EQ(t->windowTitle(), "Edit Transprt.dat");

    // Saving over the example with a bad cell: nothing is asked or written.
    const QByteArray original = fileBytes(example);
    dialogs.messages.clear();
    dialogs.fileTitles.clear();
    t->TGrid1->setTextMatrix(5, 2, "long");
    dialogs.fileAnswers = {example};
    EXPECT_FALSE(t->cmdSaveT_Click());
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_TRUE(dialogs.messages[0].contains(
        "The month table, row 5 (Aug), column \"Day Length (hrs)\" is not a number: \"long\""))
        << dialogs.messages[0].toStdString();
    EXPECT_TRUE(dialogs.fileTitles.isEmpty());
    EXPECT_EQ(t->TabT->currentIndex(), 1);
    EXPECT_EQ(fileBytes(example), original);
    t->TGrid1->setTextMatrix(5, 2, "13.8");

    dialogs.messages.clear();
    t->Text1[1]->setText("3");
    EXPECT_FALSE(t->cmdSaveT_Click());
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_TRUE(dialogs.messages[0].contains("8 rural and 3 urban"));
    EXPECT_TRUE(dialogs.messages[0].contains("has 10 rows"));
    EXPECT_TRUE(dialogs.fileTitles.isEmpty());
    t->Text1[1]->setText("2");

    const QString out = home.input() + "/Saved.dat";
    dialogs.fileAnswers = {out};
    ASSERT_TRUE(t->cmdSaveT_Click());
    EXPECT_EQ(fileBytes(out), writerBytes(example));
    ASSERT_TRUE(t->saved());
    // An edit after the save: Exit asks; Yes saves and keeps the window.
    QTest::keyClicks(t->Text1[4], "1");
    EXPECT_FALSE(t->saved());
    dialogs.questions.clear();
    dialogs.yesNoQueue = {true};
    dialogs.fileAnswers = {out};
    t->CmdExit->click();
    QTest::qWait(20);
    EXPECT_EQ(dialogs.questions, QStringList{"Save changes?|Save changes?"});
    ASSERT_EQ(transportEditor(w), t);
    EXPECT_TRUE(t->saved());
    EXPECT_TRUE(fileBytes(out).startsWith("8,2\r\n.035,.005,81,4,"))
        << fileBytes(out).left(40).toStdString();
}

// Create, save, leave: the nutrient follow-up is offered; then the new file
// runs with the example's nutrient and weather files through hydload.
TEST_F(EditorFixture, NewFileRoundTripThroughHydload) {
    dialogs.inputAnswers = {"42", "8", "2"};
    w.action("MnuCreateNew")->trigger();
    FrmT* t = transportEditor(w);
    ASSERT_NE(t, nullptr);
    for (int k = 1; k <= 10; ++k) {
        t->TGrid2[0]->setTextMatrix(k, 1, QString::number(100 * k));
    }
    const QString out = home.input() + "/NewTransprt.dat";
    dialogs.fileAnswers = {out};
    t->cmdSaveT->click();
    ASSERT_TRUE(t->saved());

    dialogs.questions.clear();
    dialogs.messages.clear();
    dialogs.yesNoQueue = {true};  // create the nutrient file too
    t->CmdExit->click();
    QTest::qWait(20);
    EXPECT_EQ(
        dialogs.questions,
        QStringList{"Create New Nutrient File?|Do you want to create a nutrient input file?"});
    // Until the nutrient editor is there it says so plainly.
    if (!w.findWindow(WindowKind::Nutrient)) {
        ASSERT_EQ(dialogs.messages.size(), 1);
        EXPECT_TRUE(dialogs.messages[0].endsWith("is not available yet."));
    }

    const QString hydload = QCoreApplication::applicationDirPath() + "/hydload";
    QProcess process;
    process.start(hydload, {"run", "--transport", out, "--nutrient", home.input() + "/Nutrient.dat",
                            "--weather", home.input() + "/Weather.dat", "--years", "3", "--level",
                            "3", "--out", home.dir.path() + "/Output", "--quiet"});
    ASSERT_TRUE(process.waitForFinished(60000));
    EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
    EXPECT_FALSE(fileBytes(home.dir.path() + "/Output/Results.dat").isEmpty());
}

}  // namespace
