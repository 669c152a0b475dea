#pragma once

#include <string>

namespace rivulon {

// What a project's database file is, from its first bytes (its name when it
// cannot be read): an SQLite file is used as it stands; an Access file is
// imported into an SQLite copy first.
enum class DatabaseFormat { Sqlite, Access, Unknown };
DatabaseFormat databaseFormat(const std::string& path);

// Where the SQLite copy of an Access file goes and what to do about it.
struct AccessImportPlan {
    enum class Action {
        UseCopy,      // the copy exists and is not older than the Access file
        Import,       // no copy yet
        AskReimport,  // the Access file changed since the copy was made
    };
    Action action = Action::Import;
    // <name>.sqlite beside the Access file, else <name>-<key of its full
    // path>.sqlite in <home>/Databases/
    std::string copyPath;
    std::string backupPath;  // where a copy goes before it is replaced: copyPath + ".bak"
};

// Where the copy goes when the Access file's folder cannot be written:
// <home>/Databases/<name>-<key of the file's full path>.sqlite, so that two
// files of one name in two read-only folders get a copy each.
std::string homeCopyPath(const std::string& accessPath, const std::string& homeFolder);

// `homeFolder` is the program's folder, used when the Access file's folder
// cannot be written.
AccessImportPlan planAccessImport(const std::string& accessPath, const std::string& homeFolder);

// One sentence saying what an import created.
std::string importedMessage(const std::string& accessPath, const std::string& copyPath);
// The question asked when the Access file is newer than its copy.
std::string reimportQuestion(const std::string& accessPath, const std::string& copyPath);

}  // namespace rivulon
