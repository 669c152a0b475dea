#include "shell/dialogs.h"

#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QStyle>
#include <QVBoxLayout>
#include <algorithm>

#include "shell/app_folder.h"
#include "shell/help_service.h"

namespace rivulon::ui {

namespace {

// Questions block only the main window, so that the help viewer they open
// (a window of its own) can be read and scrolled while they wait.
void blockOnlyTheFrame(QDialog& dialog, QWidget* parent) {
    if (parent) {
        dialog.setWindowModality(Qt::WindowModal);
    }
}

int askBox(QWidget* parent, QMessageBox::Icon icon, const QString& title, const QString& text,
           QMessageBox::StandardButtons buttons) {
    QMessageBox box(icon, title, text, buttons, parent);
    blockOnlyTheFrame(box, parent);
    return box.exec();
}

QMessageBox::Icon iconOf(MessageKind kind) {
    switch (kind) {
        case MessageKind::Warning:
            return QMessageBox::Warning;
        case MessageKind::Critical:
            return QMessageBox::Critical;
        case MessageKind::Information:
            break;
    }
    return QMessageBox::Information;
}

QStyle::StandardPixmap pixmapOf(MessageKind kind) {
    switch (kind) {
        case MessageKind::Warning:
            return QStyle::SP_MessageBoxWarning;
        case MessageKind::Critical:
            return QStyle::SP_MessageBoxCritical;
        case MessageKind::Information:
            break;
    }
    return QStyle::SP_MessageBoxInformation;
}

// A message with a long list (files left from an earlier batch, warnings of
// many lines): a plain message box would grow past the screen and take its OK
// button with it, so the text scrolls in a box of bounded height.
void longMessageBox(QWidget* parent, const QString& text, const QString& title, MessageKind kind) {
    QDialog box(parent);
    box.setObjectName("LongMessage");
    box.setWindowTitle(title);
    auto* layout = new QVBoxLayout(&box);
    auto* top = new QHBoxLayout;
    auto* icon = new QLabel(&box);
    icon->setObjectName("MessageIcon");
    const int side = box.style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, &box);
    icon->setPixmap(box.style()->standardIcon(pixmapOf(kind), nullptr, &box).pixmap(side, side));
    icon->setAlignment(Qt::AlignTop);
    auto* lines = new QPlainTextEdit(text, &box);
    lines->setObjectName("MessageText");
    lines->setReadOnly(true);
    lines->setLineWrapMode(QPlainTextEdit::NoWrap);
    top->addWidget(icon);
    top->addWidget(lines, 1);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, &box);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &box, &QDialog::accept);
    layout->addLayout(top);
    layout->addWidget(buttons);
    // As wide as the longest line (within reason), at most half the screen high.
    const QFontMetrics metrics(lines->font());
    int widest = 0;
    for (const QString& line : text.split(QLatin1Char('\n'))) {
        widest = std::max(widest, metrics.horizontalAdvance(line));
    }
    QScreen* screen = parent ? parent->screen() : QGuiApplication::primaryScreen();
    const QRect available = screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
    lines->setMinimumSize(
        std::min(widest + 40, available.width() * 2 / 3),
        std::min(metrics.lineSpacing() * (kLongMessageLines + 1), available.height() / 2));
    blockOnlyTheFrame(box, parent);
    box.exec();
}

// An input box with a Help button that opens the caller's help topic.
QString runInputBox(QWidget* parent, const QString& prompt, const QString& title,
                    const QString& defaultText, int helpContext) {
    QDialog box(parent);
    box.setObjectName("InputBox");
    box.setWindowTitle(title);
    auto* layout = new QVBoxLayout(&box);
    auto* label = new QLabel(prompt, &box);
    label->setWordWrap(true);
    label->setMinimumWidth(360);
    auto* edit = new QLineEdit(defaultText, &box);
    edit->setObjectName("InputText");
    edit->selectAll();
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &box);
    if (helpContext > 0) {
        QPushButton* help = buttons->addButton(QDialogButtonBox::Help);
        QObject::connect(help, &QPushButton::clicked, &box,
                         [helpContext] { showHelp(HelpCommand::Context, helpContext); });
    }
    QObject::connect(buttons, &QDialogButtonBox::accepted, &box, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &box, &QDialog::reject);
    layout->addWidget(label);
    layout->addWidget(edit);
    layout->addWidget(buttons);
    blockOnlyTheFrame(box, parent);
    if (box.exec() != QDialog::Accepted) {
        return {};
    }
    return edit->text();
}

