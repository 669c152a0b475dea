#include <cstdio>
#include <exception>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "analysis/value_format.h"
#include "args.h"
#include "command_registry.h"
#include "common/atomic_file.h"
#include "common/number_format.h"
#include "engine/model_state.h"
#include "project/transport_file.h"
#include "scenarios/nutrient_septic.h"
#include "scenarios/septic_calc.h"
#include "scenarios/septic_technology.h"

namespace {

int runSeptic(const std::vector<std::string>& args) {
    const hydload::Args cli(args, {"--strict"}, {"--nutrient", "--transport", "--write"});
    cli.expectOperands(1, 1, "technology file");
    const std::string& techFile = cli.operands()[0];
    const std::string nutrient = cli.value("--nutrient").value_or("");
    const std::string transport = cli.value("--transport").value_or("");
    const std::string write = cli.value("--write").value_or("");
    const bool strict = cli.flag("--strict");
    if (!write.empty() && nutrient.empty())
        throw hydload::UsageError("--write needs --nutrient");

    std::vector<std::string> warnings;
    const rivulon::SepticTechTable table = rivulon::readSepticTechFile(techFile, &warnings);
    hydload::reportWarnings(warnings, strict);
    const rivulon::SepticOverall o = rivulon::computeSepticOverall(table);
    if (o.shareWarning)
        std::fprintf(stderr, "%s\n", rivulon::kShareWarning);

    std::printf("%s\n", o.efficiencyLabel.c_str());
    std::printf("Load Reduction (%%): %s\n", o.reductionText.c_str());
    std::printf("N reduction fraction: %s\n", rivulon::plainNumber(o.nReduction).c_str());
    std::printf("S = %s, W = %d, E = %s, F = %s\n", rivulon::formatReal(o.shareSum).c_str(),
                o.weighted, rivulon::formatReal(o.efficiencySum).c_str(),
                rivulon::formatReal(o.failureSum).c_str());
    std::printf("%% Pop. Using the System: %s\n", o.shareText.c_str());
    std::printf("System Failure (%%): %s\n", o.failureText.c_str());
    std::printf("Septic reduction: %s\n", o.septicOn ? "on" : "off");

    if (nutrient.empty())
        return 0;
    std::optional<int> landUses;
    std::optional<rivulon::WatershedSetup> watershed;
    if (!transport.empty()) {
        rivulon::WatershedSetup ws;
        std::vector<std::string> transportWarnings;
        rivulon::readTransportFile(transport, ws, &transportWarnings);
        hydload::reportWarnings(transportWarnings, strict);
        landUses = ws.landUseCount;
        watershed = ws;
    }
    const std::string content = rivulon::readWholeFile(nutrient);
    // A shifted field makes the septic section unreadable; the line that
    // shifted it is named first.
    rivulon::NutrientSeptic septic;
    std::exception_ptr failure;
    try {
        septic = rivulon::readNutrientSeptic(nutrient, content, landUses);
    } catch (const std::exception&) {
        failure = std::current_exception();
    }
    if (watershed) {
        const std::vector<std::string> nutrientWarnings = rivulon::nutrientLayoutWarnings(
            nutrient, content, *watershed, failure ? 1 : septic.pointYears);
        hydload::reportWarnings(nutrientWarnings, strict && !failure);
    }
    if (failure) {
        std::rethrow_exception(failure);
    }
    const float n = septic.normalSum();
    const float p = septic.pondedSum();
    float s = 0.0f, d = 0.0f;
    for (int m = 1; m <= 12; ++m) {
        s = s + septic.shortCircuitPop[m];
        d = d + septic.directPop[m];
    }
    std::printf("Current Population: %s\n", rivulon::formatReal((n + p + s + d) / 12.0f).c_str());
    std::printf("Now on Normal System: %s, on Ponded System: %s\n",
                rivulon::formatReal(n / 12.0f).c_str(), rivulon::formatReal(p / 12.0f).c_str());
    const rivulon::SepticSplit split = rivulon::splitPopulation(n, p, o.failureSum);
    std::printf("Pop on Normal System: %d\n", split.normal);
    std::printf("Pop on Ponded System: %d\n", split.ponded);
    const rivulon::SepticSplit monthly =
        rivulon::monthlySepticPopulation(n, p, o.failureSum / 10000.0f);
    std::printf("Monthly populations to write: normal %d, ponded %d\n", monthly.normal,
                monthly.ponded);
    if (!write.empty()) {
        rivulon::writeFileAtomically(write,
                                     rivulon::withSepticPopulation(content, septic, monthly));
        std::printf("Nutrient file with the new populations written to %s\n", write.c_str());
    }
    return 0;
}

const hydload::Registrar reg{{
    "septic",
    "overall septic N reduction and population split from a technology file",
    "usage: hydload septic TECHFILE [--nutrient N.dat [--transport T.dat] [--write OUT.dat]]\n"
    "                      [--strict]\n\n"
    "Reads a septic technology file (\"SepticData\", count; headings; one line\n"
    "per technology: name, N load reduction %, population share %, failure %)\n"
    "and prints what the septic window's Set command derives: the overall\n"
    "normal-system N reduction (E / W, in percent and as the fraction a run\n"
    "applies), S = sum of shares, W = sum of (100 - failure) x share (kept in\n"
    "16 bits), E = sum of (100 - failure) x share x reduction, F = sum of\n"
    "share x failure.\n\n"
    "  --nutrient N.dat  also split the septic population of the nutrient file\n"
    "                    between normal and ponded (failing) systems\n"
    "  --transport T.dat the transport file that goes with it, to place the\n"
    "                    septic section; without it the land-use count is worked\n"
    "                    out from the nutrient file's shape\n"
    "  --write OUT.dat   write the nutrient file with every month's normal and\n"
    "                    ponded population replaced by the new split\n"
    "  --strict          refuse a file whose lines do not hold the fields of its\n"
    "                    written layout",
    runSeptic,
}};

}  // namespace
