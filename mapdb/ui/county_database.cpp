#include "mapdb/ui/county_database.h"

#include <QEventLoop>
#include <QFileInfo>
#include <QProgressDialog>
#include <QSqlDriver>
#include <QSqlError>
#include <QThread>
#include <QVariant>
#include <atomic>

#include "common/paths.h"
#include "mapdb/county_db.h"
#include "mapdb/database_file.h"
#include "mapdb/mdb_import.h"
#include "shell/dialogs.h"
#include "shell/qt_text.h"

namespace rivulon::ui {

namespace {

// Imports on a thread of its own while the window stays live, with a
// progress dialog whose Cancel ends the mdbtools program that runs.
void importInBackground(QWidget* parent, const std::string& databasePath,
                        const rivulon::AccessImportPlan& plan, QString& failure, bool& cancelled) {
    QProgressDialog dialog(QStringLiteral("Importing the Access database %1 ...")
                               .arg(QString::fromStdString(rivulon::fileNameOf(databasePath))),
                           QStringLiteral("Cancel"), 0, 0, parent);
    dialog.setObjectName(QStringLiteral("dlgAccessImport"));
    dialog.setWindowTitle(appTitle());
    // Modal to the whole program: nothing may close the window that waits.
    dialog.setWindowModality(Qt::ApplicationModal);
    dialog.setMinimumDuration(0);
    dialog.setAutoClose(false);
    dialog.setAutoReset(false);

    std::atomic<bool> stop{false};
    rivulon::ImportProgress progress;
    progress.cancel = &stop;
    progress.tableStarted = [&dialog](int done, int total, const std::string& table) {
        // Shown by the interface thread; dropped if the dialog is gone.
        QMetaObject::invokeMethod(
            &dialog,
            [&dialog, done, total, name = QString::fromStdString(table)] {
                dialog.setMaximum(total);
                dialog.setValue(done);
                dialog.setLabelText(QStringLiteral("Importing table %1 (%2 of %3) ...")
                                        .arg(name)
                                        .arg(done + 1)
                                        .arg(total));
            },
            Qt::QueuedConnection);
    };
    std::string error;
    bool wasCancelled = false;
    QThread* worker = QThread::create([&] {
        try {
            rivulon::importAccessDatabase(databasePath, plan.copyPath, plan.backupPath, progress);
        } catch (const rivulon::ImportCancelled&) {
            wasCancelled = true;
        } catch (const std::exception& e) {
            error = e.what();
        }
    });
    QEventLoop loop;
    QObject::connect(worker, &QThread::finished, &loop, &QEventLoop::quit);
    QObject::connect(&dialog, &QProgressDialog::canceled, &dialog, [&stop, &dialog] {
        stop = true;
        dialog.setLabelText(QStringLiteral("Cancelling the import ..."));
    });
    worker->start();
    dialog.show();
    loop.exec();
    worker->wait();
    delete worker;
    dialog.close();
    cancelled = wasCancelled;
    failure = QString::fromStdString(error);
}

}  // namespace

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
        QString failure;
        bool cancelled = false;
        importInBackground(parent, databasePath, plan, failure, cancelled);
        if (cancelled) {
            return {};
        }
        if (!failure.isEmpty()) {
            errorBox(parent, QStringLiteral("The Access database %1 could not be imported: %2")
                                 .arg(qs(databasePath), failure));
            return {};
        }
        if (imported) {
            *imported = true;
        }
        showSaved(parent, qs(plan.copyPath));
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
