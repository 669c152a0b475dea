// Every subcommand of hydload, run as a process on a copy of the example:
// a usage error exits 2 with the command's usage line, an input error 1, a
// valid call 0. The texts on standard error are checked word for word.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "common/atomic_file.h"

namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;
using ::testing::Not;
using ::testing::StartsWith;

struct Result {
    int status = -1;
    std::string out, err;
};

std::string slurp(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

void spit(const fs::path& p, const std::string& text) {
    std::ofstream(p, std::ios::binary) << text;
}

std::string quoted(const std::string& a) {
    std::string q = "'";
    for (char c : a)
        q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

class Hydload : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() /
               ("rivulon_hydload_" + std::to_string(::getpid()) + "_" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_ / "in");
        for (const auto& e :
             fs::directory_iterator(fs::path(RIVULON_SOURCE_DIR) / "examples/Millbrook"))
            fs::copy_file(e.path(), dir_ / "in" / e.path().filename());
    }
    void TearDown() override { fs::remove_all(dir_); }

    std::string in(const std::string& name) const { return (dir_ / "in" / name).string(); }
    std::string path(const std::string& name) const { return (dir_ / name).string(); }

    Result run(const std::vector<std::string>& args) const {
        std::string cmd = quoted(HYDLOAD_PATH);
        for (const auto& a : args)
            cmd += " " + quoted(a);
        cmd += " >" + quoted(path("stdout")) + " 2>" + quoted(path("stderr"));
        Result r;
        const int raw = std::system(cmd.c_str());
        r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
        r.out = slurp(path("stdout"));
        r.err = slurp(path("stderr"));
        return r;
    }

    fs::path dir_;
};

