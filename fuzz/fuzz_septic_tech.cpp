#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>

#include "common/read_error.h"
#include "scenarios/nutrient_septic.h"
#include "scenarios/septic_calc.h"
#include "scenarios/septic_technology.h"

// The technology file and the septic section of a nutrient file: any bytes
// read or fail with a ReadError; the arithmetic refuses what it cannot hold.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    try {
        const rivulon::SepticTechTable t = rivulon::parseSepticTechText("SepFuzz.dat", text);
        rivulon::parseSepticTechText("SepFuzz.dat", rivulon::septicTechFileText(t));
        const rivulon::SepticOverall o = rivulon::computeSepticOverall(t);
        rivulon::splitPopulation(1200.0f, 240.0f, o.failureSum);
    } catch (const rivulon::ReadError&) {
    } catch (const std::domain_error&) {
    }
    try {
        const rivulon::NutrientSeptic s = rivulon::readNutrientSeptic("Nutrient.dat", text);
        const std::string out = rivulon::withSepticPopulation(text, s, {108, 1092});
        rivulon::readNutrientSeptic("Nutrient.dat", out);
    } catch (const rivulon::ReadError&) {
    }
    return 0;
}
