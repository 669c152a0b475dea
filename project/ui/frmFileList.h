#pragma once

#include <QDialog>
#include <array>

#include "project/file_list.h"

class QLabel;
class QLineEdit;
class QPushButton;
class DriveList;
class DirList;
class FileList;
class Session;

// The start-up dialogue: a project file picked and checked, or the input
// files picked one by one with the ten path boxes.
class frmFileList : public QDialog {
    Q_OBJECT
  public:
    enum class Mode {
        Project,  // "Where's the project or option file?"
        Files,    // the ordinary window: files one by one
        Hidden,   // loaded but not shown (the main window's project builder)
    };
    // What the user chose when the dialogue closed.
    enum class Choice {
        None,       // closed without a choice
        Project,    // a project file was picked
        NoProject,  // "no project file": pick the files one by one
        Files,      // the files one by one were confirmed
        CreateNew,  // new input files asked for
        End,        // end the program
    };

    frmFileList(Session& session, QWidget* parent, Mode mode);
    Choice choice() const { return choice_; }

    // Fills the boxes from the default names found in the file list.
    void FillText();
    bool CheckFile();
    bool UseOptionFile() const;
    void CreateProject(float a, float b, float lower, float upper, float yearSeep);

    void btnGetFile_Click();
    void btnNoFile_Click();
    void cmdCreateNew_Click();
    void btnOK_Click();
    void btnEnd_Click();
    void btnCreatePrj_Click();
    void btnFind_Click(int index);
    void Drive1_Change();
    void Dir1_Change();

    rivulon::FileBoxes boxes() const;

    std::array<QLineEdit*, 10> TxtInputFile{};
    std::array<QPushButton*, 10> btnFind{};
    std::array<QLabel*, 10> lblInputFile{};
    DriveList* Drive1;
    DirList* Dir1;
    FileList* File1;
    QPushButton* btnGetFile;
    QPushButton* btnNoFile;
    QPushButton* cmdCreateNew;
    QPushButton* btnOK;
    QPushButton* btnCreatePrj;
    QPushButton* btnEnd;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void Form_Load();

    Session& session_;
    Mode mode_;
    Choice choice_ = Choice::None;
};
