#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace rivulon {

// The three maps a project may name.
enum class MapKind : std::int16_t { LandUse = 1, Soil = 2, County = 3 };

// A colour as the map viewer writes it: the 24-bit number with red in the low
// byte (red + 256 green + 65536 blue), so white is 16777215.
std::int32_t colorNumber(int red, int green, int blue);

// The lists a map needs from the project file: the counties' label positions
// (and names, shown when there is no database) and, for the land-use and soil
// maps, the legend's category names.
struct MapLists {
    std::vector<std::string> countyNames;
    std::vector<float> labelX, labelY;  // px, top-left corner of each county's box
    std::vector<std::string> legendNames;
};

// Reads the lists of a project file for a map kind: the soil map takes the
// names of the soil legend (the block after the land-use legend), the others
// the land-use legend; a project without a soil legend gives the soil map no
// names. Throws what the project reader throws.
MapLists readMapLists(const std::string& projectPath, MapKind kind);

// The pixel where legend colour i is read: column 18*i + 9, row 5.
inline int legendSampleX(int index) {
    return 18 * index + 9;
}
inline constexpr int kLegendSampleY = 5;

// The hint for a colour on a legend map: the name of the first legend entry
// of that colour, else the colour number followed by " Undefined".
std::string legendHint(std::int32_t color, const std::vector<std::int32_t>& legendColors,
                       const std::vector<std::string>& names);

// A county's box is 160 x 50 px from its label position.
inline constexpr int kCountyBoxWidth = 160;
inline constexpr int kCountyBoxHeight = 50;
inline constexpr const char* kCountyMissHint = "Click On County's Name Please!";

// The first county (0-based) whose box holds the point, or -1.
int countyAt(float x, float y, const MapLists& lists);

// Follows the pointer over the county map so that a county acts once each
// time the pointer enters its box, not on every move inside it.
class CountyHover {
  public:
    // The county under the pointer now (-1 for none); true when the pointer
    // has just entered that county's box.
    bool move(int county) {
        const bool entered = county >= 0 && county != current_;
        current_ = county;
        return entered;
    }
    int current() const { return current_; }
    void reset() { current_ = -1; }

  private:
    int current_ = -1;
};

// One scroll bar of the map frame, in pixels: usable only when the picture is
// larger than the frame; the range runs 0..picture - frame; a small step of a
// fortieth and a page of a twentieth of the picture (at least 1 px).
struct ScrollRange {
    bool enabled = false;
    int maximum = 0;
    int smallStep = 1;
    int pageStep = 1;
};
ScrollRange scrollRange(int pictureLength, int frameLength);

}  // namespace rivulon
