// Drives GridEditable the way the program will: the library is found next to
// this executable, loaded by class name and used only through the meta-object.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFontDatabase>
#include <QLineEdit>
#include <QPluginLoader>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

#include "gridcontrol/grid_handle.h"
#include "gridcontrol/tabulex_loader.h"

using ::testing::HasSubstr;

namespace {

constexpr uint kRed = 255;

std::string str(const QString& s) {
    return s.toStdString();
}

class GridTest : public ::testing::Test {
  protected:
    void SetUp() override {
        host_ = std::make_unique<QWidget>();
        QString error;
        grid = tabulex::createControl(QStringLiteral("GridEditable"), host_.get(), &error);
        ASSERT_NE(grid, nullptr) << str(error);
        grid->setGeometry(0, 0, 600, 420);
        host_->resize(620, 440);
        host_->show();
        host_->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(host_.get()));
        fg2 = grid->findChild<QWidget*>(QStringLiteral("Fg2"));
        edit = grid->findChild<QLineEdit*>(QStringLiteral("TxtEdit"));
        ASSERT_NE(fg2, nullptr);
        ASSERT_NE(edit, nullptr);
        viewport = fg2->findChild<QWidget*>(QStringLiteral("qt_scrollarea_viewport"));
        ASSERT_NE(viewport, nullptr);
        fg2->setFocus();
    }

    QString text(int row, int col) {
        QString s;
        QMetaObject::invokeMethod(grid, "TextMatrix", Q_RETURN_ARG(QString, s), Q_ARG(int, row),
                                  Q_ARG(int, col));
        return s;
    }
    void setText(int row, int col, const QString& s) {
        QMetaObject::invokeMethod(grid, "setTextMatrix", Q_ARG(int, row), Q_ARG(int, col),
                                  Q_ARG(QString, s));
    }
    int intCall(const char* method, int index) {
        int v = -99;
        QMetaObject::invokeMethod(grid, method, Q_RETURN_ARG(int, v), Q_ARG(int, index));
        return v;
    }
    uint foreColor(int row, int col) {
        uint v = 99;
        QMetaObject::invokeMethod(fg2, "cellForeColorAt", Q_RETURN_ARG(uint, v), Q_ARG(int, row),
                                  Q_ARG(int, col));
        return v;
    }
    QString lastError() { return grid->property("LastError").toString(); }
    void goTo(int row, int col) {
        grid->setProperty("Row", row);
        grid->setProperty("Col", col);
    }
    // Viewport pixel inside a cell of an unscrolled grid with default sizes.
    QPoint cellPoint(int row, int col) {
        int x = 0;
        for (int c = 0; c < col; ++c)
            x += intCall("ColWidth", c) / 15;
        int y = 0;
        for (int r = 0; r < row; ++r)
            y += intCall("RowHeight", r) / 15;
        return {x + 5, y + 5};
    }

    std::unique_ptr<QWidget> host_;
    QWidget* grid = nullptr;
    QWidget* fg2 = nullptr;
    QWidget* viewport = nullptr;
    QLineEdit* edit = nullptr;
};

TEST(TabulexLoading, MetadataNamesTheClassWithoutLoading) {
    QString error;
    const QString path = tabulex::findPlugin(QStringLiteral("GridEditable"), &error);
    ASSERT_FALSE(path.isEmpty()) << str(error);
    EXPECT_TRUE(path.endsWith(QLatin1String("/libtabulex.so")));
    const QJsonObject meta =
        QPluginLoader(path).metaData().value(QLatin1String("MetaData")).toObject();
    EXPECT_EQ(meta.value(QLatin1String("Description")).toString(),
              QStringLiteral("MSFlexgrid with in-cell editing"));
    EXPECT_TRUE(tabulex::findPlugin(QStringLiteral("NoSuchGrid"), &error).isEmpty());
    EXPECT_THAT(str(error), HasSubstr("No Tabulex library offering NoSuchGrid was found"));
}

