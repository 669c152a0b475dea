#include "app/MDIFrmMain.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QIcon>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPainter>
#include <QPrinter>
#include <QShortcut>
#include <QStatusBar>
#include <QToolBar>
#include <algorithm>
#include <cmath>

#include "app/window_registry.h"
#include "common/list_reader.h"
#include "common/number_format.h"
#include "mapdb/ui/county_record_view.h"
#include "project/startup.h"
#include "shell/dialogs.h"
#include "shell/frmAbout.h"
#include "shell/help_service.h"
#include "shell/qt_text.h"
#include "shell/text_editor.h"
#include "shell/widgets/grid_export.h"

using namespace rivulon::ui;

namespace {

// A closed window is hidden at once and deleted later; a new one is hidden
// only until it is first shown.
bool closedOrClosing(const QWidget* w) {
    return w->isHidden() && w->testAttribute(Qt::WA_WState_ExplicitShowHide);
}

}  // namespace

// The icons are compiled into the window library; a static library's
// resources must be registered by hand.
static void initResources() {
    Q_INIT_RESOURCE(rivulon);
}

MDIFrmMain::MDIFrmMain(QWidget* parent) : QMainWindow(parent) {
    initResources();
    setObjectName("MDIFrmMain");
    setWindowTitle(appTitle());
    setWindowIcon(QIcon(QStringLiteral(":/icons/rivulon.png")));
    mdiArea_ = new QMdiArea(this);
    mdiArea_->setObjectName("MDIArea");
    mdiArea_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    mdiArea_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    // A window opened or brought forward keeps its own size when another is maximised.
    mdiArea_->setOption(QMdiArea::DontMaximizeSubWindowOnActivation);
    setCentralWidget(mdiArea_);
    // Saves say there what they wrote.
    statusBar();
    followActiveWindow();
    createActions();
    createMenus();
    addWindowCommands();
    createToolBars();
    followSession();
    keepSelectionsForMenus();
}

MDIFrmMain::~MDIFrmMain() {
    // The job in flight ends first, its windows still there to hear it; then
    // the children, while the session and the jobs they use live.
    jobs_.stopAndWait();
    mdiArea_->closeAllSubWindows();
    qDeleteAll(mdiArea_->subWindowList());
}

void MDIFrmMain::followSession() {
    connect(&session_, &Session::optionsChanged, this, &MDIFrmMain::refreshOptionMarks);
    connect(&session_, &Session::filesChanged, this, &MDIFrmMain::followFiles);
    connect(&session_, &Session::resultsChanged, this, &MDIFrmMain::followRuns);
    connect(&session_, &Session::runningChanged, this, &MDIFrmMain::followRuns);
    connect(&jobs_, &Jobs::jobStarted, this, &MDIFrmMain::followJobs);
    connect(&jobs_, &Jobs::jobEnded, this, &MDIFrmMain::followJobs);
    // Ctrl+C and the other shortcuts act between menu openings too.
    connect(mdiArea_, &QMdiArea::subWindowActivated, this, &MDIFrmMain::MnuEdit_Open);
    // A window opening or closing changes what some commands can do.
    connect(mdiArea_, &QMdiArea::subWindowActivated, this, &MDIFrmMain::refreshCommandStates);
    connect(qApp, &QApplication::focusChanged, this, &MDIFrmMain::MnuEdit_Open);
    followFiles();
    followRuns();
    refreshOptionMarks();
}

void MDIFrmMain::followFiles() {
    if (!session_.inputsLoaded) {
        disableDataMenus();
        return;
    }
    const rivulon::ProjectSettings& s = session_.settings;
    QStringList counties;
    for (const std::string& name : s.countyNames) {
        counties.append(qs(name));
    }
    setCountyMenu(counties);
    EnableMenu();
    actions_.value("MnuNormalW")->setEnabled(s.datedWeather);
    refreshOptionMarks();
}

void MDIFrmMain::followRuns() {
    refreshCommandStates();
}

void MDIFrmMain::followJobs() {
    const bool free = !jobs_.holdsSession();
    for (const char* name : {"mnuStart", "MnuInput", "MnuBuildProject"}) {
        if (QAction* a = actions_.value(QString::fromLatin1(name))) {
            a->setEnabled(free);
        }
    }
    refreshCommandStates();
}

