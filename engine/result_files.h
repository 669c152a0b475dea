#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "engine/model_state.h"

namespace rivulon {

// The bytes of Results.dat for the last run: header, point sources, land uses,
// then every year's monthly water and load records, land-use records and, at
// level 4, the septic record. Throws RunError when there are no complete
// results or a value is not a finite number.
std::string resultsFileText(const ModelState& state);
// The same bytes handed to `sink` a piece at a time, in order. A fault may
// come after some pieces were handed on; the caller then drops them.
using ResultSink = std::function<void(std::string_view piece)>;
void writeResultsFile(const ModelState& state, const ResultSink& sink);

// The bytes of Summary.dat (multi-year means). Also fills
// results.pointYearN/P, which the result tables show; calling it twice gives
// the same bytes. Throws as resultsFileText.
std::string summaryFileText(ModelState& state);

}  // namespace rivulon
