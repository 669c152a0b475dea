#include "project/ui/frmFileList.h"

#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "common/paths.h"
#include "project/project_file.h"
#include "shell/app_folder.h"
#include "shell/dialogs.h"
#include "shell/file_lists.h"
#include "shell/qt_text.h"
#include "shell/session.h"

using rivulon::ui::dialogs;
using rivulon::ui::errorBox;
using rivulon::ui::msgBox;
using rivulon::ui::qs;
using rivulon::ui::ss;
using rivulon::ui::warnBox;

namespace {

const char* const kBoxLabels[10] = {
    "Transport Input File:", "Nutrient Input File:", "Weather Input File:", "Weather Delay File:",
    "Land Use Map File:",    "County Map File:",     "Soil Map File:",      "Database File:",
    "USGS Data File:",       "Option File:"};

const QString kProjectPattern = QStringLiteral("*opt*.*;*.prj");
const QString kFilesPattern = QStringLiteral("*.dat;*.mdb;*bmp;*.prj");

}  // namespace

frmFileList::frmFileList(Session& session, QWidget* parent, Mode mode)
    : QDialog(parent), session_(session), mode_(mode) {
    setObjectName("frmFileList");
    setWindowTitle(mode == Mode::Project ? QStringLiteral("Where's the project or option file?")
                                         : QStringLiteral("Check Input Files"));
    auto* boxesGrid = new QGridLayout;
    for (int i = 0; i < 10; ++i) {
        lblInputFile[i] = new QLabel(QString::fromLatin1(kBoxLabels[i]), this);
        lblInputFile[i]->setObjectName(QStringLiteral("lblInputFile_%1").arg(i));
        TxtInputFile[i] = new QLineEdit(this);
        TxtInputFile[i]->setObjectName(QStringLiteral("TxtInputFile_%1").arg(i));
        TxtInputFile[i]->setMinimumWidth(360);
        TxtInputFile[i]->installEventFilter(this);
        TxtInputFile[i]->setToolTip(tr("Double-click to take the file highlighted in the list"));
        btnFind[i] = new QPushButton(QStringLiteral("Browse..."), this);
        btnFind[i]->setObjectName(QStringLiteral("btnFind_%1").arg(i));
        btnFind[i]->setAutoDefault(false);
        connect(btnFind[i], &QPushButton::clicked, this, [this, i] { btnFind_Click(i); });
        boxesGrid->addWidget(lblInputFile[i], i, 0);
        boxesGrid->addWidget(TxtInputFile[i], i, 1);
        boxesGrid->addWidget(btnFind[i], i, 2);
    }

    Drive1 = new DriveList(this);
    Drive1->setObjectName("Drive1");
    Dir1 = new DirList(this);
    Dir1->setObjectName("Dir1");
    File1 = new FileList(this);
    File1->setObjectName("File1");
    connect(Drive1, &DriveList::driveChanged, this, &frmFileList::Drive1_Change);
    connect(Dir1, &DirList::pathChanged, this, &frmFileList::Dir1_Change);
    auto* lists = new QVBoxLayout;
    lists->addWidget(Drive1);
    lists->addWidget(Dir1);
    lists->addWidget(new QLabel(QStringLiteral("Available Files:"), this));
    lists->addWidget(File1);

    auto makeButton = [this](const char* caption, const char* name) {
        auto* b = new QPushButton(QString::fromLatin1(caption), this);
        b->setObjectName(QString::fromLatin1(name));
        b->setAutoDefault(false);
        return b;
    };
    btnGetFile = makeButton("OK - I &got the file", "btnGetFile");
    btnNoFile = makeButton("&Other - More options", "btnNoFile");
    cmdCreateNew = makeButton("&Create new input", "cmdCreateNew");
    btnOK = makeButton("Start the program!", "btnOK");
    btnCreatePrj = makeButton("Create project file", "btnCreatePrj");
    btnEnd = makeButton("End the program", "btnEnd");
    btnEnd->setToolTip(QStringLiteral("Quit Rivulon."));
    connect(btnGetFile, &QPushButton::clicked, this, &frmFileList::btnGetFile_Click);
    connect(btnNoFile, &QPushButton::clicked, this, &frmFileList::btnNoFile_Click);
    connect(cmdCreateNew, &QPushButton::clicked, this, &frmFileList::cmdCreateNew_Click);
    connect(btnOK, &QPushButton::clicked, this, &frmFileList::btnOK_Click);
    connect(btnCreatePrj, &QPushButton::clicked, this, &frmFileList::btnCreatePrj_Click);
    connect(btnEnd, &QPushButton::clicked, this, &frmFileList::btnEnd_Click);

    const bool project = mode == Mode::Project;
    btnGetFile->setVisible(project);
    btnNoFile->setVisible(project);
    btnOK->setVisible(!project);
    btnCreatePrj->setVisible(!project);
    // Only the project box counts when a project file is asked for.
    for (int i = 0; i < 9; ++i) {
        TxtInputFile[i]->setEnabled(!project);
        btnFind[i]->setEnabled(!project);
    }
    // New input files can only be asked for while the program starts.
    cmdCreateNew->setVisible(!session.programLoaded);

    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : {btnGetFile, btnNoFile, btnOK, btnCreatePrj, cmdCreateNew, btnEnd}) {
        buttons->addWidget(b);
    }
    auto* top = new QHBoxLayout;
    top->addLayout(boxesGrid, 3);
    top->addLayout(lists, 2);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(buttons);
    Form_Load();
}

