#pragma once

#include <sqlite3.h>

#include <QMenu>
#include <QString>
#include <string>
#include <vector>

#include "app/MDIFrmMain.h"

// Runs one SQL statement on a database file outside the program's own
// connections (to prepare a file or read back what the windows wrote);
// returns the rows, each cell as text.
inline std::vector<std::vector<std::string>> sqlRows(const QString& file, const std::string& sql) {
    std::vector<std::vector<std::string>> out;
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(file.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE,
                        nullptr) != SQLITE_OK) {
        sqlite3_close_v2(db);
        return out;
    }
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &st, nullptr) == SQLITE_OK) {
        while (sqlite3_step(st) == SQLITE_ROW) {
            std::vector<std::string> row;
            for (int c = 0; c < sqlite3_column_count(st); ++c) {
                const auto* text = sqlite3_column_text(st, c);
                row.push_back(text ? reinterpret_cast<const char*>(text) : "NULL");
            }
            out.push_back(row);
        }
    }
    sqlite3_finalize(st);
    sqlite3_close_v2(db);
    return out;
}

// The county sub-menu's item i (0-based).
inline QAction* countyItem(MDIFrmMain& w, int i) {
    return w.menu("MnuCountyArray")->actions().value(i);
}
