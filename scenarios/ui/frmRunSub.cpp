#include "scenarios/ui/frmRunSub.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>
#include <thread>

#include "common/atomic_file.h"
#include "common/paths.h"
#include "engine/run_events.h"
#include "engine/ui/run_overlay.h"
#include "engine/ui/run_view.h"
#include "project/run_command.h"
#include "project/ui/simulation_choices.h"
#include "scenarios/batch.h"
#include "scenarios/batch_job.h"
#include "scenarios/control_file.h"
#include "scenarios/project_batch.h"
#include "shell/UpDown.h"
#include "shell/dialogs.h"
#include "shell/file_lists.h"
#include "shell/jobs.h"
#include "shell/qt_text.h"
#include "shell/session.h"

using rivulon::ui::errorBox;
using rivulon::ui::qs;
using rivulon::ui::ss;
using rivulon::ui::warnBox;
using rivulon::ui::WindowKind;

namespace {

const QString kCaption = QStringLiteral("Run the model for sub-basins");
constexpr int kHelpContext = 270;

// Hands a row's run to the recorder for the graph window. A stop asked for
// while a row runs lets the row finish (its files are written); the batch
// then starts no further row.
class OverlayObserver : public rivulon::RunObserver {
  public:
    explicit OverlayObserver(rivulon::RunEventRecorder& recorder) : recorder_(recorder) {}
    void runStarted(const rivulon::ModelState& state) override { recorder_.runStarted(state); }
    void dayEnded(const rivulon::ModelState& state, const rivulon::DayPoint& point) override {
        try {
            recorder_.dayEnded(state, point);
        } catch (const rivulon::RunCancelled&) {
            // The rest of this row is not drawn.
        }
    }
    void monthEnded(const rivulon::ModelState& state, int year, int month, int dayIndex) override {
        recorder_.monthEnded(state, year, month, dayIndex);
    }
    void yearEnded(const rivulon::ModelState& state, int year) override {
        recorder_.yearEnded(state, year);
    }

  private:
    rivulon::RunEventRecorder& recorder_;
};

QString rowsDoneText(int done, int total) {
    return QStringLiteral("%1 of %2 rows done").arg(done).arg(total);
}

}  // namespace

// What a batch takes when Run Now is pressed, and what it found; shared with
// the worker thread, which only touches it while the batch runs.
struct frmRunSub::BatchInFlight {
    rivulon::BatchJob job;
    bool overlay = false;
    rivulon::BatchJobOutcome outcome;
};

