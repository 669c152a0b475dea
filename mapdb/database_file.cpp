#include "mapdb/database_file.h"

#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "common/paths.h"

namespace rivulon {

namespace fs = std::filesystem;

DatabaseFormat databaseFormat(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    char head[32] = {};
    if (in.read(head, sizeof head) || in.gcount() >= 16) {
        const std::string h(head, sizeof head);
        if (h.compare(0, 16, std::string("SQLite format 3\0", 16)) == 0) {
            return DatabaseFormat::Sqlite;
        }
        if (h.compare(4, 15, "Standard Jet DB") == 0 || h.compare(4, 15, "Standard ACE DB") == 0) {
            return DatabaseFormat::Access;
        }
    }
    std::string ext = fs::path(path).extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (ext == ".mdb" || ext == ".accdb") {
        return DatabaseFormat::Access;
    }
    if (ext == ".sqlite" || ext == ".sqlite3" || ext == ".db") {
        return DatabaseFormat::Sqlite;
    }
    return DatabaseFormat::Unknown;
}

std::string homeCopyPath(const std::string& accessPath, const std::string& homeFolder) {
    // FNV-1a of the full path: the same on every machine and build.
    std::uint64_t h = 14695981039346656037ull;
    for (const unsigned char c : normalizedAbsolutePath(accessPath)) {
        h ^= c;
        h *= 1099511628211ull;
    }
    char key[17];
    std::snprintf(key, sizeof key, "%016llx", static_cast<unsigned long long>(h));
    const std::string name = fs::path(accessPath).stem().string() + "-" + key + ".sqlite";
    return (fs::path(homeFolder) / "Databases" / name).string();
}

AccessImportPlan planAccessImport(const std::string& accessPath, const std::string& homeFolder) {
    const fs::path source(accessPath);
    const std::string name = source.stem().string() + ".sqlite";
    std::string folder = source.parent_path().string();
    if (folder.empty()) {
        folder = ".";
    }
    AccessImportPlan plan;
    plan.copyPath = (fs::path(folder) / name).string();
    std::error_code ec;
    if (!fs::exists(plan.copyPath, ec) && ::access(folder.c_str(), W_OK) != 0) {
        plan.copyPath = homeCopyPath(accessPath, homeFolder);
    }
    plan.backupPath = plan.copyPath + ".bak";
    if (!fs::exists(plan.copyPath, ec)) {
        plan.action = AccessImportPlan::Action::Import;
    } else {
        const auto sourceTime = fs::last_write_time(source, ec);
        const auto copyTime = fs::last_write_time(plan.copyPath, ec);
        plan.action = !ec && sourceTime > copyTime ? AccessImportPlan::Action::AskReimport
                                                   : AccessImportPlan::Action::UseCopy;
    }
    return plan;
}

std::string importedMessage(const std::string& accessPath, const std::string& copyPath) {
    return "The Access database " + fileNameOf(accessPath) +
           " was imported into the SQLite database " + copyPath +
           ", which the program uses from now on (the Access file is left as it was).";
}

std::string reimportQuestion(const std::string& accessPath, const std::string& copyPath) {
    return "The Access database " + fileNameOf(accessPath) +
           " has changed since it was imported into " + copyPath +
           ". Import it again? (The present copy is kept as " + fileNameOf(copyPath) + ".bak.)";
}

}  // namespace rivulon
