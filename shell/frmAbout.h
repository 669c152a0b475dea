#pragma once

#include <QDialog>

class QPushButton;

// The About box.
class frmAbout : public QDialog {
    Q_OBJECT
  public:
    explicit frmAbout(QWidget* parent = nullptr);

    void cmdOK_Click();
    void cmdSysInfo_Click();
    // Starts the system-information tool; false (after the message) when none.
    bool StartSysInfo();

  private:
    QPushButton* cmdOK;
    QPushButton* cmdSysInfo;
};
