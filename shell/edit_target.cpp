#include "shell/edit_target.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QTextEdit>

#include "shell/PictureBox.h"

namespace rivulon::ui {

namespace {

QClipboard* clipboard() {
    return QApplication::clipboard();
}

bool clipboardHasText() {
    const QMimeData* data = clipboard()->mimeData();
    return data && data->hasText();
}

// Copy first clears the clipboard, so that nothing of an earlier copy stays
// beside the new text.
void putText(const QString& text) {
    clipboard()->clear();
    clipboard()->setText(text);
}

class LineEditTarget : public EditTarget {
  public:
    explicit LineEditTarget(QLineEdit* box) : box_(box) {}
    bool canCut() const override { return true; }
    bool canPaste() const override { return clipboardHasText(); }
    // With nothing selected there is nothing to copy, and the clipboard
    // keeps what the user put there.
    void copy() override {
        if (box_->hasSelectedText()) {
            putText(box_->selectedText());
        }
    }
    void cut() override {
        if (!box_->hasSelectedText()) {
            return;
        }
        copy();
        box_->insert(QString());
    }
    void paste() override { box_->insert(clipboard()->text()); }

  private:
    QLineEdit* box_;
};

template <typename Edit>
class TextEditTarget : public EditTarget {
  public:
    explicit TextEditTarget(Edit* box) : box_(box) {}
    bool canCut() const override { return true; }
    bool canPaste() const override { return clipboardHasText(); }
    void copy() override {
        if (box_->textCursor().hasSelection()) {
            putText(box_->textCursor().selectedText());
        }
    }
    void cut() override {
        if (!box_->textCursor().hasSelection()) {
            return;
        }
        copy();
        if (!box_->isReadOnly()) {
            box_->textCursor().removeSelectedText();
        }
    }
    void paste() override {
        if (!box_->isReadOnly()) {
            box_->textCursor().insertText(clipboard()->text());
        }
    }

  private:
    Edit* box_;
};

class ComboTarget : public EditTarget {
  public:
    explicit ComboTarget(QComboBox* combo) : combo_(combo) {}
    bool canCut() const override { return true; }
    bool canPaste() const override { return clipboardHasText(); }
    void copy() override { putText(combo_->currentText()); }
    void cut() override {
        copy();
        if (combo_->isEditable()) {
            combo_->setEditText(QString());
        } else {
            combo_->setCurrentIndex(-1);
        }
    }
    void paste() override {
        const QString text = clipboard()->text();
        if (combo_->isEditable()) {
            combo_->setEditText(text);
        } else {
            combo_->setCurrentIndex(combo_->findText(text));
        }
    }

  private:
    QComboBox* combo_;
};

class ListTarget : public EditTarget {
  public:
    explicit ListTarget(QListWidget* list) : list_(list) {}
    bool canCut() const override { return true; }
    bool canPaste() const override { return clipboardHasText(); }
    void copy() override {
        putText(list_->currentItem() ? list_->currentItem()->text() : QString());
    }
    void cut() override {
        copy();
        delete list_->takeItem(list_->currentRow());
    }
    void paste() override { list_->addItem(clipboard()->text()); }

  private:
    QListWidget* list_;
};

class PictureTarget : public EditTarget {
  public:
    explicit PictureTarget(PictureBox* picture) : picture_(picture) {}
    bool canCut() const override { return true; }
    bool canPaste() const override {
        const QMimeData* data = clipboard()->mimeData();
        return data && data->hasImage();
    }
    void copy() override {
        clipboard()->clear();
        clipboard()->setImage(picture_->image());
    }
    void cut() override {
        copy();
        picture_->clear();
    }
    void paste() override {
        const QImage image = clipboard()->image();
        if (!image.isNull()) {
            picture_->setImage(image);
        }
    }

  private:
    PictureBox* picture_;
};

}  // namespace

EditTarget* editTargetFor(QWidget* control, std::unique_ptr<EditTarget>& adapter) {
    adapter.reset();
    if (!control) {
        return nullptr;
    }
    // A scroll area's viewport has the focus of its control.
    if (auto* own = dynamic_cast<EditTarget*>(control)) {
        return own;
    }
    if (auto* own = dynamic_cast<EditTarget*>(control->parentWidget())) {
        return own;
    }
    if (auto* combo = qobject_cast<QComboBox*>(control)) {
        adapter = std::make_unique<ComboTarget>(combo);
    } else if (auto* combo = qobject_cast<QComboBox*>(control->parentWidget());
               combo && qobject_cast<QLineEdit*>(control)) {
        adapter = std::make_unique<ComboTarget>(combo);
    } else if (auto* line = qobject_cast<QLineEdit*>(control)) {
        adapter = std::make_unique<LineEditTarget>(line);
    } else if (auto* text = qobject_cast<QTextEdit*>(control)) {
        adapter = std::make_unique<TextEditTarget<QTextEdit>>(text);
    } else if (auto* plain = qobject_cast<QPlainTextEdit*>(control)) {
        adapter = std::make_unique<TextEditTarget<QPlainTextEdit>>(plain);
    } else if (auto* list = qobject_cast<QListWidget*>(control)) {
        adapter = std::make_unique<ListTarget>(list);
    } else if (auto* picture = qobject_cast<PictureBox*>(control)) {
        adapter = std::make_unique<PictureTarget>(picture);
    } else {
        // The inner grid of a loaded control: the holder of that control
        // answers for it.
        for (QWidget* w = control->parentWidget(); w && !w->isWindow(); w = w->parentWidget()) {
            if (auto* holder = dynamic_cast<EditTarget*>(w)) {
                return holder;
            }
        }
    }
    // A control made by a library (the editable grid) is held in a box of
    // the window that copies for it.
    for (QWidget* up = control->parentWidget(); !adapter && up && !up->isWindow();
         up = up->parentWidget()) {
        if (auto* own = dynamic_cast<EditTarget*>(up)) {
            return own;
        }
    }
    return adapter.get();
}

}  // namespace rivulon::ui