class QtDialogs : public DialogHandler {
  public:
    void message(QWidget* parent, const QString& text, const QString& title,
                 MessageKind kind) override {
        if (text.count(QLatin1Char('\n')) >= kLongMessageLines) {
            longMessageBox(parent, text, title, kind);
            return;
        }
        askBox(parent, iconOf(kind), title, text, QMessageBox::Ok);
    }
    bool askYesNo(QWidget* parent, const QString& text, const QString& title) override {
        return askBox(parent, QMessageBox::Question, title, text,
                      QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
    }
    QString inputBox(QWidget* parent, const QString& prompt, const QString& title,
                     const QString& defaultText, int helpContext) override {
        return runInputBox(parent, prompt, title, defaultText, helpContext);
    }
    QString openFile(QWidget* parent, const QString& title, const QString& folder,
                     const QString& filter) override {
        return QFileDialog::getOpenFileName(parent, title, folder, filter, nullptr,
                                            QFileDialog::DontUseNativeDialog);
    }
    QString saveFile(QWidget* parent, const QString& title, const QString& folder,
                     const QString& defaultName, const QString& defaultSuffix) override {
        QFileDialog dialog(parent, title, folder);
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setDefaultSuffix(defaultSuffix);
        dialog.selectFile(defaultName);
        dialog.setNameFilters({QStringLiteral("Data files (*.%1)").arg(defaultSuffix),
                               QStringLiteral("All files (*)")});
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
            return {};
        }
        return dialog.selectedFiles().constFirst();
    }
    bool choosePrinter(QWidget* parent, QPrinter& printer) override {
        // With no printer installed the dialog offers only a PDF file; left
        // to itself it proposes a folder rather than a file on some
        // platforms. Propose one in the output folder, named after the
        // document.
        if (printer.outputFileName().isEmpty() && QPrinterInfo::availablePrinterNames().isEmpty()) {
            const QString name =
                printer.docName().isEmpty() ? QStringLiteral("print") : printer.docName();
            printer.setOutputFileName(
                QDir(applicationFolder() + QStringLiteral("/Output")).filePath(name + ".pdf"));
        }
        QPrintDialog dialog(&printer, parent);
        return dialog.exec() == QDialog::Accepted;
    }
};

QtDialogs qtDialogs;
DialogHandler* current = &qtDialogs;

}  // namespace

void setDialogHandler(DialogHandler* handler) {
    current = handler ? handler : &qtDialogs;
}

DialogHandler& dialogs() {
    return *current;
}

QString sentenceStart(const QString& text) {
    if (text.isEmpty() || !text.at(0).isLower()) {
        return text;
    }
    // The first word: letters, hyphens and apostrophes up to a blank, a colon
    // or a comma. Anything else (a dot, a slash, a digit) is a name.
    qsizetype end = 0;
    while (end < text.size() && (text.at(end).isLetter() || text.at(end) == QLatin1Char('-') ||
                                 text.at(end) == QLatin1Char('\''))) {
        ++end;
    }
    if (end < text.size() && !text.at(end).isSpace() && text.at(end) != QLatin1Char(':') &&
        text.at(end) != QLatin1Char(',')) {
        return text;
    }
    return text.at(0).toUpper() + text.mid(1);
}

QString savedText(const QStringList& paths) {
    if (paths.isEmpty()) {
        return {};
    }
    QStringList names;
    QStringList folders;
    for (const QString& path : paths) {
        const QFileInfo file(path);
        names.append(file.fileName());
        if (!folders.contains(QDir::toNativeSeparators(file.absolutePath()))) {
            folders.append(QDir::toNativeSeparators(file.absolutePath()));
        }
    }
    auto joined = [](const QStringList& items) {
        if (items.size() == 1) {
            return items.constFirst();
        }
        return items.mid(0, items.size() - 1).join(QStringLiteral(", ")) + QStringLiteral(" and ") +
               items.constLast();
    };
    if (folders.size() > 1) {
        QStringList full;
        for (const QString& path : paths) {
            full.append(QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath()));
        }
        return QStringLiteral("Saved ") + joined(full);
    }
    const QString what =
        names.size() > 4 ? QStringLiteral("%1 files").arg(names.size()) : joined(names);
    return QStringLiteral("Saved %1 in %2").arg(what, folders.constFirst());
}

void showSaved(QWidget* from, const QStringList& paths) {
    const QString text = savedText(paths);
    if (text.isEmpty()) {
        return;
    }
    for (QWidget* w = from; w; w = w->parentWidget()) {
        if (auto* frame = qobject_cast<QMainWindow*>(w)) {
            frame->statusBar()->showMessage(text);
            return;
        }
    }
    // A window of its own (not inside the frame): the program's frame says it.
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (auto* frame = qobject_cast<QMainWindow*>(w); frame && frame->isVisible()) {
            frame->statusBar()->showMessage(text);
            return;
        }
    }
}

QString appTitle() {
    return QStringLiteral("Rivulon");
}

}  // namespace rivulon::ui
