#include "project/project_file.h"

#include "common/atomic_file.h"
#include "common/list_reader.h"
#include "common/number_format.h"
#include "common/paths.h"
#include "common/read_error.h"

namespace rivulon {

namespace {

constexpr const char* kFileKeys[kProjectFileSlots] = {
    "TransportFile", "NutrientFile", "WeatherFile",       "WeatherDelayFile", "LandUseMap",
    "CountyMap",     "SoilMap",      "DataFile (Access)", "USGSFlowFile"};

// A legend list: its header line (key, count), then count lines of two texts.
void readLegend(ListReader& r, std::vector<LegendEntry>& out) {
    r.next("list header");
    const std::int32_t count = r.readInt32("number of entries");
    r.endRecord(2);
    for (std::int32_t i = 0; i < count; ++i) {
        LegendEntry e;
        e.code = r.readString("legend code");
        e.name = r.readString("legend name");
        r.endRecord(2);
        out.push_back(std::move(e));
    }
}

}  // namespace

ProjectFile readProjectText(const std::string& fileName, std::string content) {
    ListReader r(fileName, std::move(content));
    ProjectFile p;
    const auto keep = [&] { p.warnings = r.warnings(); };
    r.next("key");
    p.basinName = r.readString("basin name");
    r.endRecord(2);
    for (int i = 0; i < kProjectFileSlots; ++i) {
        r.next("key");
        p.fileNames[i] = normalizeSeparators(r.readString("file name"));
        r.endRecord(2);
    }
    r.next("key");
    for (float& v : p.varConc)
        v = r.readReal("VarConc value");
    r.endRecord(5);
    r.next("key");
    p.popRate = r.readReal("PopRate");
    p.popRateLine = r.line();
    r.endRecord(2);
    const char* seepNames[] = {"MaxSeepCoef", "DailySeep", "YearSeep", "MinStream4Seep"};
    for (int i = 0; i < 4; ++i) {
        r.next("key");
        p.seep[i] = r.readReal(seepNames[i]);
        r.endRecord(2);
    }
    r.next("key");
    p.gwBkDN = r.readReal("GwBkDN");
    r.endRecord(2);
    r.next("key");
    p.gwBkDP = r.readReal("GwBkDP");
    r.endRecord(2);
    r.next("key");
    for (auto& s : p.graphScale)
        s = r.readInt16("graph scale");
    r.endRecord(5);

    r.next("county list header");
    const std::int32_t counties = r.readInt32("number of counties");
    r.endRecord(2);
    for (std::int32_t i = 0; i < counties; ++i) {
        CountyEntry c;
        c.name = r.readString("county name");
        c.first = r.readReal("county value");
        c.second = r.readReal("county value");
        r.endRecord(3);
        p.counties.push_back(std::move(c));
    }
    if (r.atEnd())
        return keep(), p;
    readLegend(r, p.landUseLegend);
    if (r.atEnd())
        return keep(), p;
    p.hasSoilLegend = true;
    readLegend(r, p.soilLegend);
    r.endOfRecords();
    keep();
    return p;
}

ProjectFile readProjectFile(const std::string& path) {
    return readProjectText(path, readWholeFile(path));
}

std::string checkProjectFile(const std::string& path) {
    try {
        ListReader r = ListReader::open(path);
        const std::string key = r.readString("key");
        if (key == "BasinName")
            return {};
        return "The first field is \"" + shownText(key) + "\", not \"BasinName\"" +
               std::string(kWrongProjectSuffix);
    } catch (const std::exception& e) {
        return e.what() + std::string(kWrongProjectSuffix);
    }
}

std::string newProjectText(const NewProject& p) {
    // A zero a starts a chain of ones that runs over the following zeros.
    float chain[5] = {p.a, p.b, p.lower, p.upper, p.yearSeep};
    if (chain[0] == 0) {
        for (float& v : chain) {
            if (v != 0)
                break;
            v = 1;
        }
    }
    std::string out;
    const auto line = [&out](std::string_view key, std::initializer_list<float> values) {
        out += key;
        bool first = true;
        for (float v : values) {
            if (!first)
                out += ',';
            first = false;
            appendPrintStyle(out, v);
        }
        out += "\r\n";
    };
    out += "BasinName, \"New Project\"\r\n";
    for (int i = 0; i < kProjectFileSlots; ++i) {
        const std::string& path = p.paths[i];
        const std::string name = pathPresent(path) ? fileNameOf(path) : path;
        out += kFileKeys[i];
        out += ", \"" + name + "\"\r\n";
    }
    line("VarConc,", {chain[0], chain[1], chain[2], chain[3]});
    line("PopRate,", {p.popRate});
    line("MaxSeepCoef,", {p.maxSeepCoef});
    line("DailySeep,", {p.dailySeep});
    line("YearSeep,", {chain[4]});
    line("MinStream4Seep,", {p.minStream4Seep});
    line("GwBkDN,", {p.gwBkDN});
    line("GwBkDP,", {p.gwBkDP});
    out += "GraphScale,";
    for (int i = 0; i < 4; ++i) {
        if (i > 0)
            out += ',';
        appendPrintStyle(out, static_cast<std::int32_t>(p.graphScale[i]));
    }
    out += "\r\n";
    out += "***County#,0\r\n";
    out += "***LandUse+Bkgrnd#, 0\r\n";
    return out;
}

std::string newProjectPath(const std::string& transportPath, const std::string& name) {
    return dirOfPath(transportPath) + name + ".prj";
}

void writeNewProject(const std::string& path, const NewProject& project) {
    writeFileAtomically(path, newProjectText(project));
}

std::string projectCreatedMessage(const std::string& name, const std::string& transportPath) {
    return "A project file " + name + ".prj" + " has been created in " + dirOfPath(transportPath) +
           "!";
}

void rewriteGraphScales(const std::string& projectPath, const std::array<std::int16_t, 4>& scales) {
    if (!pathPresent(projectPath))
        throw FileError(std::string(kNoProjectForScalesMessage));
    std::string replacement = "GraphScale, ";
    for (int i = 0; i < 4; ++i) {
        if (i > 0)
            replacement += ',';
        appendPrintStyle(replacement, static_cast<std::int32_t>(scales[i]));
    }
    std::string out;
    for (const std::string& line : splitLines(readWholeFile(projectPath))) {
        out += line.starts_with("GraphScale") ? replacement : line;
        out += "\r\n";
    }
    writeFileAtomically(projectPath, out);
}

}  // namespace rivulon
