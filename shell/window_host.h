#pragma once

#include <QSize>
#include <QString>
#include <QWidget>
#include <cstdint>

#include "shell/window_kind.h"

class Session;

namespace rivulon::ui {

class Jobs;

// What a window may use of the program. Windows see this, never the main
// window's class, and never another window's widgets: they talk through the
// host, through the session's signals, or through the small service
// interfaces that some windows implement (one header each, beside the window
// that provides it, naming that window's kind as `kProvider`).
class WindowHost {
  public:
    virtual ~WindowHost() = default;

    virtual Session& session() = 0;
    // The frame that dialogs belong to.
    virtual QWidget* frame() = 0;

    // The open window of that kind (the most recently opened one when many
    // may be open), or nullptr.
    virtual QWidget* findWindow(WindowKind kind) const = 0;
    // Finds the open window of a single-instance kind, or creates one through
    // the registry. A new window is a child of the frame (deleted when
    // closed) but not yet shown. nullptr when the kind has no window yet.
    virtual QWidget* openWindow(WindowKind kind) = 0;
    // Makes a window the caller created a child of the frame.
    virtual void addChild(QWidget* window) = 0;
    // Shows a child inside the visible part of the frame and activates it.
    virtual void showChild(QWidget* window) = 0;

    // The host places windows; a window never moves or sizes its own frame
    // or another window's. The frame follows the window's size hint:
    virtual void fitFrame(QWidget* window) = 0;
    // The window's own area gets `size`, within the frame:
    virtual void resizeFrame(QWidget* window, QSize size) = 0;
    // In the middle of the frame:
    virtual void centreChild(QWidget* window) = 0;
    // Towards the lower right corner, out of the way of the run's graphs:
    virtual void placeInCorner(QWidget* window) = 0;

    // Runs a menu command by its item's name, as if the user chose it.
    virtual void runCommand(const QString& menuItem) = 0;

    // Help by command (1 topic, 2 close, 15 contents, 257 index) and context number.
    virtual void HelpCmd(std::int16_t command, std::int32_t context) = 0;
    // An input box that asks again while the answer is not empty and is not
    // a number below `limit` in absolute value; empty means cancelled.
    virtual QString CheckInputBox(const QString& prompt, const QString& title, float limit,
                                  int helpContext, const QString& defaultText) = 0;
    // Asks for the population growth rate and stores a given answer.
    virtual void SetPopRate(const QString& explanation, const QString& kind) = 0;
    // Opens a file (or nothing) in the user's text editor; false with a message when none starts.
    virtual bool NotepadOpen(const QString& fileName) = 0;

    // Starts long work off the interface thread, one job at a time.
    virtual Jobs& jobs() = 0;
};

// The open window that provides a service, or nullptr.
template <typename Service>
Service* findService(const WindowHost& host) {
    return dynamic_cast<Service*>(host.findWindow(Service::kProvider));
}

// The window that provides a service, opened (not yet shown) when none is.
template <typename Service>
Service* openService(WindowHost& host) {
    return dynamic_cast<Service*>(host.openWindow(Service::kProvider));
}

}  // namespace rivulon::ui
