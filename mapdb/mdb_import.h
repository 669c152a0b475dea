#pragma once

#include <atomic>
#include <cstddef>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

namespace rivulon {

// An import that could not be done; the message says why (a program missing,
// the Access file unreadable, the copy not writable).
class ImportError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// The user stopped the import; nothing was written.
class ImportCancelled : public ImportError {
  public:
    using ImportError::ImportError;
};

// Told as an import goes (from the thread that runs it), and asked whether
// to stop: a set flag ends the running mdbtools program and the import.
struct ImportProgress {
    std::function<void(int done, int total, const std::string& table)> tableStarted;
    const std::atomic<bool>* cancel = nullptr;
};

struct ImportedTable {
    std::string name;
    std::size_t rows = 0;
};

// Copies every table of an Access file into a new SQLite file through the
// mdbtools programs (mdb-tables, mdb-schema, mdb-export). The Access file is
// only read. The copy is written beside `copyPath` and renamed into place only
// when complete; an existing copy is first renamed to `backupPath` (when that
// is not empty). Returns the tables with their row counts. Throws
// ImportCancelled when `progress.cancel` is set before the end; neither the
// copy nor its backup is then changed.
std::vector<ImportedTable> importAccessDatabase(const std::string& accessPath,
                                                const std::string& copyPath,
                                                const std::string& backupPath = {},
                                                const ImportProgress& progress = {});

// One CSV record set as mdb-export writes it: fields separated by commas,
// text in double quotes with "" for a quote, records ended by a line end
// (which may also occur inside quotes). `quoted` tells text from numbers and
// an empty unquoted field (NULL) from an empty text.
struct CsvField {
    std::string text;
    bool quoted = false;
};
std::vector<std::vector<CsvField>> parseExportCsv(const std::string& text);

// Runs a program found on the PATH with its arguments and returns what it
// wrote on its standard output. Throws ImportError when it cannot start or
// ends with an error (with its error output), ImportCancelled when `cancel`
// was set while it ran (the program is then ended).
std::string runProgram(const std::vector<std::string>& argv,
                       const std::atomic<bool>* cancel = nullptr);

}  // namespace rivulon
