#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace rivulon {

// One septic treatment technology; all values in percent.
struct SepticTechnology {
    std::string name;     // the last word is the entry's list index when it was added
    float reduction = 0;  // N load reduction
    float share = 0;      // share of the septic population using it
    float failure = 0;    // share of those systems that fail
};

using SepticTechTable = std::vector<SepticTechnology>;

// The name that marks an entry for removal; such entries are not saved.
inline constexpr std::string_view kToBeDeleted = "To be deleted";

// The table the septic window starts with: "CurrentDefault 0", 0 %, 100 %, 0 %.
SepticTechTable defaultSepticTable();

// Reads a technology file ("SepticData", count; four headings; one line per
// entry). Throws ReadError naming the file, line and field.
// Percentages outside 0..100 are refused naming line and field; lines whose
// field count differs from the written layout are added to `warnings`.
SepticTechTable readSepticTechFile(const std::string& path,
                                   std::vector<std::string>* warnings = nullptr);
SepticTechTable parseSepticTechText(const std::string& fileName, std::string content,
                                    std::vector<std::string>* warnings = nullptr);

// The file text: entries named "To be deleted" are left out and the count of
// the first line is lowered to match.
std::string septicTechFileText(const SepticTechTable& table);
void writeSepticTechFile(const std::string& path, const SepticTechTable& table);

// Builds an entry from the edit boxes' texts. An empty name marks the entry
// for removal (values 0). A value that is not a number is refused with a
// message naming the box, so the table is never changed by a typo.
SepticTechnology technologyFromTexts(std::string_view name, std::string_view reduction,
                                     std::string_view share, std::string_view failure);

}  // namespace rivulon