frmRunSub::frmRunSub(rivulon::ui::WindowHost& host) : host_(host) {
    setObjectName("frmRunSub");
    setWindowTitle(kCaption);
    setWindowIcon(QIcon(QStringLiteral(":/icons/rivulon.png")));

    LblFileList = new QLabel(QStringLiteral("Available files:"), this);
    LblFileList->setObjectName("LblFileList");
    Drive1 = new QComboBox(this);
    Drive1->setObjectName("Drive1");
    Drive1->setToolTip(QStringLiteral("Places to look for control files"));
    Dir1 = new DirList(this);
    Dir1->setObjectName("Dir1");
    File1 = new FileList(this);
    File1->setObjectName("File1");
    File1->setPattern(QStringLiteral("R*.dat"));

    TxtCtrlFile = new QLineEdit(QStringLiteral("Sub-basin control file"), this);
    TxtCtrlFile->setObjectName("TxtCtrlFile");
    lblNumSubBasins = new QLabel(QStringLiteral("Number of sub-basins:"), this);
    lblNumSubBasins->setObjectName("lblNumSubBasins");
    TxtNumSubBasins = new QLineEdit(this);
    TxtNumSubBasins->setObjectName("TxtNumSubBasins");
    TxtNumSubBasins->setFixedWidth(48);
    TxtNumSubBasins->setAlignment(Qt::AlignRight);
    UpDnSubBasins = new UpDown(this);
    UpDnSubBasins->setObjectName("UpDnSubBasins");
    UpDnSubBasins->setRange(1, 100);
    UpDnSubBasins->setSingleStep(1);
    UpDnSubBasins->setValue(1);
    // The count can be typed as well as clicked.
    UpDnSubBasins->setBuddy(TxtNumSubBasins);
    LblNameString = new QLabel(QStringLiteral("String for results filename:"), this);
    LblNameString->setObjectName("LblNameString");
    TxtNameString = new QLineEdit(QStringLiteral("Auto"), this);
    TxtNameString->setObjectName("TxtNameString");
    chkOverlapGraph = new QCheckBox(QStringLiteral("Overlay graphic simulation results."), this);
    chkOverlapGraph->setObjectName("chkOverlapGraph");

    barRows = new QProgressBar(this);
    barRows->setObjectName("barRows");
    barRows->setRange(0, 1);
    barRows->setValue(0);
    // No count before a control file is read: "0 of 1 rows" would be untrue.
    barRows->setFormat(QStringLiteral("No rows run yet"));
    lblRowsDone = new QLabel(this);
    lblRowsDone->setObjectName("lblRowsDone");
    lblRowsDone->setWordWrap(true);

    cmdRun = new QPushButton(QStringLiteral("Run Now"), this);
    cmdRun->setObjectName("cmdRun");
    cmdRun->setDefault(true);
    cmdCancel = new QPushButton(QStringLiteral("Cancel"), this);
    cmdCancel->setObjectName("cmdCancel");
    cmdCancel->setToolTip(QStringLiteral("Stop after the rows now running; their files are kept"));
    cmdCancel->setEnabled(false);
    CmdHelp = new QPushButton(QStringLiteral("Help"), this);
    CmdHelp->setObjectName("CmdHelp");
    CmdRunSubClose = new QPushButton(QStringLiteral("Close"), this);
    CmdRunSubClose->setObjectName("CmdRunSubClose");

    auto* files = new QVBoxLayout;
    files->addWidget(LblFileList);
    files->addWidget(Drive1);
    // The lists take the height the rest of the window needs, not more.
    for (QListWidget* list : {static_cast<QListWidget*>(Dir1), static_cast<QListWidget*>(File1)}) {
        list->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Ignored);
        list->setMinimumHeight(72);
    }
    files->addWidget(Dir1, 1);
    files->addWidget(File1, 1);

    auto* count = new QHBoxLayout;
    count->setSpacing(0);
    count->addWidget(TxtNumSubBasins);
    count->addWidget(UpDnSubBasins);
    count->addStretch();
    auto* form = new QGridLayout;
    form->addWidget(lblNumSubBasins, 0, 0);
    form->addLayout(count, 0, 1);
    form->addWidget(LblNameString, 1, 0);
    form->addWidget(TxtNameString, 1, 1);

    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : {cmdRun, cmdCancel, CmdHelp, CmdRunSubClose}) {
        buttons->addWidget(b);
    }
    buttons->addStretch();

    auto* right = new QVBoxLayout;
    right->addWidget(TxtCtrlFile);
    right->addLayout(form);
    right->addWidget(chkOverlapGraph);
    right->addSpacing(12);
    right->addWidget(barRows);
    right->addWidget(lblRowsDone);
    right->addStretch();
    right->addLayout(buttons);

    auto* layout = new QHBoxLayout(this);
    layout->addLayout(files, 2);
    layout->addLayout(right, 3);
    resize(620, 290);

    connect(Drive1, &QComboBox::currentIndexChanged, this, &frmRunSub::Drive1_Change);
    connect(Dir1, &DirList::pathChanged, this, &frmRunSub::Dir1_Change);
    connect(File1, &QListWidget::itemClicked, this, &frmRunSub::File1_Click);
    connect(File1, &QListWidget::currentRowChanged, this, &frmRunSub::File1_Click);
    connect(UpDnSubBasins, &QSpinBox::valueChanged, this, &frmRunSub::UpDnSubBasins_Change);
    connect(cmdRun, &QPushButton::clicked, this, &frmRunSub::cmdRun_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmRunSub::cmdCancel_Click);
    connect(CmdHelp, &QPushButton::clicked, this, &frmRunSub::CmdHelp_Click);
    connect(CmdRunSubClose, &QPushButton::clicked, this, &frmRunSub::CmdRunSubClose_Click);
    connect(&host_.session(), &Session::runningChanged, this, &frmRunSub::followRunning);
    // Opened while another job runs, Run Now waits for it.
    followRunning(host_.session().running());
    Form_Load();
}

frmRunSub::~frmRunSub() = default;