void frmFileList::Form_Load() {
    Session& session = session_;
    if (session.applicationFolder.isEmpty()) {
        session.applicationFolder = rivulon::ui::applicationFolder();
    }
    const QString input = QDir(session.applicationFolder).absoluteFilePath(QStringLiteral("Input"));
    QDir().mkpath(input);
    File1->setPattern(mode_ == Mode::Project ? kProjectPattern : kFilesPattern);
    Drive1->showFolder(input);
    Dir1->setPath(input);
    File1->setPath(input);
    const rivulon::ProjectSettings& s = session.settings;
    if (!s.transportPath.empty()) {
        const std::string* paths[10] = {&s.transportPath,    &s.nutrientPath,   &s.weatherPath,
                                        &s.weatherDelayPath, &s.landUseMapPath, &s.countyMapPath,
                                        &s.soilMapPath,      &s.databasePath,   &s.observedFlowPath,
                                        &s.projectPath};
        for (int i = 0; i < 10; ++i) {
            TxtInputFile[i]->setText(qs(*paths[i]));
        }
    } else {
        FillText();
    }
}

void frmFileList::FillText() {
    std::vector<std::string> entries;
    for (const QString& entry : File1->fileNames()) {
        entries.push_back(ss(entry));
    }
    const rivulon::FileBoxes found = rivulon::fillFileBoxes(ss(File1->path()), std::move(entries));
    for (int i = 0; i < 10; ++i) {
        TxtInputFile[i]->setText(qs(found[i]));
    }
}

rivulon::FileBoxes frmFileList::boxes() const {
    rivulon::FileBoxes b;
    for (int i = 0; i < 10; ++i) {
        b[i] = ss(TxtInputFile[i]->text().trimmed());
    }
    return b;
}

bool frmFileList::CheckFile() {
    if (!rivulon::checkFileBoxes(boxes(), session_.settings)) {
        warnBox(this, qs(rivulon::kFilesRequiredMessage), qs(rivulon::kWarningTitle));
        return false;
    }
    return true;
}

bool frmFileList::UseOptionFile() const {
    return session_.settings.projectChosen;
}

