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

// Adding a window: its files, with its registration, and its line here.
const WindowRegistration* const kWindows[] = {
    &FrmStart::registration,     &FrmGraph::registration,    &FrmSeepage::registration,
    &frmSimInfo::registration,   &frmGResults::registration, &FrmReGroup::registration,
    &FrmPie::registration,       &FrmT::registration,        &frmSDR::registration,
    &FrmN::registration,         &frmMatrix::registration,   &FrmW::registration,
    &frmRunSub::registration,    &FrmComp::registration,     &FrmSeptic::registration,
    &FrmView::registration,      &frmDB::registration,       &frmCounty::registration,
    &FrmCalibrate::registration, &FrmClimate::registration,
};

}  // namespace

std::span<const WindowRegistration* const> windowRegistrations() {
    return kWindows;
}

const WindowRegistration* registrationOf(WindowKind kind) {
    const auto it =
        std::find_if(std::begin(kWindows), std::end(kWindows),
                     [kind](const WindowRegistration* row) { return row->kind == kind; });
    return it == std::end(kWindows) ? nullptr : *it;
}

}  // namespace rivulon::ui
