#include <gtest/gtest.h>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QTabWidget>
#include <QTest>

#include "app/MDIFrmMain.h"
#include "common/atomic_file.h"
#include "project/nutrient_table.h"
#include "project/transport_file.h"
#include "project/ui/FrmN.h"
#include "shell/UpDown.h"
#include "shell/widgets/FlexGrid.h"
#include "tests/ui/ui_test_support.h"
#include "tests/ui/window_access.h"

namespace {

QByteArray bytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeText(const QString& path, const QByteArray& text) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(text);
}

FrmN* nutrientEditor(MDIFrmMain& w) {
    return qobject_cast<FrmN*>(w.findWindow(rivulon::ui::WindowKind::Nutrient));
}

// "Edit Nutrient Data" on the example's transport file and `nutrient`.
FrmN* openThroughMenu(MDIFrmMain& w, ScriptedDialogs& dialogs, const ExampleHome& home,
                      const QString& nutrient) {
    dialogs.fileAnswers = {home.input() + "/Transprt.dat", nutrient};
    w.runCommand("MnuEditNutrient");
    return nutrientEditor(w);
}

// A three-column file for the example's 8 rural and 2 urban land uses, two
// manure periods, septic data only.
QByteArray threeColumnFile() {
    QByteArray s = "-3000,1300,40,.94,.01,2\r\n1,5,8,11,2\r\n";
    for (int k = 0; k < 8; ++k)
        s += "2.9,.25,7\r\n";
    s += ".5,.02,8\r\n.1,.012,9\r\n4.5,.6\r\n";
    for (int m = 1; m <= 12; ++m)
        s += "10,2,1\r\n";
    s += "1\r\n";
    for (int m = 1; m <= 12; ++m)
        s += "120,10,5,0\r\n";
    s += "12,2.5,1.6,.4\r\n";
    return s;
}

// Types `text` into a cell and presses Enter, as a user would.
void typeInCell(FrmN* editor, int grid, int row, int col, const QString& text) {
    rivulon::ui::FlexGrid* g = editor->NGrid[grid];
    g->setRow(row);
    g->setCol(col);
    QTest::keyClicks(g, text.left(1));
    ASSERT_FALSE(editor->TxtCell[grid]->isHidden());
    QTest::keyClicks(editor->TxtCell[grid], text.mid(1));
    QTest::keyClick(editor->TxtCell[grid], Qt::Key_Return);
}

TEST(NutrientEditor, ExampleOpensAndSavesUnchangedByteForByte) {
    ScriptedDialogs dialogs;
    ExampleHome home;
    MDIFrmMain w;
    startOnProject(w);
    FrmN* editor = openThroughMenu(w, dialogs, home, home.input() + "/Nutrient.dat");
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(dialogs.fileTitles.value(0),
              "Select the corresponding transport file first, then the nutrient file.");
    // The project's own file takes its point-source years from the weather file.
    EXPECT_TRUE(dialogs.inputPrompts.isEmpty()) << dialogs.inputPrompts.join("\n").toStdString();
    EXPECT_EQ(editor->windowTitle(), "Edit Nutrient.dat");
    EXPECT_EQ(editor->TabN->count(), 5);
    EXPECT_EQ(editor->TabN->tabText(3), "Nutrients - Point sources");
    EXPECT_EQ(editor->TxtRural->text(), "8");
    EXPECT_EQ(editor->Text1[0]->text(), "3000");
    EXPECT_EQ(editor->Text1[7]->text(), "6 Sep");
    EXPECT_EQ(editor->Txt2ndMan[1]->text(), "2 May") << "months follow the transport file";
    EXPECT_EQ(editor->NGrid[2]->rows(), 4);
    EXPECT_EQ(editor->NGrid[3]->textMatrix(13, 0).left(3), "Y2-");

    // The first save writes the program's form; opened and saved again the
    // bytes stay the same.
    const QString first = home.dir.path() + "/First.dat";
    const QString second = home.dir.path() + "/Second.dat";
    ASSERT_TRUE(editor->saveTo(first));
    EXPECT_TRUE(editor->saved());
    dialogs.inputAnswers = {"30"};  // another file: its years are asked for
    ASSERT_TRUE(editor->NutrientOpen(8, 2, QString(), {}, first));
    ASSERT_TRUE(editor->saveTo(second));
    EXPECT_FALSE(bytes(first).isEmpty());
    EXPECT_EQ(bytes(first), bytes(second));
    EXPECT_TRUE(dialogs.messages.isEmpty()) << dialogs.messages.join("\n").toStdString();
}

