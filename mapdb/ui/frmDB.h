#pragma once

#include <QString>
#include <QStringList>
#include <QWidget>
#include <memory>

#include "shell/window_host.h"
#include "shell/window_registration.h"

class QCheckBox;
class QLabel;
class QPushButton;
class QSqlQueryModel;
class QSqlTableModel;
class QTableView;
namespace rivulon::ui {
class CountyConnection;
}

// The county table browser: the result of a query on the project database,
// read-only, or (with the check box) editable with Add, Update and Delete.
class frmDB : public QWidget {
    Q_OBJECT
  public:
    static constexpr rivulon::ui::WindowKind kKind{"frmDB"};
    static const rivulon::ui::WindowRegistration registration;

    explicit frmDB(rivulon::ui::WindowHost& host);
    ~frmDB() override;

    // The menu commands "Land Use" and "Population".
    static void openLandUse(rivulon::ui::WindowHost& host);
    static void openPopulation(rivulon::ui::WindowHost& host);

    // Keeps the reading and the editing query; opens nothing.
    void PassSQLstring(const QString& reading, const QString& editing);
    // Shows a query's records. A query that fails is reported with the
    // database's text and the previous one stays; false then.
    bool setSQL(const QString& query);
    const QString& currentQuery() const { return current_; }
    // The grid's records can be changed (a query of one table's columns in
    // the editable view).
    bool editable() const { return tableModel_ != nullptr; }

    void btnSQL_Click();
    void ChkToEnableBtn_Click();
    void cmdAdd_Click();
    void cmdUpdate_Click();
    void cmdDelete_Click();
    void cmdRefresh_Click();
    void cmdClose_Click();
    // Saves the records shown, with the column names as the first line, as CSV.
    void cmdExport_Click();

    QTableView* grdDataGrid;
    QWidget* datPrimaryRS;
    QLabel* datPrimaryRSCaption;  // "Record: n"
    QWidget* picButtons;
    QPushButton* cmdAdd;
    QPushButton* cmdUpdate;
    QPushButton* cmdDelete;
    QPushButton* cmdRefresh;
    QPushButton* cmdClose;
    QPushButton* btnSQL;
    QPushButton* cmdExport;
    QCheckBox* ChkToEnableBtn;

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    static void open(rivulon::ui::WindowHost& host, const QString& reading, const QString& editing,
                     const QString& caption);
    bool openDatabase();
    void install(QSqlQueryModel* model, QSqlTableModel* table, const QStringList& columns);
    // Writes the grid's changes in one transaction; on failure the records
    // go back to what the database holds and the user is told why.
    bool save();
    void recordChanged();
    void moveTo(int row);
    bool checkEditable();
    void fitToColumns();

    rivulon::ui::WindowHost& host_;
    std::unique_ptr<rivulon::ui::CountyConnection> connection_;
    QSqlQueryModel* queryModel_ = nullptr;
    QSqlTableModel* tableModel_ = nullptr;
    QString reading_, editing_, current_;
    int lastModifiedRow_ = -1;
};