TEST(TabulexLoading, PluginPathIsSearchedFirstAndSkipsFilesThatAreNotTheLibrary) {
    QTemporaryDir bogusDir;
    QTemporaryDir realDir;
    ASSERT_TRUE(bogusDir.isValid() && realDir.isValid());
    QFile bogus(QDir(bogusDir.path()).filePath(QStringLiteral("libtabulex.so")));
    ASSERT_TRUE(bogus.open(QIODevice::WriteOnly));
    bogus.write("not a library");
    bogus.close();
    const QString original = tabulex::findPlugin(QStringLiteral("GridEditable"));
    const QString copy = QDir(realDir.path()).filePath(QStringLiteral("libtabulex.so"));
    ASSERT_TRUE(QFile::copy(original, copy));

    qputenv("TABULEX_PLUGIN_PATH", (bogusDir.path() + QLatin1Char(':') + realDir.path()).toUtf8());
    EXPECT_EQ(tabulex::findPlugin(QStringLiteral("GridEditable")), copy);
    qputenv("TABULEX_PLUGIN_PATH", bogusDir.path().toUtf8());
    EXPECT_EQ(tabulex::findPlugin(QStringLiteral("GridEditable")), original);
    qunsetenv("TABULEX_PLUGIN_PATH");
}

TEST(TabulexLoading, FactoryMakesOnlyItsClassesAndCountsLiveControls) {
    TabulexFactory* factory = tabulex::loadFactory(QStringLiteral("GridEditable"));
    ASSERT_NE(factory, nullptr);
    EXPECT_EQ(factory->classNames(), QStringList{QStringLiteral("GridEditable")});
    EXPECT_EQ(factory->create(QStringLiteral("MSFlexGrid"), nullptr), nullptr);
    const int before = factory->liveControls();
    auto* grid = factory->create(QStringLiteral("GridEditable"), nullptr);
    ASSERT_NE(grid, nullptr);
    EXPECT_EQ(grid->metaObject()->className(), QByteArray("tabulex::GridEditable"));
    EXPECT_EQ(factory->liveControls(), before + 1);
    EXPECT_FALSE(factory->canUnloadNow());
    delete grid;
    EXPECT_EQ(factory->liveControls(), before);
}

TEST_F(GridTest, CreationHalvesColumnZeroAndNumbersTheHeaders) {
    EXPECT_EQ(intCall("ColWidth", 0) * 2, intCall("ColWidth", 1));
    EXPECT_EQ(text(0, 0), QString());
    for (int c = 1; c < 6; ++c)
        EXPECT_EQ(text(0, c), QString::number(c));
    for (int r = 1; r < 20; ++r)
        EXPECT_EQ(text(r, 0), QString::number(r));
    EXPECT_EQ(text(1, 1), QString());
    EXPECT_TRUE(edit->isHidden());
    EXPECT_TRUE(edit->text().isEmpty());

    // Rows added later are not numbered.
    grid->setProperty("Rows", 22);
    EXPECT_EQ(text(21, 0), QString());
}

TEST_F(GridTest, PropertiesComeInInterfaceOrderWithTheirDefaults) {
    const QMetaObject* mo = grid->metaObject();
    QStringList names;
    for (int i = QWidget::staticMetaObject.propertyCount(); i < mo->propertyCount(); ++i) {
        names << QLatin1String(mo->property(i).name());
    }
    const QStringList interfaceOrder = {"AllowBigSelection", "AllowUserResizing",
                                        "Appearance",        "BackColor",
                                        "BackColorBkg",      "BackColorFixed",
                                        "BackColorSel",      "BorderStyle",
                                        "CausesValidation",  "Cols",
                                        "DataSource",        "Enabled",
                                        "FixedCols",         "FixedRows",
                                        "FocusRect",         "Font",
                                        "GridLines",         "GridLinesFixed",
                                        "GridLineWidth",     "Rows",
                                        "WhatsThisHelpID",   "FormatString",
                                        "ForeColorSel",      "Redraw",
                                        "ScrollBars",        "ScrollTrack",
                                        "WordWrap",          "ForeColor",
                                        "DataBindings"};
    EXPECT_EQ(names.mid(0, interfaceOrder.size()), interfaceOrder);
    EXPECT_FALSE(mo->property(mo->indexOfProperty("DataSource")).isWritable());
    EXPECT_EQ(mo->indexOfMethod("setRowPos(int,int)"), -1);

    EXPECT_EQ(grid->property("Rows").toInt(), 20);
    EXPECT_EQ(grid->property("Cols").toInt(), 6);
    EXPECT_EQ(grid->property("BackColor").toUInt(), 0x80000005u);
    EXPECT_EQ(grid->property("BackColorBkg").toUInt(), 8421504u);
    EXPECT_EQ(grid->property("ForeColor").toUInt(), 0x80000008u);
    EXPECT_EQ(grid->property("GridLinesFixed").toInt(), 2);
    EXPECT_EQ(grid->property("ScrollBars").toInt(), 3);
    EXPECT_FALSE(grid->property("ScrollTrack").toBool());
}