TEST(NutrientEditor, EditedCellShowsRedAndIsSaved) {
    ScriptedDialogs dialogs;
    ExampleHome home;
    MDIFrmMain w;
    startOnProject(w);
    FrmN* editor = openThroughMenu(w, dialogs, home, home.input() + "/Nutrient.dat");
    ASSERT_NE(editor, nullptr);
    const QString path = home.dir.path() + "/Edited.dat";
    ASSERT_TRUE(editor->saveTo(path));

    typeInCell(editor, 0, 2, 2, "7.25");
    rivulon::ui::FlexGrid* rural = editor->NGrid[0];
    EXPECT_EQ(rural->textMatrix(2, 2), "7.25");
    EXPECT_EQ(rural->cellForeColorAt(2, 2), 255u);
    EXPECT_EQ(rural->cellForeColorAt(2, 1), 0u);
    EXPECT_FALSE(editor->saved()) << "an edit after a save clears the saved flag";

    // Esc drops an edit: the cell keeps its text.
    rural->setRow(3);
    QTest::keyClicks(rural, "9");
    QTest::keyClick(editor->TxtCell[0], Qt::Key_Escape);
    EXPECT_TRUE(editor->TxtCell[0]->isHidden());
    EXPECT_EQ(rural->textMatrix(3, 2), ".15");

    // Exit asks; No closes without saving.
    dialogs.yesNoAnswer = false;
    const int asked = dialogs.yesNoAsked;
    ASSERT_TRUE(editor->saveTo(path));
    rivulon::NutrientTable t;
    rivulon::readNutrientTable(
        path.toStdString(), 8, 2, [] { return 1; }, t);
    EXPECT_EQ(t.rural[1][1], "7.25");
    // A box: Esc brings back the text it had on entry; Enter marks a change red.
    QLineEdit* box = editor->Text1[1];
    QFocusEvent in(QEvent::FocusIn);
    QApplication::sendEvent(box, &in);
    QTest::keyClicks(box, "5");
    EXPECT_EQ(box->text(), "11005");
    EXPECT_FALSE(editor->saved());
    QTest::keyClick(box, Qt::Key_Escape);
    EXPECT_EQ(box->text(), "1100");
    box->setText("1250");
    QTest::keyClick(box, Qt::Key_Return);
    EXPECT_EQ(box->palette().color(QPalette::Text), QColor(Qt::red));
    editor->CmdExit->click();
    EXPECT_EQ(dialogs.yesNoAsked, asked + 1);
}

TEST(NutrientEditor, ThreeColumnFileAndTheSecondManurePeriod) {
    ScriptedDialogs dialogs;
    ExampleHome home;
    MDIFrmMain w;
    startOnProject(w);
    const QString path = home.dir.path() + "/Three.dat";
    writeText(path, threeColumnFile());
    FrmN* editor = openThroughMenu(w, dialogs, home, path);
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->Text1[0]->text(), "3000");
    EXPECT_EQ(editor->Text1[2]->text(), "40");
    EXPECT_EQ(editor->Text1[5]->text(), "2");
    EXPECT_EQ(editor->NGrid[1]->textMatrix(2, 3), "9");
    EXPECT_EQ(editor->Text1[7]->text(), "5 Aug");
    EXPECT_EQ(editor->Txt2ndMan[0]->text(), "11 Feb");

    // Unchanged: the same bytes, negative first value included.
    const QString out = home.dir.path() + "/ThreeOut.dat";
    ASSERT_TRUE(editor->saveTo(out));
    EXPECT_EQ(bytes(out), threeColumnFile());

    // A second period ending at 0 is written as three fields, then as five again.
    editor->UpDnEnd1->setValue(0);
    EXPECT_EQ(editor->Txt2ndMan[1]->text(), "0");
    ASSERT_TRUE(editor->saveTo(out));
    EXPECT_TRUE(bytes(out).startsWith("-3000,1300,40,.94,.01,2\r\n1,5,8\r\n2.9,.25,7\r\n"));
    editor->UpDnEnd1->setValue(3);
    EXPECT_EQ(editor->Txt2ndMan[1]->text(), "3 Jun");
    ASSERT_TRUE(editor->saveTo(out));
    EXPECT_TRUE(bytes(out).startsWith("-3000,1300,40,.94,.01,2\r\n1,5,8,11,3\r\n"));

    // Sediment C cleared: the two-column form.
    editor->Text1[2]->clear();
    ASSERT_TRUE(editor->saveTo(out));
    const QByteArray two = bytes(out);
    EXPECT_TRUE(two.startsWith("3000,1300,.94,.01\r\n1,5,8,11,3\r\n2.9,.25\r\n"))
        << two.left(60).toStdString();
    EXPECT_TRUE(two.contains("\r\n.1,.012\r\n4.5,.6\r\n10,2\r\n"));

    // The manure-count spinner resizes the manured table, new rows starting
    // from the rural concentrations.
    editor->UpDnManure->setValue(3);
    EXPECT_EQ(editor->Text1[6]->text(), "3");
    ASSERT_EQ(editor->NGrid[2]->rows(), 4);
    EXPECT_EQ(editor->NGrid[2]->textMatrix(1, 1), "4.5");
    EXPECT_EQ(editor->NGrid[2]->textMatrix(3, 1), "2.9");
    EXPECT_EQ(editor->UpDnManure->maximum(), 8);
}

