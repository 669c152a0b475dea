// Moving through a long table with the keyboard lands where a user expects
// and keeps the current cell in sight.
#include "tests/gridcontrol/grid_keys_support.h"

namespace {

TEST(GridKeys, JumpsAndPagesOnAHundredYearTable) {
    HundredYearGrid t;
    ASSERT_NE(t.fg2, nullptr);
    const int last = 377 * 100;
    t.key(Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(t.row(), last);
    // The last row is the bottom one on screen, not the only one.
    const int top = t.topRow();
    EXPECT_GT(top, last - 40);
    EXPECT_LT(top, last - 5);
    t.key(Qt::Key_Up);
    EXPECT_EQ(t.row(), last - 1);
    EXPECT_EQ(t.topRow(), top) << "a visible row does not scroll";

    t.key(Qt::Key_Home, Qt::ControlModifier);
    EXPECT_EQ(t.row(), 1);
    EXPECT_EQ(t.topRow(), 1);
    t.key(Qt::Key_PageDown);
    const int page = t.row() - 1;
    EXPECT_GT(page, 5);
    EXPECT_LE(t.topRow(), t.row());
    EXPECT_LT(t.row() - t.topRow(), page) << "the new row is in sight";
    for (int i = 0; i < 3 * page; ++i) {
        t.key(Qt::Key_Down);
    }
    EXPECT_EQ(t.row(), 1 + 4 * page);
    EXPECT_EQ(t.row() - t.topRow(), page - 1) << "the current row is the bottom one";
}

}  // namespace

int main(int argc, char** argv) {
    return runGridTests(argc, argv);
}