QWidget* MDIFrmMain::findWindow(WindowKind kind) const {
    const QString name =
        QString::fromLatin1(kind.className.data(), static_cast<qsizetype>(kind.className.size()));
    const QList<QMdiSubWindow*> windows = mdiArea_->subWindowList(QMdiArea::CreationOrder);
    for (auto it = windows.rbegin(); it != windows.rend(); ++it) {
        QWidget* w = (*it)->widget();
        if (w && w->objectName() == name && !closedOrClosing(*it) && !closedOrClosing(w)) {
            return w;
        }
    }
    return nullptr;
}

QWidget* MDIFrmMain::openWindow(WindowKind kind) {
    const WindowRegistration* row = registrationOf(kind);
    if (!row || !row->create) {
        return nullptr;
    }
    if (row->singleInstance) {
        if (QWidget* open = findWindow(kind)) {
            return open;
        }
    }
    QWidget* window = row->create(*this);
    if (window->objectName().isEmpty()) {
        window->setObjectName(QString::fromLatin1(kind.className.data(),
                                                  static_cast<qsizetype>(kind.className.size())));
    }
    addHelpKey(window, row->helpContext);
    addChild(window);
    return window;
}

// F1 in a window shows its topic of the guide, unless the window answers F1
// itself (a window with several topics).
void MDIFrmMain::addHelpKey(QWidget* window, int helpContext) {
    const QKeySequence f1(Qt::Key_F1);
    for (const QShortcut* own : window->findChildren<QShortcut*>()) {
        if (own->key() == f1 || own->key() == QKeySequence(QKeySequence::HelpContents)) {
            return;
        }
    }
    auto* help = new QShortcut(f1, window);
    help->setObjectName(QStringLiteral("HelpKey"));
    help->setContext(Qt::WidgetWithChildrenShortcut);
    connect(help, &QShortcut::activated, window, [helpContext] {
        showHelp(helpContext > 0 ? HelpCommand::Context : HelpCommand::Contents, helpContext);
    });
}

void MDIFrmMain::addChild(QWidget* window) {
    window->setAttribute(Qt::WA_DeleteOnClose);
    QMdiSubWindow* sub = mdiArea_->addSubWindow(window);
    sub->setAttribute(Qt::WA_DeleteOnClose);
    sub->setWindowIcon(windowIcon());
    // A window that closes itself takes its frame with it.
    connect(
        window, &QObject::destroyed, sub, [sub] { sub->close(); }, Qt::QueuedConnection);
}

namespace {

QMdiSubWindow* frameOf(QWidget* window) {
    return qobject_cast<QMdiSubWindow*>(window ? window->parentWidget() : nullptr);
}

// The area places a new window after the others, often past the right edge;
// a frame grown by its window may reach past it too.
void keepInside(QMdiSubWindow* sub, const QRect& area) {
    QRect frame = sub->geometry();
    if (frame.width() > area.width()) {
        frame.setWidth(area.width());
    }
    if (frame.height() > area.height()) {
        frame.setHeight(area.height());
    }
    frame.moveRight(std::min(frame.right(), area.right()));
    frame.moveBottom(std::min(frame.bottom(), area.bottom()));
    frame.moveLeft(std::max(frame.left(), 0));
    frame.moveTop(std::max(frame.top(), 0));
    sub->setGeometry(frame);
}

}  // namespace

void MDIFrmMain::showChild(QWidget* window) {
    QMdiSubWindow* sub = frameOf(window);
    if (!sub) {
        return;
    }
    window->show();
    // A new window opens at its own size even when the others are maximised.
    if (sub->testAttribute(Qt::WA_WState_ExplicitShowHide)) {
        sub->show();
    } else {
        sub->showNormal();
    }
    keepInside(sub, mdiArea_->viewport()->rect());
    mdiArea_->setActiveSubWindow(sub);
}

void MDIFrmMain::fitFrame(QWidget* window) {
    if (QMdiSubWindow* sub = frameOf(window)) {
        sub->adjustSize();
        if (sub->isVisible()) {
            keepInside(sub, mdiArea_->viewport()->rect());
        }
    }
}

void MDIFrmMain::resizeFrame(QWidget* window, QSize size) {
    if (QMdiSubWindow* sub = frameOf(window)) {
        sub->resize(sub->size() - window->size() + size);
        if (sub->isVisible()) {
            keepInside(sub, mdiArea_->viewport()->rect());
        }
    }
}

void MDIFrmMain::centreChild(QWidget* window) {
    if (QMdiSubWindow* sub = frameOf(window)) {
        const QRect area = mdiArea_->viewport()->rect();
        sub->move(std::max(0, (area.width() - sub->width()) / 2),
                  std::max(0, (area.height() - sub->height()) / 2));
    }
}

