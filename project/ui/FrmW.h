#pragma once

#include <QPointer>
#include <QWidget>

#include "project/weather_table.h"
#include "shell/window_host.h"
#include "shell/window_registration.h"

class QLabel;
class QLineEdit;
class QPushButton;
class UpDown;

// The weather window: a weather table in an editable grid with its summary
// statistics; saves it as a weather file and builds the delayed table of an
// existing one in a second window.
class FrmW : public QWidget {
    Q_OBJECT
  public:
    static constexpr rivulon::ui::WindowKind kKind{"FrmW"};
    static const rivulon::ui::WindowRegistration registration;

    explicit FrmW(rivulon::ui::WindowHost& host);
    // "Edit Weather Data" and "Delay Stream Responses to Weather Events": a
    // window on the project's weather file (the delay box has the focus in
    // the second).
    static void openEdit(rivulon::ui::WindowHost& host);
    static void openDelay(rivulon::ui::WindowHost& host);

    // CreateDefault for `years` years, then shows the window.
    void createNew(int years);
    // "Create New Weather File": asks the number of years, then opens the editor.
    static void createNewFile(rivulon::ui::WindowHost& host);
    void CreateDefault(int years);
    // Loads WeatherPath with the day checks. All or nothing: false (window
    // unchanged) when the file cannot be read.
    bool EditWeather();
    // Shows a table built elsewhere (the delayed table) in this window, in
    // its delayed form; `origin` is the window whose delay box names files.
    void showDelayed(const rivulon::WeatherTable& table, FrmW* origin);

    // True when the file was written.
    bool btnSave_Click();
    void btnDelay_Click();
    void cmdClose_Click();

    // The table as the grid holds it now.
    rivulon::WeatherTable table() const;
    // "Wdelay" + the main weather window's delay + ".dat".
    QString proposedSaveName() const;
    bool hasUnsavedChanges() const;

    QWidget* GridW = nullptr;  // the Tabulex GridEditable
    QLineEdit* Text1;
    QLineEdit* Text2;
    QLineEdit* Text3;
    QLineEdit* TxtDelay;
    UpDown* UpDnDelay;
    QPushButton* btnDelay;
    QLabel* lblDelayNote;
    QPushButton* btnSave;
    QPushButton* cmdClose;

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    static void open(rivulon::ui::WindowHost& host, bool delayMode);
    void showTable(const rivulon::WeatherTable& table);
    void showStatistics(const rivulon::WeatherTable& table);
    bool delayFileKnown() const;

    rivulon::ui::WindowHost& host_;
    QPointer<FrmW> origin_;
    QString originDelay_ = QStringLiteral("1");
    rivulon::WeatherTable baseline_;  // what the file on disk holds
    bool hasBaseline_ = false;
    bool edited_ = false;                   // a cell edit was typed since the last load or save
    std::vector<std::string> delayWarned_;  // delay-file warnings already shown
    bool loaded_ = false;
    bool delayed_ = false;
};
