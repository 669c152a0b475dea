#include <gtest/gtest.h>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QSqlTableModel>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <filesystem>

#include "app/MDIFrmMain.h"
#include "mapdb/ui/frmCounty.h"
#include "mapdb/ui/frmDB.h"
#include "tests/ui/ui_test_support.h"
#include "tests/ui_maps/maps_test_support.h"

namespace {

frmDB* dbWindow(MDIFrmMain& w) {
    return qobject_cast<frmDB*>(w.findWindow(frmDB::kKind));
}
frmCounty* countyWindow(MDIFrmMain& w) {
    return qobject_cast<frmCounty*>(w.findWindow(frmCounty::kKind));
}
// A cell as the grid shows it.
QString cell(frmDB& d, int row, int column) {
    const QModelIndex i = d.grdDataGrid->model()->index(row, column);
    return static_cast<QStyledItemDelegate*>(d.grdDataGrid->itemDelegate())
        ->displayText(i.data(), QLocale::c());
}
QStringList column(frmDB& d, int c) {
    QStringList out;
    for (int r = 0; r < d.grdDataGrid->model()->rowCount(); ++r) {
        out << cell(d, r, c);
    }
    return out;
}
// The columns in the order the grid shows them, hidden ones left out.
QStringList shownHeadings(frmDB& d) {
    QStringList out;
    QHeaderView* h = d.grdDataGrid->horizontalHeader();
    for (int v = 0; v < h->count(); ++v) {
        const int logical = h->logicalIndex(v);
        if (!h->isSectionHidden(logical)) {
            out << d.grdDataGrid->model()->headerData(logical, Qt::Horizontal).toString();
        }
    }
    return out;
}
int rowOf(frmDB& d, int c, const QString& text) {
    return static_cast<int>(column(d, c).indexOf(text));
}

struct ExampleSession {
    ScriptedDialogs dialogs;
    ExampleHome home;
    MDIFrmMain w;
    QString db() const { return home.input() + "/MillbrookDB.sqlite"; }
    ExampleSession() {
        w.resize(1100, 800);
        startOnProject(w);
    }
};

TEST(DatabaseBrowser, LandUseAndPopulationQueries) {
    ExampleSession s;
    // A share whose third and fourth decimals show the cut: 12.345 % reads 12.34.
    sqlRows(s.db(), "update County set Forest = .12345 where ID = 2");
    s.w.action("MnuLandUse")->trigger();
    frmDB* d = dbWindow(s.w);
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(d->windowTitle(), "Land Use Distribution");
    EXPECT_EQ(shownHeadings(*d),
              QStringList({"County Name", "Area (acre)", "PctForest", "PctAgriLand",
                           "PctHerbWetland", "PctWater", "PctUrban", "PctExposedLand"}));
    EXPECT_EQ(column(*d, 0), QStringList({"Cedar Run", "Upper Millbrook", "Lower Millbrook",
                                          "Wexford County", "Harlan County"}));
    EXPECT_EQ(column(*d, 1),
              QStringList({"21918.2", "24290.5", "33853.4", "184329.4", "249267.6"}));
    EXPECT_EQ(cell(*d, 0, 2), "12.34");
    EXPECT_EQ(cell(*d, 1, 2), "68.15");  // 6,700 of 9,830 ha
    EXPECT_EQ(d->datPrimaryRSCaption->text(), "Record: 1");
    d->grdDataGrid->setCurrentIndex(d->grdDataGrid->model()->index(3, 0));
    EXPECT_EQ(d->datPrimaryRSCaption->text(), "Record: 4");
    EXPECT_FALSE(d->cmdAdd->isEnabled());

    s.w.action("MnuPopulation")->trigger();
    ASSERT_EQ(dbWindow(s.w), d);
    EXPECT_EQ(d->windowTitle(), "Population");
    EXPECT_EQ(shownHeadings(*d),
              QStringList({"County Name", "Population", "PctCountyInBasin", "PopInBasin"}));
    EXPECT_EQ(column(*d, 1), QStringList({"2140", "4870", "9630", "31585", "48799"}));
    EXPECT_EQ(column(*d, 2), QStringList({"100", "100", "100", "9.84", "5.9"}));
    // 48,799 x .059 = 2,879.14 people of Harlan County in the basin.
    EXPECT_EQ(cell(*d, 4, 3), "2879");
    EXPECT_TRUE(s.dialogs.messages.isEmpty()) << s.dialogs.messages.join("\n").toStdString();
}

// Export saves the view as shown: its columns, its rounding, every row.
TEST(DatabaseBrowser, ExportSavesTheViewShownAsCsv) {
    ExampleSession s;
    s.w.action("MnuPopulation")->trigger();
    frmDB* d = dbWindow(s.w);
    ASSERT_NE(d, nullptr);
    const QString file = s.home.dir.path() + "/Output/Population.csv";
    s.dialogs.fileAnswers << file;
    QTest::mouseClick(d->cmdExport, Qt::LeftButton);
    EXPECT_EQ(s.dialogs.fileTitles.size(), 1);
    QFile saved(file);
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly)) << s.dialogs.messages.join("\n").toStdString();
    const QStringList lines = QString::fromUtf8(saved.readAll()).split("\r\n", Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 6);
    EXPECT_EQ(lines[0], "County Name,Population,PctCountyInBasin,PopInBasin");
    EXPECT_EQ(lines[5], "Harlan County,48799,5.9,2879");
    EXPECT_TRUE(s.dialogs.messages.isEmpty()) << s.dialogs.messages.join("\n").toStdString();
}

