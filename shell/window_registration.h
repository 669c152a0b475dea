#pragma once

#include <span>

#include "shell/window_kind.h"

class QWidget;
class Session;

namespace rivulon::ui {

class WindowHost;

// A menu command that a window kind brings with it. The main window puts it
// into the menu named by `menu`, after (or before) the item named there, or
// at the menu's end, and keeps its enabled state and check mark up to date.
struct WindowCommand {
    const char* id;       // the menu item's object name
    const char* caption;  // with its & mnemonic
    const char* menu;     // the object name of the menu it belongs to
    const char* after = nullptr;
    const char* before = nullptr;
    // The command's steps; without them the command opens the window and shows it.
    void (*run)(WindowHost& host) = nullptr;
    // When the command may be chosen; without it, the project's files decide
    // (the menus that need data are off until the inputs are read).
    bool (*enabledWhen)(WindowHost& host) = nullptr;
    // A check item, checked while this holds.
    bool (*checkedWhen)(const Session& session) = nullptr;
    const char* shortcut = nullptr;
};

// What the registry knows of a window kind: how to make one, whether only one
// may be open, the help topic its F1 shows, and its commands.
struct WindowRegistration {
    WindowKind kind;
    QWidget* (*create)(WindowHost& host);
    bool singleInstance;
    int helpContext;
    std::span<const WindowCommand> commands;
};

template <typename Window>
QWidget* makeWindow(WindowHost& host) {
    return new Window(host);
}

}  // namespace rivulon::ui
