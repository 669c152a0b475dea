#include <chrono>
#include <cstdio>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "command_registry.h"
#include "common/atomic_file.h"
#include "common/list_reader.h"
#include "common/paths.h"
#include "scenarios/batch.h"
#include "scenarios/control_file.h"
#include "scenarios/project_batch.h"

namespace {

int wholeNumber(const std::string& option, const std::string& text, int low) {
    float v = 0;
    if (!rivulon::parseReal(text, v) || v != static_cast<float>(static_cast<int>(v)) || v < low)
        throw std::invalid_argument(option + " takes a whole number of at least " +
                                    std::to_string(low) + ", not \"" + text + "\"");
    return static_cast<int>(v);
}

// "K/N": this machine's share of the rows.
void parseShard(const std::string& text, int& index, int& count) {
    const auto slash = text.find('/');
    if (slash == std::string::npos)
        throw std::invalid_argument("--shard takes K/N, not \"" + text + "\"");
    index = wholeNumber("--shard", text.substr(0, slash), 0);
    count = wholeNumber("--shard", text.substr(slash + 1), 1);
    if (index >= count)
        throw std::invalid_argument("--shard K/N needs K below N, not \"" + text + "\"");
}

int runBatchCommand(const std::vector<std::string>& args) {
    std::string control, project, out;
    rivulon::BatchSettings settings;
    settings.requestedCount = 32767;
    settings.jobs = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    int years = 0;  // 0: the whole years of the project's weather file
    int level = 4;
    bool quiet = false;
    bool nameGiven = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto value = [&]() -> const std::string& {
            if (i + 1 >= args.size())
                throw std::invalid_argument(a + " needs a value");
            return args[++i];
        };
        if (a == "--project") {
            project = value();
        } else if (a == "--name") {
            settings.nameString = value();
            nameGiven = true;
        } else if (a == "--out") {
            out = value();
        } else if (a == "--jobs") {
            settings.jobs = wholeNumber(a, value(), 1);
        } else if (a == "--shard") {
            parseShard(value(), settings.shardIndex, settings.shardCount);
        } else if (a == "--count") {
            settings.requestedCount = wholeNumber(a, value(), 1);
        } else if (a == "--years") {
            years = wholeNumber(a, value(), 1);
        } else if (a == "--level") {
            level = wholeNumber(a, value(), 1);
            if (level > 4)
                throw std::invalid_argument("--level takes 1, 2, 3 or 4");
        } else if (a == "--quiet") {
            quiet = true;
        } else if (!a.empty() && a[0] == '-') {
            throw std::invalid_argument("unknown option " + a);
        } else if (control.empty()) {
            control = a;
        } else {
            throw std::invalid_argument("unexpected argument \"" + a + "\"");
        }
    }
    if (control.empty() || project.empty() || out.empty()) {
        std::fprintf(
            stderr,
            "usage: hydload batch CONTROL --project P.prj --name Auto --out DIR [--jobs N]\n"
            "       [--shard K/N] [--count N] [--years N] [--level 1-4] [--quiet]\n");
        return 2;
    }
    if (!nameGiven)
        settings.nameString = "Auto";
    std::filesystem::create_directories(out);
    settings.outputFolder = out;

    const rivulon::BatchProject base = rivulon::loadBatchProject(project, out);
    for (const auto& m : base.messages)
        std::fprintf(stderr, "hydload batch: %s\n", m.c_str());
    // A relative control file that is not found here is looked for in the
    // project's folder, where the batch window looks for it.
    if (!rivulon::fileExists(control) && !control.empty() && control[0] != '/' &&
        rivulon::fileExists(rivulon::joinPath(base.settings.inputFolder, control)))
        control = rivulon::joinPath(base.settings.inputFolder, control);
    const rivulon::ControlFile file = rivulon::readControlFile(control);

    rivulon::RunRequest request;
    request.yearCount =
        static_cast<std::int16_t>(years > 0 ? years : std::max<int>(1, base.settings.weatherYears));
    request.simLevel = static_cast<std::int16_t>(level);

    const auto claim = rivulon::claimOutputFolder(
        out, rivulon::batchOutputPaths(file, settings),
        rivulon::batchInputPaths(base, file, control), rivulon::OutputFolderLock::Mode::Wait,
        [&] {
            std::fprintf(stderr, "hydload batch: %s\n",
                         rivulon::waitingForFolderMessage(out).c_str());
        },
        settings.shardCount > 1);  // the shards of one batch write disjoint rows side by side

    const auto start = std::chrono::steady_clock::now();
    rivulon::BatchObserver observer;
    if (!quiet) {
        observer.rowWritten = [&](int row, int done, int total) {
            const double s =
                std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
            std::fprintf(stderr, "\r[%d/%d] row %d written (%s)  %.1f s", done, total, row,
                         rivulon::batchResultsName(settings.nameString, row).c_str(), s);
            if (done == total)
                std::fputc('\n', stderr);
            std::fflush(stderr);
        };
    }
    const rivulon::BatchOutcome outcome =
        rivulon::runBatch(file, settings, rivulon::projectRowRunner(base, request), observer);
    if (!outcome.ok()) {
        if (!quiet && outcome.rowsWritten > 0)
            std::fputc('\n', stderr);
        std::fprintf(stderr, "hydload batch: row %d: %s\n", outcome.failedRow,
                     outcome.error.c_str());
        std::fprintf(stderr, "hydload batch: %d row(s) before it kept their files\n",
                     outcome.rowsWritten);
        if (!outcome.olderFiles.empty()) {
            std::fprintf(stderr,
                         "hydload batch: these files of rows %d and after are from an earlier "
                         "batch and were left as they were; do not sum them with this one:\n",
                         outcome.failedRow);
            for (const auto& f : outcome.olderFiles)
                std::fprintf(stderr, "  %s\n", f.c_str());
        }
        return 1;
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("%d row(s) run, %d files written to %s in %.2f s\n", outcome.rowsWritten,
                static_cast<int>(outcome.filesWritten.size()), out.c_str(), seconds);
    return 0;
}

const hydload::Registrar reg{{
    "batch",
    "run the model for every row of a sub-basin control file",
    "usage: hydload batch CONTROL --project P.prj --name Auto --out DIR [--jobs N]\n"
    "                     [--shard K/N] [--count N] [--years N] [--level 1-4] [--quiet]\n\n"
    "Runs the model once per row of the control file (row count; a heading of 15\n"
    "fields; rows of watershed name, transport, nutrient and weather file, growth\n"
    "rate, seepage on, max seepage coefficient, daily and annual seepage,\n"
    "variable concentration on, a, b, lower and upper limit, septic N reduction)\n"
    "and writes Results<name><i>.dat and Summary<name><i>.dat into DIR.\n"
    "File names in the rows are taken in the project's folder. Settings a row\n"
    "does not name come from the project. The first failing row stops the batch;\n"
    "rows before it keep their files and its error is shown.\n\n"
    "  --name S      text between Results/Summary and the row number (Auto)\n"
    "  --jobs N      rows run at the same time (default: the number of cores);\n"
    "                the files are the same, byte for byte, as with --jobs 1\n"
    "  --shard K/N   run only the rows i with i mod N = K, for spreading one\n"
    "                control file over machines (e.g. a Slurm job array)\n"
    "  --count N     run at most the first N rows\n"
    "  --years N     years to simulate (default: the weather file's whole years)\n"
    "  --level L     1 flow, 2 + sediment, 3 + nutrients, 4 + septic (default 4)",
    runBatchCommand,
}};

}  // namespace
