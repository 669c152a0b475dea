#pragma once

#include <QWidget>
#include <array>

class QCheckBox;
class QGridLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class MDIFrmMain;

// Sets the seepage control, or (after SetVarConc) the variable nutrient
// concentration coefficients, and switches the matching menu check marks.
class FrmSeepage : public QWidget {
    Q_OBJECT
  public:
    explicit FrmSeepage(MDIFrmMain* main);

    void SetVarConc();
    bool variableConcentrationMode() const { return varConcMode_; }

    void cmdSet_Click();
    void CmdDefault_Click();
    void CmdCancel_Click();
    void CmdSetV_Click();
    void CmdDefaultV_Click();
    void cmdCancelV_Click();

    std::array<QLineEdit*, 4> Text1{};
    std::array<QLabel*, 4> Label1{};
    QCheckBox* OptSeepOut;
    QPushButton* cmdSet;
    QPushButton* CmdDefault;
    QPushButton* CmdCancel;
    QPushButton* CmdSetV;
    QPushButton* CmdDefaultV;
    QPushButton* cmdCancelV;

  private:
    std::array<std::string, 4> boxes() const;

    MDIFrmMain* main_;
    QGridLayout* grid_;
    bool varConcMode_ = false;
};
