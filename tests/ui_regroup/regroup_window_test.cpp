// The regrouping and pie windows on the hand-worked three-year results file
// of the core tests (Forest, Corn and Town; years 2 and 3 averaged), checked
// against `hydload regroup` on the same file and groups.
#include <gtest/gtest.h>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QCoreApplication>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <cmath>

#include "analysis/grid_copy.h"
#include "analysis/regroup.h"
#include "analysis/table_text.h"
#include "analysis/ui/FrmPie.h"
#include "analysis/ui/FrmReGroup.h"
#include "app/MDIFrmMain.h"
#include "shell/session.h"
#include "shell/widgets/FlexGrid.h"
#include "tests/ui/ui_test_support.h"
#include "tests/ui/window_access.h"

namespace {

const QString kResults = QStringLiteral(RIVULON_SOURCE_DIR "/tests/analysis/data/Results3y_L4.dat");

QByteArray fileBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeBytes(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

// hydload's regrouped table for the same file and groups.
QByteArray hydloadRegroup(const QString& results, const QStringList& groups, const QString& out,
                          const QStringList& extra = {}) {
    QStringList args{"regroup", results};
    for (const QString& g : groups) {
        args << "--group" << g;
    }
    args << extra << "--out" << out;
    QProcess process;
    process.start(QCoreApplication::applicationDirPath() + "/hydload", args);
    EXPECT_TRUE(process.waitForFinished(30000));
    EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
    return fileBytes(out);
}

QStringList listItems(const QListWidget* list) {
    QStringList items;
    for (int i = 0; i < list->count(); ++i) {
        items << list->item(i)->text();
    }
    return items;
}

struct RegroupFixture {
    ExampleHome home;
    ScriptedDialogs dialogs;
    MDIFrmMain main;
    FrmReGroup* window = nullptr;

    RegroupFixture() {
        main.resize(1280, 860);
        main.show();
        window = qobject_cast<FrmReGroup*>(main.openWindow(FrmReGroup::kKind));
        main.showChild(window);
    }
    // Puts the list's first item into each group in turn (Forest, Corn, Town).
    void groupInOrder(std::initializer_list<int> groups) {
        for (int g : groups) {
            window->ListLU->setCurrentRow(0);
            window->Image1[g]->click();
        }
    }
    void calculate() {
        window->cmdCalculate->click();
        main.jobs().waitForEnd();
        QCoreApplication::processEvents();
    }
    FrmPie* pie() { return qobject_cast<FrmPie*>(main.findWindow(FrmPie::kKind)); }
};

}  // namespace

TEST(RegroupWindow, GroupsByHandThenCalculatesWhatHydloadCalculates) {
    RegroupFixture f;
    FrmReGroup& w = *f.window;
    ASSERT_TRUE(w.openResultsFile(kResults));
    EXPECT_EQ(w.windowTitle(), "Regroup land use types " + kResults);
    EXPECT_EQ(listItems(w.ListLU), (QStringList{"1-Forest", "2-Corn", "3-Town"}));
    EXPECT_FALSE(w.ReGrid->isVisible());

    // Corn goes to Forest and comes back; an empty group gives nothing back.
    w.ListLU->setCurrentRow(1);
    w.Image1[0]->click();
    EXPECT_EQ(w.CboGroup[0]->currentText(), "2-Corn");
    EXPECT_EQ(w.ListLU->currentRow(), 0);
    w.Image2[0]->click();
    EXPECT_EQ(w.CboGroup[0]->count(), 0);
    EXPECT_EQ(w.CboGroup[0]->currentIndex(), -1);
    w.Image2[3]->click();
    EXPECT_EQ(listItems(w.ListLU), (QStringList{"1-Forest", "3-Town", "2-Corn"}));

    w.ListLU->setCurrentRow(0);
    w.Image1[0]->click();  // Forest
    w.ListLU->setCurrentRow(1);
    w.Image1[1]->click();  // Corn
    w.Image1[4]->click();  // Town, the first (only) item left
    w.Image1[5]->click();  // nothing left: nothing happens
    EXPECT_EQ(w.ListLU->count(), 0);
    EXPECT_EQ(w.CboGroup[4]->currentText(), "3-Town");
    EXPECT_EQ(w.CboGroup[5]->count(), 0);

    // A label is edited in place; Enter keeps the text, leaving the box drops it.
    QTest::mouseClick(w.Label1[0], Qt::LeftButton);
    ASSERT_TRUE(w.Txtlabel->isVisible());
    EXPECT_EQ(w.Txtlabel->text(), "Forest:");
    w.Txtlabel->setText(QStringLiteral("Forêt:"));
    QTest::keyClick(w.Txtlabel, Qt::Key_Return);
    EXPECT_FALSE(w.Txtlabel->isVisible());
    EXPECT_EQ(w.Label1[0]->text(), QStringLiteral("Forêt:"));
    w.Label1_Click(2);
    w.Txtlabel->setText("Marsh:");
    QTest::keyClick(w.Txtlabel, Qt::Key_Escape);
    EXPECT_EQ(w.Label1[2]->text(), "Wetland:");

    f.calculate();
    ASSERT_TRUE(w.ReGrid->isVisible());
    EXPECT_FALSE(w.ListLU->isVisible());
    const QString reference = f.home.dir.path() + "/hydload_Rg.txt";
    const QByteArray expected =
        hydloadRegroup(kResults, {QStringLiteral("Forêt:=1"), "=2", "=", "=", "=3"}, reference);
    ASSERT_FALSE(expected.isEmpty());
    EXPECT_EQ(QByteArray::fromStdString(rivulon::tableText(w.ReGrid->cells())), expected);
    EXPECT_EQ(w.ReGrid->textMatrix(13, 2), "10.3000");
    EXPECT_EQ(w.lblTitle->text(),
              "Mean Annual Output from Different Sources (GW=Groundwater, Area=250 ha)");

    // The grouping is frozen; the table's commands become available.
    EXPECT_FALSE(w.Image1[0]->isVisible());
    EXPECT_FALSE(w.Image2[7]->isVisible());
    EXPECT_FALSE(w.CboGroup[0]->isEnabled());
    EXPECT_FALSE(w.cmdCalculate->isEnabled());
    for (QPushButton* b : {w.cmdViewPie, w.cmdSave, w.cmdLoad, w.cmdAdd, w.cmdPrint}) {
        EXPECT_TRUE(b->isEnabled()) << b->objectName().toStdString();
    }
    QTest::mouseClick(w.Label1[1], Qt::LeftButton);
    EXPECT_FALSE(w.Txtlabel->isVisible());

    // Organic carbon only renames the N headings.
    w.ChkOC->click();
    EXPECT_EQ(w.ReGrid->textMatrix(0, 3), "DOC (ton)");
    EXPECT_EQ(w.ReGrid->textMatrix(0, 4), "Total OC (ton)");
    EXPECT_EQ(w.ReGrid->textMatrix(1, 4), "2.0000");
    w.ChkOC->click();
    EXPECT_EQ(w.ReGrid->textMatrix(0, 3), "Dis. N (ton)");

    // The project's background loads move out of the foreground row, as
    // hydload's --background does; a second click moves nothing more.
    f.main.session().settings.gwBkDN = 0.05f;
    f.main.session().settings.gwBkDP = 0.005f;
    w.CmdDefault->click();
    EXPECT_EQ(w.TxtAdd[0]->text(), "0.05");
    EXPECT_EQ(w.TxtAdd[3]->text(), "0.005");
    w.cmdAdd->click();
    EXPECT_EQ(w.TxtAdd[1]->text(), "0");
    const QByteArray adjusted = hydloadRegroup(
        kResults, {QStringLiteral("Forêt:=1"), "=2", "=", "=", "=3"},
        f.home.dir.path() + "/hydload_Rg_bk.txt", {"--background", "0.05,0.05,0.005,0.005"});
    EXPECT_EQ(QByteArray::fromStdString(rivulon::tableText(w.ReGrid->cells())), adjusted);
    const QString foreground = w.ReGrid->textMatrix(9, 3);
    EXPECT_EQ(foreground, ".0940");
    w.cmdAdd->click();
    EXPECT_EQ(w.ReGrid->textMatrix(10, 3), ".0000");
    EXPECT_EQ(w.ReGrid->textMatrix(9, 3), foreground);
    EXPECT_TRUE(f.dialogs.messages.isEmpty()) << f.dialogs.messages.join('\n').toStdString();
}

TEST(RegroupWindow, SavedTableLoadsBackCellForCellAndAFailedLoadKeepsTheGrid) {
    RegroupFixture f;
    FrmReGroup& w = *f.window;
    ASSERT_TRUE(w.openResultsFile(kResults));
    f.groupInOrder({0, 1, 4});
    f.calculate();
    const rivulon::TextGrid calculated = w.ReGrid->cells();

    const QString saved = f.home.dir.path() + "/Output/Rg1.txt";
    f.dialogs.fileAnswers << saved;
    w.cmdSave->click();
    EXPECT_EQ(fileBytes(saved), hydloadRegroup(kResults, {"=1", "=2", "=", "=", "=3"},
                                               f.home.dir.path() + "/hydload_Rg.txt"));

    // Other cells on screen, then the saved table loaded back.
    f.main.session().settings.gwBkDN = 0.05f;
    w.CmdDefault->click();
    w.cmdAdd->click();
    ASSERT_NE(w.ReGrid->cells(), calculated);
    f.dialogs.fileAnswers << saved;
    w.cmdLoad->click();
    EXPECT_EQ(f.dialogs.fileTitles.last(), "Load a saved table (regrouped results)");
    EXPECT_EQ(w.ReGrid->cells(), calculated);
    EXPECT_EQ(w.windowTitle(), saved + " was loaded in the table.");
    EXPECT_EQ(w.lblTitle->text(), "Mean Annual Output from Different Sources (GW = Groundwater)");

    // A short file and a file with a broken line: the message names the file
    // and the line, and the grid keeps every cell.
    const QByteArray bytes = fileBytes(saved);
    const QString shortFile = f.home.dir.path() + "/Output/RgShort.txt";
    writeBytes(shortFile, bytes.left(bytes.indexOf("\"Other1:\"")));
    const QString broken = f.home.dir.path() + "/Output/RgBroken.txt";
    QByteArray brokenBytes = bytes;
    brokenBytes.replace("\"Point Source:\",", "\"Point Source:\",\"stray\",");
    writeBytes(broken, brokenBytes);
    w.ReGrid->setTextMatrix(1, 1, "edited");
    const rivulon::TextGrid before = w.ReGrid->cells();
    const QString caption = w.windowTitle();
    EXPECT_FALSE(w.loadRegroupedTable(shortFile));
    EXPECT_FALSE(w.loadRegroupedTable(broken));
    EXPECT_FALSE(w.loadRegroupedTable(f.home.dir.path() + "/Output/RgMissing.txt"));
    EXPECT_EQ(w.ReGrid->cells(), before);
    EXPECT_EQ(w.windowTitle(), caption);
    ASSERT_EQ(f.dialogs.messages.size(), 3);
    EXPECT_EQ(f.dialogs.messages[0],
              "Load table|The table was not loaded; it keeps its cells.\n"
              "RgShort.txt:6: the file ends after 6 of the 14 rows of a regrouped table");
    EXPECT_EQ(f.dialogs.messages[1],
              "Load table|The table was not loaded; it keeps its cells.\n"
              "RgBroken.txt:12: row 11 of the table: expected 7 cells, found 8");
    EXPECT_TRUE(f.dialogs.messages[2].contains("RgMissing.txt"))
        << f.dialogs.messages[2].toStdString();

    // A cancelled load dialog says nothing.
    w.cmdLoad->click();
    EXPECT_EQ(f.dialogs.messages.size(), 3);
}

TEST(RegroupWindow, Windows1252NamesShowRight) {
    RegroupFixture f;
    // A table saved on Windows: the heading's superscript three and an
    // e-circumflex as single Windows-1252 bytes.
    QByteArray table = hydloadRegroup(kResults, {QStringLiteral("Forêt:=1"), "=2"},
                                      f.home.dir.path() + "/hydload_Rg.txt");
    table.replace(QStringLiteral("ê").toUtf8(), "\xEA");
    table.replace(QStringLiteral("³").toUtf8(), "\xB3");
    ASSERT_TRUE(table.contains("For\xEAt:"));
    const QString path = f.home.dir.path() + "/Output/RgWin.txt";
    writeBytes(path, table);
    f.main.openFiles({path});
    auto* w = qobject_cast<FrmReGroup*>(f.main.findWindow(FrmReGroup::kKind));
    ASSERT_EQ(w, f.window);
    EXPECT_TRUE(f.dialogs.messages.isEmpty()) << f.dialogs.messages.join('\n').toStdString();
    EXPECT_TRUE(w->ReGrid->isVisible());
    EXPECT_EQ(w->ReGrid->textMatrix(1, 0), QStringLiteral("Forêt:"));
    EXPECT_EQ(w->ReGrid->textMatrix(0, 1), QStringLiteral("Runoff (m³)"));
    // A loaded table without a results file cannot be calculated again.
    EXPECT_FALSE(w->cmdCalculate->isEnabled());
    EXPECT_TRUE(w->cmdViewPie->isEnabled());

    // A results file written on Windows lists its land uses by their names.
    QByteArray results = fileBytes(kResults);
    results.replace("\"Forest\"", "\"For\xEAt\"");
    const QString resultsPath = f.home.dir.path() + "/Output/ResultsWin.dat";
    writeBytes(resultsPath, results);
    FrmReGroup other(f.main);
    ASSERT_TRUE(other.openResultsFile(resultsPath));
    EXPECT_EQ(other.ListLU->item(0)->text(), QStringLiteral("1-Forêt"));
}

TEST(RegroupWindow, PiesShowPercentagesAndSayWhenAColumnCannotBePlotted) {
    RegroupFixture f;
    FrmReGroup& w = *f.window;
    ASSERT_TRUE(w.openResultsFile(kResults));
    f.groupInOrder({0, 1, 4});
    f.calculate();
    w.cmdViewPie->click();
    FrmPie* pie = f.pie();
    ASSERT_NE(pie, nullptr);
    ASSERT_TRUE(pie->isVisible());
    EXPECT_EQ(pie->windowTitle(), "Nutrient Sources (Pie Chart)");
    EXPECT_EQ(pie->pieColumn(), 2);
    EXPECT_EQ(pie->lblTitle->text(), "Sources of Erosion (k-ton)");
    // Erosion: Forest 10 of 10.3 thousand t, Corn 0.3.
    EXPECT_EQ(pie->Text1[1]->text(), "Forest: (97%)  ");
    EXPECT_EQ(pie->Text1[2]->text(), "Agriculture: (3%)  ");
    EXPECT_TRUE(pie->Text1[1]->isVisible());
    EXPECT_FALSE(pie->Text1[3]->isVisible());  // Wetland has no slice
    EXPECT_TRUE(pie->message().isEmpty());
    EXPECT_FALSE(pie->cmdSaveData->isVisible());

    // The pie stands at half the width and the height over 1.9, radius a sixth
    // of the width; Forest's slice covers the top, Corn's the last 10.5 degrees.
    const QRectF circle = pie->pieRect();
    EXPECT_NEAR(circle.center().x(), pie->width() / 2.0, 0.5);
    EXPECT_NEAR(circle.center().y(), pie->height() / 1.9, 0.5);
    EXPECT_NEAR(circle.width(), pie->width() / 3.0, 0.5);
    const QImage image = pie->grab().toImage();
    const QPointF c = circle.center();
    const double r = circle.width() / 2;
    EXPECT_EQ(image.pixelColor(QPoint(int(c.x()), int(c.y() - r / 2))), FrmPie::sliceColor(1));
    EXPECT_EQ(image.pixelColor(QPoint(int(c.x() + r * 0.7), int(c.y() + r * 0.05))),
              FrmPie::sliceColor(2));
    // Forest's label stands left of the pie (its slice's middle is at 174.75 degrees).
    EXPECT_LT(pie->Text1[1]->geometry().right(), c.x() - r);
    EXPECT_GT(pie->Text1[2]->geometry().left(), c.x() + r);

    pie->CmdNextPie->click();
    EXPECT_EQ(pie->pieColumn(), 3);
    EXPECT_EQ(pie->lblTitle->text(), "Sources of Dis. N (ton)");
    // Dissolved N: 1.0, 0.05, 1.25, 0.144, 3.0 and 7.5 of 12.944 t.
    EXPECT_EQ(pie->Text1[1]->text(), "Forest: (8%)  ");
    EXPECT_EQ(pie->Text1[5]->text(), "Urban: (10%)  ");
    EXPECT_EQ(pie->Text1[9]->text(), "GW(Foreground): (1%)  ");
    EXPECT_EQ(pie->Text1[11]->text(), "Point Source: (23%)  ");
    EXPECT_EQ(pie->Text1[12]->text(), "Septic System: (58%)  ");
    for (int column : {4, 5, 6, 2}) {
        pie->CmdNextPie->click();
        EXPECT_EQ(pie->pieColumn(), column);
    }
    EXPECT_EQ(pie->lblTitle->text(), "Sources of Erosion (k-ton)");

    // Only Town grouped: its erosion is 0 and no other source has erosion.
    RegroupFixture g;
    ASSERT_TRUE(g.window->openResultsFile(kResults));
    g.window->ListLU->setCurrentRow(2);
    g.window->Image1[4]->click();
    g.calculate();
    g.window->cmdViewPie->click();
    FrmPie* zero = g.pie();
    ASSERT_NE(zero, nullptr);
    EXPECT_EQ(zero->message(), "Values cannot be plotted, click <Next Graph> to continue!");
    EXPECT_FALSE(zero->lblTitle->isVisible());
    for (int i = 1; i <= FrmPie::kSlices; ++i) {
        EXPECT_FALSE(zero->Text1[i]->isVisible()) << i;
    }
    zero->CmdNextPie->click();
    EXPECT_TRUE(zero->message().isEmpty());
    EXPECT_EQ(zero->lblTitle->text(), "Sources of Dis. N (ton)");
    EXPECT_EQ(zero->Text1[5]->text(), "Urban: (11%)  ");
}

// Contrast of two colours by the web's rule; 4.5 is what small text needs.
double contrast(const QColor& a, const QColor& b) {
    const auto lum = [](const QColor& c) {
        const auto ch = [](double v) {
            return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
        };
        return 0.2126 * ch(c.redF()) + 0.7152 * ch(c.greenF()) + 0.0722 * ch(c.blueF());
    };
    const double x = lum(a), y = lum(b);
    return (std::max(x, y) + 0.05) / (std::min(x, y) + 0.05);
}

TEST(RegroupWindow, PieHasALegendLabelsThatReadAndExportsAsTheCharts) {
    RegroupFixture f;
    FrmReGroup& w = *f.window;
    ASSERT_TRUE(w.openResultsFile(kResults));
    f.groupInOrder({0, 1, 4});
    f.calculate();
    w.cmdViewPie->click();
    FrmPie* pie = f.pie();
    ASSERT_NE(pie, nullptr);
    QTest::mouseClick(pie->CmdNextPie, Qt::LeftButton);
    ASSERT_EQ(pie->lblTitle->text(), "Sources of Dis. N (ton)");

    // The legend names the sources that have a slice, drawn below the pie
    // and above the buttons, each beside a square of its slice's colour.
    EXPECT_EQ(pie->legendEntries(), (QStringList{"Forest", "Agriculture", "Urban", "GW(Foreground)",
                                                 "Point Source", "Septic System"}));
    const QRect legend = pie->legendRect();
    ASSERT_FALSE(legend.isEmpty());
    EXPECT_GT(legend.top(), pie->pieRect().bottom());
    EXPECT_LT(legend.bottom(), pie->cmdClose->y());
    const QImage page = pie->grab().toImage();
    const int line = pie->fontMetrics().height() + 2;
    EXPECT_EQ(page.pixelColor(legend.left() + 6, legend.top() + line / 2), FrmPie::sliceColor(1));
    const auto inLegend = [&](const QColor& colour) {
        for (int y = legend.top(); y <= legend.bottom(); ++y)
            for (int x = legend.left(); x <= legend.right(); ++x)
                if (page.pixelColor(x, y) == colour)
                    return true;
        return false;
    };
    EXPECT_TRUE(inLegend(FrmPie::sliceColor(5)));   // Urban
    EXPECT_FALSE(inLegend(FrmPie::sliceColor(3)));  // Wetland has no slice

    // Every label stands on its slice's colour in black or white, whichever
    // reads; light cyan or light blue text on the white page would not.
    for (int i = 1; i <= FrmPie::kSlices; ++i) {
        const QPalette p = pie->Text1[i]->palette();
        EXPECT_EQ(p.color(QPalette::Window), FrmPie::sliceColor(i)) << i;
        EXPECT_GE(contrast(p.color(QPalette::WindowText), p.color(QPalette::Window)), 4.5) << i;
    }
    const QImage label = pie->Text1[5]->grab().toImage();
    EXPECT_EQ(label.pixelColor(1, 1), FrmPie::sliceColor(5));

    // Saved and copied with the buttons the charts have.
    QTemporaryDir out;
    f.dialogs.fileAnswers << out.path() + "/pie.png" << out.path() + "/pie.pdf"
                          << out.path() + "/pie.csv";
    for (const char* name : {"cmdPieSavePng", "cmdPieSavePdf", "cmdPieSaveCsv"}) {
        auto* button = pie->findChild<QToolButton*>(name);
        ASSERT_NE(button, nullptr) << name;
        ASSERT_TRUE(button->isVisible()) << name;
        QTest::mouseClick(button, Qt::LeftButton);
    }
    EXPECT_EQ(f.dialogs.fileTitles.mid(0, 2),
              (QStringList{"Save Chart as PNG", "Save Chart as PDF"}));
    const QImage png(out.path() + "/pie.png");
    ASSERT_FALSE(png.isNull());
    EXPECT_GE(png.width(), 2 * pie->width());
    // The picture holds the pie and its legend, not the buttons.
    bool urban = false;
    for (int y = 0; y < png.height() && !urban; y += 2)
        for (int x = 0; x < png.width() && !urban; x += 2)
            urban = png.pixelColor(x, y) == FrmPie::sliceColor(5);
    EXPECT_TRUE(urban);
    EXPECT_TRUE(fileBytes(out.path() + "/pie.pdf").startsWith("%PDF"));
    const QByteArray csv = fileBytes(out.path() + "/pie.csv");
    // Dissolved N: 1.0, 0.05, 1.25, 0.144, 3.0 and 7.5 of 12.944 t.
    EXPECT_TRUE(
        csv.startsWith("Source,Dis. N (ton),Percent\r\nForest,1,7.7\r\n"
                       "Agriculture,0.05,0.4\r\n"))
        << csv.toStdString();
    EXPECT_TRUE(csv.contains("\r\nSeptic System,7.5,57.9\r\n")) << csv.toStdString();
    QApplication::clipboard()->clear();
    QTest::mouseClick(pie->findChild<QToolButton*>("cmdPieCopyData"), Qt::LeftButton);
    EXPECT_EQ(QApplication::clipboard()->text().toUtf8(), csv);
    EXPECT_TRUE(f.dialogs.messages.isEmpty()) << f.dialogs.messages.join('\n').toStdString();

    // The septic window's text page has no pie to save.
    pie->showTextPage("Septic", {"a line"}, [] {});
    EXPECT_FALSE(pie->findChild<QToolButton*>("cmdPieSavePng")->isVisible());
    EXPECT_TRUE(pie->legendEntries().isEmpty());
}

TEST(RegroupWindow, CopyOfADraggedBlockIsTheCoreCopyText) {
    RegroupFixture f;
    FrmReGroup& w = *f.window;
    ASSERT_TRUE(w.openResultsFile(kResults));
    f.groupInOrder({0, 1, 4});
    f.calculate();
    rivulon::ui::FlexGrid& grid = *w.ReGrid;
    auto cellCentre = [&](int row, int col) {
        return QPoint(int((grid.colPos(col) + grid.colWidth(col) / 2) / 15),
                      int((grid.rowPos(row) + grid.rowHeight(row) / 2) / 15)) -
               grid.viewport()->pos();
    };
    // Dragged from the lower right to the upper left.
    QTest::mousePress(grid.viewport(), Qt::LeftButton, {}, cellCentre(5, 4));
    QTest::mouseMove(grid.viewport(), cellCentre(2, 2));
    QTest::mouseRelease(grid.viewport(), Qt::LeftButton, {}, cellCentre(2, 2));
    const rivulon::GridSelection selection = grid.selection();
    EXPECT_EQ(selection.firstRow, 2);
    EXPECT_EQ(selection.lastRow, 5);
    EXPECT_EQ(selection.firstCol, 2);
    EXPECT_EQ(selection.lastCol, 4);
    const std::string expected = rivulon::copyText(grid.cells(), selection);
    grid.setFocus();
    f.main.action("MnuCopy")->trigger();
    EXPECT_EQ(QApplication::clipboard()->text().toStdString(), expected);
    EXPECT_EQ(expected.substr(0, expected.find('\r')),
              ",Erosion (k-ton),Dis. N (ton),Total N (ton)");
}

TEST(RegroupWindow, PrintsTheTable) {
    const QString pdftotext = QStandardPaths::findExecutable("pdftotext");
    if (pdftotext.isEmpty()) {
        GTEST_SKIP() << "pdftotext not installed";
    }
    RegroupFixture f;
    ASSERT_TRUE(f.window->openResultsFile(kResults));
    f.groupInOrder({0, 1, 4});
    f.calculate();
    f.dialogs.printerAnswer = true;
    f.dialogs.printTo = f.home.dir.path() + "/Rg.pdf";
    f.window->cmdPrint->click();
    EXPECT_TRUE(f.dialogs.messages.isEmpty());
    QProcess p;
    p.start(pdftotext, {"-layout", f.dialogs.printTo, "-"});
    p.waitForFinished();
    const QString text = QString::fromUtf8(p.readAllStandardOutput());
    EXPECT_TRUE(text.contains("Land Use Group")) << text.toStdString();
    EXPECT_TRUE(text.contains(QRegularExpression("Total:\\s+650000\\s+10.3000")))
        << text.toStdString();
}

TEST(RegroupWindow, CommandWithoutAFileClosesOnCalculate) {
    ExampleHome home;
    ScriptedDialogs dialogs;
    MDIFrmMain main;
    main.show();
    main.runCommand("MnuRegroup");  // the file question is cancelled
    auto* w = qobject_cast<FrmReGroup*>(main.findWindow(FrmReGroup::kKind));
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(dialogs.fileTitles, QStringList{QString()});
    EXPECT_EQ(w->ListLU->count(), 0);
    w->cmdCalculate->click();
    EXPECT_EQ(dialogs.messages, QStringList{"Rivulon|No file was selected to regroup!"});
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(main.findWindow(FrmReGroup::kKind), nullptr);

    // With a file chosen the command opens it.
    dialogs.fileAnswers << kResults;
    main.runCommand("MnuRegroup");
    w = qobject_cast<FrmReGroup*>(main.findWindow(FrmReGroup::kKind));
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->ListLU->count(), 3);
    EXPECT_EQ(w->resultsFile(), kResults);
}

