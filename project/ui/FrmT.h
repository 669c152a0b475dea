#pragma once

#include <QString>
#include <QWidget>
#include <array>
#include <vector>

#include "project/transport_file.h"
#include "shell/window_host.h"
#include "shell/window_registration.h"

class QLabel;
class QLineEdit;
class QPushButton;
class QTabWidget;
class GridCellEdit;

namespace rivulon::ui {
class FlexGrid;
}

// The transport editor: a transport file as boxes and tables, with new files
// from latitude and land-use counts, the sediment delivery ratio from the
// watershed area and land-use changes by area percentages.
class FrmT : public QWidget {
    Q_OBJECT
  public:
    static constexpr rivulon::ui::WindowKind kKind{"FrmT"};
    static const rivulon::ui::WindowRegistration registration;

    explicit FrmT(rivulon::ui::WindowHost& host);
    // "Edit Transport Data": the open editor, or a new one on a chosen file.
    static void openEdit(rivulon::ui::WindowHost& host);

    // A new file with default values; shows the window. Counts below 0 or
    // adding up to less than 1 open nothing.
    void createNew(float latitude, int ruralCount, int urbanCount);
    // "Create Transport/Nutrient Files": asks the latitude and the land-use
    // counts, then opens the editor on the new files.
    static void createNewFiles(rivulon::ui::WindowHost& host);

    // TransOpen for an existing file: asks for it when `path` is empty. All
    // or nothing: false (editor unchanged) when cancelled or unreadable.
    bool TransOpen(const QString& path = {});
    // True when saved.
    bool cmdSaveT_Click();
    void CmdExit_Click();
    void cmdUpdateSDR_Click();
    void cmdSet_Click();
    // Enter in txtPct: the value into the current "New %" cell.
    void txtPct_Enter();

    // The file as the boxes and tables hold it now.
    rivulon::TransportTable table() const;
    bool saved() const { return saved_; }
    bool createNewMode() const { return createNew_; }
    float totalArea() const { return totalArea_; }

    QTabWidget* TabT;
    std::array<QLineEdit*, 14> Text1{};
    std::array<QLabel*, 14> Label1{};
    QPushButton* cmdUpdateSDR;
    rivulon::ui::FlexGrid* TGrid1;
    std::array<rivulon::ui::FlexGrid*, 2> TGrid2{};
    QLineEdit* txtPct;
    QPushButton* cmdSet;
    QPushButton* cmdSaveT;
    QPushButton* CmdExit;
    std::array<QLineEdit*, 3> TxtCell{};  // [1] month table, [2] land-use table

  protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void showTable(const rivulon::TransportTable& table);
    // OpenExistOrNew's second half: total area and the percentage table.
    void fillShares();
    void changed() { saved_ = false; }
    // Commits what is typed and not yet confirmed: cell edits and the
    // percentage box.
    void endEdits();
    void markBox(QLineEdit* box, bool red);
    // Asks "Save changes?" before the shown file is replaced or closed; false
    // when the window should stay as it is.
    bool settleUnsaved(bool keepOpenAfterSave);
    void offerNutrientFile();

    rivulon::ui::WindowHost& host_;
    GridCellEdit* monthEdit_;
    GridCellEdit* landUseEdit_;
    bool loaded_ = false;
    bool saved_ = false;
    bool createNew_ = false;
    float totalArea_ = 0;
    // The "New %" texts as last shared out, to tell the user's changes.
    std::vector<QString> shownPct_;
    bool pctPending_ = false;  // txtPct typed on and not yet stored
    QString boxTextOnEntry_;
};
