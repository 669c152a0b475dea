#include "shell/MDIFrmMain.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QComboBox>
#include <QHeaderView>
#include <QIcon>
#include <QImage>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QMimeData>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QTableView>
#include <QTextEdit>
#include <QToolBar>
#include <QToolButton>
#include <algorithm>
#include <cmath>

#include "common/list_reader.h"
#include "common/number_format.h"
#include "engine/ui/FrmGraph.h"
#include "engine/ui/FrmSeepage.h"
#include "project/startup.h"
#include "project/ui/FrmStart.h"
#include "project/ui/frmFileList.h"
#include "shell/PictureBox.h"
#include "shell/app_folder.h"
#include "shell/data_paths.h"
#include "shell/dialogs.h"
#include "shell/frmAbout.h"
#include "shell/help_service.h"
#include "shell/qt_text.h"
#include "shell/text_editor.h"

using namespace rivulon::ui;

namespace {

enum class Kind { Menu, Item, Check, Separator, End };

struct MenuEntry {
    Kind kind;
    const char* name;
    const char* caption;
    void (MDIFrmMain::*handler)() = nullptr;
    const char* shortcut = nullptr;
};

// The whole menu tree, in menu order; a Menu entry opens a (sub)menu that the
// next End closes.
const MenuEntry kMenuTree[] = {
    {Kind::Menu, "MnuFile", "&File"},
    {Kind::Item, "mnuStart", "&Start", &MDIFrmMain::mnuStart_Click},
    {Kind::Item, "MnuInput", "&Re-Start (Change Input Files)", &MDIFrmMain::MnuInput_Click},
    {Kind::Separator, "mnuseparator", ""},
    {Kind::Item, "MnuCreateNew", "Create &Transport/Nutrient Files",
     &MDIFrmMain::MnuCreateNew_Click},
    {Kind::Item, "MnuCreateW", "Create New &Weather File", &MDIFrmMain::MnuCreateW_Click},
    {Kind::Item, "MnuBuildProject", "&Build Project File", &MDIFrmMain::MnuBuildProject_Click},
    {Kind::Item, "MnuClose", "&Close Active Window", &MDIFrmMain::MnuClose_Click},
    {Kind::Separator, "MnuSeparator0", ""},
    {Kind::Item, "MnuSaveResults", "Sa&ve Current Results", &MDIFrmMain::MnuSaveResults_Click},
    {Kind::Item, "mnuPrint", "&Print Current Form", &MDIFrmMain::mnuPrint_Click},
    {Kind::Separator, "mnuSeparator1", ""},
    {Kind::Item, "MnuExit", "E&xit", &MDIFrmMain::MnuExit_Click},
    {Kind::End, "", ""},
    {Kind::Menu, "MnuEdit", "&Edit"},
    {Kind::Item, "MnuCopy", "&Copy", &MDIFrmMain::MnuCopy_Click, "Ctrl+C"},
    {Kind::Item, "MnuCut", "C&ut", &MDIFrmMain::MnuCut_Click, "Ctrl+X"},
    {Kind::Item, "MnuPaste", "Pa&ste", &MDIFrmMain::MnuPaste_Click, "Ctrl+V"},
    {Kind::Menu, "MnuNoteOverall", "Launch Notepad"},
    {Kind::Item, "MnuNotepad", "Start &Notepad", &MDIFrmMain::MnuNotepad_Click},
    {Kind::Item, "MnuNotepadTrans", "Open Transport File", &MDIFrmMain::MnuNotepadTrans_Click},
    {Kind::Item, "MnuNotepadNutri", "Open Nutrient File", &MDIFrmMain::MnuNotepadNutri_Click},
    {Kind::Item, "MnuNotepadWeather", "Open Weather File", &MDIFrmMain::MnuNotepadWeather_Click},
    {Kind::Item, "MnuNotepadProject", "Open Project File", &MDIFrmMain::MnuNotepadProject_Click},
    {Kind::End, "", ""},
    {Kind::Separator, "MnuSeparator2", ""},
    {Kind::Menu, "MnuPopRate", "Edit Rate of &Population Change"},
    {Kind::Check, "MnuLinearRate", "Linear Rate", &MDIFrmMain::MnuLinearRate_Click},
    {Kind::Check, "MnuExpRate", "Exponential Rate", &MDIFrmMain::MnuExpRate_Click},
    {Kind::End, "", ""},
    {Kind::Item, "MnuEditTransport", "Edit &Transport Data", &MDIFrmMain::MnuEditTransport_Click},
    {Kind::Item, "MnuEditNutrient", "Edit N&utrient Data", &MDIFrmMain::MnuEditNutrient_Click},
    {Kind::Item, "MnuEditweather", "Edit &Weather Data", &MDIFrmMain::MnuEditweather_Click},
    {Kind::End, "", ""},
    {Kind::Menu, "MnuData", "&Data"},
    {Kind::Item, "MnuLandUse", "Land Use", &MDIFrmMain::MnuLandUse_Click},
    {Kind::Item, "MnuSoil", "Soil", &MDIFrmMain::MnuSoil_Click},
    {Kind::Item, "MnuPopulation", "Population", &MDIFrmMain::MnuPopulation_Click},
    {Kind::Item, "MnuUSGS", "Compare to USGS Observations", &MDIFrmMain::MnuUSGS_Click},
    {Kind::Menu, "MnuCountyArray", "County or Sub-basin"},
    {Kind::End, "", ""},
    {Kind::End, "", ""},
    {Kind::Menu, "MnuView", "&View"},
    {Kind::Item, "MnuLUMap", "&Land Use Map", &MDIFrmMain::MnuLUMap_Click},
    {Kind::Item, "MnuSoilMap", "S&oil Map", &MDIFrmMain::MnuSoilMap_Click},
    {Kind::Item, "MnuCountyMap", "Count&y Map", &MDIFrmMain::MnuCountyMap_Click},
    {Kind::Separator, "MnuSeparator3", ""},
    {Kind::Menu, "MnuResutls", "Sim&ulation Results"},
    {Kind::Item, "MnuSummary", "Su&mmary", &MDIFrmMain::MnuSummary_Click},
    {Kind::Item, "MnuAnnual", "&Annual Results", &MDIFrmMain::MnuAnnual_Click},
    {Kind::Item, "MnuMonthly", "&Monthly Results", &MDIFrmMain::MnuMonthly_Click},
    {Kind::End, "", ""},
    {Kind::End, "", ""},
    {Kind::Menu, "MnuTools", "&Tools"},
    {Kind::Item, "MnuRegroup", "Re-&Group Nutrient Sources", &MDIFrmMain::MnuRegroup_Click},
    {Kind::Item, "MnuCompScen", "&Compare Scenarios", &MDIFrmMain::MnuCompScen_Click},
    {Kind::Item, "MnuSum", "Su&m Sub-basin Results", &MDIFrmMain::MnuSum_Click},
    {Kind::Item, "MnuSDR", "Get &Sediment Delivery Ratio", &MDIFrmMain::MnuSDR_Click},
    {Kind::End, "", ""},
    {Kind::Menu, "MnuOption", "&Option"},
    {Kind::Check, "MnuNormalW", "&Normal Weather Data", &MDIFrmMain::MnuNormalW_Click},
    {Kind::Item, "MnuDelay", "&Delay Stream Responses to Weather Events",
     &MDIFrmMain::MnuDelay_Click},
    {Kind::Check, "MnuSeepage", "&Add Seepage or Ouput Daily Flow", &MDIFrmMain::MnuSeepage_Click},
    {Kind::Check, "MnuSetNutrMatrix", "Set &Monthly Nutrient Data (Data Matrix)",
     &MDIFrmMain::MnuSetNutrMatrix_Click},
    {Kind::Separator, "MnuSeparator4", ""},
    {Kind::Check, "MnuVarConc", "Set &Variable Nutrient Control Coefficients",
     &MDIFrmMain::MnuVarConc_Click},
    {Kind::Check, "MnuOC", "Project Using &Organic Carbon Data", &MDIFrmMain::MnuOC_Click},
    {Kind::End, "", ""},
    {Kind::Menu, "mnuAdvanced", "&Advanced"},
    {Kind::Check, "MnuSeptic", "Septic System &Improvement", &MDIFrmMain::MnuSeptic_Click},
    {Kind::Item, "MnuRunSubBasins", "&Run Hydload for Sub-basins/Multiple Scenarios",
     &MDIFrmMain::MnuRunSubBasins_Click},
    {Kind::End, "", ""},
    {Kind::Menu, "mnuWindows", "&Windows"},
    {Kind::Item, "MnuCascade", "&Cascade", &MDIFrmMain::MnuCascade_Click},
    {Kind::Item, "Mnuhorizontal", "Tile &Horizontally", &MDIFrmMain::Mnuhorizontal_Click},
    {Kind::Item, "MnuVertical", "Tile &Vertically", &MDIFrmMain::MnuVertical_Click},
    {Kind::Item, "MnuArrangeIcons", "&Arrange Icons", &MDIFrmMain::MnuArrangeIcons_Click},
    {Kind::End, "", ""},
    {Kind::Menu, "MnuHelp", "&Help"},
    {Kind::Item, "MnuHelpCnt", "&Content", &MDIFrmMain::MnuHelpCnt_Click},
    {Kind::Item, "MnuHelpIndex", "&Index", &MDIFrmMain::MnuHelpIndex_Click},
    {Kind::Separator, "MnuSeparator5", ""},
    {Kind::Item, "MnuAbout", "&About Rivulon", &MDIFrmMain::mnuAbout_Click},
    {Kind::End, "", ""},
};

struct ToolEntry {
    const char* key;
    const char* toolTip;
    const char* command;  // the menu item whose command the button runs
    const char* icon;
};

const ToolEntry kToolBar[] = {
    {"Start", "Start model simulation", "mnuStart", "start"},
    {"Re-start", "Start a new simulation", "MnuInput", "restart"},
    {"New-Input", "Create new transport/nutrient files", "MnuCreateNew", "newinput"},
    {"New-weather", "Create a new weather file", "MnuCreateW", "newweather"},
    {"Close", "Close the current active window", "MnuClose", "close"},
    {"Print", "Print the current active window", "mnuPrint", "print"},
    {"Notepad", "Launch windows Notepad application", "MnuNotepad", "notepad"},
    {"Compare", "Compare simulation scenarios", "MnuCompScen", "compare"},
    {"ViewResults", "View monthly simulation results", "MnuMonthly", "results"},
    {"ReGroup", "Re-group land use categories", "MnuRegroup", "regroup"},
    {"Seepage", "Set seepage calibration parameters", "MnuSeepage", "seepage"},
    {"Sum", "Sum up results for sub-watersheds", "MnuSum", "sum"},
    {"NutrientMatrix", "View and edit monthly nutrient data (matrix)", "MnuSetNutrMatrix",
     "matrix"},
    {"Help", "Open help files", "MnuHelpCnt", "help"},
};

enum class ControlKind { None, Text, Combo, List, Picture, Grid };

ControlKind kindOf(QWidget* w) {
    if (!w) {
        return ControlKind::None;
    }
    if (qobject_cast<QComboBox*>(w) || qobject_cast<QComboBox*>(w->parentWidget())) {
        return ControlKind::Combo;
    }
    if (qobject_cast<QLineEdit*>(w) || qobject_cast<QTextEdit*>(w) ||
        qobject_cast<QPlainTextEdit*>(w)) {
        return ControlKind::Text;
    }
    if (qobject_cast<QListWidget*>(w)) {
        return ControlKind::List;
    }
    if (qobject_cast<PictureBox*>(w)) {
        return ControlKind::Picture;
    }
    if (qobject_cast<QTableView*>(w)) {
        return ControlKind::Grid;
    }
    return ControlKind::None;
}

// A grid's selected block as comma-separated text: a heading line of the
// column titles, then one line per row starting with its row title.
QString gridBlockText(QTableView* grid) {
    QAbstractItemModel* model = grid->model();
    const QModelIndexList selected =
        grid->selectionModel() ? grid->selectionModel()->selectedIndexes() : QModelIndexList{};
    if (!model || selected.isEmpty()) {
        return {};
    }
    int top = selected.first().row(), bottom = top, left = selected.first().column(), right = left;
    for (const QModelIndex& index : selected) {
        top = std::min(top, index.row());
        bottom = std::max(bottom, index.row());
        left = std::min(left, index.column());
        right = std::max(right, index.column());
    }
    QString text;
    for (int c = left; c <= right; ++c) {
        text += ',' + model->headerData(c, Qt::Horizontal).toString();
    }
    text += QStringLiteral("\r\n");
    for (int r = top; r <= bottom; ++r) {
        if (grid->isRowHidden(r)) {
            continue;
        }
        text += model->headerData(r, Qt::Vertical).toString();
        for (int c = left; c <= right; ++c) {
            text += ',' + model->index(r, c).data().toString();
        }
        text += QStringLiteral("\r\n");
    }
    return text;
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
    setCentralWidget(mdiArea_);
    createActions();
    createMenus();
    createToolBars();
    disableDataMenus();
    refreshOptionMarks();
}

MDIFrmMain::~MDIFrmMain() = default;

FrmStart* MDIFrmMain::startWindow() const {
    return start_;
}
FrmSeepage* MDIFrmMain::seepageWindow() const {
    return seepage_;
}

void MDIFrmMain::createActions() {
    for (const MenuEntry& entry : kMenuTree) {
        if (entry.kind != Kind::Item && entry.kind != Kind::Check &&
            entry.kind != Kind::Separator) {
            continue;
        }
        auto* action = new QAction(QString::fromUtf8(entry.caption), this);
        action->setObjectName(QString::fromLatin1(entry.name));
        if (entry.kind == Kind::Separator) {
            action->setSeparator(true);
        }
        if (entry.kind == Kind::Check) {
            action->setCheckable(true);
        }
        if (entry.shortcut) {
            action->setShortcut(QKeySequence(QString::fromLatin1(entry.shortcut)));
        }
        if (entry.handler) {
            connect(action, &QAction::triggered, this, entry.handler);
        }
        actions_.insert(action->objectName(), action);
    }
    for (const ToolEntry& tool : kToolBar) {
        if (QAction* command = actions_.value(QString::fromLatin1(tool.command))) {
            command->setToolTip(QString::fromUtf8(tool.toolTip));
            command->setIcon(QIcon(QStringLiteral(":/icons/%1.png").arg(tool.icon)));
        }
    }
}

void MDIFrmMain::createMenus() {
    QList<QMenu*> open;
    for (const MenuEntry& entry : kMenuTree) {
        switch (entry.kind) {
            case Kind::Menu: {
                const QString caption = QString::fromUtf8(entry.caption);
                QMenu* m =
                    open.isEmpty() ? menuBar()->addMenu(caption) : open.last()->addMenu(caption);
                m->setObjectName(QString::fromLatin1(entry.name));
                m->menuAction()->setObjectName(m->objectName());
                menus_.insert(m->objectName(), m);
                open.append(m);
                break;
            }
            case Kind::End:
                open.removeLast();
                break;
            default:
                open.last()->addAction(actions_.value(QString::fromLatin1(entry.name)));
                break;
        }
    }
    // The county list is filled from the project file; its first item always exists.
    auto* county = new QAction(QStringLiteral("Not Available"), this);
    county->setObjectName("MnuCounty");
    connect(county, &QAction::triggered, this, [this] { MnuCounty_Click(0); });
    menus_.value("MnuCountyArray")->addAction(county);
    actions_.insert(county->objectName(), county);
    countyItems_.append(county);

    connect(menus_.value("MnuFile"), &QMenu::aboutToShow, this, &MDIFrmMain::MnuFile_Open);
    connect(menus_.value("MnuEdit"), &QMenu::aboutToShow, this, &MDIFrmMain::MnuEdit_Open);
    connect(menus_.value("mnuWindows"), &QMenu::aboutToShow, this, &MDIFrmMain::mnuWindows_Open);
}

void MDIFrmMain::createToolBars() {
    toolBar_ = addToolBar(QStringLiteral("Toolbar1"));
    toolBar_->setObjectName("Toolbar1");
    toolBar_->setMovable(false);
    toolBar_->setIconSize(QSize(24, 24));
    for (const ToolEntry& tool : kToolBar) {
        QAction* command = actions_.value(QString::fromLatin1(tool.command));
        const QString key = QString::fromLatin1(tool.key);
        if (key == QLatin1String("Re-start")) {
            // This button is kept but hidden; its own action keeps the menu item visible.
            auto* hidden = new QAction(command->icon(), command->text(), this);
            hidden->setObjectName("tbRestart");
            hidden->setToolTip(QString::fromUtf8(tool.toolTip));
            hidden->setVisible(false);
            connect(hidden, &QAction::triggered, this, &MDIFrmMain::MnuInput_Click);
            command = hidden;
        }
        toolBar_->addAction(command);
        if (QWidget* button = toolBar_->widgetForAction(command)) {
            button->setObjectName(key);
        }
    }
}

void MDIFrmMain::MDIForm_Load() {
    const QString folder = applicationFolder();
    const FolderSetup setup = prepareApplicationFolder(folder, exampleProjectFolder());
    if (!setup.error.isEmpty()) {
        msgBox(this, setup.error);
    }
    session_.applicationFolder = folder;
    mainLoaded = false;
    closeStartAfterLoad = false;
    openStartWindow();
    mainLoaded = true;
    if (endRequested) {
        exitConfirmed_ = true;
        close();
        return;
    }
    if (closeStartAfterLoad && start_) {
        start_->close();
        closeStartAfterLoad = false;
    }
    if (createNewRequested) {
        createNewRequested = false;
        MnuCreateNew_Click();
    }
}

void MDIFrmMain::openStartWindow() {
    if (start_) {
        start_->show();
        if (auto* sub = qobject_cast<QMdiSubWindow*>(start_->parentWidget())) {
            mdiArea_->setActiveSubWindow(sub);
        }
        return;
    }
    start_ = new FrmStart(this);
    QMdiSubWindow* sub = addChild(start_);
    if (!start_->Form_Load()) {
        // The start-up dialogue ended without input files.
        if (endRequested && mainLoaded) {
            exitConfirmed_ = true;
            close();
        } else if (mainLoaded) {
            start_->close();
        } else {
            closeStartAfterLoad = true;
        }
        return;
    }
    sub->show();
}

QMdiSubWindow* MDIFrmMain::addChild(QWidget* window) {
    window->setAttribute(Qt::WA_DeleteOnClose);
    QMdiSubWindow* sub = mdiArea_->addSubWindow(window);
    sub->setAttribute(Qt::WA_DeleteOnClose);
    sub->setWindowIcon(windowIcon());
    return sub;
}

void MDIFrmMain::showChild(QWidget* window) {
    auto* sub = qobject_cast<QMdiSubWindow*>(window->parentWidget());
    if (!sub) {
        return;
    }
    window->show();
    sub->show();
    // The area places a new window after the others, often past the right edge.
    const QRect area = mdiArea_->viewport()->rect();
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
    mdiArea_->setActiveSubWindow(sub);
}

QWidget* MDIFrmMain::activeChild() const {
    QMdiSubWindow* sub = mdiArea_->activeSubWindow();
    if (!sub) {
        sub = mdiArea_->currentSubWindow();
    }
    return sub && sub->isVisible() ? sub->widget() : nullptr;
}

FrmGraph* MDIFrmMain::graphWindow(bool create) {
    if (!graph_ && create) {
        graph_ = new FrmGraph(this);
        addChild(graph_);
    }
    return graph_;
}

void MDIFrmMain::closeGraphWindow() {
    if (graph_) {
        graph_->close();
    }
}

void MDIFrmMain::openSeepageWindow(bool variableConcentration) {
    if (seepage_) {
        seepage_->close();
    }
    seepage_ = new FrmSeepage(this);
    addChild(seepage_);
    if (variableConcentration) {
        seepage_->SetVarConc();
    }
    seepage_->parentWidget()->adjustSize();
    showChild(seepage_);
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
    msgBox(this, noEditorMessage());
    return false;
}

void MDIFrmMain::refreshOptionMarks() {
    const rivulon::RunOptions& options = session_.state.options;
    actions_.value("MnuLinearRate")->setChecked(!options.popGrowthExponential);
    actions_.value("MnuExpRate")->setChecked(options.popGrowthExponential);
    actions_.value("MnuSeepage")->setChecked(options.seepControlOn);
    actions_.value("MnuVarConc")->setChecked(options.varConcOn);
    actions_.value("MnuSetNutrMatrix")->setChecked(options.nutrientMatrixInUse);
    actions_.value("MnuOC")->setChecked(options.organicCarbonMode);
    actions_.value("MnuSeptic")->setChecked(options.septicNReduction != 0);
    actions_.value("MnuNormalW")->setChecked(session_.settings.datedWeather);
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
        connect(item, &QAction::triggered, this, [this, i] { MnuCounty_Click(i); });
        menu->addAction(item);
        countyItems_.append(item);
    }
}

