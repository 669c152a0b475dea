// The county table's editable view refuses what no county can hold, and
// asks before a record is deleted.
#include <gtest/gtest.h>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTableView>

#include "app/MDIFrmMain.h"
#include "mapdb/ui/frmDB.h"
#include "tests/ui/ui_test_support.h"
#include "tests/ui_maps/maps_test_support.h"

namespace {

TEST(CountyEdits, SharesAreFractionsAndDeleteAsksFirst) {
    ScriptedDialogs dialogs;
    ExampleHome home;
    MDIFrmMain w;
    w.resize(1100, 800);
    startOnProject(w);
    const QString db = home.input() + "/MillbrookDB.sqlite";
    w.action("MnuPopulation")->trigger();
    auto* d = qobject_cast<frmDB*>(w.findWindow(frmDB::kKind));
    ASSERT_NE(d, nullptr);
    d->ChkToEnableBtn->click();
    QAbstractItemModel* m = d->grdDataGrid->model();
    const int pctCol = 3;
    ASSERT_EQ(m->headerData(pctCol, Qt::Horizontal).toString(), "Pct in Basin");
    const QModelIndex first = m->index(0, pctCol);
    const QString before = first.data().toString();

    // "50" meant as 50 %: refused, naming the column and the range.
    QLineEdit editor;
    for (const char* typed : {"50", "-0.1"}) {
        dialogs.messages.clear();
        editor.setText(QString::fromLatin1(typed));
        d->grdDataGrid->itemDelegate()->setModelData(&editor, m, first);
        ASSERT_EQ(dialogs.messages.size(), 1) << typed;
        EXPECT_TRUE(dialogs.messages[0].contains(QStringLiteral("Pct in Basin: %1 is outside the "
                                                                "allowed range 0 to 1")
                                                     .arg(QString::fromLatin1(typed))))
            << dialogs.messages[0].toStdString();
        EXPECT_EQ(first.data().toString(), before);
    }
    editor.setText(QStringLiteral(".5"));
    d->grdDataGrid->itemDelegate()->setModelData(&editor, m, first);
    EXPECT_DOUBLE_EQ(first.data().toDouble(), 0.5);
    d->cmdUpdate->click();

    // Delete asks; No keeps the record.
    const std::string count = sqlRows(db, "select count(*) from County")[0][0];
    d->grdDataGrid->setCurrentIndex(m->index(0, 1));
    const QString name = m->index(0, 1).data().toString();
    dialogs.yesNoAnswer = false;
    dialogs.yesNoAsked = 0;
    d->cmdDelete->click();
    EXPECT_EQ(dialogs.yesNoAsked, 1);
    EXPECT_EQ(sqlRows(db, "select count(*) from County")[0][0], count);
    EXPECT_EQ(m->index(0, 1).data().toString(), name);
    dialogs.yesNoAnswer = true;
    d->cmdDelete->click();
    EXPECT_EQ(dialogs.yesNoAsked, 2);
    EXPECT_EQ(std::stoi(sqlRows(db, "select count(*) from County")[0][0]), std::stoi(count) - 1);
}

}  // namespace