void frmRunSub::Form_Load() {
    TxtNumSubBasins->setText(QString::number(UpDnSubBasins->value()));
    requested_ = 1;
    // The places a control file is usually kept: the project's folder, the
    // program's Input and Output folders, the home folder and the root.
    const Session& session = host_.session();
    QStringList places;
    auto add = [&places](const QString& folder) {
        const QString clean = QDir::cleanPath(folder);
        if (!folder.isEmpty() && QFileInfo(clean).isDir() && !places.contains(clean)) {
            places << clean;
        }
    };
    const QString input = session.applicationFolder.isEmpty()
                              ? QString()
                              : session.applicationFolder + QStringLiteral("/Input");
    add(input);
    add(qs(session.settings.inputFolder));
    add(qs(session.settings.outputFolder));
    add(QDir::homePath());
    add(QDir::rootPath());
    {
        const QSignalBlocker block(Drive1);
        Drive1->clear();
        Drive1->addItems(places);
        Drive1->setCurrentIndex(0);
    }
    Drive1_Change();
}

void frmRunSub::Drive1_Change() {
    Dir1->setPath(Drive1->currentText());
    Dir1_Change();
}

void frmRunSub::Dir1_Change() {
    File1->setPath(Dir1->path());
    File1->setPattern(QStringLiteral("R*.dat"));
    // The first control file is picked, so that Run Now has a file to run.
    if (File1->count() > 0 && File1->currentRow() < 0) {
        const QSignalBlocker block(File1);
        File1->setCurrentRow(0);
    }
    File1_Click();
}

void frmRunSub::File1_Click() {
    TxtCtrlFile->setText(QDir(Dir1->path()).filePath(File1->fileName()));
}

void frmRunSub::UpDnSubBasins_Change() {
    requested_ = UpDnSubBasins->value();
}

QString frmRunSub::controlFilePath() const {
    // A typed name without a folder is taken in the project's folder.
    const QString typed = TxtCtrlFile->text().trimmed();
    if (typed.isEmpty() || QFileInfo(typed).isAbsolute()) {
        return typed;
    }
    return qs(rivulon::joinPath(host_.session().settings.inputFolder, ss(typed)));
}