TEST_F(Hydload, UsageErrorsExitTwoWithTheUsageLine) {
    const std::string prj = in("Millbrook.prj");
    const std::string ctl = in("RunSubbasins.dat");
    const struct {
        std::vector<std::string> args;
        std::string message;  // first line of standard error
        std::string usage;    // the line after it
    } cases[] = {
        {{"run", prj, "--bogus"},
         "hydload run: unknown option --bogus",
         "usage: hydload run PROJECT.prj [options]"},
        {{"run", prj, "--years"},
         "hydload run: --years needs a value",
         "usage: hydload run PROJECT.prj [options]"},
        {{"run", prj, "--years", "abc"},
         "hydload run: --years takes a whole number from 1 to 32767, not \"abc\"",
         "usage: hydload run PROJECT.prj [options]"},
        {{"run", prj, "--level", "5"},
         "hydload run: --level takes a whole number from 1 to 4, not \"5\"",
         "usage: hydload run PROJECT.prj [options]"},
        {{"run", prj, "--pop-rate", "2%"},
         "hydload run: --pop-rate takes a number, not \"2%\"",
         "usage: hydload run PROJECT.prj [options]"},
        {{"run", prj, "--septic-reduction", "1.5"},
         "hydload run: --septic-reduction takes a number from 0 to 1, not \"1.5\"",
         "usage: hydload run PROJECT.prj [options]"},
        {{"run", prj, "--seep", "-0.1,0,0,0"},
         "hydload run: --seep MAX,DAILY,YEAR,MINSTREAM: Max. Seepage Coefficient (day^-1): -0.1 is "
         "outside the allowed range above 0 to 1 (0 turns seepage control off)",
         "usage: hydload run PROJECT.prj [options]"},
        {{"run", prj, "--varconc", "1,1,2"},
         "hydload run: --varconc takes 4 values separated by commas, not \"1,1,2\"",
         "usage: hydload run PROJECT.prj [options]"},
        // An option where a value belongs is never taken for the value.
        {{"run", prj, "--out", "--quiet"},
         "hydload run: --out needs a value, not the option \"--quiet\"",
         "usage: hydload run PROJECT.prj [options]"},
        {{"batch", ctl, "--project", "--out", path("o")},
         "hydload batch: --project needs a value, not the option \"--out\"",
         "usage: hydload batch CONTROL --project P.prj --name Auto --out DIR [--jobs N]"},
        {{"run", prj, "--quiet=yes"},
         "hydload run: --quiet takes no value",
         "usage: hydload run PROJECT.prj [options]"},
        {{"run", prj, "other.prj"},
         "hydload run: unexpected argument \"other.prj\"",
         "usage: hydload run PROJECT.prj [options]"},
        {{"batch", ctl, "--project", prj, "--out", path("o"), "--jobs", "0"},
         "hydload batch: --jobs takes a whole number from 1 to 1024, not \"0\"",
         "usage: hydload batch CONTROL --project P.prj --name Auto --out DIR [--jobs N]"},
        {{"batch", ctl, "--project", prj, "--out", path("o"), "--shard", "2/2"},
         "hydload batch: --shard K/N needs K below N, not \"2/2\"",
         "usage: hydload batch CONTROL --project P.prj --name Auto --out DIR [--jobs N]"},
        {{"batch", ctl, "--project", prj},
         "hydload batch: --out is required",
         "usage: hydload batch CONTROL --project P.prj --name Auto --out DIR [--jobs N]"},
        {{"table", "weekly", "R.dat"},
         "hydload table: the table is summary, annual or monthly, not \"weekly\"",
         "usage: hydload table summary|annual|monthly FILE [--mode N] [--oc] [--csv OUT]"},
        {{"table", "monthly", "R.dat", "--mode", "4"},
         "hydload table: --mode takes a whole number from 0 to 3, not \"4\"",
         "usage: hydload table summary|annual|monthly FILE [--mode N] [--oc] [--csv OUT]"},
        {{"regroup", "R.dat", "--background", "1,abc,0,0"},
         "hydload regroup: --background takes a number, not \"abc\"",
         "usage: hydload regroup RESULTS --group \"Forest=1,2\" --group ... [--oc]"},
        {{"regroup"},
         "hydload regroup: missing results file",
         "usage: hydload regroup RESULTS --group \"Forest=1,2\" --group ... [--oc]"},
        {{"observed", "R.dat"},
         "hydload observed: missing results file and observed-flow file",
         "usage: hydload observed RESULTS OBSFILE [--grid] [--strict]"},
        {{"sum", "A.dat", "B.dat", "--weights", "1", "--out", "S.dat"},
         "hydload sum: --weights gives 1 weight(s) for 2 file(s)",
         "usage: hydload sum RESULTS... [--weights w1,w2,...] --out FILE [--strict]"},
        {{"sum", "A.dat"},
         "hydload sum: --out is required",
         "usage: hydload sum RESULTS... [--weights w1,w2,...] --out FILE [--strict]"},
        {{"compare", "Rg1.txt", "--row", "14", "--col", "1"},
         "hydload compare: --row takes a whole number from 0 to 13, not \"14\"",
         "usage: hydload compare Rg1.txt Rg2.txt ... --row R --col C [--strict]"},
        {{"septic"},
         "hydload septic: missing technology file",
         "usage: hydload septic TECHFILE [--nutrient N.dat [--transport T.dat] [--write OUT.dat]]"},
        {{"septic", "S.dat", "--write", "N.dat"},
         "hydload septic: --write needs --nutrient",
         "usage: hydload septic TECHFILE [--nutrient N.dat [--transport T.dat] [--write OUT.dat]]"},
        {{"calibrate", prj, "--params", "recession", "--bogus"},
         "hydload calibrate: unknown option --bogus",
         "usage: hydload calibrate PROJECT.prj --observed FILE --params "
         "recession,seepage,cn-mult,..."},
        {{"calibrate", prj},
         "hydload calibrate: --params is required",
         "usage: hydload calibrate PROJECT.prj --observed FILE --params "
         "recession,seepage,cn-mult,..."},
        {{"calibrate", "--params", "recession"},
         "hydload calibrate: missing project file",
         "usage: hydload calibrate PROJECT.prj --observed FILE --params "
         "recession,seepage,cn-mult,..."},
        {{"calibrate", prj, "--params", "seepage=0.05:0.01"},
         "hydload calibrate: --params: \"seepage=0.05:0.01\": LOW must be below HIGH",
         "usage: hydload calibrate PROJECT.prj --observed FILE --params "
         "recession,seepage,cn-mult,..."},
        {{"calibrate", prj, "--params", "recession", "--runs", "0"},
         "hydload calibrate: --runs takes a whole number from 1 to 100000000, not \"0\"",
         "usage: hydload calibrate PROJECT.prj --observed FILE --params "
         "recession,seepage,cn-mult,..."},
        {{"calibrate", prj, "--params", "recession", "--objective", "rmse"},
         "hydload calibrate: --objective takes nse, kge or lognse, not \"rmse\"",
         "usage: hydload calibrate PROJECT.prj --observed FILE --params "
         "recession,seepage,cn-mult,..."},
        {{"calibrate", prj, "--params", "recession", "--pbias-max", "-5"},
         "hydload calibrate: --pbias-max takes a percentage of 0 or more",
         "usage: hydload calibrate PROJECT.prj --observed FILE --params "
         "recession,seepage,cn-mult,..."},
        {{"calibrate", prj, "--params", "recession", "--quiet=no"},
         "hydload calibrate: --quiet takes no value",
         "usage: hydload calibrate PROJECT.prj --observed FILE --params "
         "recession,seepage,cn-mult,..."},
        {{"sensitivity", prj, "--params", "recession", "--trajectories", "0"},
         "hydload sensitivity: --trajectories takes a whole number from 1 to 1000000, not \"0\"",
         "usage: hydload sensitivity PROJECT.prj --observed FILE --params recession,seepage,..."},
        {{"sensitivity", prj, "--params", "recession", "--seed"},
         "hydload sensitivity: --seed needs a value",
         "usage: hydload sensitivity PROJECT.prj --observed FILE --params recession,seepage,..."},
        {{"run", prj, "--precip-factor", "-0.5"},
         "hydload run: --precip-factor must not be below 0 (a factor on precipitation), not "
         "\"-0.5\"",
         "usage: hydload run PROJECT.prj [options]"},
        {{"run", prj, "--delta-temp", "1,2"},
         "hydload run: --delta-temp takes one value or twelve values (April to March) separated "
         "by commas, not \"1,2\"",
         "usage: hydload run PROJECT.prj [options]"},
        {{"batch", ctl, "--project", prj, "--out", path("o"), "--delta-temp", "warm"},
         "hydload batch: --delta-temp takes numbers, not \"warm\"",
         "usage: hydload batch CONTROL --project P.prj --name Auto --out DIR [--jobs N]"},
        {{"calibrate", prj, "--params", "recession", "--delta-temp", "2"},
         "hydload calibrate: --delta-temp is not taken here: the model is fitted to the observed "
         "flow with the weather as observed; run a changed climate with `hydload run` or "
         "`hydload ensemble` after calibrating",
         "usage: hydload calibrate PROJECT.prj --observed FILE --params "
         "recession,seepage,cn-mult,..."},
        {{"ensemble", prj, "--seed", "1", "--out", path("e")},
         "hydload ensemble: --realizations is required",
         "usage: hydload ensemble PROJECT.prj --realizations N --seed S --out DIR [options]"},
        {{"ensemble", prj, "--realizations", "0", "--seed", "1", "--out", path("e")},
         "hydload ensemble: --realizations takes a whole number from 1 to 10000, not \"0\"",
         "usage: hydload ensemble PROJECT.prj --realizations N --seed S --out DIR [options]"},
        {{"ensemble", prj, "--realizations", "2", "--seed", "1", "--out", path("e"),
          "--precip-factor", "1,1,1,1,1,1,1,1,1,1,1,-1"},
         "hydload ensemble: --precip-factor must not be below 0 (a factor on precipitation), not "
         "\"-1\"",
         "usage: hydload ensemble PROJECT.prj --realizations N --seed S --out DIR [options]"},
        {{"sensitivity", prj, "other.prj", "--params", "recession"},
         "hydload sensitivity: unexpected argument \"other.prj\"",
         "usage: hydload sensitivity PROJECT.prj --observed FILE --params recession,seepage,..."},
    };
    for (const auto& c : cases) {
        const Result r = run(c.args);
        EXPECT_EQ(r.status, 2) << c.message;
        EXPECT_THAT(r.err, StartsWith(c.message + "\n" + c.usage + "\n")) << r.err;
    }
    const Result unknown = run({"simulate"});
    EXPECT_EQ(unknown.status, 2);
    EXPECT_THAT(unknown.err, StartsWith("hydload: unknown command \"simulate\""));
}

