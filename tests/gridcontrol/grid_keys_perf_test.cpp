// Keyboard moves on a 100-year weather table cost what they cost on a small
// one: each under 50 ms (a jump to the end once took over a minute).
#include <QElapsedTimer>

#include "tests/gridcontrol/grid_keys_support.h"

namespace {

TEST(GridKeysPerf, EachMoveUnderFiftyMilliseconds) {
    HundredYearGrid t;
    ASSERT_NE(t.fg2, nullptr);
    // The first showing (fonts, layout) is not a key's cost.
    QCoreApplication::processEvents();
    t.key(Qt::Key_Down);
    t.key(Qt::Key_Up);
    QCoreApplication::processEvents();
    const auto timed = [&t](const char* what, Qt::Key key, Qt::KeyboardModifiers modifiers) {
        QElapsedTimer clock;
        clock.start();
        t.key(key, modifiers);
        QCoreApplication::processEvents();
        const qint64 ms = clock.elapsed();
        EXPECT_LT(ms, 50) << what;
        return ms;
    };
    timed("Ctrl+End", Qt::Key_End, Qt::ControlModifier);
    timed("Ctrl+Home", Qt::Key_Home, Qt::ControlModifier);
    for (int i = 0; i < 20; ++i) {
        timed("PageDown", Qt::Key_PageDown, Qt::NoModifier);
    }
    timed("Ctrl+End", Qt::Key_End, Qt::ControlModifier);
    // A held arrow key: a run of presses marked as repeats.
    for (int i = 0; i < 200; ++i) {
        QElapsedTimer clock;
        clock.start();
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Up, Qt::NoModifier, QString(), true);
        QApplication::sendEvent(t.fg2, &press);
        QCoreApplication::processEvents();
        EXPECT_LT(clock.elapsed(), 50) << "held Up, press " << i;
    }
    EXPECT_EQ(t.row(), 377 * 100 - 200);
}

}  // namespace

int main(int argc, char** argv) {
    return runGridTests(argc, argv);
}
