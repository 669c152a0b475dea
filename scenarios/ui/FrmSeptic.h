#pragma once

#include <QPointer>
#include <QString>
#include <QWidget>
#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "project/ui/nutrient_editor_service.h"
#include "scenarios/septic_technology.h"
#include "shell/jobs.h"
#include "shell/window_host.h"
#include "shell/window_registration.h"

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

// Spreads the septic population over treatment technologies, derives the
// overall N reduction of normal systems and the new normal/ponded split,
// writes the split through the nutrient editor and runs the model with
// septic systems.
//
// Its parts: FrmSeptic.cpp (the form and the populations it shows),
// FrmSeptic_table.cpp (the technology list: add, change, load, default),
// FrmSeptic_run.cpp (the split into the nutrient file, the run, View/Save).
class FrmSeptic : public QWidget {
    Q_OBJECT
  public:
    static constexpr rivulon::ui::WindowKind kKind{"FrmSeptic"};
    static const rivulon::ui::WindowRegistration registration;

    explicit FrmSeptic(rivulon::ui::WindowHost& host);
    ~FrmSeptic() override;

    void SepticInitialization();
    void NoteUpdate();
    // Writes `table` as a technology file; a cancelled dialog writes nothing,
    // a failed write says so. True when the file was written.
    bool SaveData(const rivulon::SepticTechTable& table);
    void UpdateNutrient(float failedShare);

    void cboTechName_Click();
    void cmdAdd_Click();
    void cmdChange_Click();
    void CmdCancel_Click();
    void cmdOK_Click();
    void cmdSetSeptic_Click();
    void cmdLoadData_Click();
    void CmdView_Click();
    void CmdGetNutr_Click();
    void CmdDefault_Click();
    void cmdClose_Click();

    // What the nutrient editor does when it closes after UpdateNutrient.
    void nutrientEditorClosed(bool fileSaved, const QString& savedName);

    // Where the window gets the nutrient editor; the default opens the
    // editor window through the host (tests hand in a stand-in).
    using EditorSource = std::function<rivulon::ui::NutrientEditorService*()>;
    void setEditorSource(EditorSource source) { editorSource_ = std::move(source); }

    const rivulon::SepticTechTable& table() const { return table_; }
    bool panelShown() const;
    bool waitingForEditor() const { return waitingForEditor_; }
    // A septic run started by Close/Run is in flight.
    bool running() const { return job_ != nullptr; }

    QLineEdit* TxtCurPop;
    QLineEdit* TxtNorm;
    QLineEdit* TxtPond;
    QLineEdit* TxtShort;
    QLineEdit* TxtDirect;
    QLabel* lblTechName_0;
    QComboBox* cboTechName;
    QLineEdit* TxtReduction;
    QLineEdit* txtFailure;
    QLineEdit* txtUseCur;
    QPlainTextEdit* TxtNotes;
    QPushButton* cmdSetSeptic;
    QPushButton* cmdClose;
    QPushButton* cmdAdd;
    QPushButton* cmdChange;
    QPushButton* cmdLoadData;
    QPushButton* CmdView;
    QPushButton* CmdGetNutr;
    QPushButton* CmdDefault;
    QGroupBox* Frame5;
    QLabel* lblInfo;
    QLineEdit* TxtAddTech;
    QLineEdit* TxtAddRed;
    QLineEdit* txtAddPop;
    QLineEdit* TxtAddFailure;
    QPushButton* cmdOK;
    QPushButton* CmdCancel;

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    // A value as the boxes show it.
    static QString plain(float value);
    // Layout warnings of the nutrient file already shown.
    std::vector<std::string> warned_;
    void showPanel(bool shown);
    void fillCombo();
    void loadPopulations();
    void showAverages();
    rivulon::ui::NutrientEditorService* openEditor();
    void runSeptic();
    struct RunReport;
    void runEnded(const rivulon::ui::JobEnd& end, const RunReport& report, const QString& results);

    rivulon::ui::WindowHost& host_;
    rivulon::SepticTechTable table_;
    float normalSum_ = 0, pondedSum_ = 0;  // N and P: yearly sums of the monthly populations
    int changing_ = -1;                    // the entry "Change" edits
    bool waitingForEditor_ = false;
    EditorSource editorSource_;
    QPointer<rivulon::ui::Job> job_;
};
