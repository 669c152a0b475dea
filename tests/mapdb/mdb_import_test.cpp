#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/time.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <thread>

#include <filesystem>
#include <fstream>

#include "mapdb/database_file.h"
#include "mapdb/mdb_import.h"

namespace rivulon {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;

const char* kSample = "/usr/share/doc/fp-units-db/3.2.2/examples/odbc/testodbc.mdb.gz";

struct Folder {
    fs::path path;
    Folder() {
        static int n = 0;
        path = fs::temp_directory_path() /
               ("rivulon_mdb_" + std::to_string(::getpid()) + "_" + std::to_string(++n));
        fs::remove_all(path);
        fs::create_directories(path);
    }
    ~Folder() {
        std::error_code ec;
        fs::permissions(path, fs::perms::owner_all, ec);
        fs::remove_all(path, ec);
    }
    std::string file(const std::string& name) const { return (path / name).string(); }
};

// The Access sample that Debian's fp-units-db ships, unpacked into `folder`.
std::string unpackSample(const Folder& folder) {
    const std::string mdb = folder.file("testodbc.mdb");
    std::ofstream(mdb, std::ios::binary) << runProgram({"gzip", "-dc", kSample});
    return mdb;
}

TEST(CsvExport, QuotesNullsAndLineEnds) {
    const auto rows = parseExportCsv("id,Name,Note\n1,\"A \"\"b\"\"\",\n2,\"\",\"two\nlines\"\n");
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0][1].text, "Name");
    EXPECT_EQ(rows[1][1].text, "A \"b\"");
    EXPECT_TRUE(rows[1][1].quoted);
    EXPECT_EQ(rows[1][2].text, "");
    EXPECT_FALSE(rows[1][2].quoted);  // NULL
    EXPECT_TRUE(rows[2][1].quoted);   // an empty text
    EXPECT_EQ(rows[2][2].text, "two\nlines");
}

TEST(AccessImport, SampleMatchesWhatMdbtoolsReports) {
    if (!fs::exists(kSample)) {
        GTEST_SKIP() << "fp-units-db is not installed";
    }
    Folder folder;
    const std::string mdb = unpackSample(folder);
    const auto before = fs::last_write_time(mdb);
    EXPECT_EQ(databaseFormat(mdb), DatabaseFormat::Access);

    const AccessImportPlan plan = planAccessImport(mdb, folder.file("home"));
    EXPECT_EQ(plan.action, AccessImportPlan::Action::Import);
    EXPECT_EQ(plan.copyPath, folder.file("testodbc.sqlite"));
    std::vector<std::string> told;
    ImportProgress progress;
    progress.tableStarted = [&](int done, int total, const std::string& table) {
        told.push_back(std::to_string(done) + "/" + std::to_string(total) + " " + table);
    };
    const auto tables = importAccessDatabase(mdb, plan.copyPath, plan.backupPath, progress);
    EXPECT_EQ(told, (std::vector<std::string>{"0/1 FPdev"}));
    EXPECT_EQ(fs::last_write_time(mdb), before);
    EXPECT_EQ(databaseFormat(plan.copyPath), DatabaseFormat::Sqlite);
    EXPECT_FALSE(fs::exists(plan.copyPath + ".part"));

    // What the programs themselves say: the table names and each table's rows.
    std::vector<std::string> names;
    {
        std::istringstream list(runProgram({"mdb-tables", "-1", mdb}));
        for (std::string line; std::getline(list, line);) {
            if (!line.empty()) {
                names.push_back(line);
            }
        }
    }
    ASSERT_EQ(tables.size(), names.size());
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open_v2(plan.copyPath.c_str(), &db, SQLITE_OPEN_READONLY, nullptr),
              SQLITE_OK);
    for (std::size_t t = 0; t < names.size(); ++t) {
        EXPECT_EQ(tables[t].name, names[t]);
        const auto csv = parseExportCsv(runProgram({"mdb-export", mdb, names[t]}));
        EXPECT_EQ(tables[t].rows, csv.size() - 1);
        const std::string count = "select count(*) from \"" + names[t] + "\"";
        sqlite3_stmt* st = nullptr;
        ASSERT_EQ(sqlite3_prepare_v2(db, count.c_str(), -1, &st, nullptr), SQLITE_OK);
        ASSERT_EQ(sqlite3_step(st), SQLITE_ROW);
        EXPECT_EQ(static_cast<std::size_t>(sqlite3_column_int64(st, 0)), csv.size() - 1);
        sqlite3_finalize(st);
    }
    // The sample's one table: FPdev with 8 developers; values and types kept.
    ASSERT_EQ(names, std::vector<std::string>{"FPdev"});
    sqlite3_stmt* st = nullptr;
    ASSERT_EQ(sqlite3_prepare_v2(db, "select id, typeof(id), UserName from FPdev where id = 6", -1,
                                 &st, nullptr),
              SQLITE_OK);
    ASSERT_EQ(sqlite3_step(st), SQLITE_ROW);
    EXPECT_STREQ(reinterpret_cast<const char*>(sqlite3_column_text(st, 1)), "integer");
    EXPECT_STREQ(reinterpret_cast<const char*>(sqlite3_column_text(st, 2)), "Jonas Maebe");
    sqlite3_finalize(st);
    sqlite3_close_v2(db);

    // The copy is newer now; an Access file touched later asks again, and a
    // new import keeps the previous copy.
    EXPECT_EQ(planAccessImport(mdb, folder.file("home")).action, AccessImportPlan::Action::UseCopy);
    fs::last_write_time(mdb, fs::last_write_time(plan.copyPath) + std::chrono::seconds(5));
    EXPECT_EQ(planAccessImport(mdb, folder.file("home")).action,
              AccessImportPlan::Action::AskReimport);
    importAccessDatabase(mdb, plan.copyPath, plan.backupPath);
    EXPECT_TRUE(fs::exists(plan.backupPath));
    EXPECT_EQ(databaseFormat(plan.backupPath), DatabaseFormat::Sqlite);
}

