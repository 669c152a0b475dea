#include "shell/ui/county_database.h"

#include <QFileInfo>
#include <QSqlDriver>
#include <QSqlError>
#include <QVariant>

#include "common/paths.h"
#include "mapdb/county_db.h"
#include "mapdb/database_file.h"
#include "mapdb/mdb_import.h"
#include "shell/dialogs.h"
#include "shell/qt_text.h"

namespace rivulon::ui {

QString countyDatabaseFile(QWidget* parent, const std::string& databasePath,
                           const QString& homeFolder, bool* imported) {
    if (imported) {
        *imported = false;
    }
    if (!rivulon::pathPresent(databasePath)) {
        return {};
    }
    if (rivulon::databaseFormat(databasePath) != rivulon::DatabaseFormat::Access) {
        return qs(databasePath);
    }
    const rivulon::AccessImportPlan plan =
        rivulon::planAccessImport(databasePath, homeFolder.toStdString());
    bool import = plan.action == rivulon::AccessImportPlan::Action::Import;
    if (plan.action == rivulon::AccessImportPlan::Action::AskReimport) {
        import = dialogs().askYesNo(
            parent, qs(rivulon::reimportQuestion(databasePath, plan.copyPath)), appTitle());
    }
    if (import) {
        try {
            rivulon::importAccessDatabase(databasePath, plan.copyPath, plan.backupPath);
        } catch (const std::exception& e) {
            msgBox(parent, QStringLiteral("The Access database %1 could not be imported: %2")
                               .arg(qs(databasePath), QString::fromUtf8(e.what())));
            return {};
        }
        if (imported) {
            *imported = true;
        }
        msgBox(parent, qs(rivulon::importedMessage(databasePath, plan.copyPath)));
    }
    return qs(plan.copyPath);
}

bool CountyConnection::open(const QString& file, QString& error) {
    if (isOpen() && file == file_) {
        return true;
    }
    close();
    // SQLite would create a missing file, empty: refuse instead.
    if (!QFileInfo(file).isFile()) {
        error = file + QStringLiteral(": the file does not exist.");
        return false;
    }
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name_);
    db.setDatabaseName(file);
    if (!db.open()) {
        error = db.lastError().text();
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase(name_);
        return false;
    }
    const QVariant handle = db.driver()->handle();
    sqlite3* raw = nullptr;
    if (handle.isValid() && qstrcmp(handle.typeName(), "sqlite3*") == 0) {
        raw = *static_cast<sqlite3* const*>(handle.data());
    }
    if (!rivulon::registerAccessFunctions(raw)) {
        error = QStringLiteral("The database's INT function could not be set up.");
        db.close();
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase(name_);
        return false;
    }
    file_ = file;
    return true;
}

bool CountyConnection::isOpen() const {
    return QSqlDatabase::contains(name_) && QSqlDatabase::database(name_, false).isOpen();
}

QSqlDatabase CountyConnection::database() const {
    return QSqlDatabase::database(name_, false);
}

void CountyConnection::close() {
    if (QSqlDatabase::contains(name_)) {
        {
            QSqlDatabase db = QSqlDatabase::database(name_, false);
            db.close();
        }
        QSqlDatabase::removeDatabase(name_);
    }
    file_.clear();
}

}  // namespace rivulon::ui
