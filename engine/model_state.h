#pragma once

// The record one run works on: what the input readers fill, what the daily
// model updates and what the result writers save. Indices follow the model's
// files: months 1..12 are April..March and month 0 holds the year total; years
// run 1..yearCount (year 0 holds means where a reader fills it); land uses run
// 1..landUseCount, the first ruralCount rural, the rest urban. Index 0 of a
// land-use dimension is unused.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/run_options.h"

namespace rivulon {

using MonthArray = std::array<float, 13>;                  // [0..12]
using YearMonthTable = std::vector<MonthArray>;            // [0..yearCount][0..12]
using YearLandUseTable = std::vector<std::vector<float>>;  // [0..yearCount][0..landUseCount]

// Filled by the transport-file reader; the run updates the storages in place.
struct WatershedSetup {
    std::int16_t ruralCount = 0;
    std::int16_t urbanCount = 0;
    std::int16_t landUseCount = 0;  // ruralCount + urbanCount

    float recessionCoef = 0;     // 1/day, groundwater recession
    float seepageCoef = 0;       // 1/day, normal deep seepage
    float unsatStorage = 0;      // cm, unsaturated zone (initial, then running)
    float satStorage = 0;        // cm, shallow saturated zone (initial, then running)
    float snowStorage = 0;       // cm of water (initial, then running)
    float sedDeliveryRatio = 0;  // fraction
    float unsatCapacity = 0;     // cm, available water capacity

    std::array<float, 6> antecedentWater{};  // cm, [1] = yesterday .. [5] = five days ago

    std::array<std::string, 13> monthName{};  // [1..12], labels Apr..Mar
    MonthArray etCoverCoef{};                 // ET cover coefficient
    MonthArray dayLength{};                   // hours
    MonthArray growingSeason{};               // 1 in growing-season months, else 0
    MonthArray erosivityCoef{};

    std::vector<std::string> landUseName;           // [1..landUseCount]
    std::vector<float> area;                        // ha, [1..landUseCount]
    std::vector<std::array<float, 4>> curveNumber;  // [k][1..3]: classes I, II (read), III
    std::vector<float> erosionProduct;              // K*LS*C*P, rural only

    float totalArea = 0;  // ha, computed at the start of every run

    // Sizes the per-land-use arrays for n land uses (index 0 unused).
    void resizeLandUses(int n) {
        landUseName.assign(n + 1, std::string());
        area.assign(n + 1, 0.0f);
        curveNumber.assign(n + 1, std::array<float, 4>{});
        erosionProduct.assign(n + 1, 0.0f);
    }
};

// Filled by the nutrient-file reader or by the nutrient data matrix.
struct NutrientSetup {
    float sedimentN = 0, sedimentP = 0;        // mg/kg in delivered sediment
    float groundwaterN = 0, groundwaterP = 0;  // mg/l in groundwater discharge
    float manuredCount = 0;  // land uses 1..manuredCount are manured (compared as a real)
    std::int16_t manureStart = 0, manureEnd = 0;    // model months; may wrap past March
    std::int16_t manureStart2 = 0, manureEnd2 = 0;  // 0, 0 when there is no second period

    // Monthly values by land use [k][m]; the nutrient file gives one value per
    // land use, stored for all twelve months, the data matrix one per month.
    std::vector<MonthArray> runoffN, runoffP;           // mg/l, rural land uses
    std::vector<MonthArray> buildupN, buildupP;         // kg/ha/day, urban land uses
    std::vector<float> manuredRunoffN, manuredRunoffP;  // mg/l, [1..manured land uses]

    YearMonthTable pointN, pointP;  // kg per month, [year][month]

    MonthArray normalPop{}, pondedPop{}, shortCircuitPop{}, directPop{};  // persons
    float perCapitaN = 0, perCapitaP = 0;                                 // g/person/day
    float uptakeN = 0, uptakeP = 0;  // g/person/day in growing-season months

