#include "shell/HelpViewer.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpression>
#include <QShortcut>
#include <QTextBrowser>
#include <QTextDocument>
#include <QUrl>
#include <QVBoxLayout>

#include "shell/data_paths.h"
#include "shell/help_service.h"

namespace rivulon::ui {

QString helpFolder() {
    return dataFolder(QStringLiteral("help"), QStringLiteral(RIVULON_SOURCE_HELP_DIR));
}

QString helpTopicFile(int context) {
    const QString folder = helpFolder();
    if (folder.isEmpty() || context <= 0) {
        return {};
    }
    // Each topic names its context numbers in <meta name="help-context" content="75 76">.
    static const QRegularExpression meta(
        QStringLiteral("<meta\\s+name=\"help-context\"\\s+content=\"([0-9 ]+)\""));
    const QDir dir(folder);
    for (const QString& name : dir.entryList({QStringLiteral("*.html")}, QDir::Files, QDir::Name)) {
        QFile file(dir.absoluteFilePath(name));
        if (!file.open(QIODevice::ReadOnly)) {
            continue;
        }
        const QString head = QString::fromUtf8(file.read(4096));
        const QRegularExpressionMatch match = meta.match(head);
        if (!match.hasMatch()) {
            continue;
        }
        const QStringList numbers = match.captured(1).split(' ', Qt::SkipEmptyParts);
        if (numbers.contains(QString::number(context))) {
            return dir.absoluteFilePath(name);
        }
    }
    return {};
}

namespace {
QPointer<HelpViewer> viewer;

HelpViewer& theViewer() {
    if (!viewer) {
        viewer = new HelpViewer;
        viewer->setAttribute(Qt::WA_DeleteOnClose);
    }
    viewer->show();
    viewer->raise();
    viewer->activateWindow();
    return *viewer;
}
}  // namespace

void showHelp(HelpCommand command, int context) {
    switch (command) {
        case HelpCommand::Context:
            theViewer().showContext(context);
            break;
        case HelpCommand::Contents:
            theViewer().showContents();
            break;
        case HelpCommand::Index:
            theViewer().showIndex();
            break;
        case HelpCommand::Quit:
            if (viewer) {
                // Deleted later: a help request before then must get a new viewer.
                viewer->close();
                viewer = nullptr;
            }
            break;
    }
}

}  // namespace rivulon::ui

using rivulon::ui::helpFolder;

HelpViewer::HelpViewer(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName("HelpViewer");
    setWindowTitle(tr("Rivulon Help"));
    resize(720, 560);
    text_ = new QTextBrowser(this);
    text_->setObjectName("HelpText");
    text_->setOpenExternalLinks(true);
    status_ = new QLabel(this);
    status_->setObjectName("HelpStatus");
    auto* contents = new QPushButton(tr("&Contents"), this);
    auto* index = new QPushButton(tr("&Index"), this);
    auto* back = new QPushButton(tr("&Back"), this);
    auto* forward = new QPushButton(tr("&Forward"), this);
    connect(contents, &QPushButton::clicked, this, &HelpViewer::showContents);
    connect(index, &QPushButton::clicked, this, &HelpViewer::showIndex);
    connect(back, &QPushButton::clicked, text_, &QTextBrowser::backward);
    connect(forward, &QPushButton::clicked, text_, &QTextBrowser::forward);
    connect(text_, &QTextBrowser::backwardAvailable, back, &QPushButton::setEnabled);
    connect(text_, &QTextBrowser::forwardAvailable, forward, &QPushButton::setEnabled);
    back->setEnabled(false);
    forward->setEnabled(false);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(contents);
    buttons->addWidget(index);
    buttons->addWidget(back);
    buttons->addWidget(forward);
    buttons->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    layout->addWidget(text_);
    layout->addWidget(status_);
    // Closed as other viewers are, through the one place that forgets it.
    for (const QKeySequence& key :
         {QKeySequence(Qt::Key_Escape), QKeySequence(Qt::CTRL | Qt::Key_W)}) {
        auto* shortcut = new QShortcut(key, this);
        connect(shortcut, &QShortcut::activated, this,
                [] { rivulon::ui::showHelp(rivulon::ui::HelpCommand::Quit); });
    }
}

void HelpViewer::open(const QString& file) {
    status_->clear();
    applyStyleSheet(QFileInfo(file).absolutePath());
    if (file.isEmpty() || !QFile::exists(file)) {
        text_->setHtml(
            tr("<p>The user guide was not found. It is installed with the program "
               "in share/rivulon/help.</p>"));
        return;
    }
    text_->setSource(QUrl::fromLocalFile(file));
}

void HelpViewer::showContents() {
    const QString folder = helpFolder();
    open(folder.isEmpty() ? QString() : folder + QStringLiteral("/index.html"));
}

void HelpViewer::showIndex() {
    const QString folder = helpFolder();
    open(folder.isEmpty() ? QString() : folder + QStringLiteral("/keywords.html"));
}

void HelpViewer::showContext(int context) {
    const QString file = rivulon::ui::helpTopicFile(context);
    if (file.isEmpty()) {
        showContents();
        status_->setText(
            tr("There is no help topic for context %1; the contents are shown.").arg(context));
        return;
    }
    open(file);
}

void HelpViewer::applyStyleSheet(const QString& folder) {
    // The text browser reads a linked stylesheet only when the link names its
    // type, so the guide's own stylesheet is also made every page's default.
    QFile css(folder + QStringLiteral("/help.css"));
    QString sheet;
    if (css.open(QIODevice::ReadOnly)) {
        sheet = QString::fromUtf8(css.readAll());
    }
    text_->document()->setDefaultStyleSheet(sheet);
    text_->setSearchPaths({folder});
}

QString HelpViewer::currentFile() const {
    return text_->source().toLocalFile();
}
