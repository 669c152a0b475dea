// What a user types into the nutrient editor and the data matrix is what
// they keep, and what the run would refuse is refused before it reaches a
// file. Cells are typed without Enter, spinner boxes typed into.
#include <gtest/gtest.h>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>

#include "app/MDIFrmMain.h"
#include "gridcontrol/grid_handle.h"
#include "project/nutrient_file.h"
#include "project/nutrient_table.h"
#include "project/transport_file.h"
#include "project/ui/FrmN.h"
#include "project/ui/frmMatrix.h"
#include "shell/UpDown.h"
#include "shell/session.h"
#include "shell/widgets/FlexGrid.h"
#include "tests/ui/ui_test_support.h"

namespace {

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QList<QByteArray> lines(const QString& path) {
    QList<QByteArray> out;
    for (const QByteArray& line : readAll(path).split('\n')) {
        out.append(line.trimmed());
    }
    return out;
}

struct NutrientTyped : ::testing::Test {
    ScriptedDialogs dialogs;
    ExampleHome home;
    MDIFrmMain w;
    FrmN* editor = nullptr;
    void SetUp() override {
        startOnProject(w);
        dialogs.fileAnswers = {home.input() + "/Transprt.dat", home.input() + "/Nutrient.dat"};
        w.runCommand("MnuEditNutrient");
        editor = qobject_cast<FrmN*>(w.findWindow(rivulon::ui::WindowKind::Nutrient));
        ASSERT_NE(editor, nullptr);
        dialogs.messages.clear();
    }
    // Clicks a cell and types, leaving the edit open.
    void type(int grid, int row, int col, const QString& text) {
        rivulon::ui::FlexGrid* g = editor->NGrid[grid];
        g->setRow(row);
        g->setCol(col);
        QTest::keyClicks(g, text.left(1));
        ASSERT_FALSE(editor->TxtCell[grid]->isHidden());
        QTest::keyClicks(editor->TxtCell[grid], text.mid(1));
    }
    void typeIntoBox(QLineEdit* box, const QString& text) {
        box->setFocus();
        box->selectAll();
        QTest::keyClicks(box, text);
    }
    QString save() {
        const QString out = home.dir.path() + "/Saved.dat";
        QFile::remove(out);
        dialogs.fileAnswers = {out};
        editor->cmdSaveN->click();
        return out;
    }
};

TEST_F(NutrientTyped, SaveAndCloseTakeTheOpenCell) {
    // Hay is the third rural land use: runoff 2.8 mg/l N, .15 P.
    editor->TabN->setCurrentIndex(1);
    type(0, 3, 2, ".7");
    EXPECT_EQ(lines(save()).value(4), "2.8,.7");

    // Typed on one page, the page turned, then saved: kept.
    type(0, 3, 1, "3.1");
    editor->TabN->setCurrentIndex(2);
    EXPECT_EQ(editor->NGrid[0]->textMatrix(3, 1), "3.1");
    EXPECT_EQ(lines(save()).value(4), "3.1,.7");

    // Closing with a cell still open asks.
    editor->TabN->setCurrentIndex(1);
    type(0, 3, 1, "4");
    dialogs.yesNoAsked = 0;
    dialogs.yesNoAnswer = false;
    editor->CmdExit->click();
    EXPECT_EQ(dialogs.yesNoAsked, 1);
}

// Going 3 -> 2 -> 3 manured land uses brings back Hay's own manured values,
// by the spinner's arrows and by typing into its box.
TEST_F(NutrientTyped, ManuredCountKeepsHiddenRows) {
    rivulon::ui::FlexGrid* manured = editor->NGrid[2];
    ASSERT_EQ(manured->rows(), 4);
    ASSERT_EQ(manured->textMatrix(3, 1), "5.5");
    ASSERT_EQ(manured->textMatrix(3, 2), ".7");
    QTest::keyClick(editor->UpDnManure, Qt::Key_Down);
    EXPECT_EQ(editor->Text1[6]->text(), "2");
    EXPECT_EQ(manured->rows(), 3);
    QTest::keyClick(editor->UpDnManure, Qt::Key_Up);
    EXPECT_EQ(manured->rows(), 4);
    EXPECT_EQ(manured->textMatrix(3, 1), "5.5");
    EXPECT_EQ(manured->textMatrix(3, 2), ".7");

    typeIntoBox(editor->Text1[6], "1");
    EXPECT_EQ(editor->UpDnManure->value(), 1);
    EXPECT_EQ(manured->rows(), 2);
    typeIntoBox(editor->Text1[6], "4");
    EXPECT_EQ(manured->rows(), 5);
    EXPECT_EQ(manured->textMatrix(2, 1), "8");
    EXPECT_EQ(manured->textMatrix(3, 1), "5.5");
    // A row never shown starts from its land use's runoff values (Pasture: 3, .25).
    EXPECT_EQ(manured->textMatrix(4, 1), "3");
    EXPECT_EQ(manured->textMatrix(4, 2), ".25");
    EXPECT_EQ(lines(save()).value(1), "4,6,8,11,2");
}

// Numbers typed into the spinner boxes are saved without Enter; one the
// spinner cannot take stops the save, named.
TEST_F(NutrientTyped, TypedSpinnerBoxesAreSaved) {
    typeIntoBox(editor->Text1[8], "9");
    EXPECT_EQ(editor->UpDnEnd->value(), 9);
    EXPECT_EQ(lines(save()).value(1), "3,6,9,11,2");

    typeIntoBox(editor->Text1[8], "15");
    dialogs.messages.clear();
    const QString out = save();
    EXPECT_FALSE(QFile::exists(out));
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_TRUE(dialogs.messages[0].contains(
        "\"End Month (March=12):\": 15 is outside the allowed range 0 to 12"))
        << dialogs.messages[0].toStdString();
}

TEST_F(NutrientTyped, SaveRefusesWhatTheRunRefuses) {
    const struct {
        int grid, row, col;
        QString typed, expected;
    } cases[] = {
        {1, 1, 1, "-1",
         "\"Nutrient Build-up Rate (kg/ha/day) in Urban Areas\", row 1 (Residential, low "
         "density), column \"N kg/h/d\": -1 is outside the allowed range 0 or more."},
        {4, 2, 1, "-100",
         "\"Septic Systems: Population served (number of people)\", row 2 (May), column "
         "\"Normal type\": -100 is outside the allowed range 0 or more."},
        {3, 14, 2, "-5", "row 14 (Y2-May), column \"Point P\": -5 is outside the allowed range"},
    };
    for (const auto& c : cases) {
        const QString before = editor->NGrid[c.grid]->textMatrix(c.row, c.col);
        type(c.grid, c.row, c.col, c.typed);
        dialogs.messages.clear();
        const QString out = save();
        EXPECT_FALSE(QFile::exists(out)) << c.typed.toStdString();
        ASSERT_EQ(dialogs.messages.size(), 1);
        EXPECT_TRUE(dialogs.messages[0].contains(c.expected)) << dialogs.messages[0].toStdString();
        editor->NGrid[c.grid]->setTextMatrix(c.row, c.col, before);
    }
    typeIntoBox(editor->Text1[10], "-12");
    dialogs.messages.clear();
    EXPECT_FALSE(QFile::exists(save()));
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_TRUE(dialogs.messages[0].contains(
        "\"Septic N loading g/day/capita:\": -12 is outside the allowed range 0 or more."))
        << dialogs.messages[0].toStdString();
}

// A 100-year project keeps all 100 years of point sources when its nutrient
// file is saved from the editor, and the run reads the saved file.
TEST(NutrientYears, HundredYearsOfPointSourcesAreKept) {
    ScriptedDialogs dialogs;
    ExampleHome home;
    MDIFrmMain w;
    startOnProject(w);
    // The example's file carries 30 years; years 31..100 repeat the last.
    QByteArray text = readAll(home.input() + "/Nutrient.dat");
    QList<QByteArray> rows = text.split('\n');
    while (!rows.isEmpty() && rows.last().trimmed().isEmpty()) {
        rows.removeLast();
    }
    const QList<QByteArray> lastYear = rows.mid(rows.size() - 12);
    for (int y = 31; y <= 100; ++y) {
        rows += lastYear;
    }
    for (QByteArray& row : rows) {
        row = row.trimmed();
    }
    const QString path = home.input() + "/Nutrient100.dat";
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(rows.join("\r\n"));
    f.close();
    Session& session = w.session();
    session.settings.nutrientPath = path.toStdString();
    session.settings.weatherYears = 100;

    auto* editor = qobject_cast<FrmN*>(w.openWindow(rivulon::ui::WindowKind::Nutrient));
    ASSERT_NE(editor, nullptr);
    QStringList names;
    for (int k = 1; k <= 10; ++k) {
        names << QString::number(k);
    }
    ASSERT_TRUE(editor->NutrientOpen(8, 2, QString(), names, path));
    EXPECT_TRUE(dialogs.inputPrompts.isEmpty()) << "the project's file takes the weather's years";
    EXPECT_EQ(editor->NGrid[3]->rows(), 1 + 1200);
    const QString out = home.dir.path() + "/Saved100.dat";
    ASSERT_TRUE(editor->saveTo(out));

    rivulon::WatershedSetup ws;
    rivulon::readTransportFile(session.settings.transportPath, ws);
    rivulon::NutrientSetup ns;
    ASSERT_NO_THROW(rivulon::readNutrientFile(out.toStdString(), ws, 100, ns));
    ASSERT_EQ(ns.pointN.size(), 101u);
    EXPECT_FLOAT_EQ(ns.pointN[100][12], ns.pointN[30][12]);
}

TEST(MatrixTyped, AppendAndUseTakeTheOpenCellAndRefuseTheSameCells) {
    ScriptedDialogs dialogs;
    ExampleHome home;
    MDIFrmMain w;
    startOnProject(w);
    w.action("MnuSetNutrMatrix")->trigger();
    auto* m = qobject_cast<frmMatrix*>(w.findWindow(rivulon::ui::WindowKind::Matrix));
    ASSERT_NE(m, nullptr);
    QWidget* grid = m->GridMx[0];
    QWidget* fg2 = grid->findChild<QWidget*>("Fg2");
    auto* edit = grid->findChild<QLineEdit*>("TxtEdit");
    ASSERT_NE(fg2, nullptr);
    const auto typeAt = [&](int row, int col, const QString& text) {
        tabulex::GridHandle g(grid);
        g.setRow(row);
        g.setCol(col);
        QTest::keyClicks(fg2, text.left(1));
        ASSERT_TRUE(edit->isVisible());
        QTest::keyClicks(edit, text.mid(1));
    };
    const QString target = home.dir.path() + "/Target.dat";
    ASSERT_TRUE(QFile::copy(home.input() + "/Nutrient.dat", target));
    const QByteArray original = readAll(target);

    for (const QString& typed : {QString("abc"), QString("-3")}) {
        typeAt(2, 5, typed);
        dialogs.messages.clear();
        dialogs.fileAnswers = {target};
        m->cmdAppend->click();
        ASSERT_EQ(dialogs.messages.size(), 1) << typed.toStdString();
        EXPECT_TRUE(dialogs.messages[0].contains("nothing was appended"))
            << dialogs.messages[0].toStdString();
        EXPECT_EQ(readAll(target), original);
        dialogs.messages.clear();
        EXPECT_FALSE(m->cmdUseMatrixData_Click());
        ASSERT_EQ(dialogs.messages.size(), 1);
        EXPECT_TRUE(dialogs.messages[0].contains("the data matrix was not used"));
    }
    EXPECT_TRUE(dialogs.messages[0].contains("-3 is outside the allowed range 0 or more"))
        << dialogs.messages[0].toStdString();

    typeAt(2, 5, "9.5");
    dialogs.fileAnswers = {target};
    m->cmdAppend->click();
    EXPECT_TRUE(readAll(target).contains("\"9.5\"")) << "the open cell was appended";
}

}  // namespace