void MDIFrmMain::placeInCorner(QWidget* window) {
    // Towards the lower right corner by the toolbar's height T: left edge at
    // area width - frame - T, top at area height - frame - 6 T.
    QMdiSubWindow* sub = frameOf(window);
    if (!sub) {
        return;
    }
    const QRect area = mdiArea_->viewport()->rect();
    const int bar = toolBar_ && toolBar_->height() > 0 ? toolBar_->height() : 28;
    const int left = area.width() - sub->width() - bar;
    const int top = area.height() - sub->height() - 6 * bar;
    sub->move(std::max(0, left), std::max(0, top));
}

QWidget* MDIFrmMain::activeChild() const {
    QMdiSubWindow* sub = mdiArea_->activeSubWindow();
    if (!sub) {
        sub = mdiArea_->currentSubWindow();
    }
    return sub && sub->isVisible() ? sub->widget() : nullptr;
}

void MDIFrmMain::HelpCmd(std::int16_t command, std::int32_t context) {
    switch (command) {
        case 1:
            showHelp(HelpCommand::Context, context);
            break;
        case 2:
            showHelp(HelpCommand::Quit);
            break;
        case 15:
            showHelp(HelpCommand::Contents);
            break;
        case 257:
            showHelp(HelpCommand::Index);
            break;
        default:
            break;
    }
}

QString MDIFrmMain::CheckInputBox(const QString& prompt, const QString& title, float limit,
                                  int helpContext, const QString& defaultText) {
    QString answer = dialogs().inputBox(this, prompt, title, defaultText, helpContext);
    float value = 0;
    while (!answer.isEmpty() &&
           (!rivulon::parseReal(answer.toStdString(), value) || std::fabs(value) >= limit)) {
        answer = dialogs().inputBox(this, prompt, title, defaultText, helpContext);
    }
    return answer;
}

void MDIFrmMain::SetPopRate(const QString& explanation, const QString& kind) {
    rivulon::RunOptions& options = session_.state.options;
    const QString prompt =
        QStringLiteral("Please give a reasonable rate (/year) of population change for ") +
        QStringLiteral("the simulation period. ") + explanation;
    const QString title = kind + QStringLiteral(" population rate, current rate used = ") +
                          QString::fromStdString(rivulon::formatReal(options.popRate));
    const QString answer = CheckInputBox(prompt, title, 10, 82, QStringLiteral("0"));
    float value = 0;
    if (!answer.isEmpty() && rivulon::parseReal(answer.toStdString(), value)) {
        options.popRate = value;
    }
}

bool MDIFrmMain::NotepadOpen(const QString& fileName) {
    if (openInTextEditor(fileName)) {
        return true;
    }
    warnBox(this, noEditorMessage());
    return false;
}

void MDIFrmMain::refreshOptionMarks() {
    const rivulon::RunOptions& options = session_.state.options;
    actions_.value("MnuLinearRate")->setChecked(!options.popGrowthExponential);
    actions_.value("MnuExpRate")->setChecked(options.popGrowthExponential);
    actions_.value("MnuOC")->setChecked(options.organicCarbonMode);
    actions_.value("MnuNormalW")->setChecked(session_.settings.datedWeather);
    refreshCommandStates();
}

void MDIFrmMain::EnableMenu() {
    for (const rivulon::MenuState& item : rivulon::enableMenuStates(session_.settings)) {
        const QString name = qs(item.menu);
        if (QMenu* submenu = menus_.value(name)) {
            submenu->menuAction()->setEnabled(item.enabled);
        } else if (QAction* a = actions_.value(name)) {
            a->setEnabled(item.enabled);
        }
    }
}

void MDIFrmMain::disableDataMenus() {
    for (const char* name : {"MnuLUMap", "MnuCountyMap", "MnuSoilMap", "MnuUSGS", "MnuPopulation",
                             "MnuLandUse", "MnuSoil"}) {
        actions_.value(QString::fromLatin1(name))->setEnabled(false);
    }
    menus_.value("MnuCountyArray")->menuAction()->setEnabled(false);
    setCountyMenu({});
}

void MDIFrmMain::setCountyMenu(const QStringList& names) {
    while (countyItems_.size() > 1) {
        delete countyItems_.takeLast();
    }
    QAction* first = countyItems_.first();
    first->setText(names.isEmpty() ? QStringLiteral("Not Available") : names.first());
    QMenu* menu = menus_.value("MnuCountyArray");
    for (int i = 1; i < names.size(); ++i) {
        auto* item = new QAction(names.at(i), this);
        item->setObjectName(QStringLiteral("MnuCounty_%1").arg(i));
        connect(item, &QAction::triggered, this, [this, i] { openCounty(i); });
        menu->addAction(item);
        countyItems_.append(item);
    }
}

