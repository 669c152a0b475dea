#pragma once

#include <QWidget>

#include "shell/window_host.h"
#include "shell/window_registration.h"

class QLineEdit;
class QPushButton;

// The sediment delivery ratio of a watershed from its area in square miles.
class frmSDR : public QWidget {
    Q_OBJECT
  public:
    static constexpr rivulon::ui::WindowKind kKind{"frmSDR"};
    static const rivulon::ui::WindowRegistration registration;

    explicit frmSDR(rivulon::ui::WindowHost& host);

    void cmdCalculate_Click();

    QLineEdit* TxtArea;
    QPushButton* cmdCalculate;
    QLineEdit* TxtSDR;
};