void MDIFrmMain::notAvailable(const QString& caption) {
    msgBox(this, QStringLiteral("The window of \"%1\" is not available yet.").arg(caption));
}

void MDIFrmMain::closeEvent(QCloseEvent* event) {
    if (!exitConfirmed_ &&
        !dialogs().askYesNo(this, QStringLiteral("Are you sure to exit the program?"),
                            QStringLiteral("Exit now?"))) {
        event->ignore();
        return;
    }
    exitConfirmed_ = false;
    mdiArea_->closeAllSubWindows();
    HelpCmd(2, 0);
    event->accept();
}

void MDIFrmMain::MnuFile_Open() {
    actions_.value("MnuSaveResults")->setEnabled(start_ && start_->hasResults());
}

void MDIFrmMain::mnuStart_Click() {
    // An open start window would be left without its files: start it afresh.
    if (start_) {
        if (auto* sub = qobject_cast<QMdiSubWindow*>(start_->parentWidget())) {
            sub->close();
        } else {
            start_->close();
        }
        start_ = nullptr;  // deleted later, but gone from now on
    }
    rivulon::ProjectSettings& s = session_.settings;
    // The observed-flow file is kept: it is not part of a start.
    for (std::string* path :
         {&s.transportPath, &s.nutrientPath, &s.weatherPath, &s.weatherDelayPath, &s.landUseMapPath,
          &s.countyMapPath, &s.soilMapPath, &s.databasePath, &s.projectPath}) {
        path->clear();
    }
    openStartWindow();
}