TEST_F(GridTest, TextArrayCountsCellsRowByRow) {
    setText(2, 3, QStringLiteral("x"));
    QString s;
    QMetaObject::invokeMethod(grid, "TextArray", Q_RETURN_ARG(QString, s), Q_ARG(int, 2 * 6 + 3));
    EXPECT_EQ(s, QStringLiteral("x"));

    grid->setProperty("Cols", 4);  // the index follows the new width
    QMetaObject::invokeMethod(grid, "setTextArray", Q_ARG(int, 3 * 4 + 2),
                              Q_ARG(QString, QStringLiteral("y")));
    EXPECT_EQ(text(3, 2), QStringLiteral("y"));
    EXPECT_EQ(text(2, 3), QStringLiteral("x"));
}

TEST_F(GridTest, RangeErrorsReachTheHostAndChangeNothing) {
    EXPECT_EQ(text(20, 1), QString());
    EXPECT_EQ(str(lastError()),
              "TextMatrix(20, 1): subscript out of range; the grid has 20 rows and 6 columns");
    EXPECT_EQ(text(19, 5), QString());
    EXPECT_TRUE(lastError().isEmpty());

    QMetaObject::invokeMethod(grid, "setTextArray", Q_ARG(int, 120),
                              Q_ARG(QString, QStringLiteral("z")));
    EXPECT_THAT(str(lastError()),
                HasSubstr("TextArray(120): subscript out of range; the grid has 120 cells"));
    EXPECT_EQ(intCall("ColWidth", 6), 0);
    EXPECT_THAT(str(lastError()), HasSubstr("ColWidth(6)"));

    grid->setProperty("Rows", -1);
    EXPECT_THAT(str(lastError()), HasSubstr("Rows: invalid value -1"));
    EXPECT_EQ(grid->property("Rows").toInt(), 20);
    grid->setProperty("GridLineWidth", 0);
    EXPECT_THAT(str(lastError()), HasSubstr("GridLineWidth: invalid value 0"));

    goTo(3, 3);
    QMetaObject::invokeMethod(grid, "ChangeCellForeColor", Q_ARG(int, 5), Q_ARG(int, 9));
    EXPECT_THAT(str(lastError()), HasSubstr("ChangeCellForeColor: TextMatrix(5, 9)"));
    EXPECT_EQ(grid->property("Row").toInt(), 3);
    EXPECT_EQ(foreColor(5, 1), 0u);
}

TEST_F(GridTest, WritesAskTheHostToSave) {
    QSignalSpy changed(grid, SIGNAL(propertyChanged(QString)));
    grid->setProperty("Cols", 8);
    setText(1, 1, QStringLiteral("a"));
    grid->setProperty("Cols", -3);  // refused: nothing to save
    ASSERT_EQ(changed.size(), 2);
    EXPECT_EQ(changed[0][0].toString(), QStringLiteral("Cols"));
    EXPECT_EQ(changed[1][0].toString(), QStringLiteral("TextMatrix"));
}

