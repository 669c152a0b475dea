#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <fstream>

#include "common/atomic_file.h"
#include "common/paths.h"
#include "common/read_error.h"

namespace rivulon {
namespace {

namespace fs = std::filesystem;

std::string readError(const std::string& path) {
    try {
        readWholeFile(path);
    } catch (const FileError& e) {
        return e.what();
    }
    return "(read)";
}

// Proposed names count up past every name already in the folder, a folder
// of that name included, and never keep the '*' of the pattern.
TEST(NextFreeName, CountsUpPastTakenNames) {
    const fs::path dir =
        fs::temp_directory_path() / ("rivulon_next_name_" + std::to_string(::getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    EXPECT_EQ(nextFreeName(dir.string(), "Tab*.csv"), "Tab1.csv");
    std::ofstream((dir / "Tab1.csv").string()) << "x";
    std::ofstream((dir / "Tab2.csv").string()) << "x";
    fs::create_directories(dir / "Tab3.csv");
    std::ofstream((dir / "Tab5.csv").string()) << "x";
    EXPECT_EQ(nextFreeName(dir.string(), "Tab*.csv"), "Tab4.csv");
    EXPECT_EQ(nextFreeName(dir.string() + "/", "Rg*.txt"), "Rg1.txt");
    EXPECT_EQ(nextFreeName(dir.string(), "Table.csv"), "Table.csv");
    fs::remove_all(dir);
}

// A folder, pipe or device given where an input file belongs is named as
// what it is; a pipe is never opened, so the read cannot block.
TEST(InputPath, NamesWhatAPathIsWhenItIsNoFile) {
    const fs::path dir =
        fs::temp_directory_path() / ("rivulon_input_path_" + std::to_string(::getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    const std::string fifo = (dir / "pipe").string();
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    std::ofstream((dir / "plain.dat").string()) << "1\n";

    EXPECT_EQ(inputFileProblem((dir / "plain.dat").string()), "");
    EXPECT_EQ(readError(dir.string()),
              "Cannot open " + dir.string() + ": it is a folder, not a file");
    EXPECT_EQ(readError(fifo), "Cannot open " + fifo + ": it is a pipe (FIFO), not a file");
    EXPECT_EQ(readError("/dev/null"), "Cannot open /dev/null: it is a device, not a file");
    EXPECT_EQ(readError((dir / "none.dat").string()),
              "Cannot open " + (dir / "none.dat").string() + ": no such file");
    EXPECT_EQ(readError(""), "Cannot open a file: no file name was given");
    fs::remove_all(dir);
}

}  // namespace
}  // namespace rivulon
