// What `rivulon FILE` opens a file as: told from its content, whatever its
// name, and never by reading a pipe or a folder.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "analysis/file_kind.h"
#include "common/atomic_file.h"

namespace rivulon {
namespace {

namespace fs = std::filesystem;

const std::string kData = RIVULON_TEST_DATA;
const std::string kExample = std::string(RIVULON_SOURCE_DIR) + "/examples/Millbrook/";

TEST(FileKind, ResultFilesByContentNotName) {
    for (const char* name : {"Results1y_L1.dat", "Results3y_L4.dat"})
        EXPECT_EQ(fileKindOf(kData + "/" + name), FileKind::Results) << name;
    for (const char* name : {"Summary1y_L1.dat", "Summary3y_L4.dat"})
        EXPECT_EQ(fileKindOf(kData + "/" + name), FileKind::Summary) << name;
    // A summary under a results file's name is still a summary; a file cut
    // short is neither.
    const std::string summary = readWholeFile(kData + "/Summary3y_L4.dat");
    EXPECT_EQ(fileKindOfText(summary), FileKind::Summary);
    EXPECT_EQ(fileKindOfText(summary.substr(0, summary.size() / 2)), FileKind::Unknown);
    const std::string results = readWholeFile(kData + "/Results3y_L4.dat");
    EXPECT_EQ(fileKindOfText(results.substr(0, results.size() - 40)), FileKind::Unknown);
    EXPECT_EQ(fileKindOfText("\xEF\xBB\xBF" + results), FileKind::Results);
}

TEST(FileKind, ProjectsTablesAndOtherFiles) {
    EXPECT_EQ(fileKindOf(kExample + "Millbrook.prj"), FileKind::Project);
    EXPECT_EQ(fileKindOfText("\xEF\xBB\xBF"
                             "BasinName, \"x\"\n"),
              FileKind::Project);
    // A projection file of GIS data has the same extension.
    EXPECT_EQ(fileKindOfText("GEOGCS[\"GCS_WGS_1984\"]"), FileKind::Unknown);
    EXPECT_EQ(fileKindOfText("\"Land Use Group \",\"Runoff\",\n\"Forest\",\"1\",\n"),
              FileKind::Regrouped);
    EXPECT_EQ(fileKindOf(kExample + "Weather.dat"), FileKind::Unknown);
    EXPECT_EQ(fileKindOf(kExample + "Transprt.dat"), FileKind::Unknown);
    EXPECT_EQ(fileKindOfText(""), FileKind::Unknown);
}

TEST(FileKind, FoldersPipesAndMissingFilesAreUnreadable) {
    const fs::path dir = fs::temp_directory_path() / ("rivulon_kind_" + std::to_string(::getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    EXPECT_EQ(fileKindOf(dir.string()), FileKind::Unreadable);
    EXPECT_EQ(fileKindOf((dir / "none.dat").string()), FileKind::Unreadable);
    // Nobody writes into this pipe: reading it would wait for ever.
    const std::string fifo = (dir / "Results.dat").string();
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(fileKindOf(fifo), FileKind::Unreadable);
    fs::remove_all(dir);
}

}  // namespace
}  // namespace rivulon