TEST_F(GridTest, ChangeCellForeColorMovesToTheCellAndColoursIt) {
    QSignalSpy moved(grid, SIGNAL(RowColChange()));
    QMetaObject::invokeMethod(grid, "ChangeCellForeColor", Q_ARG(int, 4), Q_ARG(int, 2));
    EXPECT_EQ(grid->property("Row").toInt(), 4);
    EXPECT_EQ(grid->property("Col").toInt(), 2);
    EXPECT_EQ(foreColor(4, 2), kRed);
    EXPECT_EQ(moved.size(), 2);  // one for the row, one for the column
}

TEST_F(GridTest, PrintableKeyStartsWithThatCharacterOtherKeysWithTheCellText) {
    setText(2, 2, QStringLiteral("1.5"));
    goTo(2, 2);
    QTest::keyClick(fg2, '7');
    ASSERT_FALSE(edit->isHidden());
    EXPECT_EQ(edit->text(), QStringLiteral("7"));
    EXPECT_EQ(edit->cursorPosition(), 1);
    EXPECT_TRUE(edit->hasFocus());
    QTest::keyClicks(edit, QStringLiteral("25"));
    EXPECT_EQ(edit->text(), QStringLiteral("725"));
    QTest::keyClick(edit, Qt::Key_Escape);

    for (const Qt::Key key : {Qt::Key_Space, Qt::Key_Backspace, Qt::Key_Return}) {
        fg2->setFocus();
        QTest::keyClick(fg2, key);
        ASSERT_FALSE(edit->isHidden()) << key;
        EXPECT_EQ(edit->text(), QStringLiteral("1.5")) << key;
        EXPECT_EQ(edit->cursorPosition(), 3) << key;
        QTest::keyClick(edit, Qt::Key_Escape);
    }

    // Navigation keys move instead of editing.
    fg2->setFocus();
    QTest::keyClick(fg2, Qt::Key_Right);
    EXPECT_TRUE(edit->isHidden());
    EXPECT_EQ(grid->property("Col").toInt(), 3);
}

TEST_F(GridTest, DoubleClickEditsTheCellTextAndRaisesNoDblClick) {
    setText(3, 2, QStringLiteral("42"));
    QSignalSpy dbl(grid, SIGNAL(DblClick()));
    QSignalSpy clicks(grid, SIGNAL(Click()));
    QTest::mouseClick(viewport, Qt::LeftButton, {}, cellPoint(3, 2));
    QTest::mouseDClick(viewport, Qt::LeftButton, {}, cellPoint(3, 2));
    EXPECT_EQ(grid->property("Row").toInt(), 3);
    ASSERT_FALSE(edit->isHidden());
    EXPECT_EQ(edit->text(), QStringLiteral("42"));
    EXPECT_EQ(edit->cursorPosition(), 2);
    EXPECT_EQ(dbl.size(), 0);
    EXPECT_EQ(clicks.size(), 1);
}

TEST_F(GridTest, EditBoxSitsOverTheCellEightTwipsSmaller) {
    QMetaObject::invokeMethod(grid, "setColWidth", Q_ARG(int, 2), Q_ARG(int, 1500));
    QMetaObject::invokeMethod(grid, "setRowHeight", Q_ARG(int, 3), Q_ARG(int, 450));
    goTo(3, 2);
    QTest::keyClick(fg2, 'a');
    const QPoint cellTopLeft = fg2->pos() + viewport->pos() + cellPoint(3, 2) - QPoint(5, 5);
    EXPECT_EQ(edit->geometry().topLeft(), cellTopLeft);
    EXPECT_EQ(edit->width(), 99);   // (1500 - 8) / 15 = 99.47
    EXPECT_EQ(edit->height(), 29);  // (450 - 8) / 15 = 29.47
}