TEST(DatabaseBrowser, SqlBoxKeepsTheLastQueryThatWorked) {
    ExampleSession s;
    s.w.action("MnuPopulation")->trigger();
    frmDB* d = dbWindow(s.w);
    ASSERT_NE(d, nullptr);
    const QString population = d->currentQuery();

    s.dialogs.inputAnswers = {"Select [Nope] from County"};
    d->btnSQL->click();
    ASSERT_EQ(s.dialogs.inputPrompts.size(), 1);
    EXPECT_EQ(s.dialogs.inputPrompts[0], "Try your own SQL|Current SQL: " + population);
    ASSERT_EQ(s.dialogs.messages.size(), 1);
    EXPECT_TRUE(s.dialogs.messages[0].contains("No such column: Nope"))
        << s.dialogs.messages[0].toStdString();
    EXPECT_EQ(s.dialogs.kindOf("No such column"), rivulon::ui::MessageKind::Warning);
    EXPECT_EQ(d->currentQuery(), population);
    EXPECT_EQ(d->grdDataGrid->model()->rowCount(), 5);

    // Cancel or nothing typed: nothing changes, nothing said.
    s.dialogs.messages.clear();
    s.dialogs.inputAnswers = {""};
    d->btnSQL->click();
    EXPECT_TRUE(s.dialogs.messages.isEmpty());
    EXPECT_EQ(d->currentQuery(), population);

    // A statement that would change the file is not run.
    s.dialogs.inputAnswers = {"delete from County"};
    d->btnSQL->click();
    ASSERT_EQ(s.dialogs.messages.size(), 1);
    EXPECT_EQ(sqlRows(s.db(), "select count(*) from County")[0][0], "5");
    EXPECT_EQ(d->currentQuery(), population);

    s.dialogs.messages.clear();
    s.dialogs.inputAnswers = {
        "select [county name], ID from county where id >= 2 order by ID desc"};
    d->btnSQL->click();
    EXPECT_TRUE(s.dialogs.messages.isEmpty());
    EXPECT_EQ(column(*d, 0),
              QStringList({"Wexford County", "Harlan County", "Lower Millbrook", "Cedar Run"}));
    s.dialogs.inputAnswers = {};
    d->btnSQL->click();
    EXPECT_TRUE(s.dialogs.inputPrompts.last().endsWith("order by ID desc"));
}

