#include "common/paths.h"

#include <sys/stat.h>

namespace rivulon {

std::string dirOfPath(std::string_view path) {
    const auto pos = path.find_last_of("/\\");
    if (pos == std::string_view::npos)
        return {};
    return std::string(path.substr(0, pos + 1));
}

std::string fileNameOf(std::string_view path) {
    const auto pos = path.find_last_of("/\\");
    if (pos == std::string_view::npos)
        return std::string(path);
    return std::string(path.substr(pos + 1));
}

std::string normalizeSeparators(std::string_view path) {
    std::string out(path);
    for (char& c : out) {
        if (c == '\\')
            c = '/';
    }
    return out;
}

bool pathPresent(std::string_view path) {
    return !path.empty() && path != "Not Found";
}

std::string joinPath(std::string_view folder, std::string_view name) {
    if (folder.empty())
        return std::string(name);
    std::string out(folder);
    if (out.back() != '/' && out.back() != '\\')
        out += '/';
    out += name;
    return out;
}

bool fileExists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool directoryExists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace rivulon
