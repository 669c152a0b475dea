#include "engine/ui/FrmGraph.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>
#include <cmath>

#include "common/list_reader.h"
#include "common/number_format.h"
#include "common/paths.h"
#include "engine/ui/RunGraphs.h"
#include "project/project_file.h"
#include "project/ui/run_commands.h"
#include "shell/PictureBox.h"
#include "shell/UpDown.h"
#include "shell/dialogs.h"
#include "shell/jobs.h"
#include "shell/session.h"

using rivulon::ui::errorBox;
using rivulon::ui::msgBox;
using rivulon::ui::warnBox;

namespace {
constexpr double kPictureWidth = 8000;   // twips: axes to 7000 and the axis word beyond
constexpr double kPictureHeight = 4800;  // twips: two panels, ticks and month labels
constexpr double kLegendWidth = 1500;    // the sample and its text side by side
constexpr double kLegendHeight = 650;
}  // namespace

FrmGraph::FrmGraph(rivulon::ui::WindowHost& host) : host_(host) {
    setObjectName("FrmGraph");
    setWindowTitle(QStringLiteral("Simultion Output (Real-time)"));
    Label1 = new QLabel(QStringLiteral("Output from the Watershed Model:"), this);
    Label1->setObjectName("Label1");
    QFont heading = Label1->font();
    heading.setBold(true);
    Label1->setFont(heading);
    Label2 = new QLabel(QStringLiteral("Simulation Interval: From the Start to the End"), this);
    Label2->setObjectName("Label2");
    // A climate scenario makes the line longer than the window is wide.
    Label2->setWordWrap(true);

    TabOut = new QTabWidget(this);
    TabOut->setObjectName("TabOut");
    std::array<QWidget*, 2> pages{new QWidget, new QWidget};
    for (int i = 0; i < 4; ++i) {
        PicBox[i] = new PictureBox(kPictureWidth, kPictureHeight, this);
        PicBox[i]->setObjectName(QStringLiteral("PicBox_%1").arg(i));
        PicLegend[i] = new PictureBox(kLegendWidth, kLegendHeight, this);
        PicLegend[i]->setObjectName(QStringLiteral("PicLegend_%1").arg(i));
        Text1[i] = new QLineEdit(this);
        Text1[i]->setObjectName(QStringLiteral("Text1_%1").arg(i));
        Text1[i]->setFixedWidth(56);
        UpDn[i] = new UpDown(this);
        UpDn[i]->setObjectName(QStringLiteral("UpDn_%1").arg(i));
        UpDn[i]->setRange(0, 32767);
        UpDn[i]->setSingleStep(10);
        connect(UpDn[i], &QSpinBox::valueChanged, this, [this, i] { UpDn_Change(i); });
        connect(Text1[i], &QLineEdit::editingFinished, this, [this, i] { text1Edited(i); });
    }
    PicBox[0]->setScalable(true);
    PicBox[1]->setScalable(true);
    // The persistent copies are kept for the finished drawings only.
    PicBox[2]->hide();
    PicBox[3]->hide();
    Label3 = new QLabel(QStringLiteral("y-scale"), this);
    Label3->setObjectName("Label3");
    for (int page = 0; page < 2; ++page) {
        auto* grid = new QGridLayout(pages[page]);
        grid->addWidget(PicBox[page], 0, 0, 2, 1);
        for (int panel = 0; panel < 2; ++panel) {
            const int i = page * 2 + panel;
            auto* side = new QVBoxLayout;
            side->addWidget(PicLegend[i]);
            QLabel* caption = i == 0 ? Label3 : new QLabel(QStringLiteral("y-scale"), this);
            scaleLabels_[i] = caption;
            side->addWidget(caption);
            auto* spin = new QHBoxLayout;
            spin->setSpacing(0);
            spin->addWidget(Text1[i]);
            spin->addWidget(UpDn[i]);
            spin->addStretch();
            side->addLayout(spin);
            side->addStretch();
            grid->addLayout(side, panel, 1);
        }
        // The drawing takes what the window gives it.
        grid->setColumnStretch(0, 1);
        grid->setRowStretch(1, 1);
    }
    lstRuns = new QListWidget(this);
    lstRuns->setObjectName("lstRuns");
    lstRuns->setFlow(QListView::LeftToRight);
    lstRuns->setWrapping(true);
    lstRuns->setResizeMode(QListView::Adjust);
    lstRuns->setSelectionMode(QAbstractItemView::NoSelection);
    lstRuns->setFocusPolicy(Qt::NoFocus);
    lstRuns->setMaximumHeight(3 * lstRuns->fontMetrics().height() + 12);
    lstRuns->setToolTip(QStringLiteral("The colour of each run's curves"));
    lstRuns->hide();
    TabOut->addTab(pages[0], QStringLiteral("Streamflow and Sediment"));
    TabOut->addTab(pages[1], QStringLiteral("Simulated N, P or OC output"));
    connect(TabOut, &QTabWidget::currentChanged, this, &FrmGraph::tabChanged);

    cmdRedraw = new QPushButton(QStringLiteral("&Redraw"), this);
    cmdRedraw->setObjectName("cmdRedraw");
    cmdShowOther = new QPushButton(QStringLiteral("&Show Nutrient Graph"), this);
    cmdShowOther->setObjectName("cmdShowOther");
    cmdSaveScales = new QPushButton(QStringLiteral("Save &XY Scales"), this);
    cmdSaveScales->setObjectName("cmdSaveScales");
    CmdSave = new QPushButton(QStringLiteral("Save Re&sults"), this);
    CmdSave->setObjectName("CmdSave");
    CmdClose = new QPushButton(QStringLiteral("&Close"), this);
    CmdClose->setObjectName("CmdClose");
    connect(cmdRedraw, &QPushButton::clicked, this, &FrmGraph::cmdRedraw_Click);
    connect(cmdShowOther, &QPushButton::clicked, this, &FrmGraph::cmdShowOther_Click);
    connect(cmdSaveScales, &QPushButton::clicked, this, &FrmGraph::cmdSaveScales_Click);
    connect(CmdSave, &QPushButton::clicked, this, &FrmGraph::CmdSave_Click);
    connect(CmdClose, &QPushButton::clicked, this, &FrmGraph::CmdClose_Click);
    const auto followRunning = [this](bool running) {
        cmdRedraw->setEnabled(!running);
        CmdSave->setEnabled(!running);
    };
    connect(&host_.session(), &Session::runningChanged, this, followRunning);
    // A window opened for a job already running starts with its buttons off.
    followRunning(host_.session().running());

    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : {cmdRedraw, cmdShowOther, cmdSaveScales, CmdSave, CmdClose}) {
        buttons->addWidget(b);
    }
    buttons->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Label1);
    layout->addWidget(Label2);
    layout->addWidget(TabOut);
    layout->addWidget(lstRuns);
    layout->addLayout(buttons);
    Form_Load();
}

