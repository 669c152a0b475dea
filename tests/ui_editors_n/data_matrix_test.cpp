#include <gtest/gtest.h>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QToolBar>
#include <QToolButton>

#include "app/MDIFrmMain.h"
#include "gridcontrol/grid_handle.h"
#include "project/nutrient_matrix.h"
#include "project/ui/frmMatrix.h"
#include "shell/edit_target.h"
#include "shell/session.h"
#include "tests/ui/ui_test_support.h"
#include "tests/ui/window_access.h"

namespace {

QByteArray bytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

frmMatrix* openMatrix(MDIFrmMain& w) {
    w.action("MnuSetNutrMatrix")->trigger();
    return qobject_cast<frmMatrix*>(w.findWindow(rivulon::ui::WindowKind::Matrix));
}

bool marked(QWidget* grid, int row, int col) {
    QObject* inner = grid->findChild<QObject*>("Fg2");
    uint color = 0;
    QMetaObject::invokeMethod(inner, "cellForeColorAt", Q_RETURN_ARG(uint, color), Q_ARG(int, row),
                              Q_ARG(int, col));
    return color == 255;
}

QString cell(frmMatrix* m, int page, int row, int col) {
    return tabulex::GridHandle(m->GridMx[page]).textMatrix(row, col);
}

// The example's nutrient file with another manure line.
QString withManureLine(const ExampleHome& home, const QByteArray& line) {
    QByteArray text = bytes(home.input() + "/Nutrient.dat");
    const qsizetype start = text.indexOf('\n') + 1;
    text.replace(start, text.indexOf('\n', start) - start, line);
    const QString path = home.dir.path() + "/Manure.dat";
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(text);
    return path;
}

TEST(DataMatrix, OpensWithManureMonthsMarkedAcrossTheYearEnd) {
    ScriptedDialogs dialogs;
    ExampleHome home;
    MDIFrmMain w;
    startOnProject(w);
    // Three manured land uses, June..August and (past March) November..February.
    frmMatrix* m = openMatrix(w);
    ASSERT_NE(m, nullptr);
    EXPECT_TRUE(dialogs.messages.isEmpty()) << dialogs.messages.join("\n").toStdString();
    EXPECT_EQ(m->windowTitle(), "Nutrient Concentration Matrix");
    EXPECT_EQ(m->TabMx->tabText(0), "N (mg/l, urban:kg/ha-day)");
    ASSERT_NE(m->GridMx[0], nullptr);
    EXPECT_STREQ(m->GridMx[0]->metaObject()->className(), "tabulex::GridEditable");
    tabulex::GridHandle n(m->GridMx[0]);
    EXPECT_EQ(n.rows(), 11);
    EXPECT_EQ(n.cols(), 13);
    EXPECT_EQ(cell(m, 0, 0, 1), "Apr");
    EXPECT_EQ(cell(m, 0, 1, 1), "12.2");   // April: manure, after February
    EXPECT_EQ(cell(m, 0, 1, 3), "2.9");    // June: the runoff concentration
    EXPECT_EQ(cell(m, 1, 9, 1), ".0045");  // urban build-up, P page
    for (int page = 0; page < 2; ++page) {
        for (int k = 1; k <= 4; ++k) {
            for (int month = 1; month <= 12; ++month) {
                const bool manure =
                    k <= 3 && ((month >= 6 && month <= 8) || month >= 11 || month <= 2);
                EXPECT_EQ(marked(m->GridMx[page], k, month), manure)
                    << "page " << page << " land use " << k << " month " << month;
            }
        }
    }
    EXPECT_EQ(cell(m, 0, 1, 12), "12.2");  // the manure concentration in March
    EXPECT_EQ(cell(m, 1, 3, 1), ".7");

    // Edit > Copy takes the grid's selected block.
    m->GridMx[0]->setFocus();
    std::unique_ptr<rivulon::ui::EditTarget> adapter;
    QWidget* inner = m->GridMx[0]->findChild<QWidget*>("Fg2");
    rivulon::ui::EditTarget* target = rivulon::ui::editTargetFor(inner, adapter);
    ASSERT_NE(target, nullptr);
    n.setRow(1);
    n.setCol(3);
    target->copy();
    EXPECT_EQ(QApplication::clipboard()->text().toStdString(), ",Jun\r\nCorn,2.9\r\n");
}

TEST(DataMatrix, AWholeYearOfManure) {
    ScriptedDialogs dialogs;
    ExampleHome home;
    MDIFrmMain w;
    startOnProject(w);
    w.session().settings.nutrientPath = withManureLine(home, "1,1,12").toStdString();
    frmMatrix* m = openMatrix(w);
    ASSERT_NE(m, nullptr);
    for (int month = 1; month <= 12; ++month) {
        EXPECT_TRUE(marked(m->GridMx[0], 1, month)) << month;
        EXPECT_FALSE(marked(m->GridMx[0], 2, month)) << month;
    }
    EXPECT_EQ(m->manureCells().size(), 12u);
}

TEST(DataMatrix, AppendLoadAndTheirRefusals) {
    qputenv("VISUAL", "true");  // the text editor the refusal starts
    ScriptedDialogs dialogs;
    ExampleHome home;
    MDIFrmMain w;
    startOnProject(w);
    frmMatrix* m = openMatrix(w);
    ASSERT_NE(m, nullptr);
    const QString target = home.dir.path() + "/WithMatrix.dat";
    ASSERT_TRUE(QFile::copy(home.input() + "/Nutrient.dat", target));
    const QByteArray original = bytes(target);

    // No block yet: Load says so and changes nothing.
    dialogs.fileAnswers = {target};
    m->cmdLoadData->click();
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_EQ(dialogs.messages[0], "Nutrient Concentration Matrix|Matrix data were not found!");

    tabulex::GridHandle(m->GridMx[0]).setTextMatrix(2, 5, "9.75");
    dialogs.fileAnswers = {target};
    m->cmdAppend->click();
    EXPECT_EQ(dialogs.fileTitles.last(), "Append the data to nutrient file");
    const QByteArray once = bytes(target);
    EXPECT_TRUE(once.startsWith(original));
    EXPECT_TRUE(once.contains("\r\nNutrient Data Matrix\r\n10,8,2\r\n\"Saved Data\",\"Apr\""));
    EXPECT_EQ(cell(m, 0, 0, 0), "") << "the corner cell is not left changed";

    // Twice: refused, with the message, and the file stays as it was.
    dialogs.fileAnswers = {target};
    m->cmdAppend->click();
    ASSERT_EQ(dialogs.messages.size(), 2);
    EXPECT_TRUE(dialogs.messages[1].contains("A previous nutrient matrix existed"));
    EXPECT_EQ(bytes(target), once);

    // Load brings the saved values back.
    tabulex::GridHandle(m->GridMx[0]).setTextMatrix(2, 5, "1");
    dialogs.fileAnswers = {target};
    m->cmdLoadData->click();
    EXPECT_EQ(dialogs.messages.size(), 2);
    EXPECT_EQ(cell(m, 0, 2, 5), "9.75");
    EXPECT_FALSE(marked(m->GridMx[0], 1, 6)) << "loaded values replace the marks";

    // A block saved for another number of land uses is refused.
    QByteArray other = original + "\r\nNutrient Data Matrix\r\n3,2,1\r\n";
    const QString otherPath = home.dir.path() + "/Other.dat";
    QFile f(otherPath);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(other);
    f.close();
    dialogs.fileAnswers = {otherPath};
    m->cmdLoadData->click();
    ASSERT_EQ(dialogs.messages.size(), 3);
    EXPECT_EQ(dialogs.messages[2], "Nutrient Concentration Matrix|Not the right file to Open");
    EXPECT_EQ(cell(m, 0, 2, 5), "9.75");
}

TEST(DataMatrix, UseHandsTheValuesToTheRunAndPressesTheButton) {
    ScriptedDialogs dialogs;
    ExampleHome home;
    MDIFrmMain w;
    startOnProject(w);
    frmMatrix* m = openMatrix(w);
    ASSERT_NE(m, nullptr);
    Session& session = w.session();
    auto* button = w.toolBar()->findChild<QToolButton*>("NutrientMatrix");
    ASSERT_NE(button, nullptr);

    // A cell that is not a number: refused, named, nothing used.
    tabulex::GridHandle(m->GridMx[1]).setTextMatrix(9, 4, "n/a");
    EXPECT_FALSE(m->cmdUseMatrixData_Click());
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_TRUE(dialogs.messages[0].contains("\"n/a\""));
    EXPECT_TRUE(dialogs.messages[0].contains(cell(m, 1, 9, 0) + " in Jul"))
        << dialogs.messages[0].toStdString();
    EXPECT_FALSE(session.state.options.nutrientMatrixInUse);
    EXPECT_FALSE(w.action("MnuSetNutrMatrix")->isChecked());

    tabulex::GridHandle(m->GridMx[1]).setTextMatrix(9, 4, ".05");
    tabulex::GridHandle(m->GridMx[0]).setTextMatrix(2, 5, "6.5");
    m->cmdUseMatrixData->click();
    EXPECT_EQ(dialogs.messages.size(), 1);
    EXPECT_TRUE(session.state.options.nutrientMatrixInUse);
    EXPECT_FLOAT_EQ(session.state.nutrients.runoffN[2][5], 6.5f);
    EXPECT_FLOAT_EQ(session.state.nutrients.buildupP[9][4], .05f);
    EXPECT_FLOAT_EQ(session.state.nutrients.runoffN[1][12], 12.2f);  // a manure month
    EXPECT_TRUE(w.action("MnuSetNutrMatrix")->isChecked());
    EXPECT_TRUE(button->isChecked());

    // The menu item switches it off again; once more it shows the open
    // window as the user left it.
    w.action("MnuSetNutrMatrix")->trigger();
    EXPECT_FALSE(session.state.options.nutrientMatrixInUse);
    EXPECT_FALSE(button->isChecked());
    EXPECT_EQ(openMatrix(w), m);
    EXPECT_EQ(cell(m, 0, 2, 5), "6.5");
    EXPECT_FALSE(session.state.options.nutrientMatrixInUse);
}

// Runs the start window at the nutrient level and returns the saved results.
QByteArray runNutrients(MDIFrmMain& w, const QString& path) {
    FrmStart* start = startWindow(w);
    if (!start)
        return {};
    start->txtYear->setText("3");
    start->OptSim[2]->setChecked(true);
    start->cmdRunSimulation->click();
    waitForRun(w);
    start->SaveResults(path);
    return bytes(path);
}

// The matrix as it opens carries the file's values with the manure months
// written in: a run on it gives the same results as a run on the file, and a
// changed cell changes them.
TEST(DataMatrix, RunOnTheMatrixAsOpenedMatchesTheFile) {
    ScriptedDialogs dialogs;
    ExampleHome home;
    MDIFrmMain w;
    startOnProject(w);
    const QByteArray fromFile = runNutrients(w, home.dir.path() + "/File.dat");
    ASSERT_FALSE(fromFile.isEmpty());
    frmMatrix* m = openMatrix(w);
    ASSERT_NE(m, nullptr);
    ASSERT_TRUE(m->cmdUseMatrixData_Click());
    EXPECT_EQ(runNutrients(w, home.dir.path() + "/Matrix.dat"), fromFile);
    tabulex::GridHandle(m->GridMx[0]).setTextMatrix(1, 4, "40");
    ASSERT_TRUE(m->cmdUseMatrixData_Click());
    const QByteArray changed = runNutrients(w, home.dir.path() + "/Changed.dat");
    EXPECT_FALSE(changed.isEmpty());
    EXPECT_NE(changed, fromFile);
    EXPECT_TRUE(dialogs.messages.isEmpty()) << dialogs.messages.join("\n").toStdString();
}

}  // namespace
