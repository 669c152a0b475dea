#pragma once

#include <QSqlDatabase>
#include <QString>
#include <string>

class QWidget;

namespace rivulon::ui {

// The project database as the county windows open it: an SQLite file used as
// it stands, or an Access file imported on first use into an SQLite copy
// (asking again when the Access file has changed since). The import runs off
// the interface thread behind a progress dialog the user may cancel. Returns
// the SQLite file to open, or "" after telling the user why there is none (or
// after the user cancelled the import); `imported`
// tells that the file was (re)written, so that an open connection to it must
// be opened again.
QString countyDatabaseFile(QWidget* parent, const std::string& databasePath,
                           const QString& homeFolder, bool* imported = nullptr);

// One window's own connection to the database (several windows may be open,
// each with its own), with INT/Int registered. Closed and removed with it;
// the window deletes its models first.
class CountyConnection {
  public:
    explicit CountyConnection(const QString& name) : name_(name) {}
    ~CountyConnection() { close(); }
    CountyConnection(const CountyConnection&) = delete;
    CountyConnection& operator=(const CountyConnection&) = delete;

    // Opens `file` unless it is already the open one; false with the
    // database's text in `error`.
    bool open(const QString& file, QString& error);
    bool isOpen() const;
    QSqlDatabase database() const;
    void close();

  private:
    QString name_;
    QString file_;
};

}  // namespace rivulon::ui