void FrmGraph::Form_Load() {
    const auto& scale = host_.session().settings.graphScale;
    for (int i = 0; i < 4; ++i) {
        const QSignalBlocker block(UpDn[i]);
        UpDn[i]->setValue(scale[i + 1]);
        UpDn_Change(i);
    }
    prepareRun(host_.session().state.options.simLevel);
}

FrmGraph::~FrmGraph() = default;

void FrmGraph::beginRun(rivulon::ui::Job& job, int simLevel,
                        const std::array<std::int16_t, 5>& scales, const QString& period) {
    endRun();
    // A run of its own is drawn in the usual colours.
    lstRuns->clear();
    showRunLegend(false);
    // The period follows the start window at every run, not only the first.
    Label2->setText(QStringLiteral("Simulation Interval: From the Start to the End from ") +
                    period);
    prepareRun(simLevel);
    TabOut->setCurrentIndex(0);
    RunGraphs::Pictures pictures;
    pictures.water = PicBox[0];
    pictures.nutrients = PicBox[1];
    for (int i = 0; i < 4; ++i) {
        pictures.legends[i] = PicLegend[i];
    }
    graphs_ = std::make_unique<RunGraphs>(pictures, scales);
    job_ = &job;
    connect(&job, &rivulon::ui::Job::progress, this,
            [this](const std::vector<rivulon::RunEvent>& events) {
                if (graphs_) {
                    graphs_->apply(events);
                }
            });
    connect(&job, &rivulon::ui::Job::finished, this, [this](const rivulon::ui::JobEnd& end) {
        if (graphs_) {
            graphs_->finish();
            if (end.ok) {
                keepDrawings();
            }
        }
        endRun();
    });
}

void FrmGraph::overlayRuns(const QStringList& runNames) {
    if (graphs_) {
        graphs_->overlayLaterRuns();
    }
    lstRuns->clear();
    for (int i = 0; i < runNames.size(); ++i) {
        // A thick stroke of the run's colour, as its curves are drawn.
        QPixmap sample(24, 12);
        sample.fill(Qt::transparent);
        {
            QPainter p(&sample);
            p.setPen(QPen(RunGraphs::overlayColour(i), 3));
            p.drawLine(1, 6, 23, 6);
        }
        auto* item = new QListWidgetItem(QIcon(sample), runNames[i], lstRuns);
        item->setForeground(RunGraphs::overlayColour(i));
    }
    lstRuns->setIconSize(QSize(24, 12));
    showRunLegend(!runNames.isEmpty());
}