TEST_F(Hydload, InputErrorsExitOne) {
    const struct {
        std::vector<std::string> args;
        std::string err;
    } cases[] = {
        {{"run", in("Missing.prj"), "--quiet"},
         "hydload run: Cannot open " + in("Missing.prj") + ": no such file\n"},
        {{"run", dir_.string(), "--quiet"},
         "hydload run: Cannot open " + dir_.string() + ": it is a folder, not a file\n"},
        {{"run", in("Millbrook.prj"), "--years", "30", "--pop-rate", "-0.05", "--quiet", "--out",
          path("o")},
         "hydload run: --pop-rate: -0.05 is outside the allowed range -0.03448276 or more for 30 "
         "years of linear growth; the population would be negative in year 22\n"},
        {{"septic", in("Missing.dat")},
         "hydload septic: Cannot open " + in("Missing.dat") + ": no such file\n"},
    };
    for (const auto& c : cases) {
        const Result r = run(c.args);
        EXPECT_EQ(r.status, 1) << c.err;
        EXPECT_EQ(r.err, c.err);
    }

    // A transport file named by the project but not in its folder: the
    // project's own message, then the transport message with its reason.
    fs::remove(in("Transprt.dat"));
    const Result r = run({"run", in("Millbrook.prj"), "--quiet", "--out", path("o")});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err,
              "hydload run: Transprt.dat-Your input files are not in the same directory as "
              "the project file or errors in your option file!\n"
              "hydload run: The transport file is not found, please check input files and "
              "restart!\nCannot open a file: no file name was given\n");
}

// Point sources for fewer years than the weather file holds: said in years,
// as the desktop program says it.
TEST_F(Hydload, ShortPointSourcesAreSaidInYears) {
    std::string nutrient = slurp(in("Nutrient.dat"));
    // Two years of monthly rows fewer (the file ends with its last row).
    for (int i = 0; i < 24; ++i)
        nutrient.erase(nutrient.find_last_of('\n', nutrient.size() - 2) + 1);
    spit(in("Nutrient.dat"), nutrient);
    const Result r = run({"run", in("Millbrook.prj"), "--years", "2", "--level", "3", "--quiet",
                          "--out", path("o")});
    EXPECT_EQ(r.status, 1);
    EXPECT_THAT(r.err, HasSubstr("Nutrient.dat:365: the file holds point sources for 28 years and "
                                 "the run needs 30 (the years of the weather file)"));
    EXPECT_THAT(r.err, Not(HasSubstr("expected a number")));
}

