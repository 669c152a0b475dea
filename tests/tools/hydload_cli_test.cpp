// Every subcommand of hydload, run as a process on a copy of the example:
// a usage error exits 2 with the command's usage line, an input error 1, a
// valid call 0. The texts on standard error are checked word for word.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <unistd.h>

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

}  // namespace