// More manured land uses than rural ones: the count and the rows saved agree.
TEST(NutrientEditor, ManuredCountStaysWithinTheRuralLandUses) {
    ScriptedDialogs dialogs;
    ExampleHome home;
    MDIFrmMain w;
    startOnProject(w);
    QByteArray text = threeColumnFile();
    text.replace("1,5,8,11,2\r\n", "9,5,8,11,2\r\n");
    text.replace("4.5,.6\r\n", QByteArray("4.5,.6\r\n").repeated(9));
    const QString path = home.dir.path() + "/Nine.dat";
    writeText(path, text);
    FrmN* editor = openThroughMenu(w, dialogs, home, path);
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->Text1[6]->text(), "8");
    EXPECT_EQ(editor->NGrid[2]->rows(), 9);
    const QString out = home.dir.path() + "/Eight.dat";
    ASSERT_TRUE(editor->saveTo(out));
    rivulon::NutrientTable t;
    rivulon::readNutrientTable(
        out.toStdString(), 8, 2, [] { return 1; }, t);
    EXPECT_EQ(t.manuredCount, "8");
    EXPECT_EQ(t.manured.size(), 8u);
    EXPECT_EQ(t.point[0][2], "1") << "the rows after the manured ones read in place";
}

TEST(NutrientEditor, RulingsLoadAllOrNothingAndSaveOnlyNumbers) {
    ScriptedDialogs dialogs;
    ExampleHome home;
    MDIFrmMain w;
    startOnProject(w);
    const QString good = home.dir.path() + "/Good.dat";
    writeText(good, threeColumnFile());
    FrmN* editor = openThroughMenu(w, dialogs, home, good);
    ASSERT_NE(editor, nullptr);
    const rivulon::NutrientTable before = editor->table();

    // A file broken half-way: located message, nothing on screen changes.
    QByteArray broken = threeColumnFile();
    broken.replace("10,2,1\r\n1\r\n", "10,2,x\r\n1\r\n");
    const QString bad = home.dir.path() + "/Broken.dat";
    writeText(bad, broken);
    EXPECT_FALSE(editor->NutrientOpen(8, 2, QString(), {}, bad));
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_TRUE(dialogs.messages[0].contains("Broken.dat:25")) << dialogs.messages[0].toStdString();
    EXPECT_EQ(editor->table().rural, before.rural);
    EXPECT_EQ(editor->table().point, before.point);
    EXPECT_EQ(editor->windowTitle(), "Edit Good.dat");

    // A cell that is not a number stops the save, naming table, row and
    // column; the file on disk is untouched.
    dialogs.messages.clear();
    editor->NGrid[1]->setTextMatrix(2, 2, "1,2");
    const QByteArray onDisk = bytes(good);
    EXPECT_FALSE(editor->saveTo(good));
    ASSERT_EQ(dialogs.messages.size(), 1);
    const QString message = dialogs.messages[0];
    EXPECT_TRUE(message.contains("Nutrient Build-up Rate (kg/ha/day) in Urban Areas"));
    EXPECT_TRUE(message.contains("row 2"));
    EXPECT_TRUE(message.contains("\"P kg/h/d\""));
    EXPECT_EQ(bytes(good), onDisk);
    // So does an emptied sediment box, named by its label.
    editor->NGrid[1]->setTextMatrix(2, 2, ".012");
    editor->Text1[4]->clear();
    EXPECT_FALSE(editor->saveTo(good));
    EXPECT_TRUE(dialogs.messages.last().contains("Ground water P mg/l:"));
    EXPECT_EQ(bytes(good), onDisk);
}