void MDIFrmMain::MnuInput_Click() {
    // Closing may be refused by a window; stop rather than loop forever.
    for (int guard = 0; guard < 100 && activeChild(); ++guard) {
        QMdiSubWindow* sub = mdiArea_->activeSubWindow() ? mdiArea_->activeSubWindow()
                                                         : mdiArea_->currentSubWindow();
        if (!sub || !sub->close()) {
            break;
        }
    }
    mnuStart_Click();
}

void MDIFrmMain::MnuCreateNew_Click() {
    const QString latitude =
        CheckInputBox(QString::fromUtf8("What is the latitude (<= 66°) of the watershed ?"),
                      QStringLiteral("Watershed Latitude"), 67, 0, QStringLiteral("36"));
    if (latitude.isEmpty()) {
        return;
    }
    const QString rural =
        CheckInputBox(QStringLiteral("How many rural land uses will you have for your project ?"),
                      QStringLiteral("Rural Land Uses"), 100, 75, QStringLiteral("1"));
    if (rural.isEmpty()) {
        return;
    }
    const QString urban =
        CheckInputBox(QStringLiteral("How many urban land uses will you have for your project ?"),
                      QStringLiteral("Urban Land Uses"), 100, 75, QStringLiteral("1"));
    if (urban.isEmpty()) {
        return;
    }
    notAvailable(QStringLiteral("Edit Transport Data"));
}