TEST_F(GridTest, EditingACellScrolledOutOfViewBringsItBackUnderTheBox) {
    grid->resize(400, 150);
    goTo(18, 2);  // moving by program does not scroll
    EXPECT_EQ(fg2->property("TopRow").toInt(), 1);
    QTest::keyClick(fg2, '5');
    EXPECT_GT(fg2->property("TopRow").toInt(), 1);
    EXPECT_EQ(edit->y(), fg2->y() + fg2->property("CellTop").toInt() / 15);
    EXPECT_LE(edit->geometry().bottom(), fg2->geometry().bottom());
    EXPECT_GT(edit->y(), fg2->y());
}

TEST_F(GridTest, FormatStringSetsHeadersAndWidensColumns) {
    grid->setProperty("FormatString", QStringLiteral("|<Land use|^Area (ha);|Corn|Hay"));
    EXPECT_EQ(text(0, 1), QStringLiteral("Land use"));
    EXPECT_EQ(text(0, 2), QStringLiteral("Area (ha)"));
    EXPECT_EQ(text(1, 0), QStringLiteral("Corn"));
    EXPECT_EQ(text(2, 0), QStringLiteral("Hay"));
    EXPECT_EQ(text(0, 3), QStringLiteral("3"));  // beyond the format: untouched
    EXPECT_GT(intCall("ColWidth", 0), 0);
    EXPECT_EQ(grid->property("FormatString").toString(),
              QStringLiteral("|<Land use|^Area (ha);|Corn|Hay"));
}

TEST_F(GridTest, EnterCommitsInRedEscapeCancels) {
    setText(2, 3, QStringLiteral("1.5"));
    goTo(2, 3);
    QTest::keyClick(fg2, '8');
    QTest::keyClick(edit, Qt::Key_Escape);
    EXPECT_TRUE(edit->isHidden());
    EXPECT_EQ(text(2, 3), QStringLiteral("1.5"));
    EXPECT_EQ(foreColor(2, 3), 0u);
    EXPECT_TRUE(fg2->hasFocus());

    QTest::keyClick(fg2, 'n');
    QTest::keyClicks(edit, QStringLiteral("ot a number"));
    QTest::keyClick(edit, Qt::Key_Return);
    EXPECT_TRUE(edit->isHidden());
    EXPECT_EQ(text(2, 3), QStringLiteral("not a number"));  // no validation
    EXPECT_EQ(foreColor(2, 3), kRed);
    EXPECT_EQ(grid->property("Row").toInt(), 2);
    EXPECT_TRUE(fg2->hasFocus());
}

TEST_F(GridTest, LeavingTheCellCommitsWithoutColour) {
    goTo(4, 1);
    QTest::keyClick(fg2, '3');
    goTo(5, 1);  // the host moves the cell while the box is open
    EXPECT_TRUE(edit->isHidden());
    EXPECT_EQ(text(4, 1), QStringLiteral("3"));
    EXPECT_EQ(foreColor(4, 1), 0u);

    // A click elsewhere in the grid gives it the focus first, which commits.
    QTest::keyClick(fg2, '6');
    QTest::mouseClick(viewport, Qt::LeftButton, {}, cellPoint(7, 3));
    EXPECT_EQ(text(5, 1), QStringLiteral("6"));
    EXPECT_EQ(foreColor(5, 1), kRed);
    EXPECT_EQ(grid->property("Row").toInt(), 7);
    EXPECT_EQ(grid->property("Col").toInt(), 3);
}

TEST_F(GridTest, UpAndDownCommitThenMoveWithinTheDataRows) {
    goTo(5, 2);
    QTest::keyClick(fg2, '1');
    QTest::keyClick(edit, Qt::Key_Up);
    EXPECT_EQ(text(5, 2), QStringLiteral("1"));
    EXPECT_EQ(foreColor(5, 2), kRed);
    EXPECT_EQ(grid->property("Row").toInt(), 4);
    QTest::keyClick(fg2, '2');
    QTest::keyClick(edit, Qt::Key_Down);
    EXPECT_EQ(text(4, 2), QStringLiteral("2"));
    EXPECT_EQ(grid->property("Row").toInt(), 5);

    goTo(1, 2);  // first row under the fixed row
    QTest::keyClick(fg2, '3');
    QTest::keyClick(edit, Qt::Key_Up);
    EXPECT_TRUE(edit->isHidden());
    EXPECT_EQ(text(1, 2), QStringLiteral("3"));
    EXPECT_EQ(grid->property("Row").toInt(), 1);

    goTo(19, 2);  // last row
    QTest::keyClick(fg2, '4');
    QTest::keyClick(edit, Qt::Key_Down);
    EXPECT_EQ(text(19, 2), QStringLiteral("4"));
    EXPECT_EQ(grid->property("Row").toInt(), 19);
}

