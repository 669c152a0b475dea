#pragma once

#include <memory>

class QWidget;

namespace rivulon::ui {

// What the Edit menu's Copy, Cut and Paste act on: the focused control of the
// active window. Grids and other controls of the program's own implement it;
// the standard controls (text, combo and list boxes, pictures) get an adapter.
class EditTarget {
  public:
    virtual ~EditTarget() = default;
    virtual bool canCopy() const { return true; }
    virtual bool canCut() const = 0;
    virtual bool canPaste() const = 0;
    virtual void copy() = 0;
    virtual void cut() = 0;
    virtual void paste() = 0;
};

// The edit target of a focused control: the control itself (or the control
// whose viewport it is) when it implements EditTarget, else an adapter kept
// in `adapter`; nullptr for a control the Edit menu does not act on.
EditTarget* editTargetFor(QWidget* control, std::unique_ptr<EditTarget>& adapter);

}  // namespace rivulon::ui