void MDIFrmMain::MnuCreateW_Click() {
    const QString answer =
        CheckInputBox(QStringLiteral("How many years of data will you create?"),
                      QStringLiteral("Years of Weather Data <=100"), 101, 76, QStringLiteral("1"));
    float value = 0;
    rivulon::parseReal(answer.toStdString(), value);
    const auto years = static_cast<long>(rivulon::roundHalfEven(value));
    if (years > 0) {
        notAvailable(QStringLiteral("Edit Weather Data"));
    } else {
        msgBox(this, QStringLiteral("Number of years must be >0!"), QStringLiteral("Warning!"));
    }
}

void MDIFrmMain::MnuBuildProject_Click() {
    const rivulon::RunOptions& options = session_.state.options;
    frmFileList list(this, frmFileList::Mode::Hidden);
    list.CreateProject(options.varConcA, options.varConcB, options.varConcLow, options.varConcHigh,
                       options.yearSeep);
}

void MDIFrmMain::MnuClose_Click() {
    if (QMdiSubWindow* sub = mdiArea_->activeSubWindow()) {
        sub->close();
    }
}

void MDIFrmMain::MnuSaveResults_Click() {
    if (start_) {
        start_->cmdCreateResults_Click();
    }
}

void MDIFrmMain::mnuPrint_Click() {
    QWidget* form = activeChild();
    if (!form) {
        msgBox(this, QStringLiteral("No form to print or printer error"));
        return;
    }
    QPrinter printer(QPrinter::HighResolution);
    if (!dialogs().choosePrinter(this, printer)) {
        return;
    }
    QPainter painter;
    if (!painter.begin(&printer)) {
        msgBox(this, QStringLiteral("No form to print or printer error"));
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
        msgBox(this, QStringLiteral("No form to print or printer error"));
    }
}

