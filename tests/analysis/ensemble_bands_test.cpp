// The bands behind the results window's charts: which output each chart of
// the annual and monthly cycles takes, in the chart's units.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "analysis/ensemble_bands.h"

namespace rivulon {
namespace {

using ::testing::ElementsAre;

EnsembleBands sample() {
    EnsembleBands b;
    b.years = 2;
    for (const char* name : {"streamflow_cm", "sediment_t", "tot_n_kg", "tot_oc_kg", "tot_p_kg"}) {
        OutputBands o;
        o.name = name;
        for (int k = 0; k < 24; ++k)
            o.monthly.push_back({1000.0f * k, 2000, 3000, 4000, 5000});
        o.annual = {{10, 20, 30, 40, 50}, {60, 70, 80, 90, 100}};
        b.outputs.push_back(o);
    }
    b.outputs[2].monthly[0][0] = 7;  // tells N from OC
    return b;
}

TEST(EnsembleBands, EachChartTakesItsOutputInItsUnits) {
    const EnsembleBands b = sample();
    // Streamflow stays in cm.
    auto flow = chartBands(b, true, 0, false, 24);
    ASSERT_EQ(flow.size(), 24u);
    EXPECT_THAT(flow[1], ElementsAre(1000, 2000, 3000, 4000, 5000));
    // Total P, total N and sediment go from kg and t to t and 1000 t.
    EXPECT_THAT(chartBands(b, false, 1, false, 2)[1], ElementsAre(.06f, .07f, .08f, .09f, .1f));
    EXPECT_FLOAT_EQ(chartBands(b, true, 2, false, 24)[0][0], .007f);
    EXPECT_FLOAT_EQ(chartBands(b, true, 2, true, 24)[0][0], 0);  // organic C
    EXPECT_THAT(chartBands(b, false, 3, false, 2)[0], ElementsAre(.01f, .02f, .03f, .04f, .05f));
    // A chart of fewer points takes the first ones; unknown charts take none.
    EXPECT_EQ(chartBands(b, true, 0, false, 12).size(), 12u);
    EXPECT_EQ(chartBands(b, false, 0, false, 30).size(), 2u);
    EXPECT_TRUE(chartBands(b, true, 4, false, 24).empty());
    EnsembleBands flowOnly = b;
    flowOnly.outputs.resize(1);
    EXPECT_TRUE(chartBands(flowOnly, true, 3, false, 24).empty());
}

TEST(EnsembleBands, PercentilesInterpolateBetweenSortedValues) {
    EXPECT_THAT(bandPercentiles({5, 1, 4, 2, 3}), ElementsAre(1.2f, 2, 3, 4, 4.8f));
    EXPECT_THAT(bandPercentiles({7}), ElementsAre(7, 7, 7, 7, 7));
    EXPECT_THAT(bandPercentiles({}), ElementsAre(0, 0, 0, 0, 0));
    EXPECT_THAT(bandPercentiles({2, 2, 1}), ElementsAre(1.1f, 1.5f, 2, 2, 2));
}

}  // namespace
}  // namespace rivulon
