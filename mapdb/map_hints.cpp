#include "mapdb/map_hints.h"

#include <algorithm>

#include "project/project_file.h"

namespace rivulon {

std::int32_t colorNumber(int red, int green, int blue) {
    return red + 256 * green + 65536 * blue;
}

MapLists readMapLists(const std::string& projectPath, MapKind kind) {
    const ProjectFile project = readProjectFile(projectPath);
    MapLists lists;
    for (const CountyEntry& c : project.counties) {
        lists.countyNames.push_back(c.name);
        lists.labelX.push_back(c.first);
        lists.labelY.push_back(c.second);
    }
    if (kind == MapKind::LandUse) {
        for (const LegendEntry& e : project.landUseLegend) {
            lists.legendNames.push_back(e.name);
        }
    } else if (kind == MapKind::Soil) {
        for (const LegendEntry& e : project.soilLegend) {
            lists.legendNames.push_back(e.name);
        }
    }
    return lists;
}

std::string legendHint(std::int32_t color, const std::vector<std::int32_t>& legendColors,
                       const std::vector<std::string>& names) {
    const std::size_t n = std::min(legendColors.size(), names.size());
    for (std::size_t i = 0; i < n; ++i) {
        if (legendColors[i] == color) {
            return names[i];
        }
    }
    return std::to_string(color) + " Undefined";
}

int countyAt(float x, float y, const MapLists& lists) {
    const std::size_t n = std::min(lists.labelX.size(), lists.labelY.size());
    for (std::size_t i = 0; i < n; ++i) {
        const float left = lists.labelX[i], top = lists.labelY[i];
        if (x >= left && x < left + kCountyBoxWidth && y >= top && y < top + kCountyBoxHeight) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

ScrollRange scrollRange(int pictureLength, int frameLength) {
    ScrollRange r;
    r.enabled = pictureLength > frameLength;
    r.maximum = r.enabled ? pictureLength - frameLength : 0;
    r.smallStep = std::max(1, pictureLength / 40);
    r.pageStep = std::max(1, pictureLength / 20);
    return r;
}

}  // namespace rivulon
