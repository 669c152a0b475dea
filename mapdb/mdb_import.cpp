#include "mapdb/mdb_import.h"

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <memory>

extern char** environ;

namespace rivulon {

namespace fs = std::filesystem;

std::string runProgram(const std::vector<std::string>& argv, const std::atomic<bool>* cancel) {
    int out[2], err[2];
    if (pipe2(out, O_CLOEXEC) != 0) {
        throw ImportError("cannot start " + argv.at(0));
    }
    if (pipe2(err, O_CLOEXEC) != 0) {
        close(out[0]);
        close(out[1]);
        throw ImportError("cannot start " + argv.at(0));
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_adddup2(&actions, err[1], 2);
    std::vector<char*> args;
    for (const std::string& a : argv) {
        args.push_back(const_cast<char*>(a.c_str()));
    }
    args.push_back(nullptr);
    pid_t pid = 0;
    const int spawned = posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    close(err[1]);
    if (spawned != 0) {
        close(out[0]);
        close(err[0]);
        throw ImportError("the program " + argv[0] +
                          " of mdbtools is not installed (Debian package mdbtools)");
    }
    // Both outputs are read as they come, so that neither pipe fills up. A
    // signal only interrupts a wait; the child is waited for once both pipes
    // are closed, or after it was ended, never while it may block on a pipe.
    std::string output, errors;
    pollfd fds[2] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}};
    int open = 2;
    char buf[65536];
    bool ended = false, cancelled = false;
    const int tick = cancel ? 100 : -1;  // ms between looks at the cancel flag
    while (open > 0) {
        if (cancel && cancel->load()) {
            cancelled = true;
            break;
        }
        const int ready = poll(fds, 2, tick);
        if (ready < 0) {
            if (errno == EINTR) {
                continue;
            }
            break;
        }
        for (pollfd& f : fds) {
            if (f.fd >= 0 && (f.revents & (POLLIN | POLLHUP | POLLERR))) {
                const ssize_t n = read(f.fd, buf, sizeof buf);
                if (n > 0) {
                    (&f == &fds[0] ? output : errors).append(buf, static_cast<std::size_t>(n));
                } else if (n < 0 && (errno == EINTR || errno == EAGAIN)) {
                    continue;
                } else {
                    close(f.fd);
                    f.fd = -1;
                    --open;
                }
            }
        }
    }
    if (open > 0) {
        // Stopped early (cancelled, or the wait failed): end the child before
        // waiting for it, since it may be blocked writing into a full pipe.
        kill(pid, SIGKILL);
        ended = true;
        for (pollfd& f : fds) {
            if (f.fd >= 0) {
                close(f.fd);
            }
        }
    }
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    if (cancelled) {
        throw ImportCancelled("the import was cancelled");
    }
    if (ended) {
        throw ImportError(argv[0] + " could not be read from");
    }
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        while (!errors.empty() && (errors.back() == '\n' || errors.back() == '\r')) {
            errors.pop_back();
        }
        if (WIFEXITED(status) && WEXITSTATUS(status) == 127) {
            throw ImportError("the program " + argv[0] +
                              " of mdbtools is not installed (Debian package mdbtools)");
        }
        throw ImportError(argv[0] + " failed" + (errors.empty() ? "" : ": " + errors));
    }
    return output;
}

std::vector<std::vector<CsvField>> parseExportCsv(const std::string& text) {
    std::vector<std::vector<CsvField>> rows;
    std::vector<CsvField> row;
    CsvField field;
    bool inQuotes = false, fieldStarted = false;
    auto endField = [&] {
        row.push_back(std::move(field));
        field = {};
        fieldStarted = false;
    };
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (inQuotes) {
            if (c == '"') {
                if (i + 1 < text.size() && text[i + 1] == '"') {
                    field.text += '"';
                    ++i;
                } else {
                    inQuotes = false;
                }
            } else {
                field.text += c;
            }
        } else if (c == '"') {
            inQuotes = true;
            field.quoted = true;
            fieldStarted = true;
        } else if (c == ',') {
            endField();
        } else if (c == '\n' || c == '\r') {
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
                ++i;
            }
            if (fieldStarted || !row.empty()) {
                endField();
                rows.push_back(std::move(row));
                row.clear();
            }
        } else {
            field.text += c;
            fieldStarted = true;
        }
    }
    if (fieldStarted || !row.empty()) {
        endField();
        rows.push_back(std::move(row));
    }
    return rows;
}

namespace {

struct DbCloser {
    void operator()(sqlite3* db) const { sqlite3_close_v2(db); }
};
using Db = std::unique_ptr<sqlite3, DbCloser>;

std::string quoteName(const std::string& name) {
    std::string q = "\"";
    for (char c : name) {
        q += c;
        if (c == '"') {
            q += '"';
        }
    }
    return q + "\"";
}

void exec(sqlite3* db, const std::string& sql, const std::string& what) {
    char* message = nullptr;
    if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &message) != SQLITE_OK) {
        const std::string text = message ? message : sqlite3_errmsg(db);
        sqlite3_free(message);
        throw ImportError(what + ": " + text);
    }
}