void MDIFrmMain::MnuExit_Click() {
    close();
}

void MDIFrmMain::MnuEdit_Open() {
    QWidget* form = activeChild();
    QWidget* control = form ? form->focusWidget() : nullptr;
    const ControlKind kind = kindOf(control);
    const bool copyable = kind == ControlKind::Text || kind == ControlKind::Combo ||
                          kind == ControlKind::List || kind == ControlKind::Picture;
    const QMimeData* data = QApplication::clipboard()->mimeData();
    bool paste = false;
    if (kind == ControlKind::Picture) {
        paste = data && data->hasImage();
    } else if (copyable) {
        paste = data && data->hasText();
    }
    actions_.value("MnuCopy")->setEnabled(copyable);
    actions_.value("MnuCut")->setEnabled(copyable);
    actions_.value("MnuPaste")->setEnabled(paste);
}

void MDIFrmMain::MnuCopy_Click() {
    QWidget* form = activeChild();
    QWidget* control = form ? form->focusWidget() : nullptr;
    QClipboard* clipboard = QApplication::clipboard();
    switch (kindOf(control)) {
        case ControlKind::Text:
            clipboard->clear();
            if (auto* line = qobject_cast<QLineEdit*>(control)) {
                clipboard->setText(line->selectedText());
            } else if (auto* text = qobject_cast<QTextEdit*>(control)) {
                clipboard->setText(text->textCursor().selectedText());
            } else if (auto* plain = qobject_cast<QPlainTextEdit*>(control)) {
                clipboard->setText(plain->textCursor().selectedText());
            }
            break;
        case ControlKind::Combo: {
            auto* combo = qobject_cast<QComboBox*>(control);
            if (!combo) {
                combo = qobject_cast<QComboBox*>(control->parentWidget());
            }
            clipboard->clear();
            clipboard->setText(combo->currentText());
            break;
        }
        case ControlKind::List: {
            auto* list = qobject_cast<QListWidget*>(control);
            clipboard->clear();
            clipboard->setText(list->currentItem() ? list->currentItem()->text() : QString());
            break;
        }
        case ControlKind::Picture:
            clipboard->clear();
            clipboard->setImage(qobject_cast<PictureBox*>(control)->image());
            break;
        case ControlKind::Grid: {
            clipboard->clear();
            // A window may copy its grid in its own way.
            bool copied = false;
            if (control->metaObject()->indexOfMethod("copySelection()") >= 0) {
                copied = QMetaObject::invokeMethod(control, "copySelection");
            }
            if (!copied) {
                clipboard->setText(gridBlockText(qobject_cast<QTableView*>(control)));
            }
            break;
        }
        case ControlKind::None:
            break;
    }
}