void frmRunSub::cmdRun_Click() {
    if (job_ || host_.jobs().busy()) {
        return;
    }
    const QString typed = UpDnSubBasins->typedProblem(QStringLiteral("Number of sub-basins"));
    if (!typed.isEmpty()) {
        warnBox(this, typed + QStringLiteral("."));
        TxtNumSubBasins->setFocus();
        return;
    }
    host_.placeInCorner(this);
    Session& session = host_.session();
    auto b = std::make_shared<BatchInFlight>();
    rivulon::BatchJob& job = b->job;

    const QString control = controlFilePath();
    try {
        job.file = rivulon::readControlFile(ss(control));
    } catch (const std::exception& e) {
        TxtCtrlFile->setText(qs(e.what()));
        return;
    }
    const int rows = rivulon::rowsToRun(requested_, job.file);
    if (rows < requested_) {
        // The lowered count stays until the spinner is changed again.
        UpDnSubBasins->setValue(rows);
        requested_ = rows;
    }

    // Years and level as the simulation window has them.
    std::int16_t years =
        session.state.options.yearCount > 0
            ? session.state.options.yearCount
            : static_cast<std::int16_t>(std::max<int>(1, session.settings.weatherYears));
    int level = session.state.options.simLevel >= 1 && session.state.options.simLevel <= 4
                    ? session.state.options.simLevel
                    : 4;
    QString period;
    if (auto* choices = rivulon::ui::findService<rivulon::ui::SimulationChoices>(host_)) {
        if (!choices->chosenYears(years)) {
            return;
        }
        level = choices->chosenLevel();
        period = choices->chosenPeriod();
    }
    job.request.yearCount = years;
    job.request.simLevel = static_cast<std::int16_t>(level);

    job.project = rivulon::batchProjectOf(session.settings, session.state);
    const std::string output = ss(session.outputFolder());
    job.project.settings.outputFolder = output;
    job.settings.nameString = ss(TxtNameString->text());
    job.settings.outputFolder = output;
    job.settings.requestedCount = rows;
    job.controlPath = ss(control);
    job.checkRowsFirst = true;
    b->overlay = chkOverlapGraph->isChecked();
    job.settings.jobs = b->overlay ? 1
                        : batchJobs > 0
                            ? batchJobs
                            : static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));

    // Files another batch (or the user) left under the names this batch
    // writes are replaced only when the user says so.
    const std::vector<std::string> others = rivulon::batchFilesOfOthers(job.file, job.settings);
    if (!others.empty()) {
        QString text = QStringLiteral(
                           "These result files were not written by an earlier batch named "
                           "\"%1\"; this batch would replace them:")
                           .arg(TxtNameString->text());
        for (const std::string& f : others) {
            text += QStringLiteral("\n") + qs(f);
        }
        text += QStringLiteral("\n\nReplace them?");
        if (!rivulon::ui::dialogs().askYesNo(this, text, kCaption)) {
            lblRowsDone->setText(QStringLiteral("Nothing was run."));
            return;
        }
    }

    rivulon::ui::Job* started =
        host_.jobs().start(rivulon::ui::JobUse::OwnCopy, [b](rivulon::ui::Job::Context& c) {
            rivulon::BatchJob& job = b->job;
            OverlayObserver overlay(c.recorder);
            rivulon::BatchObserver observer;
            observer.stop = &c.stop;
            if (b->overlay) {
                job.rowObserver = &overlay;
                observer.rowStarted = [&c, &job](int row) {
                    c.recorder.note(row - 1, job.settings.requestedCount,
                                    rivulon::batchRowCaption(row));
                };
            }
            observer.rowWritten = [&c](int row, int done, int total) {
                // Rows are written in order: the batch now waits for the next one.
                c.recorder.note(done, total, done < total ? rivulon::batchRowCaption(row + 1) : "");
            };
            b->outcome = rivulon::runBatchJob(job, observer);
            job.rowObserver = nullptr;
            // The program holds the last row's settings and run afterwards, as
            // if they had been chosen and run in the simulation window.
            if (b->outcome.problem.empty() && b->outcome.batch.lastAppliedRow >= 1) {
                c.result.ran = rivulon::lastRowInForce(job, b->outcome.batch, c.result.settings,
                                                       c.result.state);
                c.result.leaves = true;
            }
        });
    if (!started) {
        return;
    }
    job_ = started;
    if (b->overlay) {
        if (QWidget* graph = host_.openWindow(rivulon::ui::RunView::kProvider)) {
            if (auto* view = dynamic_cast<rivulon::ui::RunView*>(graph)) {
                std::array<std::int16_t, 5> scales = session.state.options.graphScale;
                if (rivulon::graphScalesNeedDefaults(scales)) {
                    scales = rivulon::kDefaultGraphScales;
                }
                view->beginRun(*started, level, scales, period);
            }
            if (auto* overlay = dynamic_cast<rivulon::ui::RunOverlay*>(graph)) {
                QStringList names;
                for (int i = 1; i <= rows; ++i) {
                    names << QStringLiteral("Row %1: %2")
                                 .arg(i)
                                 .arg(qs(
                                     job.file.rows[static_cast<std::size_t>(i - 1)].watershedName));
                }
                overlay->overlayRuns(names);
            }
            host_.showChild(graph);
            // This window stays in front, with its progress and Cancel.
            host_.showChild(this);
        }
    } else if (QWidget* graph = host_.findWindow(rivulon::ui::RunView::kProvider)) {
        // Rows without overlay draw nothing; an old drawing would pass for theirs.
        graph->close();
    }

    barRows->setRange(0, rows);
    barRows->setValue(0);
    barRows->setFormat(QStringLiteral("%v of %m rows"));
    lblRowsDone->setText(job.settings.jobs > 1
                             ? QStringLiteral("Rows run %1 at a time.").arg(job.settings.jobs)
                             : QStringLiteral("Rows run one after another."));
    setWindowTitle(qs(rivulon::batchRowCaption(1)));
    connect(started, &rivulon::ui::Job::progress, this, &frmRunSub::progress);
    connect(started, &rivulon::ui::Job::finished, this,
            [this, b](const rivulon::ui::JobEnd& end) { batchEnded(end, *b); });
    followRunning(true);
}

void frmRunSub::progress(const std::vector<rivulon::RunEvent>& events) {
    for (const rivulon::RunEvent& e : events) {
        if (e.kind != rivulon::RunEvent::Kind::Note) {
            continue;
        }
        barRows->setRange(0, std::max(1, e.total));
        barRows->setValue(e.done);
        if (!e.text.empty()) {
            setWindowTitle(qs(e.text));
        }
    }
}