TEST_F(Hydload, EveryCommandRunsOnTheExample) {
    const std::string out = path("out");
    Result r = run({"run", in("Millbrook.prj"), "--years", "3", "--level", "4", "--out", out,
                    "--quiet", "--strict"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    const std::string results = out + "/Results.dat";
    const std::string summary = out + "/Summary.dat";

    r = run({"table", "annual", results, "--strict"});
    EXPECT_EQ(r.status, 0) << r.err;
    r = run({"table", "summary", summary, "--csv", path("Tab.csv")});
    EXPECT_EQ(r.status, 0) << r.err;
    r = run({"table", "summary", results});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err,
              "hydload table: Results.dat:2: this is a results file (as Results.dat), not a "
              "summary file (as Summary.dat)\n");

    r = run({"regroup", results, "--group", "Forest=1,2", "--background", "1,2,.1,.2", "--out",
             path("Rg1.txt")});
    EXPECT_EQ(r.status, 0) << r.err;
    r = run({"regroup", results, "--group", "=3", "--out", path("Rg2.txt")});
    EXPECT_EQ(r.status, 0) << r.err;
    r = run({"compare", path("Rg1.txt"), path("Rg2.txt"), "--row", "13", "--col", "2"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_THAT(r.out, HasSubstr("1: Rg1.txt"));

    r = run({"observed", results, in("UsgsObs.dat")});
    EXPECT_TRUE(r.status == 0 || r.status == 3) << r.err;

    r = run({"sum", results, results, "--weights", "1,0.5", "--out", path("Sum.dat")});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(fs::exists(path("Sum.dat")));

    r = run({"septic", in("SepMillbrook.dat"), "--nutrient", in("Nutrient.dat"), "--transport",
             in("Transprt.dat"), "--strict"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_THAT(r.out, HasSubstr("Pop on Normal System:"));
}

// Every bound an option's usage gives is taken at its value and refused just
// beyond it. A project that does not exist makes an accepted call end with an
// input error (1) instead of running; a refused value is a usage error (2).
TEST_F(Hydload, OptionBoundsAreTakenExactly) {
    const std::string prj = in("Missing.prj");
    const std::string out = path("o");
    const struct {
        std::vector<std::string> call;
        std::string option;
        std::vector<std::string> inside, outside;
    } cases[] = {
        {{"run", prj, "--out", out}, "--years", {"1", "32767"}, {"0", "32768", "1.5"}},
        {{"run", prj, "--out", out}, "--level", {"1", "4"}, {"0", "5"}},
        {{"run", prj, "--out", out},
         "--septic-reduction",
         {"0", "1", "-0", "1e0"},
         {"-0.001", "1.001", "1,0"}},
        {{"batch", "C.dat", "--project", prj, "--out", out},
         "--jobs",
         {"1", "1024"},
         {"0", "1025"}},
        {{"batch", "C.dat", "--project", prj, "--out", out},
         "--count",
         {"1", "32767"},
         {"0", "32768"}},
        {{"batch", "C.dat", "--project", prj, "--out", out}, "--level", {"1", "4"}, {"0", "5"}},
        {{"batch", "C.dat", "--project", prj, "--out", out},
         "--years",
         {"1", "32767"},
         {"0", "32768"}},
        {{"batch", "C.dat", "--project", prj, "--out", out},
         "--shard",
         {"0/1", "1/2", "32766/32767"},
         {"1/1", "-1/2", "0/0", "0/32768"}},
        {{"table", "monthly", in("R.dat")}, "--mode", {"0", "3"}, {"-1", "4"}},
        {{"compare", in("Rg1.txt"), "--col", "1"}, "--row", {"0", "13"}, {"-1", "14"}},
        {{"compare", in("Rg1.txt"), "--row", "1"}, "--col", {"0", "6"}, {"-1", "7"}},
        {{"calibrate", prj, "--params", "recession"}, "--runs", {"1"}, {"0"}},
        {{"calibrate", prj, "--params", "recession"}, "--jobs", {"1", "1024"}, {"0", "1025"}},
        {{"calibrate", prj, "--params", "recession"}, "--level", {"1", "4"}, {"0", "5"}},
        {{"sensitivity", prj, "--params", "recession"},
         "--trajectories",
         {"1", "1000000"},
         {"0", "1000001"}},
    };
    for (const auto& c : cases) {
        for (const bool accepted : {true, false}) {
            for (const std::string& value : accepted ? c.inside : c.outside) {
                std::vector<std::string> args = c.call;
                args.push_back(c.option);
                args.push_back(value);
                const Result r = run(args);
                const std::string call = args[0] + " " + c.option + " " + value;
                if (accepted) {
                    EXPECT_EQ(r.status, 1) << call << "\n" << r.err;
                    EXPECT_THAT(r.err, Not(HasSubstr(c.option + " "))) << call;
                } else {
                    EXPECT_EQ(r.status, 2) << call << "\n" << r.err;
                    EXPECT_THAT(r.err, StartsWith("hydload " + args[0] + ": " + c.option)) << call;
                }
            }
        }
    }
}

// Rows finish in any order on two workers; what the batch prints does not.
TEST_F(Hydload, BatchWarningsComeInRowOrder) {
    const char* transports[] = {"TrUpper.dat", "TrCedar.dat", "TrLower.dat", "Transprt.dat"};
    for (int i = 0; i < 4; ++i) {
        spit(in(transports[i]),
             slurp(in(transports[i])) + "\r\nnote of row " + std::to_string(i + 1) + "\r\n");
    }
    std::string first;
    for (int n = 0; n < 20; ++n) {
        const Result r = run({"batch", in("RunSubbasins.dat"), "--project", in("Millbrook.prj"),
                              "--out", path("b"), "--jobs", "2", "--years", "1", "--quiet"});
        ASSERT_EQ(r.status, 0) << r.err;
        if (n == 0) {
            first = r.err;
            continue;
        }
        ASSERT_EQ(r.err, first) << "run " << n + 1;
    }
    std::size_t at = 0;
    for (int i = 0; i < 4; ++i) {
        const std::string warning = "warning: " + std::string(transports[i]) + ":";
        const std::size_t found = first.find(warning);
        ASSERT_NE(found, std::string::npos) << first;
        EXPECT_GE(found, at) << transports[i] << " out of row order:\n" << first;
        at = found;
        EXPECT_NE(first.find("\"note of row " + std::to_string(i + 1) + "\"\n", found),
                  std::string::npos);
    }
}

// A set of result files is replaced whole or not at all, and each replaced
// file keeps the mode and link the user gave it.
TEST_F(Hydload, RunReplacesItsFilesWholeKeepingModeAndLinks) {
    const std::string out = path("o");
    Result r = run({"run", in("Millbrook.prj"), "--years", "1", "--quiet", "--out", out});
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string results = slurp(out + "/Results.dat");

    // Summary.dat is a folder: refused before Results.dat is touched.
    fs::remove(out + "/Summary.dat");
    fs::create_directories(out + "/Summary.dat");
    r = run({"run", in("Millbrook.prj"), "--years", "2", "--quiet", "--out", out});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err,
              "hydload run: Cannot replace " + out + "/Summary.dat: it is a folder, not a file\n");
    EXPECT_EQ(slurp(out + "/Results.dat"), results);
    fs::remove(out + "/Summary.dat");

    // Results.dat made 0640, Summary.dat a link into another folder.
    fs::permissions(out + "/Results.dat",
                    fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    fs::create_directories(path("kept"));
    spit(path("kept/Summary.dat"), "old");
    fs::create_symlink(path("kept/Summary.dat"), out + "/Summary.dat");
    r = run({"run", in("Millbrook.prj"), "--years", "2", "--quiet", "--out", out});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(slurp(out + "/Results.dat"), results);
    EXPECT_EQ(fs::status(out + "/Results.dat").permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    EXPECT_TRUE(fs::is_symlink(out + "/Summary.dat"));
    EXPECT_NE(slurp(path("kept/Summary.dat")), "old");
    EXPECT_EQ(fs::directory_iterator(path("kept"))->path().filename(), "Summary.dat");
}

TEST_F(Hydload, BatchJobsAndShards) {
    const std::string ctl = in("RunSubbasins.dat");
    const std::string prj = in("Millbrook.prj");
    Result r = run({"batch", ctl, "--project", prj, "--out", path("s0"), "--shard", "0/2", "--jobs",
                    "2", "--years", "1", "--quiet", "--strict"});
    ASSERT_EQ(r.status, 0) << r.err;
    // Rows i with i mod 2 = 0: rows 2 and 4.
    EXPECT_FALSE(fs::exists(path("s0/ResultsAuto1.dat")));
    EXPECT_TRUE(fs::exists(path("s0/ResultsAuto2.dat")));
    EXPECT_FALSE(fs::exists(path("s0/SummaryAuto3.dat")));
    EXPECT_TRUE(fs::exists(path("s0/SummaryAuto4.dat")));

    // A row naming a file that is not there: the progress line of row 1 ends
    // before the error, which names the row.
    std::string control = slurp(ctl);
    control.replace(control.find("TrCedar.dat"), 11, "TrNone.dat");
    spit(path("Bad.dat"), control);
    r = run({"batch", path("Bad.dat"), "--project", prj, "--out", path("s1"), "--jobs", "1",
             "--years", "1", "--name", "X"});
    EXPECT_EQ(r.status, 1);
    EXPECT_THAT(r.err, HasSubstr("written (ResultsX1.dat)"));
    EXPECT_THAT(r.err, HasSubstr(" s\nhydload batch: row 2: "));

    // A control row whose growth rate empties the population is refused at
    // its line when its run starts.
    control = slurp(ctl);
    control.replace(control.find(",.01,"), 5, ",-.6,");
    spit(path("Neg.dat"), control);
    r = run({"batch", path("Neg.dat"), "--project", prj, "--out", path("s2"), "--jobs", "1",
             "--years", "3", "--quiet"});
    EXPECT_EQ(r.status, 1);
    EXPECT_THAT(r.err,
                HasSubstr("hydload batch: row 2: Neg.dat:4: field 5 (population growth rate): "
                          "-0.6 is outside the allowed range -0.5 or more for 3 years of "
                          "linear growth; the population would be negative in year 3"));
}

// A batch whose names fall on another batch's files says so before its rows
// run: "Mid2" row 1 writes ResultsMid21.dat, which is "Mid"'s row 21. What a
// batch of the same name wrote earlier is replaced without a word, as long as
// it is still the file that batch wrote.
TEST_F(Hydload, BatchNamesTheFilesOfOtherBatchesItReplaces) {
    const std::string ctl = in("RunSubbasins62.dat");
    const std::string prj = in("Millbrook.prj");
    const auto batch = [&](const std::string& name, const std::string& count) {
        return run({"batch", ctl, "--project", prj, "--out", path("o"), "--name", name, "--count",
                    count, "--years", "1", "--level", "1", "--quiet", "--jobs", "2"});
    };
    Result r = batch("Mid", "21");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    const std::string mid21 = slurp(path("o/ResultsMid21.dat"));
    const std::string warning = "hydload batch: warning: " + path("o/ResultsMid21.dat") +
                                " will be replaced; an earlier batch named \"Mid2\" did not "
                                "write it\nhydload batch: warning: " +
                                path("o/SummaryMid21.dat") +
                                " will be replaced; an earlier batch named \"Mid2\" did not "
                                "write it\n";
    r = batch("Mid2", "1");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, warning);
    // Row 1 of the 62 is not row 21: the file was replaced.
    EXPECT_NE(slurp(path("o/ResultsMid21.dat")), mid21);
    // Its own files, once more: nothing to say.
    r = batch("Mid2", "1");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    // "Mid" again: row 21 is no longer the file it wrote; its other rows are.
    r = batch("Mid", "21");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "hydload batch: warning: " + path("o/ResultsMid21.dat") +
                         " will be replaced; an earlier batch named \"Mid\" did not write it\n"
                         "hydload batch: warning: " +
                         path("o/SummaryMid21.dat") +
                         " will be replaced; an earlier batch named \"Mid\" did not write it\n");
    EXPECT_EQ(slurp(path("o/ResultsMid21.dat")), mid21);
    // A file the user put under a batch's name is the user's.
    spit(path("o/ResultsMid5.dat"), "kept by hand");
    r = batch("Mid", "5");
    EXPECT_THAT(r.err, HasSubstr(path("o/ResultsMid5.dat") + " will be replaced"));
    EXPECT_THAT(r.err, Not(HasSubstr("ResultsMid4.dat")));
}

TEST_F(Hydload, ShiftedLinesWarnAndStrictRefuses) {
    std::string transport = slurp(in("Transprt.dat"));
    spit(in("Transprt.dat"), transport + "\r\nsurveyed 1998\r\n");
    Result r = run({"run", in("Millbrook.prj"), "--years", "1", "--quiet", "--out", path("o")});
    EXPECT_EQ(r.status, 0) << r.err;
    const std::string warning =
        "warning: Transprt.dat:31: text after the last record is ignored: \"surveyed 1998\"\n";
    EXPECT_THAT(r.err, StartsWith(warning));
    r = run(
        {"run", in("Millbrook.prj"), "--years", "1", "--quiet", "--out", path("o"), "--strict"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, warning +
                         "hydload run: refused under --strict: Transprt.dat:31: text after the "
                         "last record is ignored: \"surveyed 1998\"\n");

    std::string control = slurp(in("RunSubbasins.dat"));
    control.replace(control.find(",.005,"), 6, ",.005\r\n");
    spit(path("Shift.dat"), control);
    r = run({"batch", path("Shift.dat"), "--project", in("Millbrook.prj"), "--out", path("b"),
             "--strict"});
    EXPECT_EQ(r.status, 1);
    EXPECT_THAT(r.err,
                StartsWith("warning: Shift.dat:3: expected 15 fields on this line, found 5; the "
                           "values after it may be shifted\nhydload batch: refused under "
                           "--strict: Shift.dat:3:"));

    // A row's nutrient file with a line broken in two: the batch runs and
    // warns; under --strict it is refused before any row runs.
    std::string nutrient = slurp(in("NuCedar.dat"));
    nutrient.replace(nutrient.find("1100,"), 5, "1100\n");
    spit(in("NuCedar.dat"), nutrient);
    r = run({"batch", in("RunSubbasins.dat"), "--project", in("Millbrook.prj"), "--out", path("c"),
             "--years", "1", "--quiet"});
    EXPECT_EQ(r.status, 0) << r.err;
    const std::string nutrientWarning =
        "warning: NuCedar.dat:1: expected 4 fields on this line, found 2; the values after it may "
        "be shifted\n";
    // The break moves the manure line to line 3, so the comma count of line 2
    // (its own rule) reads it with 3 fields: the end of the file shows it too.
    EXPECT_THAT(r.err, StartsWith(nutrientWarning +
                                  "warning: NuCedar.dat:42: text after the last record is ignored: "
                                  "\"1.6,.4\"\n"));
    r = run({"batch", in("RunSubbasins.dat"), "--project", in("Millbrook.prj"), "--out", path("d"),
             "--years", "1", "--quiet", "--strict"});
    EXPECT_EQ(r.status, 1);
    EXPECT_THAT(r.err, StartsWith(nutrientWarning));
    EXPECT_THAT(r.err, HasSubstr("\nhydload batch: refused under --strict: NuCedar.dat:1: expected "
                                 "4 fields on this line, found 2; the values after it may be "
                                 "shifted\n"));
    EXPECT_FALSE(fs::exists(path("d/ResultsAuto1.dat")));
}

}  // namespace

namespace {

// The septic command reads the nutrient file its own way; a stray comma is
// still named at its line before the error it causes, and text after the
// last record is a warning that --strict turns into a refusal.
TEST_F(Hydload, SepticPointsOutShiftedNutrientFields) {
    const std::string nutrient = rivulon::readWholeFile(in("Nutrient.dat"));
    const std::size_t lineEnd = nutrient.find_first_of("\r\n");
    rivulon::writeFileAtomically(in("NuShifted.dat"),
                                 nutrient.substr(0, lineEnd) + ",7" + nutrient.substr(lineEnd));
    rivulon::writeFileAtomically(in("NuTail.dat"), nutrient + "surveyed 1998\n");
    const auto septic = [&](const std::string& file, bool strict) {
        std::vector<std::string> args = {"septic", in("SepMillbrook.dat"), "--nutrient",
                                         in(file), "--transport",          in("Transprt.dat")};
        if (strict)
            args.push_back("--strict");
        return run(args);
    };
    Result r = septic("NuShifted.dat", false);
    EXPECT_EQ(r.status, 1);
    EXPECT_THAT(r.err,
                HasSubstr("warning: NuShifted.dat:1: expected 4 fields on this line, found 5"));
    EXPECT_LT(r.err.find("warning:"), r.err.find("hydload septic: NuShifted.dat"));

    r = septic("NuTail.dat", false);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_THAT(r.err, HasSubstr("text after the last record is ignored: \"surveyed 1998\""));
    r = septic("NuTail.dat", true);
    EXPECT_EQ(r.status, 1);
    r = septic("Nutrient.dat", true);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
}

TEST_F(Hydload, RunWritesTheDailyValuesWithItsResults) {
    Result r = run({"run", in("Millbrook.prj"), "--years", "2", "--level", "3", "--out",
                    path("out"), "--daily", path("out/Daily.csv"), "--quiet"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_THAT(r.out, HasSubstr("wrote " + path("out/Daily.csv")));
    std::istringstream lines(slurp(path("out/Daily.csv")));
    std::string line;
    std::getline(lines, line);
    EXPECT_EQ(line,
              "date,precipitation (cm),temperature (\u00B0C),snowmelt (cm),evapotranspiration "
              "(cm),runoff (cm),streamflow (cm),erosion (t),sediment (t),dissolved N (kg),total "
              "N (kg),dissolved P (kg),total P (kg)\r");
    std::getline(lines, line);
    EXPECT_THAT(line, StartsWith("1990-04-01,.35,10.2,0,"));
    int days = 1;
    std::string last;
    while (std::getline(lines, line)) {
        ++days;
        last = line;
    }
    EXPECT_EQ(days, 730);
    EXPECT_THAT(last, StartsWith("1992-03-31,"));

    // Written year by year beside the run, the file of the example's 30 years
    // is byte for byte the one it ships; nothing else is left in the folder.
    r = run({"run", in("Millbrook.prj"), "--years", "30", "--level", "4", "--out", path("out30"),
             "--daily", path("out30/Daily.csv"), "--quiet"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(slurp(path("out30/Daily.csv")) == slurp(in("Daily.csv")));
    EXPECT_EQ(std::distance(fs::directory_iterator(path("out30")), fs::directory_iterator()), 3);

    // Never over an input file, and nothing written then.
    r = run({"run", in("Millbrook.prj"), "--years", "1", "--out", path("out2"), "--daily",
             in("Weather.dat"), "--quiet"});
    EXPECT_EQ(r.status, 1);
    EXPECT_THAT(r.err, HasSubstr("Weather.dat"));
    EXPECT_FALSE(fs::exists(path("out2/Results.dat")));
}

TEST_F(Hydload, DurationPrintsAndWritesThePercentsAndZones) {
    // Flows 3 1 4 1 5 cm and P loads; at .5 mg/l over 100 ha the allowable
    // load is 5 kg a cm of flow (worked out in the core's tests).
    spit(path("D.csv"),
         "day,precipitation (cm),temperature (\u00B0C),snowmelt (cm),evapotranspiration (cm),"
         "runoff (cm),streamflow (cm),erosion (t),sediment (t),dissolved N (kg),total N (kg),"
         "dissolved P (kg),total P (kg)\r\n"
         "1,0,1,0,0,0,3,0,0,0,0,0,10\r\n2,0,1,0,0,0,1,0,0,0,0,0,3\r\n"
         "3,0,1,0,0,0,4,0,0,0,0,0,50\r\n4,0,1,0,0,0,1,0,0,0,0,0,1\r\n"
         "5,0,1,0,0,0,5,0,0,0,0,0,50\r\n");
    Result r = run({"duration", path("D.csv"), "--series", "phosphorus", "--target-conc", ".5",
                    "--area", "100", "--csv", path("ldc.csv")});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_THAT(r.out, HasSubstr("5 days, total P (kg), target .5 mg/l over 100 ha"));
    EXPECT_THAT(r.out, HasSubstr("Moist conditions"));
    const std::string csv = slurp(path("ldc.csv"));
    EXPECT_THAT(csv, StartsWith("percent,value\r\n1,50\r\n5,50\r\n10,50\r\n25,50\r\n40,34\r\n"));
    EXPECT_THAT(csv, HasSubstr("\r\nMoist conditions,10,40,2,5,3.6,27.5,100\r\n"));
    EXPECT_THAT(csv, HasSubstr("\r\npercent,allowable load (kg/day)\r\n1,25\r\n"));

    // The flow curve needs no area.
    r = run({"duration", path("D.csv")});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_THAT(r.out, HasSubstr("High flows"));

    r = run({"duration", path("D.csv"), "--series", "sediment"});
    EXPECT_EQ(r.status, 2);
    EXPECT_THAT(r.err, HasSubstr("--series is streamflow, nitrogen or phosphorus"));
    r = run({"duration", path("D.csv"), "--series", "nitrogen", "--target-conc", "2"});
    EXPECT_EQ(r.status, 2);
    EXPECT_THAT(r.err, HasSubstr("--target-conc needs the watershed area"));
    // The area of the example project: 32400 ha.
    r = run({"duration", path("D.csv"), "--series", "nitrogen", "--target-conc", "2", "--project",
             in("Millbrook.prj")});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_THAT(r.out, HasSubstr("over 32400 ha"));
    r = run({"duration", in("Weather.dat")});
    EXPECT_EQ(r.status, 1);
    EXPECT_THAT(r.err, HasSubstr("not a daily file"));
}

}  // namespace

namespace {

// The weather file with every value changed as a person would change it in an
// editor: temperatures plus `shift`, precipitation times `factor`, written
// with the few digits they need.
std::string changedByHand(const std::string& weather, double shift, double factor) {
    std::string out;
    std::istringstream lines(weather);
    std::string line;
    while (std::getline(lines, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        const auto comma = line.find(',');
        if (comma == std::string::npos || line.find('/') != std::string::npos) {
            out += line + "\n";  // a month header, dated or not
            continue;
        }
        char buf[64];
        std::snprintf(buf, sizeof buf, "%.6g,%.6g\n", std::stod(line.substr(0, comma)) + shift,
                      std::stod(line.substr(comma + 1)) * factor);
        out += buf;
    }
    return out;
}

}  // namespace

TEST_F(Hydload, AClimateChangeIsTheRunOnAWeatherFileChangedByHand) {
    const std::string prj = in("Millbrook.prj");
    Result r = run({"run", prj, "--years", "5", "--level", "4", "--out", path("plain"), "--quiet"});
    ASSERT_EQ(r.status, 0) << r.err;
    r = run({"run", prj, "--years", "5", "--level", "4", "--out", path("zero"), "--quiet",
             "--delta-temp", "0", "--precip-factor", "1"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_THAT(r.out, Not(HasSubstr("Climate change")));
    for (const char* f : {"Results.dat", "Summary.dat"})
        EXPECT_EQ(slurp(path(std::string("zero/") + f)), slurp(path(std::string("plain/") + f)))
            << f;

    r = run({"run", prj, "--years", "5", "--level", "4", "--out", path("delta"), "--quiet",
             "--delta-temp", "1.5", "--precip-factor", "1.1"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_THAT(r.out, HasSubstr("  Climate change: temperature +1.5 degC, precipitation x 1.1\n"));
    EXPECT_NE(slurp(path("delta/Results.dat")), slurp(path("plain/Results.dat")));

    // The same scenario on a changed copy of the weather file, named in a
    // copy of the project.
    spit(in("WeatherWarm.dat"), changedByHand(slurp(in("Weather.dat")), 1.5, 1.1));
    std::string project = slurp(prj);
    project.replace(project.find("\"Weather.dat\""), 13, "\"WeatherWarm.dat\"");
    spit(in("Warm.prj"), project);
    r = run(
        {"run", in("Warm.prj"), "--years", "5", "--level", "4", "--out", path("hand"), "--quiet"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(slurp(path("hand/Results.dat")), slurp(path("delta/Results.dat")));
    EXPECT_EQ(slurp(path("hand/Summary.dat")), slurp(path("delta/Summary.dat")));

    // A batch takes the same change for every row.
    r = run({"batch", in("RunSubbasins.dat"), "--project", prj, "--out", path("b0"), "--count", "1",
             "--years", "2", "--quiet"});
    ASSERT_EQ(r.status, 0) << r.err;
    r = run({"batch", in("RunSubbasins.dat"), "--project", prj, "--out", path("b1"), "--count", "1",
             "--years", "2", "--quiet", "--precip-factor", "0"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(slurp(path("b0/ResultsAuto1.dat")), slurp(path("b1/ResultsAuto1.dat")));
}

TEST_F(Hydload, EnsembleWritesTheSameBandsWithAnyJobCount) {
    const std::string prj = in("Millbrook.prj");
    Result r = run({"ensemble", prj, "--realizations", "5", "--seed", "9", "--years", "2",
                    "--level", "3", "--jobs", "1", "--out", path("e1"), "--quiet"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    EXPECT_THAT(r.out, HasSubstr("5 generated series of 2 years at level 3 (seeds 9 to 13)"));
    r = run({"ensemble", prj, "--realizations", "5", "--seed", "9", "--years", "2", "--level", "3",
             "--jobs", "2", "--out", path("e2"), "--quiet"});
    ASSERT_EQ(r.status, 0) << r.err;
    for (const char* f : {"bands.csv", "annual_bands.csv", "summary.csv", "weather_model.json"}) {
        const std::string one = slurp(path(std::string("e1/") + f));
        EXPECT_FALSE(one.empty()) << f;
        EXPECT_EQ(one, slurp(path(std::string("e2/") + f))) << f;
    }
    EXPECT_THAT(slurp(path("e1/bands.csv")),
                StartsWith("month,precip_cm_p5,precip_cm_p25,precip_cm_p50,precip_cm_p75,"
                           "precip_cm_p95,et_cm_p5,"));
    // 24 months and the heading.
    const std::string bands = slurp(path("e1/bands.csv"));
    EXPECT_EQ(std::count(bands.begin(), bands.end(), '\n'), 25);
}