void MDIFrmMain::MnuCut_Click() {
    QWidget* form = activeChild();
    QWidget* control = form ? form->focusWidget() : nullptr;
    const ControlKind kind = kindOf(control);
    if (kind == ControlKind::Grid || kind == ControlKind::None) {
        return;
    }
    MnuCopy_Click();
    switch (kind) {
        case ControlKind::Text:
            if (auto* line = qobject_cast<QLineEdit*>(control)) {
                line->insert(QString());
            } else if (auto* text = qobject_cast<QTextEdit*>(control)) {
                text->textCursor().removeSelectedText();
            } else if (auto* plain = qobject_cast<QPlainTextEdit*>(control)) {
                plain->textCursor().removeSelectedText();
            }
            break;
        case ControlKind::Combo: {
            auto* combo = qobject_cast<QComboBox*>(control);
            if (!combo) {
                combo = qobject_cast<QComboBox*>(control->parentWidget());
            }
            if (combo->isEditable()) {
                combo->setEditText(QString());
            } else {
                combo->setCurrentIndex(-1);
            }
            break;
        }
        case ControlKind::List: {
            auto* list = qobject_cast<QListWidget*>(control);
            delete list->takeItem(list->currentRow());
            break;
        }
        case ControlKind::Picture:
            qobject_cast<PictureBox*>(control)->clear();
            break;
        default:
            break;
    }
}

