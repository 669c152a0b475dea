#pragma once

class QWidget;

namespace rivulon::ui {

// Ends every in-cell edit still open in `window` as Enter would: the typed
// text goes into its cell, which turns red. Every command that reads a
// window's grids (save, append, use, set, close, a page change) calls this
// first, so that a value typed and not confirmed is never lost. An edit is
// anything in the window with an invokable EndEdit() (the editable grid
// control, the editors' cell boxes). True when an edit was ended.
bool endCellEdits(QWidget* window);

}  // namespace rivulon::ui
