#include <QFile>
#include <QPrinter>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include "analysis/grid_copy.h"
#include "analysis/table_text.h"
#include "shell/widgets/FlexGrid.h"
#include "shell/widgets/grid_export.h"
#include "tests/ui/ui_test_support.h"

using rivulon::TextGrid;
using namespace rivulon::ui;

namespace {

TextGrid sampleGrid() {
    TextGrid g(3, 3);
    g.set(0, 0, "Millbrook");
    g.set(0, 1, "Runoff (cm)");
    g.set(0, 2, "Erosion (m³)");
    g.set(1, 0, "Corn, tilled");
    g.set(1, 1, "say \"hi\"");
    g.set(1, 2, " 1.50");
    g.set(2, 0, "Forest");
    g.set(2, 1, "2.00");
    return g;
}

QByteArray fileBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

}  // namespace

TEST(GridExport, PlainCsvQuotesOnlyWhatNeedsIt) {
    EXPECT_EQ(plainCsvText(sampleGrid()),
              "Millbrook,Runoff (cm),Erosion (m³)\r\n"
              "\"Corn, tilled\",\"say \"\"hi\"\"\",\" 1.50\"\r\n"
              "Forest,2.00,\r\n");
}

TEST(GridExport, SaveGridWritesTheTableTextAndReportsCancel) {
    ExampleHome home;
    ScriptedDialogs dialogs;
    FlexGrid grid;
    grid.setCells(sampleGrid());
    const QString path = home.dir.path() + "/Output/Tab1.csv";
    dialogs.fileAnswers << path;
    ASSERT_TRUE(SaveGrid(grid, "Tab*.csv"));
    EXPECT_EQ(fileBytes(path).toStdString(), rivulon::tableText(sampleGrid()));
    EXPECT_TRUE(dialogs.messages.isEmpty());

    // Cancel: the message, and the file written before stays as it was.
    EXPECT_FALSE(SaveGrid(grid, "Tab*.csv"));
    EXPECT_EQ(dialogs.messages,
              QStringList{"Message from saving:|Save was cancelled or an error occurred while "
                          "saving the table."});
    EXPECT_EQ(fileBytes(path).toStdString(), rivulon::tableText(sampleGrid()));

    // A folder that does not exist: the same message, nothing half-written.
    dialogs.messages.clear();
    dialogs.fileAnswers << home.dir.path() + "/missing/Tab2.csv";
    EXPECT_FALSE(SaveGrid(grid, "Tab*.csv"));
    EXPECT_EQ(dialogs.messages.size(), 1);
}

TEST(GridExport, SaveCsvCancelIsSilent) {
    ExampleHome home;
    ScriptedDialogs dialogs;
    EXPECT_FALSE(saveGridCsv(nullptr, sampleGrid(), "Tab.csv"));
    EXPECT_TRUE(dialogs.messages.isEmpty());
    const QString path = home.dir.path() + "/Output/t.csv";
    dialogs.fileAnswers << path;
    ASSERT_TRUE(saveGridCsv(nullptr, sampleGrid(), "Tab.csv"));
    EXPECT_EQ(fileBytes(path).toStdString(), plainCsvText(sampleGrid()));
}

// One page per block of 5 rows (cell (0,7)); each page starts with its block.
TEST(GridExport, PrintsBlocksPageByPageToPdf) {
    const QString pdftotext = QStandardPaths::findExecutable("pdftotext");
    if (pdftotext.isEmpty())
        GTEST_SKIP() << "pdftotext not installed";
    QTemporaryDir dir;
    TextGrid g(10, 8);
    g.set(0, 6, "Rows/Yr=");
    g.set(0, 7, "5");
    for (int r = 0; r < 10; ++r)
        g.set(r, 0, "Row" + std::to_string(r));
    ScriptedDialogs dialogs;
    dialogs.printerAnswer = true;
    dialogs.printTo = dir.path() + "/t.pdf";
    ASSERT_TRUE(CmdPrintGrid(nullptr, g, "table"));
    EXPECT_TRUE(dialogs.messages.isEmpty());
    auto pageText = [&](int page) {
        QProcess p;
        p.start(pdftotext, {"-layout", "-f", QString::number(page), "-l", QString::number(page),
                            dialogs.printTo, "-"});
        p.waitForFinished();
        return QString::fromUtf8(p.readAllStandardOutput());
    };
    const QString one = pageText(1), two = pageText(2);
    EXPECT_TRUE(one.contains("Row0") && one.contains("Row4")) << one.toStdString();
    EXPECT_FALSE(one.contains("Row5"));
    EXPECT_TRUE(two.contains("Row5") && two.contains("Row9")) << two.toStdString();

    // A cancelled printer dialog prints nothing and says nothing.
    dialogs.printerAnswer = false;
    QFile::remove(dialogs.printTo);
    EXPECT_FALSE(CmdPrintGrid(nullptr, g, "table"));
    EXPECT_FALSE(QFile::exists(dialogs.printTo));
    EXPECT_TRUE(dialogs.messages.isEmpty());
}