TEST(DatabaseBrowser, EditableViewAddsChangesAndDeletesInTheFile) {
    ExampleSession s;
    s.w.action("MnuPopulation")->trigger();
    frmDB* d = dbWindow(s.w);
    ASSERT_NE(d, nullptr);
    d->ChkToEnableBtn->click();
    EXPECT_TRUE(d->cmdAdd->isEnabled());
    EXPECT_TRUE(d->cmdDelete->isEnabled());
    ASSERT_TRUE(d->editable());
    EXPECT_EQ(shownHeadings(*d), QStringList({"ID", "County Name", "Population", "Pct in Basin"}));
    QAbstractItemModel* m = d->grdDataGrid->model();
    const int nameCol = 1, popCol = 4, pctCol = 3;  // the table's own column numbers
    ASSERT_EQ(m->headerData(popCol, Qt::Horizontal).toString(), "Population");
    EXPECT_EQ(column(*d, nameCol).first(), "Upper Millbrook");

    // Change: Cedar Run's population.
    const int cedar = rowOf(*d, nameCol, "Cedar Run");
    ASSERT_TRUE(m->setData(m->index(cedar, popCol), "5015"));
    d->cmdUpdate->click();
    EXPECT_EQ(sqlRows(s.db(), "select Population from County where ID = 2")[0][0], "5015");
    EXPECT_EQ(d->grdDataGrid->currentIndex().row(), rowOf(*d, nameCol, "Cedar Run"));

    // A word typed into a number column is refused as it is typed.
    {
        QLineEdit editor;
        editor.setText("many");
        d->grdDataGrid->itemDelegate()->setModelData(&editor, m, m->index(cedar, popCol));
        ASSERT_EQ(s.dialogs.messages.size(), 1);
        EXPECT_TRUE(s.dialogs.messages[0].endsWith("Population: expected a number, found \"many\""))
            << s.dialogs.messages[0].toStdString();
        EXPECT_EQ(m->index(rowOf(*d, nameCol, "Cedar Run"), popCol).data().toInt(), 5015);
        editor.setText(" 5020 ");
        d->grdDataGrid->itemDelegate()->setModelData(&editor, m, m->index(cedar, popCol));
        EXPECT_EQ(m->index(cedar, popCol).data().toString(), "5020");
        s.dialogs.messages.clear();
        static_cast<QSqlTableModel*>(m)->revertAll();
    }

    // Add: the new record goes in and becomes the current one.
    d->cmdAdd->click();
    const int added = m->rowCount() - 1;
    EXPECT_EQ(d->grdDataGrid->currentIndex().row(), added);
    m->setData(m->index(added, 0), "6");
    m->setData(m->index(added, nameCol), "Test Hollow");
    m->setData(m->index(added, popCol), "120");
    m->setData(m->index(added, pctCol), ".25");
    d->cmdUpdate->click();
    EXPECT_TRUE(s.dialogs.messages.isEmpty()) << s.dialogs.messages.join("\n").toStdString();
    const auto row = sqlRows(s.db(),
                             "select [County Name], Population, [Pct in Basin] from "
                             "County where ID = 6");
    ASSERT_EQ(row.size(), 1u);
    EXPECT_EQ(row[0], (std::vector<std::string>{"Test Hollow", "120", "0.25"}));
    EXPECT_EQ(column(*d, nameCol).first(), "Test Hollow");  // the smallest population
    EXPECT_EQ(d->grdDataGrid->currentIndex().row(), 0);

    // A change the database refuses (a key already taken) leaves every record as it was.
    const int lower = rowOf(*d, nameCol, "Lower Millbrook");
    m->setData(m->index(lower, 0), "1");
    m->setData(m->index(lower, popCol), "1");
    d->cmdUpdate->click();
    ASSERT_EQ(s.dialogs.messages.size(), 1);
    EXPECT_TRUE(s.dialogs.messages[0].contains("UNIQUE")) << s.dialogs.messages[0].toStdString();
    EXPECT_EQ(sqlRows(s.db(),
                      "select ID, Population from County where [County Name] = "
                      "'Lower Millbrook'")[0],
              (std::vector<std::string>{"3", "9630"}));
    EXPECT_EQ(cell(*d, rowOf(*d, nameCol, "Lower Millbrook"), popCol), "9630");

    // Delete: the added record goes; deleting the last record leaves the new last current.
    s.dialogs.messages.clear();
    d->grdDataGrid->setCurrentIndex(m->index(rowOf(*d, nameCol, "Test Hollow"), nameCol));
    d->cmdDelete->click();
    EXPECT_TRUE(sqlRows(s.db(), "select * from County where ID = 6").empty());
    EXPECT_EQ(m->rowCount(), 5);
    d->grdDataGrid->setCurrentIndex(m->index(4, nameCol));
    d->cmdDelete->click();
    EXPECT_EQ(m->rowCount(), 4);
    EXPECT_EQ(d->grdDataGrid->currentIndex().row(), 3);
    EXPECT_EQ(d->datPrimaryRSCaption->text(), "Record: 4");
    EXPECT_EQ(sqlRows(s.db(), "select count(*) from County")[0][0], "4");

    // Clearing the box returns to the computed view.
    d->ChkToEnableBtn->click();
    EXPECT_FALSE(d->editable());
    EXPECT_FALSE(d->cmdUpdate->isEnabled());
    EXPECT_EQ(shownHeadings(*d).last(), "PopInBasin");
    EXPECT_TRUE(s.dialogs.messages.isEmpty()) << s.dialogs.messages.join("\n").toStdString();
}