TEST(PieWindow, TextPageShowsLinesAndSaveDataClosesAfterSaving) {
    ExampleHome home;
    ScriptedDialogs dialogs;
    MDIFrmMain main;
    main.resize(1280, 860);
    main.show();
    auto* page = dynamic_cast<rivulon::ui::PieTextPage*>(main.openWindow(FrmPie::kKind));
    ASSERT_NE(page, nullptr);
    auto* pie = dynamic_cast<FrmPie*>(page);
    main.showChild(pie);
    int saved = 0;
    page->showTextPage("Current Data on Septic Systems",
                       {"SepticData, 2", "", "Method\tEfficiency-N", "Normal\t.1"},
                       [&saved] { ++saved; });
    EXPECT_EQ(pie->windowTitle(), "Current Data on Septic Systems");
    EXPECT_FALSE(pie->CmdNextPie->isVisible());
    EXPECT_FALSE(pie->lblTitle->isVisible());
    EXPECT_TRUE(pie->cmdSaveData->isVisible());
    EXPECT_TRUE(pie->message().isEmpty());
    // The page shows its text: some dark pixels in the top lines.
    const QImage image = pie->grab().toImage();
    int inked = 0;
    for (int y = 0; y < 60; ++y) {
        for (int x = 0; x < 200; ++x) {
            inked += image.pixelColor(x, y).lightness() < 128;
        }
    }
    EXPECT_GT(inked, 20);
    // The regrouping window may take the same window back for its pies.
    pie->showPies([] { return rivulon::TextGrid(rivulon::kRegroupRows, rivulon::kRegroupCols); },
                  4);
    EXPECT_EQ(pie->windowTitle(), "Nutrient Sources (Pie Chart)");
    EXPECT_TRUE(pie->CmdNextPie->isVisible());
    EXPECT_FALSE(pie->cmdSaveData->isVisible());
    EXPECT_EQ(pie->message(), "Values cannot be plotted, click <Next Graph> to continue!");
    page->showTextPage("Current Data on Septic Systems", {"SepticData, 0"}, [&saved] { ++saved; });
    pie->cmdSaveData->click();
    EXPECT_EQ(saved, 1);
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(main.findWindow(FrmPie::kKind), nullptr);
}