    void resizeLandUses(int n) {
        runoffN.assign(n + 1, MonthArray{});
        runoffP.assign(n + 1, MonthArray{});
        buildupN.assign(n + 1, MonthArray{});
        buildupP.assign(n + 1, MonthArray{});
    }
};

// One month of daily weather as the weather file gives it.
struct WeatherMonth {
    float days = 0;                // whole numbers, 0..31
    std::array<float, 32> temp{};  // degC, [1..days]
    std::array<float, 32> prec{};  // cm, [1..days]
};
using WeatherYear = std::array<WeatherMonth, 13>;  // [1..12]

// What the daily routines set; read by the run, the graphs and the observers.
struct DailyState {
    float rain = 0;    // cm falling as rain (0 on freezing days)
    float melt = 0;    // cm of snowmelt
    float water = 0;   // rain + melt
    float runoff = 0;  // cm, area-weighted
    float et = 0;      // cm, after the unsaturated-storage limit
    float erosivity = 0;
    float antecedent5 = 0;            // cm, sum of antecedentWater[1..5]
    std::vector<float> urbanBuildup;  // [k], days of accumulation
    float seepDeficit = 0;            // cm, <= 0
    float seepFactor = 0;             // 0..1
    // The day's weather and water balance terms, for the observers, the septic
    // step and the balance checks.
    float temperature = 0;    // degC
    float precipitation = 0;  // cm, rain or snow
    float infiltration = 0;   // cm, water - runoff
    float groundwater = 0;    // cm, discharge G
    float seepage = 0;        // cm, deep seepage D
    float percolation = 0;    // cm
    float streamflow = 0;     // cm, runoff + G
    // What the day added per land use and in all, for the daily record: the
    // runoff of each land use (cm, 0 on days without runoff) and the wash-off
    // of each urban land use (days of accumulation), [k]; the erosion of all
    // rural land uses (t).
    std::vector<float> landUseRunoff;
    std::vector<float> landUseWashoff;
    float erosion = 0;
    float transport = 0;  // the day's transport capacity, cm^1.67
    // The day's septic terms (level 4): ponded effluent released (g), and the
    // per-person loads of normal, short-circuited and direct systems (g).
    float pondedReleaseN = 0, pondedReleaseP = 0;
    float normalPerCapN = 0;
    float shortPerCapN = 0, shortPerCapP = 0;
    float directPerCapN = 0, directPerCapP = 0;
};

// Working values of the nutrient step, owned by the run.
struct NutrientWork {
    float concCoef = 1.0f;       // variable concentration coefficient
    MonthArray monthConcCoef{};  // the coefficient each month of the year took
    float growthFactor = 1.0f;   // septic population factor of the current year
    // Per month of the current year, cleared at the start of the month.
    MonthArray normalPerCapN{};                   // g per person (then g, once spread)
    MonthArray shortPerCapN{}, shortPerCapP{};    // g per person
    MonthArray directPerCapN{}, directPerCapP{};  // g per person
    MonthArray pondedN{}, pondedP{};              // g, population included
    float annualNormalN = 0;                      // g of normal-system N this year
    float pondedStoreN = 0, pondedStoreP = 0;     // g of frozen ponded effluent held back
};

// Accumulated by the run; saved by the result writers.
struct RunResults {
    YearMonthTable flow, precip, evapo, groundwater, runoffDepth;  // cm
    YearMonthTable erosion, sediment;                              // t
    YearMonthTable transportQ;                                     // cm^1.67, months 1..12
    YearMonthTable gwLoadN, gwLoadP, disN, totN, disP, totP;       // kg

    YearLandUseTable luRunoff;                        // cm
    YearLandUseTable luErosion;                       // t, rural only
    YearLandUseTable luDisN, luTotN, luDisP, luTotP;  // kg

    std::vector<float> septicLoadN, septicLoadP;  // kg, [year]

    // Working tables, cleared at the start of every month: [k][m].
    std::vector<MonthArray> luRunoffMonth;  // cm
    std::vector<MonthArray> luSolidsMonth;  // t eroded (rural) or days of wash-off (urban)

    MonthArray meanFlow{}, meanPrecip{}, meanEvapo{}, meanGroundwater{}, meanRunoff{};
    MonthArray meanErosion{}, meanSediment{}, meanGwLoadN{}, meanGwLoadP{};
    MonthArray meanDisN{}, meanTotN{}, meanDisP{}, meanTotP{};
    std::vector<float> meanLuRunoff, meanLuErosion, meanLuDisN, meanLuTotN, meanLuDisP, meanLuTotP;
    float meanSepticN = 0, meanSepticP = 0;

    // Kept for the result tables when Summary.dat is written: [0] is the mean.
    std::vector<float> pointYearN, pointYearP;
};

// One run's whole state. The application owns one; a batch gives every worker
// its own, so runs never share anything.
struct ModelState {
    WatershedSetup watershed;
    NutrientSetup nutrients;
    RunOptions options;
    DailyState daily;
    NutrientWork nutrientWork;
    RunResults results;
    std::string watershedName = "My River Basin";  // written in the result-file headers
};

}  // namespace rivulon
