#include "shell/dialogs.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QVBoxLayout>

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
    void message(QWidget* parent, const QString& text, const QString& title) override {
        askBox(parent, QMessageBox::Information, title, text, QMessageBox::Ok);
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

QString appTitle() {
    return QStringLiteral("Rivulon");
}

}  // namespace rivulon::ui