TEST_F(GridTest, ClickAndCellChangesAreSignalled) {
    QSignalSpy clicks(grid, SIGNAL(Click()));
    QSignalSpy moved(grid, SIGNAL(RowColChange()));
    QTest::mouseClick(viewport, Qt::LeftButton, {}, cellPoint(2, 2));
    EXPECT_EQ(clicks.size(), 1);
    EXPECT_EQ(moved.size(), 1);
    QTest::mouseClick(viewport, Qt::LeftButton, {}, cellPoint(2, 2));  // same cell
    EXPECT_EQ(clicks.size(), 2);
    EXPECT_EQ(moved.size(), 1);
    QTest::keyClick(fg2, Qt::Key_Down);
    EXPECT_EQ(moved.size(), 2);
    QTest::keyClick(fg2, Qt::Key_Left);
    QTest::keyClick(fg2, Qt::Key_Left);  // stops at the fixed column
    EXPECT_EQ(grid->property("Col").toInt(), 1);
    EXPECT_EQ(moved.size(), 3);
}

TEST_F(GridTest, StoredSettingsRoundTripThroughTheHostsBag) {
    grid->setProperty("Rows", 12);
    grid->setProperty("Cols", 4);
    grid->setProperty("BackColor", 0x00FFEEDDu);
    grid->setProperty("GridLines", 3);
    grid->setProperty("WordWrap", true);
    QMetaObject::invokeMethod(grid, "setTextArray", Q_ARG(int, 0),
                              Q_ARG(QString, QStringLiteral("Day")));
    QMetaObject::invokeMethod(grid, "setColWidth", Q_ARG(int, 0), Q_ARG(int, 700));
    goTo(3, 2);
    setText(3, 2, QStringLiteral("current"));

    QVariantMap bag;
    QMetaObject::invokeMethod(grid, "WriteProperties", Q_RETURN_ARG(QVariantMap, bag));
    EXPECT_EQ(bag.value("Rows").toInt(), 12);
    EXPECT_EQ(bag.value("TextMatrix0").toString(), QStringLiteral("current"));
    EXPECT_EQ(bag.value("ColWidth0").toInt(), 700);
    EXPECT_FALSE(bag.contains("FixedRows"));  // defaults are left out
    EXPECT_FALSE(bag.contains("Appearance"));

    QWidget* other = tabulex::createControl(QStringLiteral("GridEditable"), host_.get());
    bool ok = false;
    QMetaObject::invokeMethod(other, "ReadProperties", Q_RETURN_ARG(bool, ok),
                              Q_ARG(QVariantMap, bag));
    EXPECT_TRUE(ok) << str(other->property("LastError").toString());
    EXPECT_EQ(other->property("Rows").toInt(), 12);
    EXPECT_EQ(other->property("Cols").toInt(), 4);
    EXPECT_EQ(other->property("BackColor").toUInt(), 0x00FFEEDDu);
    EXPECT_EQ(other->property("GridLines").toInt(), 3);
    EXPECT_TRUE(other->property("WordWrap").toBool());
    QString cell0;
    QMetaObject::invokeMethod(other, "TextArray", Q_RETURN_ARG(QString, cell0), Q_ARG(int, 0));
    EXPECT_EQ(cell0, QStringLiteral("Day"));
    // The current cell of the new control is (1, 1): that is where the text goes.
    QString current;
    QMetaObject::invokeMethod(other, "TextMatrix", Q_RETURN_ARG(QString, current), Q_ARG(int, 1),
                              Q_ARG(int, 1));
    EXPECT_EQ(current, QStringLiteral("current"));
}

