#include <gtest/gtest.h>

#include <filesystem>

#include "common/atomic_file.h"
#include "common/paths.h"
#include "common/read_error.h"

namespace rivulon {
namespace {

namespace fs = std::filesystem;

TEST(AtomicFile, ReplacesWholeFileAndLeavesNoTemporary) {
    const fs::path dir = fs::temp_directory_path() / "rivulon_atomic_test";
    fs::remove_all(dir);
    fs::create_directories(dir);
    const std::string path = (dir / "Results.dat").string();
    writeFileAtomically(path, "old");
    writeFileAtomically(path, "new contents\r\n");
    EXPECT_EQ(readWholeFile(path), "new contents\r\n");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);
    // Larger than one read, with NULs and no line end at the close.
    std::string big;
    for (int i = 0; i < 200000; ++i)
        big += static_cast<char>(i * 7 % 256);
    writeFileAtomically(path, big);
    EXPECT_EQ(readWholeFile(path), big);
    writeFileAtomically(path, "");
    EXPECT_EQ(readWholeFile(path), "");
    fs::remove_all(dir);
}

TEST(AtomicFile, FailsCleanlyInAMissingFolder) {
    EXPECT_THROW(writeFileAtomically("/nonexistent-folder/x.dat", "x"), FileError);
    EXPECT_THROW(readWholeFile("/nonexistent-folder/x.dat"), FileError);
}

TEST(Paths, DirOfPathAcceptsBothSeparators) {
    EXPECT_EQ(dirOfPath("C:\\Rivulon\\Input\\Transprt.dat"), "C:\\Rivulon\\Input\\");
    EXPECT_EQ(dirOfPath("/home/u/Input/Transprt.dat"), "/home/u/Input/");
    EXPECT_EQ(dirOfPath("Transprt.dat"), "");
    EXPECT_EQ(fileNameOf("a\\b/c.dat"), "c.dat");
    EXPECT_FALSE(pathPresent("Not Found"));
    EXPECT_FALSE(pathPresent(""));
    EXPECT_TRUE(pathPresent("x"));
}

}  // namespace
}  // namespace rivulon
