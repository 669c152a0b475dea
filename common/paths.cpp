#include "common/paths.h"

#include <sys/stat.h>

#include <filesystem>

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

std::string nextFreeName(std::string_view folder, std::string_view pattern) {
    const std::size_t star = pattern.find('*');
    if (star == std::string_view::npos)
        return std::string(pattern);
    const std::string head(pattern.substr(0, star));
    const std::string tail(pattern.substr(star + 1));
    for (long n = 1;; ++n) {
        std::string name = head + std::to_string(n) + tail;
        struct stat st {};
        // Anything by that name (a folder too) makes the number taken.
        if (::stat(joinPath(folder, name).c_str(), &st) != 0)
            return name;
    }
}

std::string inputFileProblem(const std::string& path) {
    if (path.empty())
        return "Cannot open a file: no file name was given";
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0)
        return "Cannot open " + path + ": no such file";
    if (S_ISREG(st.st_mode))
        return {};
    const char* kind = S_ISDIR(st.st_mode)                          ? "a folder"
                       : S_ISFIFO(st.st_mode)                       ? "a pipe (FIFO)"
                       : S_ISCHR(st.st_mode) || S_ISBLK(st.st_mode) ? "a device"
                       : S_ISSOCK(st.st_mode)                       ? "a socket"
                                                                    : "a special file";
    return "Cannot open " + path + ": it is " + kind + ", not a file";
}

bool directoryExists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::string normalizedAbsolutePath(const std::string& path) {
    namespace fs = std::filesystem;
    std::error_code ec;
    fs::path absolute = fs::absolute(fs::path(path), ec);
    if (ec)
        absolute = fs::path(path);
    fs::path resolved = fs::weakly_canonical(absolute, ec);
    if (ec)
        resolved = absolute.lexically_normal();
    std::string out = resolved.string();
    // "/data/out/" and "/data/out" are one folder.
    while (out.size() > 1 && out.back() == '/')
        out.pop_back();
    return out;
}

bool sameFile(const std::string& a, const std::string& b) {
    if (a.empty() || b.empty())
        return false;
    struct stat sa {
    }, sb{};
    if (::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0)
        return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
    return normalizedAbsolutePath(a) == normalizedAbsolutePath(b);
}

}  // namespace rivulon
