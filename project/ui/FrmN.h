#pragma once

#include <QStringList>
#include <QWidget>
#include <array>
#include <functional>
#include <map>

#include "project/nutrient_table.h"
#include "project/ui/nutrient_editor_service.h"
#include "shell/window_host.h"
#include "shell/window_registration.h"

class QLabel;
class QLineEdit;
class QPushButton;
class QTabWidget;
class UpDown;
class GridCellEdit;

namespace rivulon::ui {
class FlexGrid;
}

// The nutrient editor: a nutrient file on five pages (general values, rural
// concentrations, urban build-up and manured land, point sources, septic
// systems); it also builds a new file for a new transport file and serves the
// septic window with its septic page alone.
class FrmN : public QWidget, public rivulon::ui::NutrientEditorService {
    Q_OBJECT
  public:
    static constexpr rivulon::ui::WindowKind kKind{"FrmN"};
    static const rivulon::ui::WindowRegistration registration;

    explicit FrmN(rivulon::ui::WindowHost& host);
    ~FrmN() override;

    // "Edit Nutrient Data": the transport file first, then the nutrient file.
    static void GetMatchInputFiles(rivulon::ui::WindowHost& host);

    // Mode "CreateNew" builds new tables after two questions; any other mode
    // asks for a nutrient file (or takes `file` when given) and loads it.
    // False when nothing was loaded (cancelled or refused); the editor then
    // shows what it showed before.
    bool NutrientOpen(int ruralCount, int urbanCount, const QString& mode,
                      const QStringList& landUseNames, const QString& file = {});
    // Saves under a name the user picks; false when cancelled or refused.
    bool cmdSaveN_Click();
    // Saves to `path` after checking every number; false (with a message)
    // when something is not a number or the file cannot be written.
    bool saveTo(const QString& path);
    void CmdExit_Click();

    // NutrientEditorService
    void createNew(int ruralCount, int urbanCount, const QStringList& landUseNames) override;
    bool openSepticOnly() override;
    void setSepticPopulation(int row, int month, int value) override;
    void whenClosed(std::function<void(bool fileSaved, const QString& savedName)> done) override;

    // The texts as they stand, in the nutrient file's order.
    rivulon::NutrientTable table() const;
    bool saved() const { return saved_; }
    bool septicOnly() const { return septicOnly_; }
    const QString& fileName() const { return file_; }
    // Wide enough for all five page captions.
    QSize sizeHint() const override;

    QTabWidget* TabN;
    QLineEdit* TxtRural;
    QLineEdit* TxtUrban;
    std::array<QLineEdit*, 14> Text1{};
    std::array<QLabel*, 14> Label1{};
    std::array<QLineEdit*, 2> Txt2ndMan{};
    UpDown* UpDnManure;
    UpDown* UpDnStart;
    UpDown* UpDnEnd;
    UpDown* UpDnStart1;
    UpDown* UpDnEnd1;
    UpDown* UpDnSepticPointFlag;
    std::array<rivulon::ui::FlexGrid*, 5> NGrid{};
    std::array<QLineEdit*, 5> TxtCell{};
    std::array<GridCellEdit*, 5> cellEdit{};
    QLabel* lblSepticHeading;
    QWidget* fraCounts;  // the land-use counts, hidden with the septic page alone
    QPushButton* cmdSaveN;
    QPushButton* CmdExit;

  protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void buildPages();
    QWidget* generalPage();
    QWidget* septicPage();
    void showTable(const rivulon::NutrientTable& table, int ruralCount, int urbanCount,
                   const QStringList& ruralNames, const QStringList& urbanNames);
    void setMonthBox(QLineEdit* box, int month) const;
    QString monthBoxText(int month) const;
    int maxPointYears() const;
    // False (with a message) when a spinner box holds what its spinner cannot take.
    bool checkTyped();
    QString monthName(int month) const;
    void manureCountChanged(int count);
    void changed();
    bool askToSave();
    QString problemText(const rivulon::NutrientCellProblem& problem) const;
    void sizeSepticGrid();
    void setSepticOnly(bool on);
    void showInFrame();

    rivulon::ui::WindowHost& host_;
    QString file_;
    QStringList ruralNames_, urbanNames_;
    int ruralCount_ = 0, urbanCount_ = 0;
    bool loading_ = false;
    bool loaded_ = false;     // the editor shows a file or new tables
    bool saved_ = false;      // saved since the last change
    bool dirty_ = false;      // changed since loaded or saved
    bool fileSaved_ = false;  // saved at least once
    QString savedName_;
    bool septicOnly_ = false;
    bool closedAnnounced_ = false;
    bool exiting_ = false;
    QString boxTextOnEntry_;
    std::function<void(bool, const QString&)> whenClosed_;
    // Manured rows the count hides, by row, as they were.
    struct HiddenRow {
        std::array<QString, 3> text;
        std::array<unsigned, 3> color{};
    };
    std::map<int, HiddenRow> hiddenManured_;
};
