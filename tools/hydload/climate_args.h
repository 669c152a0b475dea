#pragma once

#include "args.h"
#include "project/climate_delta.h"

namespace hydload {

// The help lines of the climate-change options, for every command that runs
// the model (a macro, so that it joins the commands' help literals).
#define HYDLOAD_CLIMATE_HELP                                                          \
    "  --delta-temp DT          add DT degC to every day's temperature; one value,\n" \
    "                           or twelve separated by commas, April to March\n"      \
    "  --precip-factor F        multiply every day's precipitation by F (0 or\n"      \
    "                           more); one value or twelve, April to March\n"

// --delta-temp and --precip-factor as given (the identity when neither is);
// a malformed value or a negative factor is a UsageError.
rivulon::ClimateDelta climateArgs(const Args& cli);

// Commands that fit the model to observed flow take the weather as observed:
// a UsageError when either option is given (`cli` declares both).
void refuseClimateArgs(const Args& cli);

}  // namespace hydload
