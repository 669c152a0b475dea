#include "engine/erosion.h"

namespace rivulon {

void yearlySedimentYield(ModelState& state, int year) {
    const WatershedSetup& w = state.watershed;
    RunResults& r = state.results;
    MonthArray& sediment = r.sediment[year];
    MonthArray& erosion = r.erosion[year];
    const MonthArray& transport = r.transportQ[year];

    // tail[m]: transport capacity left from month m to March.
    MonthArray tail{};
    for (int m = 1; m <= 12; ++m) {
        float sum = 0;
        for (int j = m; j <= 12; ++j)
            sum += transport[j];
        tail[m] = sum;
        // Erosion of a month with no capacity left is never delivered.
        for (int j = 1; j <= m; ++j) {
            if (tail[j] > 0)
                sediment[m] += erosion[j] / tail[j];
        }
        sediment[m] = w.sedDeliveryRatio * transport[m] * sediment[m];
        sediment[0] += sediment[m];
        erosion[0] += erosion[m];
        for (int k = 1; k <= w.ruralCount; ++k)
            r.luErosion[year][k] += r.luSolidsMonth[k][m];
    }
}

}  // namespace rivulon