// Two County.mdb in two folders get a copy each at home; one file gets the
// same copy however its path is written.
TEST(AccessImport, HomeCopiesAreKeyedByTheFullPath) {
    Folder folder;
    const std::string home = folder.file("home");
    for (const char* sub : {"a", "b"}) {
        fs::create_directories(folder.path / sub);
        std::ofstream(folder.path / sub / "County.mdb") << "x";
    }
    const std::string a = homeCopyPath(folder.file("a/County.mdb"), home);
    const std::string b = homeCopyPath(folder.file("b/County.mdb"), home);
    EXPECT_EQ(a.rfind(home + "/Databases/County-", 0), 0u) << a;
    EXPECT_EQ(fs::path(a).extension(), ".sqlite");
    EXPECT_NE(a, b);
    EXPECT_EQ(homeCopyPath(folder.file("b/../a//County.mdb"), home), a);
    EXPECT_NE(homeCopyPath(folder.file("a/county.mdb"), home), a);
}

TEST(AccessImport, ReadOnlyFolderSendsTheCopyHome) {
    if (::geteuid() == 0) {
        GTEST_SKIP() << "root writes into any folder";
    }
    Folder folder;
    const std::string ro = folder.file("ro");
    fs::create_directories(ro);
    std::ofstream(ro + "/Old.mdb") << "x";
    fs::permissions(ro, fs::perms::owner_read | fs::perms::owner_exec);
    const AccessImportPlan plan = planAccessImport(ro + "/Old.mdb", folder.file("home"));
    fs::permissions(ro, fs::perms::owner_all);
    EXPECT_EQ(plan.copyPath, homeCopyPath(ro + "/Old.mdb", folder.file("home")));
    EXPECT_EQ(plan.backupPath, plan.copyPath + ".bak");
}

// The child's output is read to the end however much it writes and however
// often a signal interrupts the wait; a cancel ends the child at once.
TEST(AccessImport, ChildProgramsAreReadAndEndedCleanly) {
    // More than a pipe holds, on both outputs.
    const std::string big = runProgram({"sh", "-c",
                                        "head -c 300000 /dev/zero | tr '\\0' a; "
                                        "head -c 300000 /dev/zero >&2"});
    EXPECT_EQ(big, std::string(300000, 'a'));

    // A timer signal every millisecond while the child runs.
    struct sigaction quiet {};
    quiet.sa_handler = [](int) {};
    struct sigaction before {};
    ASSERT_EQ(sigaction(SIGALRM, &quiet, &before), 0);
    itimerval every{{0, 1000}, {0, 1000}};
    setitimer(ITIMER_REAL, &every, nullptr);
    std::string interrupted;
    EXPECT_NO_THROW(interrupted = runProgram({"sh", "-c", "sleep 0.2; echo done"}));
    itimerval off{};
    setitimer(ITIMER_REAL, &off, nullptr);
    sigaction(SIGALRM, &before, nullptr);
    EXPECT_EQ(interrupted, "done\n");

    // Cancelled while the child writes more than the pipe holds and would
    // never end by itself.
    std::atomic<bool> cancel{true};
    EXPECT_THROW(runProgram({"sh", "-c", "yes"}, &cancel), ImportCancelled);
    cancel = false;
    std::thread stopper([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        cancel = true;
    });
    EXPECT_THROW(runProgram({"sh", "-c", "while :; do echo x; done"}, &cancel), ImportCancelled);
    stopper.join();

    // A cancelled import leaves neither a copy nor a part file.
    Folder folder;
    std::ofstream(folder.file("c.mdb")) << "x";
    cancel = true;
    ImportProgress progress;
    progress.cancel = &cancel;
    EXPECT_THROW(importAccessDatabase(folder.file("c.mdb"), folder.file("c.sqlite"), {}, progress),
                 ImportCancelled);
    EXPECT_FALSE(fs::exists(folder.file("c.sqlite")));
    EXPECT_FALSE(fs::exists(folder.file("c.sqlite.part")));
}

TEST(AccessImport, FailuresSayWhy) {
    Folder folder;
    try {
        importAccessDatabase(folder.file("none.mdb"), folder.file("none.sqlite"));
        FAIL();
    } catch (const ImportError& e) {
        EXPECT_THAT(e.what(), HasSubstr("none.mdb cannot be read"));
    }
    // Not an Access file: mdbtools' complaint comes through, and nothing is left behind.
    std::ofstream(folder.file("bad.mdb")) << "not a database";
    try {
        importAccessDatabase(folder.file("bad.mdb"), folder.file("bad.sqlite"));
        FAIL();
    } catch (const ImportError& e) {
        EXPECT_THAT(e.what(), HasSubstr("mdb-tables failed"));
    }
    EXPECT_FALSE(fs::exists(folder.file("bad.sqlite")));
    EXPECT_FALSE(fs::exists(folder.file("bad.sqlite.part")));
    try {
        runProgram({"rivulon-no-such-program"});
        FAIL();
    } catch (const ImportError& e) {
        EXPECT_THAT(e.what(), HasSubstr("not installed"));
    }
}

}  // namespace
}  // namespace rivulon
