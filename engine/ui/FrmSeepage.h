#pragma once

#include <QWidget>
#include <array>

#include "shell/window_host.h"
#include "shell/window_registration.h"

class QCheckBox;
class QGridLayout;
class QLabel;
class QLineEdit;
class QPushButton;

// Sets the seepage control, or (after SetVarConc) the variable nutrient
// concentration coefficients, and switches the matching menu check marks.
class FrmSeepage : public QWidget {
    Q_OBJECT
  public:
    static constexpr rivulon::ui::WindowKind kKind{"FrmSeepage"};
    static const rivulon::ui::WindowRegistration registration;

    explicit FrmSeepage(rivulon::ui::WindowHost& host);
    // The menu commands: a fresh window each time, in either mode.
    static void openSeepage(rivulon::ui::WindowHost& host);
    static void openVariableConcentration(rivulon::ui::WindowHost& host);
    // The menu commands: each switches its option off when it is on, and
    // otherwise opens the window that sets it.
    static void seepageCommand(rivulon::ui::WindowHost& host);
    static void variableConcentrationCommand(rivulon::ui::WindowHost& host);

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
    static void open(rivulon::ui::WindowHost& host, bool variableConcentration);
    std::array<std::string, 4> boxes() const;

    rivulon::ui::WindowHost& host_;
    QGridLayout* grid_;
    bool varConcMode_ = false;
};
