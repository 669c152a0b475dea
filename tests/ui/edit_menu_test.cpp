// The Edit menu from the keyboard acts as it does from the mouse: on the box
// that had the focus, with its selection, never emptying the clipboard.
#include <gtest/gtest.h>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QMenu>
#include <QTest>

#include "app/MDIFrmMain.h"
#include "tests/ui/ui_test_support.h"
#include "tests/ui/window_access.h"

namespace {

struct EditMenuFixture : ::testing::Test {
    ScriptedDialogs dialogs;
    MDIFrmMain w;
    QLineEdit* text = nullptr;
    void SetUp() override {
        w.resize(900, 600);
        w.show();
        w.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
        auto* form = new QWidget;
        text = new QLineEdit(QStringLiteral("Millbrook Creek"), form);
        new QLineEdit(QStringLiteral("other box"), form);
        addShown(w, form);
        text->setFocus();
        QTRY_VERIFY(text->hasFocus());
        text->setSelection(0, 9);
        QApplication::clipboard()->setText(QStringLiteral("kept"));
    }
    // Chooses Edit > Copy (C) or Cut (the second item: Down, Enter, as its
    // letter u is also Edit Nutrient Data's), the menu opened by Alt+E.
    void chooseWithAltE(Qt::Key item) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_E, Qt::AltModifier);
        choose(item);
    }
    // The same with Alt pressed and released alone, then E, then the item.
    void chooseWithAltThenE(Qt::Key item) {
        QTest::keyPress(QApplication::focusWidget(), Qt::Key_Alt, Qt::AltModifier);
        QTest::keyRelease(QApplication::focusWidget(), Qt::Key_Alt);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_E);
        choose(item);
    }
    void choose(Qt::Key item) {
        QTRY_VERIFY(QApplication::activePopupWidget() != nullptr);
        if (item == Qt::Key_U) {
            QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_Down);
            QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_Return);
        } else {
            QTest::keyClick(QApplication::activePopupWidget(), item);
        }
        QTRY_VERIFY(QApplication::activePopupWidget() == nullptr);
    }
};

TEST_F(EditMenuFixture, CopyFromTheKeyboardKeepsSelectionAndClipboard) {
    chooseWithAltE(Qt::Key_C);
    EXPECT_EQ(QApplication::clipboard()->text(), "Millbrook");
    EXPECT_EQ(text->selectedText(), "Millbrook");
    EXPECT_EQ(text->text(), "Millbrook Creek");

    text->setSelection(10, 5);
    chooseWithAltThenE(Qt::Key_C);
    EXPECT_EQ(QApplication::clipboard()->text(), "Creek");
    EXPECT_EQ(text->selectedText(), "Creek");
    EXPECT_TRUE(text->hasFocus()) << "the focus is back in the box";
}

TEST_F(EditMenuFixture, CutFromTheKeyboardCutsTheSelection) {
    chooseWithAltThenE(Qt::Key_U);
    EXPECT_EQ(QApplication::clipboard()->text(), "Millbrook");
    EXPECT_EQ(text->text(), " Creek");

    // Nothing selected: the clipboard keeps what it holds.
    text->deselect();
    chooseWithAltE(Qt::Key_C);
    EXPECT_EQ(QApplication::clipboard()->text(), "Millbrook");
    chooseWithAltE(Qt::Key_U);
    EXPECT_EQ(QApplication::clipboard()->text(), "Millbrook");
    EXPECT_EQ(text->text(), " Creek");
}

}  // namespace
