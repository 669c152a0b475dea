#pragma once

#include <QWidget>
#include <array>
#include <memory>

#include "mapdb/ui/county_record_view.h"
#include "shell/window_host.h"
#include "shell/window_registration.h"

class QLabel;
class QLineEdit;
class QPushButton;
namespace rivulon::ui {
class CountyConnection;
}

// "County Info.": one county's record of the project database, by its "ID".
class frmCounty : public QWidget, public rivulon::ui::CountyRecordView {
    Q_OBJECT
  public:
    static constexpr rivulon::ui::WindowKind kKind{"frmCounty"};
    static const rivulon::ui::WindowRegistration registration;

    explicit frmCounty(rivulon::ui::WindowHost& host);
    ~frmCounty() override;

    bool ToRecord(int key) override;
    QString recordName() const override;
    void cmdClose_Click();

    std::array<QLineEdit*, 11> txtFields{};
    std::array<QLabel*, 11> lblLabels{};
    QLabel* datPrimaryRS;
    QPushButton* cmdClose;

  private:
    bool openDatabase();

    rivulon::ui::WindowHost& host_;
    std::unique_ptr<rivulon::ui::CountyConnection> connection_;
};