TEST(NutrientEditor, PointSourceYearsBeyondTheAnswerAreKept) {
    ScriptedDialogs dialogs;
    ExampleHome home;
    MDIFrmMain w;
    startOnProject(w);
    // The example's file under another name: its years are asked for.
    const QString copy = home.dir.path() + "/Other.dat";
    ASSERT_TRUE(QFile::copy(home.input() + "/Nutrient.dat", copy));
    rivulon::NutrientTable all;
    rivulon::readNutrientTable(
        copy.toStdString(), 8, 2, [] { return 1; }, all);
    const int years = int(all.point.size() / 12);
    ASSERT_GT(years, 2);
    dialogs.inputAnswers = {"2"};
    FrmN* editor = openThroughMenu(w, dialogs, home, copy);
    ASSERT_NE(editor, nullptr);
    ASSERT_EQ(dialogs.inputPrompts.size(), 1);
    EXPECT_EQ(dialogs.inputPrompts[0],
              "Point source data|How many years (<100) of point source data do you have in "
              "the nutrient file?");
    EXPECT_EQ(editor->NGrid[3]->rows(), 12 * years + 1);
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_TRUE(dialogs.messages[0].contains(QString::number(years) + " years"));
    const QString out = home.dir.path() + "/Out.dat";
    ASSERT_TRUE(editor->saveTo(out));
    rivulon::NutrientTable saved;
    rivulon::readNutrientTable(
        out.toStdString(), 8, 2, [=] { return years; }, saved);
    EXPECT_EQ(saved.point, all.point);
}

TEST(NutrientEditor, NewFileFromCreateNewRunsInHydload) {
    ScriptedDialogs dialogs;
    ExampleHome home;
    MDIFrmMain w;
    startOnProject(w);
    auto* editor = qobject_cast<FrmN*>(w.openWindow(rivulon::ui::WindowKind::Nutrient));
    ASSERT_NE(editor, nullptr);
    auto* service = dynamic_cast<rivulon::ui::NutrientEditorService*>(editor);
    ASSERT_NE(service, nullptr);
    dialogs.inputAnswers = {"2", "1"};
    service->createNew(8, 2, {});
    ASSERT_EQ(dialogs.inputPrompts.size(), 2);
    EXPECT_TRUE(dialogs.inputPrompts[0].startsWith(
        "Number of manured or fertilized areas|How many land types (<=8) will you simulate"));
    EXPECT_EQ(editor->NGrid[0]->textMatrix(1, 0), "R1");
    EXPECT_EQ(editor->NGrid[1]->textMatrix(2, 0), "U2");
    EXPECT_EQ(editor->NGrid[2]->rows(), 3);
    EXPECT_EQ(editor->NGrid[3]->rows(), 13);
    EXPECT_EQ(editor->Text1[8]->text(), "12 Mar");
    EXPECT_EQ(editor->Text1[10]->text(), "12");
    EXPECT_EQ(editor->Text1[13]->text(), "0.4");

    typeInCell(editor, 0, 1, 1, "2.5");
    const QString path = home.dir.path() + "/NewNutrient.dat";
    dialogs.fileAnswers = {path};
    ASSERT_TRUE(editor->cmdSaveN_Click());
    ASSERT_TRUE(QFile::exists(path));

    const QString out = home.dir.path() + "/run";
    QDir().mkpath(out);
    QProcess hydload;
    hydload.start(
        QCoreApplication::applicationDirPath() + "/hydload",
        {"run", "--transport", home.input() + "/Transprt.dat", "--nutrient", path, "--weather",
         home.input() + "/Weather.dat", "--level", "3", "--years", "2", "--out", out, "--quiet"});
    ASSERT_TRUE(hydload.waitForFinished(60000));
    EXPECT_EQ(hydload.exitCode(), 0) << hydload.readAllStandardError().toStdString();
    EXPECT_TRUE(QFile::exists(out + "/Results.dat"));
}