void MDIFrmMain::MnuPaste_Click() {
    QWidget* form = activeChild();
    QWidget* control = form ? form->focusWidget() : nullptr;
    const QString text = QApplication::clipboard()->text();
    switch (kindOf(control)) {
        case ControlKind::Text:
            if (auto* line = qobject_cast<QLineEdit*>(control)) {
                line->insert(text);
            } else if (auto* edit = qobject_cast<QTextEdit*>(control)) {
                edit->textCursor().insertText(text);
            } else if (auto* plain = qobject_cast<QPlainTextEdit*>(control)) {
                plain->textCursor().insertText(text);
            }
            break;
        case ControlKind::Combo: {
            auto* combo = qobject_cast<QComboBox*>(control);
            if (!combo) {
                combo = qobject_cast<QComboBox*>(control->parentWidget());
            }
            if (combo->isEditable()) {
                combo->setEditText(text);
            } else {
                combo->setCurrentIndex(combo->findText(text));
            }
            break;
        }
        case ControlKind::List:
            qobject_cast<QListWidget*>(control)->addItem(text);
            break;
        case ControlKind::Picture: {
            const QImage image = QApplication::clipboard()->image();
            if (!image.isNull()) {
                qobject_cast<PictureBox*>(control)->setImage(image);
            }
            break;
        }
        default:
            break;
    }
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
    SetPopRate(QStringLiteral("Linear: '0.01' means a 10% annual increase over the original base "
                              "population, and the population doubles in 10 years"),
               QStringLiteral("Linear"));
    session_.state.options.popGrowthExponential = false;
    refreshOptionMarks();
}

void MDIFrmMain::MnuExpRate_Click() {
    SetPopRate(QStringLiteral("Exponential: e.g. a specific growth rate of '0.0693' means the "
                              "population doubles in ten years."),
               QStringLiteral("Exponential"));
    session_.state.options.popGrowthExponential = true;
    refreshOptionMarks();
}

void MDIFrmMain::MnuEditTransport_Click() {
    notAvailable(QStringLiteral("Edit Transport Data"));
}
void MDIFrmMain::MnuEditNutrient_Click() {
    GetMatchInputFiles();
}
void MDIFrmMain::GetMatchInputFiles() {
    notAvailable(QStringLiteral("Edit Nutrient Data"));
}
void MDIFrmMain::MnuEditweather_Click() {
    notAvailable(QStringLiteral("Edit Weather Data"));
}
void MDIFrmMain::MnuLandUse_Click() {
    notAvailable(QStringLiteral("Land Use Distribution"));
}
void MDIFrmMain::MnuSoil_Click() {
    msgBox(this, QStringLiteral("No data or to be implemented!"));
}
void MDIFrmMain::MnuPopulation_Click() {
    notAvailable(QStringLiteral("Population"));
}
void MDIFrmMain::MnuUSGS_Click() {
    notAvailable(QStringLiteral("Compare to USGS Observations"));
}
void MDIFrmMain::MnuCounty_Click(int index) {
    notAvailable(countyItems_.value(index) ? countyItems_.value(index)->text()
                                           : QStringLiteral("County or Sub-basin"));
}
void MDIFrmMain::MnuLUMap_Click() {
    notAvailable(QStringLiteral("Land Use Map"));
}
void MDIFrmMain::MnuSoilMap_Click() {
    notAvailable(QStringLiteral("Soil Map"));
}
void MDIFrmMain::MnuCountyMap_Click() {
    notAvailable(QStringLiteral("County Map"));
}
void MDIFrmMain::MnuSummary_Click() {
    notAvailable(QStringLiteral("Summary"));
}
void MDIFrmMain::MnuAnnual_Click() {
    notAvailable(QStringLiteral("Annual Results"));
}
void MDIFrmMain::MnuMonthly_Click() {
    notAvailable(QStringLiteral("Monthly Results"));
}
void MDIFrmMain::MnuRegroup_Click() {
    notAvailable(QStringLiteral("Re-Group Nutrient Sources"));
}
void MDIFrmMain::MnuCompScen_Click() {
    notAvailable(QStringLiteral("Compare Scenarios"));
}
void MDIFrmMain::MnuSum_Click() {
    notAvailable(QStringLiteral("Sum Sub-basin Results"));
}
void MDIFrmMain::MnuSDR_Click() {
    notAvailable(QStringLiteral("Get Sediment Delivery Ratio"));
}