void frmRunSub::batchEnded(const rivulon::ui::JobEnd& end, const BatchInFlight& b) {
    const rivulon::ui::HandOver handedOver = job_ ? job_->handedOver() : rivulon::ui::HandOver{};
    job_ = nullptr;
    followRunning(false);
    const rivulon::BatchOutcome& out = b.outcome.batch;
    const int total = b.job.settings.requestedCount;

    if (!end.ok) {
        // Only an unexpected failure of the batch itself gets here.
        TxtCtrlFile->setText(end.error);
        lblRowsDone->clear();
        return;
    }
    if (!b.outcome.problem.empty()) {
        setWindowTitle(kCaption);
        lblRowsDone->setText(QStringLiteral("Nothing was run."));
        errorBox(this, qs(b.outcome.problem), kCaption);
        return;
    }
    // The last row's watershed name stays in the simulation window, unless
    // the user chose another project while the batch ran.
    if (handedOver.settings) {
        if (auto* choices = rivulon::ui::findService<rivulon::ui::SimulationChoices>(host_)) {
            choices->setWatershedName(qs(host_.session().state.watershedName));
        }
    }
    if (!b.overlay) {
        if (QWidget* graph = host_.findWindow(rivulon::ui::RunView::kProvider)) {
            graph->close();
        }
    }
    barRows->setRange(0, std::max(1, out.rowCount));
    barRows->setValue(out.rowsWritten);
    if (!out.ok()) {
        // The error's text takes the control file's place; the caption keeps
        // the row that failed, and rows before it keep their files.
        setWindowTitle(qs(rivulon::batchRowCaption(out.failedRow)));
        TxtCtrlFile->setText(qs("Row " + std::to_string(out.failedRow) + ": " + out.error));
        lblRowsDone->setText(rowsDoneText(out.rowsWritten, total) +
                             QStringLiteral("; row %1 failed.").arg(out.failedRow));
    } else if (out.stopped) {
        setWindowTitle(
            QStringLiteral("Cancelled after %1 of %2 rows.").arg(out.rowsWritten).arg(total));
        lblRowsDone->setText(
            QStringLiteral("Cancelled: %1 of %2 rows done; their files are written, later rows "
                           "wrote none.")
                .arg(out.rowsWritten)
                .arg(total));
    } else {
        setWindowTitle(qs(rivulon::kBatchDoneCaption));
        lblRowsDone->setText(rowsDoneText(out.rowsWritten, total) + QStringLiteral(" in ") +
                             qs(b.job.settings.outputFolder));
    }
    if (!out.filesWritten.empty()) {
        QStringList written;
        for (const auto& f : out.filesWritten)
            written.append(qs(f));
        rivulon::ui::showSaved(this, written);
        // The last row's run is the session's, and its tables are in its files.
        if (out.ok() && !out.stopped)
            host_.session().setResultsSaved();
    }
    if (!out.olderFiles.empty()) {
        // Files of later rows from an earlier batch stay (they are the
        // user's), but must not be taken for this batch's.
        QString text = QStringLiteral(
            "These files of later rows are from an earlier batch and "
            "were left as they were; do not sum or compare them with "
            "this batch:");
        for (const auto& f : out.olderFiles) {
            text += QStringLiteral("\n") + qs(f);
        }
        warnBox(this, text, kCaption);
    }
    if (!b.outcome.warnings.empty()) {
        QString text = QStringLiteral(
            "Some input files have lines that do not hold their "
            "fields:");
        for (const auto& w : b.outcome.warnings) {
            text += QStringLiteral("\n") + qs(w);
        }
        warnBox(this, text, kCaption);
    }
}

void frmRunSub::followRunning(bool running) {
    const bool mine = job_ != nullptr;
    cmdRun->setEnabled(!running);
    cmdCancel->setEnabled(mine);
}

void frmRunSub::cmdCancel_Click() {
    if (job_) {
        job_->stop();
        cmdCancel->setEnabled(false);
        lblRowsDone->setText(QStringLiteral("Stopping after the rows now running..."));
    }
}

void frmRunSub::CmdHelp_Click() {
    host_.HelpCmd(1, kHelpContext);
}

void frmRunSub::CmdRunSubClose_Click() {
    close();
}

void frmRunSub::closeEvent(QCloseEvent* event) {
    // The batch's copies belong to this window: stop it before closing.
    if (job_) {
        job_->stop();
        job_->waitForEnd();
    }
    event->accept();
}

namespace {

const rivulon::ui::WindowCommand kfrmRunSubCommands[] = {
    {.id = "MnuRunSubBasins",
     .caption = "&Run Hydload for Sub-basins/Multiple Scenarios",
     .menu = "mnuAdvanced",
     .after = "MnuSeptic"},
};

}  // namespace

const rivulon::ui::WindowRegistration frmRunSub::registration{
    kKind, &rivulon::ui::makeWindow<frmRunSub>, true, 270, kfrmRunSubCommands};
