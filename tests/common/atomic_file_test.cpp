#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

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

// A fresh folder for one test, removed afterwards.
struct Folder {
    fs::path dir;
    explicit Folder(const std::string& name)
        : dir(fs::temp_directory_path() / (name + "_" + std::to_string(::getpid()))) {
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    ~Folder() {
        std::error_code ec;
        fs::remove_all(dir, ec);
    }
    std::string operator/(const std::string& name) const { return (dir / name).string(); }
    std::vector<std::string> names() const {
        std::vector<std::string> out;
        for (const auto& e : fs::directory_iterator(dir))
            out.push_back(e.path().filename().string());
        std::sort(out.begin(), out.end());
        return out;
    }
};

TEST(FileText, LargeFilesAreMappedSmallOnesReadAndBothKeepTheirBytes) {
    Folder folder("rivulon_file_text");
    std::string big;
    for (int i = 0; i < 100000; ++i)
        big += static_cast<char>(i * 7 % 256);
    writeFileAtomically(folder / "big.dat", big);
    writeFileAtomically(folder / "small.dat", "1.5,.8\r\n");
    writeFileAtomically(folder / "empty.dat", "");

    FileText mapped = FileText::read(folder / "big.dat");
    EXPECT_TRUE(mapped.mapped());
    EXPECT_TRUE(mapped.view() == big);
    FileText small = FileText::read(folder / "small.dat");
    EXPECT_FALSE(small.mapped());
    EXPECT_EQ(small.view(), "1.5,.8\r\n");
    EXPECT_EQ(FileText::read(folder / "empty.dat").size(), 0u);

    // Readers keep views into the bytes: moving must not move them.
    for (FileText* text : {&mapped, &small}) {
        const char* bytes = text->view().data();
        const std::size_t size = text->size();
        FileText moved(std::move(*text));
        EXPECT_EQ(moved.view().data(), bytes);
        EXPECT_EQ(moved.size(), size);
        EXPECT_EQ(text->size(), 0u);
        FileText assigned;
        assigned = std::move(moved);
        EXPECT_EQ(assigned.view().data(), bytes);
        *text = std::move(assigned);
    }
    EXPECT_TRUE(mapped.view() == big);

    // The file replaced on disk: the mapping still shows the bytes it read.
    writeFileAtomically(folder / "big.dat", "new");
    EXPECT_TRUE(mapped.view() == big);

    try {
        FileText::read(folder / "missing.dat");
        FAIL();
    } catch (const FileError& e) {
        EXPECT_NE(std::string(e.what()).find("missing.dat"), std::string::npos);
    }
}

struct FaultReset {
    ~FaultReset() {
        setWriteFaultForTesting({});
        setFlushFaultForTesting({});
        setRenameFaultForTesting({});
    }
};

WriteFault fileNamed(const std::string& name) {
    return [name](const std::string& target) { return fileNameOf(target) == name; };
}

std::size_t openDescriptors() {
    return static_cast<std::size_t>(
        std::distance(fs::directory_iterator("/proc/self/fd"), fs::directory_iterator()));
}

mode_t modeOf(const std::string& path) {
    struct stat st {};
    ::stat(path.c_str(), &st);
    return st.st_mode & 07777;
}

TEST(ResultFileSet, ReplacesEveryFileOrNone) {
    Folder f("rivulon_resultset");
    writeFileAtomically(f / "Results.dat", "old results");
    writeFileAtomically(f / "Summary.dat", "old summary");

    {
        // Summary.dat cannot be written after Results.dat was: both old files stay.
        FaultReset reset;
        setWriteFaultForTesting(
            [](const std::string& target) { return fileNameOf(target) == "Summary.dat"; });
        ResultFileSet set;
        set.add(f / "Results.dat", "new results");
        set.add(f / "Summary.dat", "new summary");
        set.add(f / "SeepCoef.txt", "new seep");
        try {
            set.commit();
            FAIL() << "the failed write was not reported";
        } catch (const FileError& e) {
            EXPECT_NE(std::string(e.what()).find("Summary.dat"), std::string::npos) << e.what();
        }
    }
    EXPECT_EQ(readWholeFile(f / "Results.dat"), "old results");
    EXPECT_EQ(readWholeFile(f / "Summary.dat"), "old summary");
    EXPECT_EQ(f.names(), (std::vector<std::string>{"Results.dat", "Summary.dat"}));

    ResultFileSet set;
    set.add(f / "Results.dat", "new results");
    set.add(f / "Summary.dat", "new summary");
    set.commit();
    EXPECT_EQ(readWholeFile(f / "Results.dat"), "new results");
    EXPECT_EQ(readWholeFile(f / "Summary.dat"), "new summary");
    EXPECT_EQ(f.names(), (std::vector<std::string>{"Results.dat", "Summary.dat"}));
}

// A file written in pieces (the daily values as a run goes) is replaced with
// the set: whole when the set goes in, not at all when it fails or is dropped.
TEST(ResultFileSet, FileWrittenInPiecesGoesInWithTheSet) {
    Folder f("rivulon_staged");
    writeFileAtomically(f / "Results.dat", "old results");
    writeFileAtomically(f / "daily.csv", "old daily");
    const std::vector<std::string> oldFiles = {"Results.dat", "daily.csv"};
    std::string pieces;
    auto written = [&] {
        StagedFile daily(f / "daily.csv");
        pieces.clear();
        // Past the point where the write-back starts, in uneven pieces.
        for (int i = 0; i < 3000; ++i) {
            const std::string piece(static_cast<std::size_t>(i % 997),
                                    static_cast<char>('a' + i % 26));
            daily.append(piece);
            pieces += piece;
        }
        return daily;
    };
    {
        // Dropped before the set: the old file stays, no temporary.
        StagedFile daily = written();
        EXPECT_EQ(f.names().size(), 3u);
    }
    EXPECT_EQ(f.names(), oldFiles);
    EXPECT_EQ(readWholeFile(f / "daily.csv"), "old daily");
    {
        // Another file of the set fails: both old files stay.
        FaultReset reset;
        setFlushFaultForTesting(fileNamed("Results.dat"));
        ResultFileSet set;
        set.add(f / "Results.dat", "new results");
        set.add(written());
        EXPECT_THROW(set.commit(), FileError);
    }
    EXPECT_EQ(f.names(), oldFiles);
    EXPECT_EQ(readWholeFile(f / "daily.csv"), "old daily");
    {
        // A piece cannot be written: the error names the file and its
        // temporary goes; a set given it refuses to commit.
        FaultReset reset;
        setWriteFaultForTesting(fileNamed("daily.csv"));
        StagedFile daily(f / "daily.csv");
        try {
            daily.append("x");
            FAIL() << "the failed write was not reported";
        } catch (const FileError& e) {
            EXPECT_NE(std::string(e.what()).find("daily.csv"), std::string::npos) << e.what();
        }
        EXPECT_EQ(f.names(), oldFiles);
        ResultFileSet set;
        set.add(f / "Results.dat", "new results");
        EXPECT_THROW(set.add(std::move(daily)), FileError);
    }
    EXPECT_EQ(readWholeFile(f / "Results.dat"), "old results");

    const std::size_t descriptors = openDescriptors();
    ::chmod((f / "daily.csv").c_str(), 0640);
    ResultFileSet set;
    set.add(f / "Results.dat", "new results");
    set.add(written());
    set.commit();
    EXPECT_EQ(readWholeFile(f / "Results.dat"), "new results");
    EXPECT_EQ(readWholeFile(f / "daily.csv"), pieces);
    EXPECT_EQ(modeOf(f / "daily.csv"), 0640u);
    EXPECT_EQ(f.names(), oldFiles);
    EXPECT_EQ(openDescriptors(), descriptors);
}

TEST(ResultFileSet, GroupCommitKeepsSetsBeforeAFailure) {
    Folder f("rivulon_resultgroup");
    FaultReset reset;
    setWriteFaultForTesting(
        [](const std::string& target) { return fileNameOf(target) == "Summary2.dat"; });
    std::vector<ResultFileSet> sets(3);
    for (int i = 0; i < 3; ++i) {
        sets[i].add(f / ("Results" + std::to_string(i + 1) + ".dat"), "r");
        sets[i].add(f / ("Summary" + std::to_string(i + 1) + ".dat"), "s");
    }
    sets[2].stage();  // staged ahead, as a batch worker does
    std::size_t committed = 99;
    EXPECT_THROW(ResultFileSet::commitAll({&sets[0], &sets[1], &sets[2]}, &committed), FileError);
    EXPECT_EQ(committed, 1u);
    EXPECT_EQ(f.names(), (std::vector<std::string>{"Results1.dat", "Summary1.dat"}));
}

TEST(ResultFileSet, DroppedSetLeavesNoTemporary) {
    Folder f("rivulon_resultdrop");
    {
        ResultFileSet set;
        set.add(f / "Results.dat", "x");
        set.stage();
        ASSERT_EQ(f.names().size(), 1u);
        EXPECT_EQ(
            f.names()[0].rfind(std::string(kTemporaryPrefix) + std::to_string(::getpid()) + ".", 0),
            0u);
    }
    EXPECT_TRUE(f.names().empty());
}

// A flush that fails (a disk that cannot take the data) and a rename that
// fails half-way through a set: the old files stay whole, nothing temporary
// is left, and no descriptor is lost.
TEST(ResultFileSet, FailedFlushOrRenameLeavesTheOldFiles) {
    Folder f("rivulon_faults");
    writeFileAtomically(f / "Results.dat", "old results");
    writeFileAtomically(f / "Summary.dat", "old summary");
    FaultReset reset;
    const std::size_t descriptors = openDescriptors();

    setFlushFaultForTesting(fileNamed("Results.dat"));
    try {
        writeFileAtomically(f / "Results.dat", "new results");
        FAIL() << "the failed flush was not reported";
    } catch (const FileError& e) {
        EXPECT_EQ(std::string(e.what()),
                  "Cannot write " + (f / "Results.dat") + ": " + std::strerror(EIO));
    }
    EXPECT_EQ(readWholeFile(f / "Results.dat"), "old results");
    EXPECT_EQ(openDescriptors(), descriptors);
    {
        ResultFileSet set;
        set.add(f / "Summary.dat", "new summary");
        set.add(f / "Results.dat", "new results");
        EXPECT_THROW(set.commit(), FileError);
    }
    EXPECT_EQ(readWholeFile(f / "Summary.dat"), "old summary");
    EXPECT_EQ(openDescriptors(), descriptors);
    setFlushFaultForTesting({});

    // Results.dat is in place when Summary.dat cannot be renamed: it is put
    // back, and a file that did not exist before is taken away again.
    setRenameFaultForTesting(fileNamed("Summary.dat"));
    {
        ResultFileSet set;
        set.add(f / "Results.dat", "new results");
        set.add(f / "SeepCoef.txt", "new seep");
        set.add(f / "Summary.dat", "new summary");
        try {
            set.commit();
            FAIL() << "the failed rename was not reported";
        } catch (const FileError& e) {
            EXPECT_EQ(std::string(e.what()),
                      "Cannot replace " + (f / "Summary.dat") + ": " + std::strerror(EIO));
        }
    }
    EXPECT_EQ(readWholeFile(f / "Results.dat"), "old results");
    EXPECT_EQ(readWholeFile(f / "Summary.dat"), "old summary");
    EXPECT_EQ(f.names(), (std::vector<std::string>{"Results.dat", "Summary.dat"}));
    EXPECT_EQ(openDescriptors(), descriptors);
    setRenameFaultForTesting({});

    // A folder where Summary.dat belongs is found before anything moves.
    fs::remove(f / "Summary.dat");
    fs::create_directories(f / "Summary.dat");
    ResultFileSet set;
    set.add(f / "Results.dat", "new results");
    set.add(f / "Summary.dat", "new summary");
    try {
        set.commit();
        FAIL() << "a folder was replaced";
    } catch (const FileError& e) {
        EXPECT_EQ(std::string(e.what()),
                  "Cannot replace " + (f / "Summary.dat") + ": it is a folder, not a file");
    }
    EXPECT_EQ(readWholeFile(f / "Results.dat"), "old results");
    EXPECT_EQ(f.names(), (std::vector<std::string>{"Results.dat", "Summary.dat"}));
    EXPECT_THROW(writeFileAtomically(f / "Summary.dat", "x"), FileError);
    EXPECT_TRUE(fs::is_directory(f / "Summary.dat"));
}

// Replacing a file keeps what the user set on it: its mode, its group, and a
// link stays a link to a file replaced where it is.
TEST(ResultFileSet, ReplacedFilesKeepModeGroupAndLinks) {
    Folder f("rivulon_keep");
    fs::create_directories(f.dir / "store");
    writeFileAtomically(f / "Results.dat", "old");
    ::chmod((f / "Results.dat").c_str(), 0640);
    writeFileAtomically(f / "store/Summary.dat", "old summary");
    ::chmod((f / "store/Summary.dat").c_str(), 0600);
    fs::create_symlink("store/Summary.dat", f.dir / "Summary.dat");
    // A link to a file not written yet, and a link to a link.
    fs::create_symlink(f.dir / "store" / "Seep.txt", f.dir / "SeepCoef.txt");
    writeFileAtomically(f / "store/Table.csv", "t");
    ::chmod((f / "store/Table.csv").c_str(), 0604);
    fs::create_symlink(f.dir / "store" / "Table.csv", f.dir / "store" / "Hop.csv");
    fs::create_symlink("store/Hop.csv", f.dir / "Table.csv");
    struct stat before {};
    ::stat((f / "Results.dat").c_str(), &before);

    ResultFileSet set;
    set.add(f / "Results.dat", "new results");
    set.add(f / "Summary.dat", "new summary");
    set.add(f / "SeepCoef.txt", "new seep");
    set.commit();
    writeFileAtomically(f / "Table.csv", "new table");

    EXPECT_EQ(modeOf(f / "Results.dat"), 0640u);
    struct stat after {};
    ::stat((f / "Results.dat").c_str(), &after);
    EXPECT_EQ(after.st_gid, before.st_gid);
    EXPECT_EQ(after.st_uid, before.st_uid);
    EXPECT_EQ(readWholeFile(f / "Results.dat"), "new results");
    for (const char* link : {"Summary.dat", "SeepCoef.txt", "Table.csv", "store/Hop.csv"})
        EXPECT_TRUE(fs::is_symlink(f.dir / link)) << link;
    EXPECT_EQ(readWholeFile(f / "store/Summary.dat"), "new summary");
    EXPECT_EQ(modeOf(f / "store/Summary.dat"), 0600u);
    EXPECT_EQ(readWholeFile(f / "store/Seep.txt"), "new seep");
    EXPECT_EQ(readWholeFile(f / "store/Table.csv"), "new table");
    EXPECT_EQ(modeOf(f / "store/Table.csv"), 0604u);
    // Nothing temporary in either folder.
    EXPECT_EQ(f.names(), (std::vector<std::string>{"Results.dat", "SeepCoef.txt", "Summary.dat",
                                                   "Table.csv", "store"}));
    EXPECT_EQ(fs::path(replacementTarget(f / "Table.csv")).lexically_normal(),
              (f.dir / "store" / "Table.csv").lexically_normal());
    EXPECT_EQ(replacementTarget(f / "Results.dat"), f / "Results.dat");
}

TEST(Paths, SameFileByInodeOrByNormalisedPath) {
    Folder f("rivulon_same");
    writeFileAtomically(f / "Weather.dat", "w");
    fs::create_directories(f.dir / "sub");
    fs::create_symlink(f.dir / "Weather.dat", f.dir / "sub" / "Link.dat");
    fs::create_hard_link(f.dir / "Weather.dat", f.dir / "Hard.dat");
    EXPECT_TRUE(sameFile(f / "Weather.dat", f / "sub/../Weather.dat"));
    EXPECT_TRUE(sameFile(f / "Weather.dat", f / "sub/Link.dat"));
    EXPECT_TRUE(sameFile(f / "Weather.dat", f / "Hard.dat"));
    // Not there yet: the same path however it is written, letters as they are.
    EXPECT_TRUE(sameFile(f / "New.dat", f / "sub/..//New.dat"));
    EXPECT_TRUE(sameFile(f / "sub/Link.dat", f / "Weather.dat"));
    EXPECT_FALSE(sameFile(f / "New.dat", f / "new.dat"));
    EXPECT_FALSE(sameFile(f / "Weather.dat", f / "weather.dat"));
    EXPECT_FALSE(sameFile(f / "Weather.dat", f / "New.dat"));
    EXPECT_FALSE(sameFile("", ""));
    // A relative path is taken from the current folder.
    const fs::path here = fs::current_path();
    fs::current_path(f.dir);
    const bool relative = sameFile("New.dat", f / "New.dat");
    fs::current_path(here);
    EXPECT_TRUE(relative);
}

TEST(OutputFolder, StaleTemporariesOfDeadProcessesAreRemoved) {
    Folder f("rivulon_stale");
    // A process killed while writing: a child that stages a set and ends
    // without cleaning up.
    const pid_t child = ::fork();
    if (child == 0) {
        auto* set = new ResultFileSet;
        set->add(f / "Results.dat", "partial");
        set->stage();
        ::_exit(0);
    }
    ::waitpid(child, nullptr, 0);
    ASSERT_EQ(f.names().size(), 1u);
    const std::string killed = f.names()[0];
    EXPECT_EQ(killed.rfind(std::string(kTemporaryPrefix) + std::to_string(child) + ".", 0), 0u);

    const std::string alive =
        std::string(kTemporaryPrefix) + std::to_string(::getppid()) + "-0-Results.dat";
    const std::string deadOldForm =
        std::string(kTemporaryPrefix) + std::to_string(child) + "-0-Summary.dat";
    // Another machine's temporary in a shared folder: its process id means
    // nothing here.
    const std::string otherHost =
        std::string(kTemporaryPrefix) + std::to_string(child) + ".elsewhere-0-Results.dat";
    for (const auto& name :
         {alive, deadOldForm, otherHost, std::string(".rivulon-tmp-x-Results.dat"),
          std::string("Results.dat")}) {
        std::ofstream(f / name) << "x";
    }
    EXPECT_EQ(removeStaleTemporaries(f.dir.string()), 2);
    std::vector<std::string> left{alive, otherHost, ".rivulon-tmp-x-Results.dat", "Results.dat"};
    std::sort(left.begin(), left.end());
    EXPECT_EQ(f.names(), left);
}

TEST(OutputFolder, SecondWriterIsRefusedOrWaits) {
    Folder f("rivulon_lock");
    {
        OutputFolderLock first(f.dir.string(), OutputFolderLock::Mode::Refuse);
        try {
            OutputFolderLock second(f.dir.string(), OutputFolderLock::Mode::Refuse);
            FAIL() << "two writers held one folder";
        } catch (const FolderBusyError& e) {
            EXPECT_EQ(std::string(e.what()), folderBusyMessage(f.dir.string()));
        }
        // Another process sees the folder busy too.
        const pid_t child = ::fork();
        if (child == 0) {
            try {
                OutputFolderLock other(f.dir.string(), OutputFolderLock::Mode::Refuse);
                ::_exit(1);
            } catch (const FolderBusyError&) {
                ::_exit(0);
            }
        }
        int status = 0;
        ::waitpid(child, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    {
        // Shards of one batch share the folder, and still keep others out.
        OutputFolderLock shard1(f.dir.string(), OutputFolderLock::Mode::Refuse, {}, true);
        OutputFolderLock shard2(f.dir.string(), OutputFolderLock::Mode::Refuse, {}, true);
        EXPECT_THROW(OutputFolderLock(f.dir.string(), OutputFolderLock::Mode::Refuse),
                     FolderBusyError);
    }
    // Released with its holder; a waiting writer then gets it without waiting.
    bool waited = false;
    OutputFolderLock again(f.dir.string(), OutputFolderLock::Mode::Wait, [&] { waited = true; });
    EXPECT_FALSE(waited);
    EXPECT_THROW(OutputFolderLock(f / "missing", OutputFolderLock::Mode::Refuse), FileError);
}

TEST(OutputFolder, OutputThatIsAnInputIsRefused) {
    Folder f("rivulon_inout");
    writeFileAtomically(f / "Weather.dat", "w");
    fs::create_directories(f.dir / "sub");
    fs::create_symlink(f.dir / "Weather.dat", f.dir / "sub" / "Link.dat");
    const std::string input = f / "Weather.dat";
    // The same file under another spelling, through a link, or not yet existing.
    EXPECT_THROW(refuseInputsAsOutputs({(f.dir / "sub" / ".." / "Weather.dat").string()}, {input}),
                 FileError);
    EXPECT_THROW(refuseInputsAsOutputs({f / "sub/Link.dat"}, {input}), FileError);
    EXPECT_THROW(refuseInputsAsOutputs({f / "New.dat"}, {f / "sub/../New.dat"}), FileError);
    EXPECT_NO_THROW(refuseInputsAsOutputs({f / "Results.dat", ""}, {input, ""}));
}

}  // namespace
}  // namespace rivulon
