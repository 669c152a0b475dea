#include <cstddef>
#include <cstdint>
#include <string>

#include "common/read_error.h"
#include "project/nutrient_file.h"
#include "project/nutrient_matrix.h"
#include "project/nutrient_table.h"

// The run's reader, the editor's reader and writer and the matrix block reader
// on any bytes: they read or fail with a ReadError (or the matrix refusal),
// never crash. The first two bytes choose the land-use counts.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2)
        return 0;
    rivulon::WatershedSetup ws;
    ws.ruralCount = data[0] % 5;
    ws.urbanCount = data[1] % 4;
    ws.landUseCount = static_cast<std::int16_t>(ws.ruralCount + ws.urbanCount);
    ws.resizeLandUses(ws.landUseCount);
    const std::string text(reinterpret_cast<const char*>(data + 2), size - 2);

    rivulon::NutrientSetup ns;
    try {
        rivulon::readNutrientText("fuzz.dat", text, ws, 1 + data[0] % 3, ns);
    } catch (const rivulon::ReadError&) {
    }

    rivulon::NutrientTable table;
    try {
        rivulon::readNutrientTableText(
            "fuzz.dat", text, ws.ruralCount, ws.urbanCount, [&] { return 1 + data[1] % 3; }, table);
        const std::string saved = rivulon::nutrientFileText(table);
        rivulon::NutrientTable back;
        rivulon::readNutrientTableText(
            "saved.dat", saved, ws.ruralCount, ws.urbanCount, [&] { return 1 + data[1] % 3; },
            back);
    } catch (const rivulon::ReadError&) {
    } catch (const rivulon::FileError&) {
    }

    rivulon::NutrientMatrix matrix;
    try {
        rivulon::readMatrixBlockText("fuzz.dat", text, ws.landUseCount, matrix);
    } catch (const rivulon::ReadError&) {
    } catch (const rivulon::MatrixBlockError&) {
    }
    return 0;
}
