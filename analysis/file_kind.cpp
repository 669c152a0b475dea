#include "analysis/file_kind.h"

#include <filesystem>
#include <fstream>
#include <sstream>

#include "analysis/duration_curve.h"
#include "analysis/result_file.h"

namespace rivulon {

namespace {

bool startsWith(const std::string& text, const std::string& prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

template <typename Parse>
bool parses(Parse parse, const std::string& content) {
    try {
        parse("", content);
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

}  // namespace

FileKind fileKindOfText(const std::string& content) {
    std::string text = content;
    if (startsWith(text, "\xEF\xBB\xBF")) {
        text.erase(0, 3);
    }
    if (startsWith(text, "BasinName")) {
        return FileKind::Project;
    }
    if (startsWith(text, "\"Land Use Group")) {
        return FileKind::Regrouped;
    }
    if (isDailyText(text)) {
        return FileKind::Daily;
    }
    // Both result files start with the same header line; each reads only as
    // what it is, since a file shorter than its header promises is refused.
    const bool results = parses(&parseResultsText, text);
    const bool summary = parses(&parseSummaryText, text);
    if (results && !summary) {
        return FileKind::Results;
    }
    if (summary && !results) {
        return FileKind::Summary;
    }
    if (results) {
        // Read by field, a long summary could pass as results: the results
        // file's month lines hold three fields, the summary's six.
        std::istringstream lines(text);
        std::string line;
        std::getline(lines, line);
        std::getline(lines, line);
        int commas = 0;
        for (char c : line) {
            commas += c == ',';
        }
        return commas <= 2 ? FileKind::Results : FileKind::Summary;
    }
    return FileKind::Unknown;
}

FileKind fileKindOf(const std::string& path) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) {
        return FileKind::Unreadable;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return FileKind::Unreadable;
    }
    std::ostringstream content;
    content << in.rdbuf();
    return fileKindOfText(content.str());
}

}  // namespace rivulon