void bindField(sqlite3_stmt* st, int index, const CsvField& f) {
    if (f.quoted) {
        sqlite3_bind_text(st, index, f.text.data(), static_cast<int>(f.text.size()),
                          SQLITE_TRANSIENT);
        return;
    }
    if (f.text.empty()) {
        sqlite3_bind_null(st, index);
        return;
    }
    const char* first = f.text.data();
    const char* last = first + f.text.size();
    long long whole = 0;
    if (auto r = std::from_chars(first, last, whole); r.ec == std::errc() && r.ptr == last) {
        sqlite3_bind_int64(st, index, whole);
        return;
    }
    double real = 0;
    if (auto r = std::from_chars(first, last, real); r.ec == std::errc() && r.ptr == last) {
        sqlite3_bind_double(st, index, real);
        return;
    }
    sqlite3_bind_text(st, index, f.text.data(), static_cast<int>(f.text.size()), SQLITE_TRANSIENT);
}

std::size_t copyRows(sqlite3* db, const std::string& table, const std::string& csv) {
    const auto rows = parseExportCsv(csv);
    if (rows.empty()) {
        return 0;
    }
    const auto& header = rows.front();
    std::string sql = "INSERT INTO " + quoteName(table) + " (";
    std::string marks;
    for (std::size_t c = 0; c < header.size(); ++c) {
        sql += (c ? "," : "") + quoteName(header[c].text);
        marks += c ? ",?" : "?";
    }
    sql += ") VALUES (" + marks + ")";
    sqlite3_stmt* raw = nullptr;
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &raw, nullptr) != SQLITE_OK) {
        throw ImportError("table " + table + ": " + sqlite3_errmsg(db));
    }
    std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt*)> st(raw, &sqlite3_finalize);
    for (std::size_t r = 1; r < rows.size(); ++r) {
        sqlite3_reset(raw);
        sqlite3_clear_bindings(raw);
        for (std::size_t c = 0; c < header.size() && c < rows[r].size(); ++c) {
            bindField(raw, static_cast<int>(c + 1), rows[r][c]);
        }
        if (sqlite3_step(raw) != SQLITE_DONE) {
            throw ImportError("table " + table + ", record " + std::to_string(r) + ": " +
                              sqlite3_errmsg(db));
        }
    }
    return rows.size() - 1;
}

}  // namespace

std::vector<ImportedTable> importAccessDatabase(const std::string& accessPath,
                                                const std::string& copyPath,
                                                const std::string& backupPath,
                                                const ImportProgress& progress) {
    std::error_code ec;
    if (!fs::is_regular_file(accessPath, ec)) {
        throw ImportError(accessPath + " cannot be read");
    }
    fs::create_directories(fs::path(copyPath).parent_path(), ec);
    const std::string part = copyPath + ".part";
    fs::remove(part, ec);

    std::vector<ImportedTable> tables;
    {
        sqlite3* raw = nullptr;
        const int rc = sqlite3_open_v2(part.c_str(), &raw,
                                       SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
        Db db(raw);
        if (rc != SQLITE_OK) {
            throw ImportError(
                copyPath + " cannot be written: " + (raw ? sqlite3_errmsg(raw) : "out of memory"));
        }
        try {
            exec(db.get(), "BEGIN", "import");
            const std::string list = runProgram({"mdb-tables", "-1", accessPath}, progress.cancel);
            std::vector<std::string> names;
            std::size_t start = 0;
            while (start < list.size()) {
                std::size_t end = list.find('\n', start);
                if (end == std::string::npos) {
                    end = list.size();
                }
                std::string name = list.substr(start, end - start);
                start = end + 1;
                while (!name.empty() && (name.back() == '\r' || name.back() == ' ')) {
                    name.pop_back();
                }
                if (!name.empty()) {
                    names.push_back(std::move(name));
                }
            }
            const int total = static_cast<int>(names.size());
            for (const std::string& name : names) {
                if (progress.tableStarted) {
                    progress.tableStarted(static_cast<int>(tables.size()), total, name);
                }
                if (progress.cancel && progress.cancel->load()) {
                    throw ImportCancelled("the import was cancelled");
                }
                const std::string schema =
                    runProgram({"mdb-schema", "--no-relations", "--no-drop-table", "-T", name,
                                accessPath, "sqlite"},
                               progress.cancel);
                exec(db.get(), schema, "table " + name);
                const std::string csv = runProgram(
                    {"mdb-export", "-D", "%Y-%m-%d", "-T", "%Y-%m-%d %H:%M:%S", accessPath, name},
                    progress.cancel);
                tables.push_back({name, copyRows(db.get(), name, csv)});
            }
            exec(db.get(), "COMMIT", "import");
        } catch (...) {
            db.reset();
            fs::remove(part, ec);
            throw;
        }
    }
    if (!backupPath.empty() && fs::exists(copyPath, ec)) {
        fs::rename(copyPath, backupPath, ec);
        if (ec) {
            fs::remove(part, ec);
            throw ImportError(copyPath + " could not be kept as " + backupPath);
        }
    }
    fs::rename(part, copyPath, ec);
    if (ec) {
        fs::remove(part, ec);
        throw ImportError(copyPath + " cannot be written: " + ec.message());
    }
    return tables;
}

}  // namespace rivulon