TEST(DatabaseBrowser, ClosingWithChangesNotWrittenOffersToSaveThem) {
    ExampleSession s;
    s.w.action("MnuLandUse")->trigger();
    frmDB* d = dbWindow(s.w);
    ASSERT_NE(d, nullptr);
    d->ChkToEnableBtn->click();
    QAbstractItemModel* m = d->grdDataGrid->model();
    ASSERT_EQ(m->columnCount(), 12);
    const int upper = rowOf(*d, 1, "Upper Millbrook");
    m->setData(m->index(upper, 11), "Upper Millbrook creamery");
    s.dialogs.yesNoAnswer = false;
    d->cmdClose->click();
    QCoreApplication::processEvents();
    EXPECT_EQ(s.dialogs.yesNoAsked, 1);
    EXPECT_EQ(sqlRows(s.db(), "select [Point Sources] from County where ID = 1")[0][0], "None");

    s.w.action("MnuLandUse")->trigger();
    d = dbWindow(s.w);
    d->ChkToEnableBtn->click();
    m = d->grdDataGrid->model();
    m->setData(m->index(rowOf(*d, 1, "Upper Millbrook"), 11), "Upper Millbrook creamery");
    s.dialogs.yesNoAnswer = true;
    d->cmdClose->click();
    QCoreApplication::processEvents();
    EXPECT_EQ(s.dialogs.yesNoAsked, 2);
    EXPECT_EQ(sqlRows(s.db(), "select [Point Sources] from County where ID = 1")[0][0],
              "Upper Millbrook creamery");
    EXPECT_EQ(dbWindow(s.w), nullptr);
}