void MDIFrmMain::closeEvent(QCloseEvent* event) {
    if (!exitConfirmed_ &&
        !dialogs().askYesNo(
            this, unsavedResultsNote() + QStringLiteral("Are you sure to exit the program?"),
            QStringLiteral("Exit now?"))) {
        event->ignore();
        return;
    }
    exitConfirmed_ = false;
    jobs_.stopAndWait();
    mdiArea_->closeAllSubWindows();
    HelpCmd(2, 0);
    event->accept();
}

void MDIFrmMain::MnuClose_Click() {
    if (QMdiSubWindow* sub = mdiArea_->activeSubWindow()) {
        sub->close();
    }
}

void MDIFrmMain::mnuPrint_Click() {
    QWidget* form = activeChild();
    if (!form) {
        warnBox(this, QStringLiteral("No form to print or printer error"));
        return;
    }
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(printDocumentName(form->windowTitle(), QStringLiteral("Form")));
    if (!dialogs().choosePrinter(this, printer)) {
        return;
    }
    QPainter painter;
    if (!painter.begin(&printer)) {
        errorBox(this, QStringLiteral("No form to print or printer error"));
        return;
    }
    // The form keeps its size on paper (screen inches become paper inches) and
    // is only shrunk when it would not fit the page.
    const QPixmap image = form->grab();
    const QRect page = printer.pageLayout().paintRectPixels(printer.resolution());
    const double scale = static_cast<double>(printer.resolution()) / form->logicalDpiX();
    QSize size = (QSizeF(image.size()) / image.devicePixelRatio() * scale).toSize();
    if (size.width() > page.width() || size.height() > page.height()) {
        size.scale(page.size(), Qt::KeepAspectRatio);
    }
    painter.drawPixmap(QRect(QPoint(0, 0), size), image);
    if (!painter.end()) {
        errorBox(this, QStringLiteral("No form to print or printer error"));
    }
}

void MDIFrmMain::MnuExit_Click() {
    close();
}

void MDIFrmMain::MnuNotepad_Click() {
    NotepadOpen(QString());
}
void MDIFrmMain::MnuNotepadTrans_Click() {
    NotepadOpen(QString::fromStdString(session_.settings.transportPath));
}
void MDIFrmMain::MnuNotepadNutri_Click() {
    NotepadOpen(QString::fromStdString(session_.settings.nutrientPath));
}
void MDIFrmMain::MnuNotepadWeather_Click() {
    NotepadOpen(QString::fromStdString(session_.settings.weatherPath));
}
void MDIFrmMain::MnuNotepadProject_Click() {
    NotepadOpen(QString::fromStdString(session_.settings.projectPath));
}

void MDIFrmMain::MnuLinearRate_Click() {
    // The model's linear rule adds rate x base population every year.
    SetPopRate(QStringLiteral("Linear: '0.01' means a 1% annual increase of the original base "
                              "population (1% of it added every year), and the population "
                              "doubles in 100 years"),
               QStringLiteral("Linear"));
    session_.state.options.popGrowthExponential = false;
    session_.announceOptions();
}

void MDIFrmMain::MnuExpRate_Click() {
    SetPopRate(QStringLiteral("Exponential: e.g. a specific growth rate of '0.0693' means the "
                              "population doubles in ten years."),
               QStringLiteral("Exponential"));
    session_.state.options.popGrowthExponential = true;
    session_.announceOptions();
}

void MDIFrmMain::MnuSoil_Click() {
    warnBox(this, QStringLiteral("No data or to be implemented!"));
}

void MDIFrmMain::openCounty(int index) {
    auto* record = openService<CountyRecordView>(*this);
    if (!record) {
        return;
    }
    auto* viewer = dynamic_cast<QWidget*>(record);
    showChild(viewer);
    viewer->raise();
    record->ToRecord(index + 1);
}

void MDIFrmMain::MnuNormalW_Click() {
    // No command of its own: the mark shows what the weather file holds.
    refreshOptionMarks();
}

void MDIFrmMain::MnuOC_Click() {
    session_.state.options.organicCarbonMode = !session_.state.options.organicCarbonMode;
    session_.announceOptions();
}

void MDIFrmMain::MnuHelpCnt_Click() {
    HelpCmd(15, 0);
}
void MDIFrmMain::MnuHelpIndex_Click() {
    HelpCmd(257, 0);
}

void MDIFrmMain::mnuAbout_Click() {
    frmAbout about(this);
    about.exec();
}
