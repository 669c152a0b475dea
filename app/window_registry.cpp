#include "app/window_registry.h"

#include <algorithm>

#include "analysis/ui/FrmCalibrate.h"
#include "analysis/ui/FrmPie.h"
#include "analysis/ui/FrmReGroup.h"
#include "analysis/ui/frmGResults.h"
#include "engine/ui/FrmGraph.h"
#include "engine/ui/FrmSeepage.h"
#include "mapdb/ui/FrmView.h"
#include "mapdb/ui/frmCounty.h"
#include "mapdb/ui/frmDB.h"
#include "project/ui/FrmN.h"
#include "project/ui/FrmStart.h"
#include "project/ui/FrmT.h"
#include "project/ui/FrmW.h"
#include "project/ui/frmMatrix.h"
#include "project/ui/frmSDR.h"
#include "project/ui/frmSimInfo.h"
#include "scenarios/ui/FrmClimate.h"
#include "scenarios/ui/FrmComp.h"
#include "scenarios/ui/FrmSeptic.h"
#include "scenarios/ui/frmRunSub.h"

namespace rivulon::ui {

namespace {

template <typename Window>
QWidget* make(WindowHost& host) {
    return new Window(host);
}

// Adding a window: its file, and its row here (and a command row for each
// menu item that opens it).
const WindowRow kWindows[] = {
    {WindowKind::Start, "FrmStart", &make<FrmStart>, true, 4},
    {WindowKind::Graph, "FrmGraph", &make<FrmGraph>, true, 5},
    {WindowKind::Seepage, "FrmSeepage", &make<FrmSeepage>, true, 6},
    {WindowKind::SimInfo, "frmSimInfo", &make<frmSimInfo>, true, 4},
    {WindowKind::Results, "frmGResults", &make<frmGResults>, true, 110},
    {WindowKind::Regroup, "FrmReGroup", &make<FrmReGroup>, true, 120},
    {WindowKind::Pie, "FrmPie", &make<FrmPie>, true, 120},
    {WindowKind::Transport, "FrmT", &make<FrmT>, true, 61},
    {WindowKind::Sdr, "frmSDR", &make<frmSDR>, true, 62},
    {WindowKind::Nutrient, "FrmN", &make<FrmN>, true, 140},
    {WindowKind::Matrix, "frmMatrix", &make<frmMatrix>, true, 141},
    {WindowKind::Weather, "FrmW", &make<FrmW>, false, 63},
    {WindowKind::RunSub, "frmRunSub", &make<frmRunSub>, true, 270},
    {WindowKind::Compare, "FrmComp", &make<FrmComp>, true, 280},
    {WindowKind::Septic, "FrmSeptic", &make<FrmSeptic>, true, 290},
    {WindowKind::Map, "FrmView", &make<FrmView>, true, 91},
    {WindowKind::Database, "frmDB", &make<frmDB>, true, 90},
    {WindowKind::County, "frmCounty", &make<frmCounty>, true, 90},
    {WindowKind::Calibration, "FrmCalibrate", &make<FrmCalibrate>, true, 300},
    {WindowKind::Climate, "FrmClimate", &make<FrmClimate>, true, 310},
};

// Commands whose window is still to come say so when chosen.
const CommandRow kCommands[] = {
    {"MnuSeepage", "Add Seepage or Ouput Daily Flow", WindowKind::Seepage,
     &FrmSeepage::openSeepage},
    {"MnuVarConc", "Set Variable Nutrient Control Coefficients", WindowKind::Seepage,
     &FrmSeepage::openVariableConcentration},
    {"MnuEditTransport", "Edit Transport Data", WindowKind::Transport, &FrmT::openEdit},
    {"MnuCreateNew", "Edit Transport Data", WindowKind::Transport},
    {"MnuEditNutrient", "Edit Nutrient Data", WindowKind::Nutrient, &FrmN::GetMatchInputFiles},
    {"MnuEditweather", "Edit Weather Data", WindowKind::Weather, &FrmW::openEdit},
    {"MnuCreateW", "Edit Weather Data", WindowKind::Weather},
    {"MnuDelay", "Delay Stream Responses to Weather Events", WindowKind::Weather, &FrmW::openDelay},
    {"MnuSDR", "Get Sediment Delivery Ratio", WindowKind::Sdr},
    {"MnuSetNutrMatrix", "Set Monthly Nutrient Data (Data Matrix)", WindowKind::Matrix,
     &frmMatrix::open},
    {"MnuSummary", "Summary", WindowKind::Results, &frmGResults::runSummary},
    {"MnuAnnual", "Annual Results", WindowKind::Results, &frmGResults::runAnnual},
    {"MnuMonthly", "Monthly Results", WindowKind::Results, &frmGResults::runMonthly},
    {"MnuUSGS", "Compare to USGS Observations", WindowKind::Results, &frmGResults::runObserved},
    {"MnuRegroup", "Re-Group Nutrient Sources", WindowKind::Regroup, &FrmReGroup::openRegroup},
    {"MnuCompScen", "Compare Scenarios", WindowKind::Compare, &FrmComp::runCompare},
    {"MnuSum", "Sum Sub-basin Results", WindowKind::Compare, &FrmComp::runSum},
    {"MnuCompEnsemble", "Compare with an Ensemble", WindowKind::Compare,
     &FrmComp::runEnsembleCompare},
    {"MnuSeptic", "Septic System Improvement", WindowKind::Septic},
    {"MnuRunSubBasins", "Run Hydload for Sub-basins/Multiple Scenarios", WindowKind::RunSub},
    {"MnuLUMap", "Land Use Map", WindowKind::Map, &FrmView::openLandUseMap},
    {"MnuSoilMap", "Soil Map", WindowKind::Map, &FrmView::openSoilMap},
    {"MnuCountyMap", "County Map", WindowKind::Map, &FrmView::openCountyMap},
    {"MnuLandUse", "Land Use Distribution", WindowKind::Database, &frmDB::openLandUse},
    {"MnuPopulation", "Population", WindowKind::Database, &frmDB::openPopulation},
    {"MnuCalibrate", "Calibrate Hydrology", WindowKind::Calibration},
    {"MnuClimate", "Climate Scenario", WindowKind::Climate},
};

}  // namespace

std::span<const WindowRow> windowRows() {
    return kWindows;
}

std::span<const CommandRow> commandRows() {
    return kCommands;
}

const WindowRow* windowRow(WindowKind kind) {
    const auto it = std::find_if(std::begin(kWindows), std::end(kWindows),
                                 [kind](const WindowRow& row) { return row.kind == kind; });
    return it == std::end(kWindows) ? nullptr : &*it;
}

const CommandRow* commandRow(const QString& menuItem) {
    const auto it = std::find_if(
        std::begin(kCommands), std::end(kCommands),
        [&](const CommandRow& row) { return menuItem == QLatin1String(row.menuItem); });
    return it == std::end(kCommands) ? nullptr : &*it;
}

}  // namespace rivulon::ui