void MDIFrmMain::MnuNormalW_Click() {
    // No command of its own: the mark shows what the weather file holds.
    refreshOptionMarks();
}

void MDIFrmMain::MnuDelay_Click() {
    notAvailable(QStringLiteral("Delay Stream Responses to Weather Events"));
}

// These menu items switch their option off when it is on, and otherwise open
// the window that sets it. Returns whether the option was on.
bool MDIFrmMain::switchOptionOff(bool& option) {
    const bool wasOn = option;
    option = false;
    refreshOptionMarks();
    return wasOn;
}

void MDIFrmMain::MnuSeepage_Click() {
    if (!switchOptionOff(session_.state.options.seepControlOn)) {
        openSeepageWindow(false);
    }
}

void MDIFrmMain::MnuSetNutrMatrix_Click() {
    if (!switchOptionOff(session_.state.options.nutrientMatrixInUse)) {
        notAvailable(QStringLiteral("Set Monthly Nutrient Data (Data Matrix)"));
    }
}

void MDIFrmMain::MnuVarConc_Click() {
    if (!switchOptionOff(session_.state.options.varConcOn)) {
        openSeepageWindow(true);
    }
}

void MDIFrmMain::MnuOC_Click() {
    session_.state.options.organicCarbonMode = !session_.state.options.organicCarbonMode;
    refreshOptionMarks();
}

void MDIFrmMain::MnuSeptic_Click() {
    refreshOptionMarks();
    notAvailable(QStringLiteral("Septic System Improvement"));
}

void MDIFrmMain::MnuRunSubBasins_Click() {
    notAvailable(QStringLiteral("Run Hydload for Sub-basins/Multiple Scenarios"));
}

void MDIFrmMain::MnuCascade_Click() {
    mdiArea_->cascadeSubWindows();
}

void MDIFrmMain::Mnuhorizontal_Click() {
    // Full-width windows stacked from top to bottom.
    const QList<QMdiSubWindow*> windows = mdiArea_->subWindowList();
    QList<QMdiSubWindow*> open;
    for (QMdiSubWindow* w : windows) {
        if (w->isVisible() && !w->isMinimized()) {
            open.append(w);
        }
    }
    if (open.isEmpty()) {
        return;
    }
    const QRect area = mdiArea_->viewport()->rect();
    const int height = area.height() / static_cast<int>(open.size());
    for (int i = 0; i < open.size(); ++i) {
        open[i]->showNormal();
        open[i]->setGeometry(0, i * height, area.width(), height);
    }
}

void MDIFrmMain::MnuVertical_Click() {
    const QList<QMdiSubWindow*> windows = mdiArea_->subWindowList();
    QList<QMdiSubWindow*> open;
    for (QMdiSubWindow* w : windows) {
        if (w->isVisible() && !w->isMinimized()) {
            open.append(w);
        }
    }
    if (open.isEmpty()) {
        return;
    }
    const QRect area = mdiArea_->viewport()->rect();
    const int width = area.width() / static_cast<int>(open.size());
    for (int i = 0; i < open.size(); ++i) {
        open[i]->showNormal();
        open[i]->setGeometry(i * width, 0, width, area.height());
    }
}

void MDIFrmMain::MnuArrangeIcons_Click() {
    // Minimised windows in a row along the bottom edge.
    const QRect area = mdiArea_->viewport()->rect();
    int x = 0;
    for (QMdiSubWindow* w : mdiArea_->subWindowList()) {
        if (w->isVisible() && w->isMinimized()) {
            const QSize size = w->size();
            if (x > 0 && x + size.width() > area.width()) {
                x = 0;
            }
            w->move(x, area.height() - size.height());
            x += size.width();
        }
    }
}

void MDIFrmMain::mnuWindows_Open() {
    QMenu* menu = menus_.value("mnuWindows");
    qDeleteAll(windowItems_);
    windowItems_.clear();
    const QList<QMdiSubWindow*> windows = mdiArea_->subWindowList();
    bool first = true;
    int number = 1;
    for (QMdiSubWindow* w : windows) {
        if (!w->isVisible()) {
            continue;
        }
        if (first) {
            windowItems_.append(menu->addSeparator());
            first = false;
        }
        auto* item =
            new QAction(QStringLiteral("&%1 %2").arg(number++).arg(w->windowTitle()), menu);
        item->setCheckable(true);
        item->setChecked(w == mdiArea_->activeSubWindow());
        connect(item, &QAction::triggered, this, [this, w] { mdiArea_->setActiveSubWindow(w); });
        menu->addAction(item);
        windowItems_.append(item);
    }
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
