#pragma once

#include <string_view>

namespace rivulon {

// File names in the order a person reads them: a run of digits counts by its
// value ("Auto2" before "Auto10"), letters ignore case. Names that differ only
// in leading zeros or case keep a fixed order.
bool naturalLess(std::string_view a, std::string_view b);

}  // namespace rivulon