TEST(NutrientEditor, CancelledDialogsLeaveNoEditorAndTheMenuShowsEveryPage) {
    ScriptedDialogs dialogs;
    ExampleHome home;
    MDIFrmMain w;
    startOnProject(w);
    w.runCommand("MnuEditNutrient");  // transport dialog cancelled
    EXPECT_EQ(nutrientEditor(w), nullptr);
    dialogs.fileAnswers = {home.input() + "/Transprt.dat"};  // then the nutrient one
    w.runCommand("MnuEditNutrient");
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(nutrientEditor(w), nullptr);
    EXPECT_TRUE(dialogs.messages.isEmpty());

    auto* editor = qobject_cast<FrmN*>(w.openWindow(rivulon::ui::WindowKind::Nutrient));
    ASSERT_TRUE(editor->openSepticOnly());
    ASSERT_EQ(openThroughMenu(w, dialogs, home, home.input() + "/Nutrient.dat"), editor);
    EXPECT_FALSE(editor->septicOnly());
    for (int i = 0; i < 5; ++i)
        EXPECT_TRUE(editor->TabN->isTabVisible(i));
    EXPECT_TRUE(editor->lblSepticHeading->isHidden());
}

TEST(NutrientEditor, SepticPageAloneForTheSepticWindow) {
    ScriptedDialogs dialogs;
    ExampleHome home;
    MDIFrmMain w;
    startOnProject(w);
    auto* editor = qobject_cast<FrmN*>(w.openWindow(rivulon::ui::WindowKind::Nutrient));
    ASSERT_NE(editor, nullptr);
    w.showChild(editor);
    bool closed = false, fileSaved = false;
    QString savedName;
    editor->whenClosed([&](bool saved, const QString& name) {
        closed = true;
        fileSaved = saved;
        savedName = name;
    });
    ASSERT_TRUE(editor->openSepticOnly());
    EXPECT_TRUE(dialogs.messages.isEmpty()) << dialogs.messages.join("\n").toStdString();
    EXPECT_TRUE(editor->septicOnly());
    EXPECT_TRUE(editor->TabN->isTabVisible(0));
    for (int i = 1; i <= 3; ++i)
        EXPECT_FALSE(editor->TabN->isTabVisible(i));
    EXPECT_EQ(editor->TabN->currentIndex(), 4);
    EXPECT_FALSE(editor->lblSepticHeading->isHidden());
    EXPECT_EQ(editor->lblSepticHeading->text(),
              "Default parameters for normal type of septic systems that conform to EPA "
              "standards:");
    EXPECT_TRUE(editor->fraCounts->isHidden());
    EXPECT_GE(editor->NGrid[4]->height(), editor->height() / 3);

    // Row 1 normal, row 2 ponded systems, by month.
    editor->setSepticPopulation(2, 3, 480);
    editor->setSepticPopulation(1, 3, 5120);
    EXPECT_EQ(editor->NGrid[4]->textMatrix(3, 2), "480");
    EXPECT_EQ(editor->NGrid[4]->textMatrix(3, 1), "5120");
    EXPECT_EQ(editor->NGrid[4]->cellForeColorAt(3, 2), 255u);

    // Exit: Yes saves and stays open; the next Exit closes and says so once.
    const QString path = home.dir.path() + "/Septic.dat";
    dialogs.yesNoAnswer = true;
    dialogs.fileAnswers = {path};
    editor->CmdExit->click();
    EXPECT_FALSE(closed);
    ASSERT_TRUE(editor->saved());
    editor->CmdExit->click();
    EXPECT_TRUE(closed);
    EXPECT_TRUE(fileSaved);
    EXPECT_EQ(savedName, path);
    rivulon::NutrientTable t;
    rivulon::readNutrientTable(
        path.toStdString(), 8, 2, [] { return 1; }, t);
    EXPECT_EQ(t.septic[2][1], "480");
}

}  // namespace