TEST(CountyViewer, MenuItemShowsTheRecordWithThatId) {
    ExampleSession s;
    // The rows' order in the file does not matter: the key finds the record.
    sqlRows(s.db(), "update County set [Urban] = .12346 where ID = 3");
    countyItem(s.w, 2)->trigger();
    frmCounty* c = countyWindow(s.w);
    ASSERT_NE(c, nullptr);
    EXPECT_TRUE(c->isVisible());
    EXPECT_EQ(c->windowTitle(), "Lower Millbrook");
    EXPECT_EQ(c->lblLabels[0]->text(), "County Name:");
    EXPECT_EQ(c->lblLabels[10]->text(), "Point Sources:");
    // Shares as fractions of the sub-basin's 13,700 ha: agricultural 3,300 ha
    // (24.087...%), forest 6,100 ha (44.525...%), exposed 900, wetland 500.
    const QStringList expected = {"Lower Millbrook",
                                  "33853.4",
                                  "100.00%",
                                  "9630",
                                  "12.35%",
                                  "24.09%",
                                  "44.53%",
                                  "6.57%",
                                  "3.65%",
                                  "0.00%",
                                  "Millbrook WWTP (1.1 MGD)"};
    for (int k = 0; k < 11; ++k) {
        EXPECT_EQ(c->txtFields[k]->text(), expected[k]) << k;
    }

    // A key with no record: the message, and the boxes keep the record shown.
    EXPECT_FALSE(c->ToRecord(9));
    EXPECT_EQ(s.dialogs.messages,
              QStringList({"Rivulon|This record does not exist, or database error!"}));
    EXPECT_EQ(c->txtFields[0]->text(), "Lower Millbrook");

    countyItem(s.w, 0)->trigger();
    EXPECT_EQ(countyWindow(s.w), c);
    EXPECT_EQ(c->windowTitle(), "Upper Millbrook");
    c->cmdClose->click();
    QCoreApplication::processEvents();
    EXPECT_EQ(countyWindow(s.w), nullptr);
}

// A project that names an SQLite file of its own (no Access file anywhere),
// and one that names an Access file, imported once into a copy beside it.
TEST(CountyViewer, DatabaseNamedDirectlyOrImported) {
    ScriptedDialogs dialogs;
    QTemporaryDir dir;
    qputenv("RIVULON_HOME", dir.path().toUtf8());
    MDIFrmMain w;
    // A database file that is not there is said so, and not created.
    w.session().settings.databasePath = (dir.path() + "/Gone.db").toStdString();
    auto* c = qobject_cast<frmCounty*>(w.openWindow(frmCounty::kKind));
    ASSERT_NE(c, nullptr);
    EXPECT_FALSE(c->ToRecord(1));
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_TRUE(dialogs.messages[0].contains("Data error event hit err:"))
        << dialogs.messages[0].toStdString();
    EXPECT_FALSE(QFile::exists(dir.path() + "/Gone.db"));
    dialogs.messages.clear();

    const QString small = dir.path() + "/Small.db";
    sqlRows(small,
            "create table County (ID integer primary key, Name text, Acres real, "
            "Share real, People integer, U real, A real, F real, E real, H real, W real, "
            "Sources text)");
    sqlRows(small,
            "insert into County values (1, 'Only County', 100, .5, 10, .1, .2, .3, .2, "
            ".1, .1, 'none')");
    w.session().settings.databasePath = small.toStdString();
    ASSERT_TRUE(c->ToRecord(1));
    EXPECT_EQ(c->lblLabels[1]->text(), "Acres:");
    EXPECT_EQ(c->txtFields[1]->text(), "100");
    EXPECT_EQ(c->txtFields[2]->text(), "50.00%");
    EXPECT_TRUE(dialogs.messages.isEmpty());

    const char* sample = "/usr/share/doc/fp-units-db/3.2.2/examples/odbc/testodbc.mdb.gz";
    if (!std::filesystem::exists(sample)) {
        GTEST_SKIP() << "fp-units-db is not installed";
    }
    const QString mdb = dir.path() + "/testodbc.mdb";
    ASSERT_EQ(
        std::system(("gzip -dc " + std::string(sample) + " > '" + mdb.toStdString() + "'").c_str()),
        0);
    w.session().settings.databasePath = mdb.toStdString();
    frmDB::openLandUse(w);  // the sample has no County table: the query fails, said once
    frmDB* d = dbWindow(w);
    ASSERT_NE(d, nullptr);
    ASSERT_EQ(dialogs.messages.size(), 2);
    EXPECT_TRUE(dialogs.messages[0].contains("was imported into the SQLite database " + dir.path() +
                                             "/testodbc.sqlite"))
        << dialogs.messages[0].toStdString();
    EXPECT_TRUE(dialogs.messages[1].contains("No such table")) << dialogs.messages[1].toStdString();
    EXPECT_EQ(dialogs.kindOf("was imported"), rivulon::ui::MessageKind::Information);
    EXPECT_EQ(dialogs.kindOf("No such table"), rivulon::ui::MessageKind::Warning);
    dialogs.messages.clear();
    ASSERT_TRUE(d->setSQL("Select * from FPdev Order by id"));
    EXPECT_EQ(d->grdDataGrid->model()->rowCount(), 8);
    EXPECT_EQ(cell(*d, 5, 1), "Jonas Maebe");
    EXPECT_TRUE(dialogs.messages.isEmpty());  // the copy is used from now on
    EXPECT_EQ(dialogs.yesNoAsked, 0);

    // The Access file changed since: asked, imported again, the old copy kept.
    const auto copy = (dir.path() + "/testodbc.sqlite").toStdString();
    sqlRows(QString::fromStdString(copy), "delete from FPdev where id = 8");
    std::filesystem::last_write_time(
        mdb.toStdString(), std::filesystem::last_write_time(copy) + std::chrono::seconds(10));
    dialogs.yesNoAnswer = true;
    ASSERT_TRUE(d->setSQL("Select * from FPdev"));
    EXPECT_EQ(dialogs.yesNoAsked, 1);
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_TRUE(dialogs.messages[0].contains("was imported")) << dialogs.messages[0].toStdString();
    EXPECT_TRUE(std::filesystem::exists(copy + ".bak"));
    EXPECT_EQ(d->grdDataGrid->model()->rowCount(), 8);  // the new copy, not the old one
    EXPECT_EQ(sqlRows(QString::fromStdString(copy + ".bak"), "select count(*) from FPdev")[0][0],
              "7");
}

}  // namespace

