#include "common/value_rules.h"

#include "common/list_reader.h"

namespace rivulon {

std::string outsideRangeText(std::string_view field, std::string_view text,
                             std::string_view allowed) {
    return std::string(field) + ": " + shownText(text) + " is outside the allowed range " +
           std::string(allowed);
}

}  // namespace rivulon