TEST_F(GridTest, AnEmptyBagLeavesColumnZeroWithoutWidth) {
    bool ok = false;
    QMetaObject::invokeMethod(grid, "ReadProperties", Q_RETURN_ARG(bool, ok),
                              Q_ARG(QVariantMap, QVariantMap()));
    EXPECT_TRUE(ok);
    EXPECT_EQ(intCall("ColWidth", 0), 0);
    EXPECT_EQ(intCall("RowHeight", 0), 0);
    EXPECT_EQ(grid->property("Rows").toInt(), 20);
    EXPECT_EQ(text(5, 0), QStringLiteral("5"));  // labels survive
}

TEST_F(GridTest, BadStoredValuesAreReportedAndTheRestStillApplies) {
    QVariantMap bag;
    bag.insert("Rows", QStringLiteral("lots"));
    bag.insert("Cols", 9);
    bag.insert("ForeColor", qint64(-2147483643));  // signed form of 0x80000005
    bag.insert("GridLines", 7);
    bool ok = true;
    QMetaObject::invokeMethod(grid, "ReadProperties", Q_RETURN_ARG(bool, ok),
                              Q_ARG(QVariantMap, bag));
    EXPECT_FALSE(ok);
    EXPECT_THAT(str(lastError()), HasSubstr("Rows: expected a 32-bit integer, found \"lots\""));
    EXPECT_THAT(str(lastError()), HasSubstr("GridLines: invalid value 7"));
    EXPECT_EQ(grid->property("Rows").toInt(), 20);
    EXPECT_EQ(grid->property("Cols").toInt(), 9);
    EXPECT_EQ(grid->property("ForeColor").toUInt(), 0x80000005u);
}

TEST_F(GridTest, HandleThrowsTheControlsMessageInTheHost) {
    tabulex::GridHandle handle(grid);
    handle.setRows(5);
    EXPECT_EQ(handle.rows(), 5);
    handle.setTextMatrix(4, 5, QStringLiteral("end"));
    EXPECT_EQ(handle.textArray(4 * 6 + 5), QStringLiteral("end"));
    try {
        handle.textMatrix(5, 0);
        ADD_FAILURE() << "no exception";
    } catch (const tabulex::GridCallError& e) {
        EXPECT_STREQ(e.what(),
                     "TextMatrix(5, 0): subscript out of range; the grid has 5 rows and 6 columns");
    }
    EXPECT_THROW(handle.setFixedRows(6), tabulex::GridCallError);
    EXPECT_EQ(handle.fixedRows(), 1);
    EXPECT_THROW(handle.get("NoSuchProperty"), tabulex::GridCallError);
}

// The host reads the selection the user made through the handle, not the
// control's inner grid.
TEST_F(GridTest, HandleGivesTheSelectionTheUserMade) {
    tabulex::GridHandle handle(grid);
    handle.setRows(6);
    handle.setCols(5);
    handle.setRow(1);
    handle.setCol(1);
    QTest::keyClick(fg2, Qt::Key_Down, Qt::ShiftModifier);
    QTest::keyClick(fg2, Qt::Key_Down, Qt::ShiftModifier);
    QTest::keyClick(fg2, Qt::Key_Right, Qt::ShiftModifier);
    EXPECT_EQ(handle.row(), 1);
    EXPECT_EQ(handle.col(), 1);
    EXPECT_EQ(handle.rowSel(), 3);
    EXPECT_EQ(handle.colSel(), 2);
    // A plain move collapses the selection to the new cell.
    QTest::keyClick(fg2, Qt::Key_Down);
    EXPECT_EQ(handle.rowSel(), handle.row());
    EXPECT_EQ(handle.colSel(), handle.col());
}

TEST(TabulexFonts, TextCanBeDrawn) {
    EXPECT_FALSE(QFontDatabase::families().isEmpty());
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