void FrmGraph::showRunLegend(bool show) {
    if (show == lstRuns->isVisibleTo(this))
        return;
    lstRuns->setVisible(show);
    // The window grows by the legend, so that the graphs keep their size.
    const int by = lstRuns->maximumHeight() + layout()->spacing();
    QWidget* frame = parentWidget() ? parentWidget() : this;
    frame->resize(frame->width(), frame->height() + (show ? by : -by));
}

void FrmGraph::endRun() {
    if (job_) {
        disconnect(job_, nullptr, this, nullptr);
    }
    job_ = nullptr;
    graphs_.reset();
}

void FrmGraph::prepareRun(int simLevel) {
    TabOut->setTabText(0, QStringLiteral("Streamflow and Sediment"));
    TabOut->setTabText(1, QStringLiteral("Simulated N, P or OC output"));
    const bool nutrients = simLevel >= 3 || simLevel < 0;
    for (int i = 2; i < 4; ++i) {
        Text1[i]->setVisible(nutrients);
        UpDn[i]->setVisible(nutrients);
        scaleLabels_[i]->setVisible(nutrients);
    }
}

void FrmGraph::keepDrawings() {
    PicBox[2]->setImage(PicBox[0]->image());
    PicBox[3]->setImage(PicBox[1]->image());
}

std::array<std::int16_t, 5> FrmGraph::scales() const {
    std::array<std::int16_t, 5> s{0, 0, 0, 0, 0};
    for (int i = 0; i < 4; ++i) {
        s[i + 1] = static_cast<std::int16_t>(UpDn[i]->value());
    }
    return s;
}

void FrmGraph::UpDn_Change(int index) {
    Text1[index]->setText(QString::fromStdString(
        rivulon::formatReal(static_cast<float>(UpDn[index]->value()) / 100.0f)));
}

void FrmGraph::text1Edited(int index) {
    // A typed scale moves the spinner, which then shows the value it keeps.
    const double value = rivulon::leadingNumber(Text1[index]->text().toStdString());
    UpDn[index]->setValue(static_cast<int>(std::lround(value * 100)));
    UpDn_Change(index);
}

void FrmGraph::tabChanged(int index) {
    cmdShowOther->setText(index == 0 ? QStringLiteral("&Show Nutrient Graph")
                                     : QStringLiteral("Show Streamflow Graph"));
}

void FrmGraph::cmdRedraw_Click() {
    TabOut->setCurrentIndex(0);
    PicBox[0]->clear();
    PicBox[1]->clear();
    if (auto* start = rivulon::ui::findService<rivulon::ui::RunCommands>(host_)) {
        start->redraw(scales());
    }
}

void FrmGraph::cmdShowOther_Click() {
    TabOut->setCurrentIndex(TabOut->currentIndex() == 0 ? 1 : 0);
}

void FrmGraph::cmdSaveScales_Click() {
    const std::string& project = host_.session().settings.projectPath;
    if (!rivulon::pathPresent(project)) {
        warnBox(this, QString::fromUtf8(rivulon::kNoProjectForScalesMessage),
                QString::fromUtf8(rivulon::kNoProjectForScalesTitle));
        return;
    }
    try {
        const std::array<std::int16_t, 5> s = scales();
        rivulon::rewriteGraphScales(project, {s[1], s[2], s[3], s[4]});
    } catch (const std::exception& e) {
        errorBox(this, QString::fromStdString(e.what()));
        return;
    }
    rivulon::ui::showSaved(this, QString::fromStdString(project));
    msgBox(this, QString::fromUtf8(rivulon::kScalesUpdatedMessage));
}

void FrmGraph::CmdSave_Click() {
    if (auto* start = rivulon::ui::findService<rivulon::ui::RunCommands>(host_)) {
        start->saveResults();
    }
}

void FrmGraph::CmdClose_Click() {
    close();
}

void FrmGraph::closeEvent(QCloseEvent* event) {
    const std::array<std::int16_t, 5> s = scales();
    // The run takes its scales from the options; the project settings keep them too.
    Session& session = host_.session();
    for (int i = 1; i <= 4; ++i) {
        session.settings.graphScale[i] = s[i];
        session.state.options.graphScale[i] = s[i];
    }
    event->accept();
}

const rivulon::ui::WindowRegistration FrmGraph::registration{
    kKind, &rivulon::ui::makeWindow<FrmGraph>, true, 5, {}};
