#include <gtest/gtest.h>

#include "shell/MDIFrmMain.h"
#include "tests/ui/ui_test_support.h"

namespace {
const auto* env = ::testing::AddGlobalTestEnvironment(new QtEnvironment);
}

TEST(MainWindow, Builds) {
    MDIFrmMain w;
    EXPECT_NE(w.action("MnuExit"), nullptr);
}
