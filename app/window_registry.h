#pragma once

#include <QString>
#include <span>

#include "shell/window_host.h"

class QWidget;

namespace rivulon::ui {

// One kind of window: how to make one, whether only one may be open, and the
// help topic its Help button (or F1) shows.
struct WindowRow {
    WindowKind kind;
    const char* className;                 // the window's class, also its object name
    QWidget* (*create)(WindowHost& host);  // nullptr while the window is not built
    bool singleInstance;
    int helpContext;
};

// One menu (or toolbar) command that opens a window. Without `run` the
// command finds or creates the window and shows it; with it, `run` does the
// command's own steps (questions first, a mode, a file).
struct CommandRow {
    const char* menuItem;  // the menu item's name
    const char* caption;   // names the window in the "not available yet" message
    WindowKind kind;
    void (*run)(WindowHost& host) = nullptr;
};

std::span<const WindowRow> windowRows();
std::span<const CommandRow> commandRows();
const WindowRow* windowRow(WindowKind kind);
const CommandRow* commandRow(const QString& menuItem);

}  // namespace rivulon::ui
