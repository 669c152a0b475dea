#include <QAction>
#include <QIcon>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>
#include <QToolButton>

#include "app/MDIFrmMain.h"
#include "app/window_registry.h"
#include "shell/dialogs.h"

// The menu bar and the toolbar, as data; and the commands that open a window
// of the registry.

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
    {Kind::Item, "MnuEditTransport", "Edit &Transport Data"},
    {Kind::Item, "MnuEditNutrient", "Edit N&utrient Data"},
    {Kind::Item, "MnuEditweather", "Edit &Weather Data"},
    {Kind::End, "", ""},
    {Kind::Menu, "MnuData", "&Data"},
    {Kind::Item, "MnuLandUse", "Land Use"},
    {Kind::Item, "MnuSoil", "Soil", &MDIFrmMain::MnuSoil_Click},
    {Kind::Item, "MnuPopulation", "Population"},
    {Kind::Item, "MnuUSGS", "Compare to USGS Observations"},
    {Kind::Menu, "MnuCountyArray", "County or Sub-basin"},
    {Kind::End, "", ""},
    {Kind::End, "", ""},
    {Kind::Menu, "MnuView", "&View"},
    {Kind::Item, "MnuLUMap", "&Land Use Map"},
    {Kind::Item, "MnuSoilMap", "S&oil Map"},
    {Kind::Item, "MnuCountyMap", "Count&y Map"},
    {Kind::Separator, "MnuSeparator3", ""},
    {Kind::Menu, "MnuResutls", "Sim&ulation Results"},
    {Kind::Item, "MnuSummary", "Su&mmary"},
    {Kind::Item, "MnuAnnual", "&Annual Results"},
    {Kind::Item, "MnuMonthly", "&Monthly Results"},
    {Kind::End, "", ""},
    {Kind::End, "", ""},
    {Kind::Menu, "MnuTools", "&Tools"},
    {Kind::Item, "MnuRegroup", "Re-&Group Nutrient Sources"},
    {Kind::Item, "MnuCompScen", "&Compare Scenarios"},
    {Kind::Item, "MnuSum", "Su&m Sub-basin Results"},
    {Kind::Item, "MnuCompEnsemble", "Compare with an &Ensemble"},
    {Kind::Item, "MnuSDR", "Get &Sediment Delivery Ratio"},
    {Kind::Item, "MnuCalibrate", "Cali&brate Hydrology..."},
    {Kind::End, "", ""},
    {Kind::Menu, "MnuOption", "&Option"},
    {Kind::Check, "MnuNormalW", "&Normal Weather Data", &MDIFrmMain::MnuNormalW_Click},
    {Kind::Item, "MnuDelay", "&Delay Stream Responses to Weather Events"},
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
    {Kind::Item, "MnuRunSubBasins", "&Run Hydload for Sub-basins/Multiple Scenarios"},
    {Kind::Item, "MnuClimate", "&Climate Scenario..."},
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

}  // namespace

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
        } else if (entry.kind != Kind::Separator) {
            // The command opens a window of the registry.
            const QString name = action->objectName();
            connect(action, &QAction::triggered, this, [this, name] { openCommand(name); });
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

void MDIFrmMain::openCommand(const QString& menuItem) {
    const rivulon::ui::CommandRow* command = rivulon::ui::commandRow(menuItem);
    if (!command) {
        return;
    }
    const rivulon::ui::WindowRow* window = rivulon::ui::windowRow(command->kind);
    if (!window || !window->create) {
        notAvailable(QString::fromUtf8(command->caption));
        return;
    }
    if (command->run) {
        command->run(*this);
        return;
    }
    if (QWidget* w = openWindow(command->kind)) {
        showChild(w);
    }
}

void MDIFrmMain::runCommand(const QString& menuItem) {
    if (QAction* a = actions_.value(menuItem)) {
        a->trigger();
    }
}

void MDIFrmMain::notAvailable(const QString& caption) {
    rivulon::ui::warnBox(this,
                         QStringLiteral("The window of \"%1\" is not available yet.").arg(caption));
}