namespace {

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

// An Access import runs behind a progress dialog while the window stays
// live; its Cancel ends the mdbtools program at once, and nothing is
// imported or reported. The mdbtools program here never ends by itself.
TEST(CountyViewer, AccessImportCanBeCancelled) {
    ScriptedDialogs dialogs;
    QTemporaryDir dir;
    qputenv("RIVULON_HOME", dir.path().toUtf8());
    QDir(dir.path()).mkdir("bin");
    const QString fake = dir.path() + "/bin/mdb-tables";
    writeFile(fake, "#!/bin/sh\nexec sleep 60\n");
    QFile::setPermissions(fake, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", dir.path().toUtf8() + "/bin:" + path);
    const QString mdb = dir.path() + "/Slow.mdb";
    writeFile(mdb, "not read");

    MDIFrmMain w;
    w.session().settings.databasePath = mdb.toStdString();
    // The user sees the dialog, and the interface answers, before pressing
    // Cancel.
    int polls = 0;
    QString label;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        ++polls;
        auto* dialog = qobject_cast<QProgressDialog*>(QApplication::activeModalWidget());
        if (dialog == nullptr || polls < 5) {
            return;
        }
        label = dialog->labelText();
        auto* cancel = dialog->findChild<QPushButton*>();
        if (cancel != nullptr) {
            poll.stop();
            QTest::mouseClick(cancel, Qt::LeftButton);
        }
    });
    poll.start(20);
    auto* c = qobject_cast<frmCounty*>(w.openWindow(frmCounty::kKind));
    ASSERT_NE(c, nullptr);
    EXPECT_FALSE(c->ToRecord(1));
    poll.stop();
    qputenv("PATH", path);
    EXPECT_EQ(label, "Importing the Access database Slow.mdb ...");
    EXPECT_GE(polls, 5);
    EXPECT_FALSE(QFile::exists(dir.path() + "/Slow.sqlite"));
    EXPECT_FALSE(QFile::exists(dir.path() + "/Slow.sqlite.part"));
    for (const QString& m : dialogs.messages) {
        EXPECT_FALSE(m.contains("could not be imported")) << m.toStdString();
        EXPECT_FALSE(m.contains("was imported")) << m.toStdString();
    }
}

}  // namespace