void frmFileList::btnGetFile_Click() {
    const std::string path = ss(TxtInputFile[9]->text().trimmed());
    const std::string problem = rivulon::checkProjectFile(path);
    if (!problem.empty()) {
        warnBox(this, qs(problem));
        return;
    }
    rivulon::ProjectSettings& s = session_.settings;
    s.projectPath = path;
    s.inputFolder = rivulon::dirOfPath(path);
    s.projectChosen = true;
    choice_ = Choice::Project;
    accept();
}

void frmFileList::btnNoFile_Click() {
    session_.settings.projectChosen = false;
    choice_ = Choice::NoProject;
    reject();
}

void frmFileList::cmdCreateNew_Click() {
    choice_ = Choice::CreateNew;
    reject();
}

void frmFileList::btnOK_Click() {
    const std::string problem = rivulon::confirmFileBoxes(boxes(), session_.settings);
    if (!problem.empty()) {
        warnBox(this, qs(problem), qs(rivulon::kWarningTitle));
        return;
    }
    choice_ = Choice::Files;
    session_.inputsLoaded = true;
    session_.announceFiles();
    accept();
}

void frmFileList::btnEnd_Click() {
    choice_ = Choice::End;
    reject();
}

void frmFileList::btnCreatePrj_Click() {
    CreateProject(1, 1, 1, 1, 1);
}

void frmFileList::btnFind_Click(int index) {
    const QString chosen = dialogs().openFile(this, lblInputFile[index]->text(), Dir1->path(),
                                              QStringLiteral("All Files (*)"));
    if (!chosen.isEmpty()) {
        TxtInputFile[index]->setText(chosen);
    }
}

void frmFileList::Drive1_Change() {
    Dir1->setPath(Drive1->drive());
    File1->setPath(Dir1->path());
    FillText();
}

void frmFileList::Dir1_Change() {
    File1->setPath(Dir1->path());
    FillText();
}

bool frmFileList::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonDblClick) {
        for (QLineEdit* box : TxtInputFile) {
            if (watched == box && !File1->fileName().isEmpty()) {
                box->setText(QDir(File1->path()).absoluteFilePath(File1->fileName()));
                return true;
            }
        }
    }
    return QDialog::eventFilter(watched, event);
}

void frmFileList::CreateProject(float a, float b, float lower, float upper, float yearSeep) {
    if (!CheckFile()) {
        return;
    }
    const QString name =
        dialogs().inputBox(this, qs(rivulon::kCreateProjectPrompt),
                           qs(rivulon::kCreateProjectTitle), QStringLiteral("NewPrj"), 0);
    if (name.isEmpty()) {
        return;
    }
    Session& session = session_;
    const rivulon::ProjectSettings& s = session.settings;
    const rivulon::RunOptions& o = session.state.options;
    rivulon::NewProject project;
    project.paths = {s.transportPath,    s.nutrientPath,   s.weatherPath,
                     s.weatherDelayPath, s.landUseMapPath, s.countyMapPath,
                     s.soilMapPath,      s.databasePath,   s.observedFlowPath};
    project.a = a;
    project.b = b;
    project.lower = lower;
    project.upper = upper;
    project.yearSeep = yearSeep;
    project.popRate = o.popRate;
    project.maxSeepCoef = o.maxSeepCoef;
    project.dailySeep = o.dailySeep;
    project.minStream4Seep = o.minStream4Seep;
    project.gwBkDN = s.gwBkDN;
    project.gwBkDP = s.gwBkDP;
    project.graphScale = {s.graphScale[1], s.graphScale[2], s.graphScale[3], s.graphScale[4]};
    const std::string path = rivulon::newProjectPath(s.transportPath, ss(name));
    try {
        rivulon::writeNewProject(path, project);
    } catch (const std::exception&) {
        errorBox(this, qs(rivulon::kCreateProjectError));
        return;
    }
    rivulon::ui::showSaved(this, qs(path));
    msgBox(this, qs(rivulon::projectCreatedMessage(ss(name), s.transportPath)));
}
