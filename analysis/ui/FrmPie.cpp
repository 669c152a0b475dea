#include "analysis/ui/FrmPie.h"

#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QtMath>
#include <algorithm>
#include <cmath>
#include <vector>

#include "analysis/ui/chart_export.h"
#include "analysis/value_format.h"
#include "shell/PictureBox.h"
#include "shell/qt_text.h"
#include "shell/session.h"
#include "shell/twips.h"

using rivulon::ui::qs;

namespace {

constexpr int kMargin = 8;
constexpr int kButtonWidth = 96;
constexpr int kSwatch = 12;  // the legend's colour square, pixels

// Colours of the 16-colour palette by slice position, leaving out white,
// silver and yellow, which would not stand out from the white page.
constexpr int kPalette[FrmPie::kSlices] = {9, 12, 2, 13, 3, 4, 1, 6, 5, 11, 0, 8};

// Relative luminance of a colour as the contrast rules of the web define it.
double luminance(const QColor& c) {
    const auto channel = [](double v) {
        return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) + 0.0722 * channel(c.blueF());
}

// A source's name without the colon of the table's row heading.
QString sourceName(const std::string& label) {
    QString name = qs(label).trimmed();
    if (name.endsWith(QLatin1Char(':')))
        name.chop(1);
    return name;
}

// The page's columns: the first tab moves to column 40, every later one to
// the next print zone of 14 characters.
QString expandTabs(const QString& line) {
    QString out;
    bool first = true;
    for (const QChar ch : line) {
        if (ch != QLatin1Char('\t')) {
            out += ch;
            continue;
        }
        const qsizetype column =
            first ? std::max<qsizetype>(39, out.size() + 1) : (out.size() / 14 + 1) * 14;
        out += QString(column - out.size(), QLatin1Char(' '));
        first = false;
    }
    return out;
}

}  // namespace

FrmPie::FrmPie(rivulon::ui::WindowHost& host) : host_(host) {
    setObjectName(QStringLiteral("FrmPie"));
    setWindowTitle(QStringLiteral("Nutrient Sources (Pie Chart)"));
    setAutoFillBackground(true);
    QPalette page = palette();
    page.setColor(QPalette::Window, Qt::white);
    setPalette(page);

    lblTitle = new QLabel(this);
    lblTitle->setObjectName(QStringLiteral("lblTitle"));
    QFont times(QStringLiteral("Times"));
    times.setStyleHint(QFont::Serif);
    times.setPointSize(14);
    times.setBold(true);
    lblTitle->setFont(times);
    lblTitle->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    lblTitle->hide();
    for (int i = 1; i <= kSlices; ++i) {
        Text1[i] = new QLabel(this);
        Text1[i]->setObjectName(QStringLiteral("Text1_%1").arg(i));
        // On its slice's colour, in black or white, whichever reads better:
        // light cyan or light green text would fade into the white page.
        QPalette ink = Text1[i]->palette();
        ink.setColor(QPalette::Window, sliceColor(i));
        ink.setColor(QPalette::WindowText, inkOn(sliceColor(i)));
        Text1[i]->setPalette(ink);
        Text1[i]->setAutoFillBackground(true);
        Text1[i]->setContentsMargins(3, 1, 0, 1);
        Text1[i]->hide();
    }
    auto button = [this](const QString& caption, const char* name) {
        auto* b = new QPushButton(caption, this);
        b->setObjectName(QString::fromLatin1(name));
        b->resize(kButtonWidth, b->sizeHint().height());
        return b;
    };
    cmdClose = button(QStringLiteral("Close"), "cmdClose");
    cmdSaveData = button(QStringLiteral("Save Data"), "cmdSaveData");
    CmdNextPie = button(QStringLiteral("Next Graph"), "CmdNextPie");
    cmdSaveData->hide();

    pieTools = new QWidget(this);
    pieTools->setObjectName(QStringLiteral("pieTools"));
    auto* tools = new QHBoxLayout(pieTools);
    tools->setContentsMargins(kMargin, 2, kMargin, 2);
    tools->setSpacing(2);
    tools->addStretch();
    rivulon::ui::ChartExport source;
    source.picture = this;
    source.title = [this] { return lblTitle->text(); };
    source.data = [this] { return pieData(); };
    source.folder = [this] { return host_.session().outputFolder(); };
    // The pie, its labels and its legend, without the buttons.
    source.area = [this] {
        return QRect(0, topOfPage(), width(), cmdClose->y() - kMargin / 2 - topOfPage());
    };
    rivulon::ui::addExportButtons(tools, this, QStringLiteral("cmdPie"), source);
    pieTools->hide();
    connect(cmdClose, &QPushButton::clicked, this, &QWidget::close);
    connect(cmdSaveData, &QPushButton::clicked, this, &FrmPie::cmdSaveData_Click);
    connect(CmdNextPie, &QPushButton::clicked, this, &FrmPie::CmdNextPie_Click);
    setMinimumSize(rivulon::ui::twipsSize(5400, 4200));
    resize(sizeHint());
}

QSize FrmPie::sizeHint() const {
    // Room below the pie for a legend of three or four lines.
    return rivulon::ui::twipsSize(9600, 8400);
}

QColor FrmPie::sliceColor(int item) {
    return PictureBox::qbColor(kPalette[(item - 1 + kSlices) % kSlices]);
}

QColor FrmPie::inkOn(const QColor& fill) {
    const double l = luminance(fill);
    // Contrast ratios of black and of white text on the fill.
    return (l + 0.05) / 0.05 >= 1.05 / (l + 0.05) ? QColor(Qt::black) : QColor(Qt::white);
}

QStringList FrmPie::legendEntries() const {
    QStringList entries;
    if (textPage_ || !chart_.plottable)
        return entries;
    for (std::size_t i = 0; i < chart_.slices.size() && i < kSlices; ++i) {
        if (chart_.slices[i].sweepDegrees > 0)
            entries << sourceName(chart_.slices[i].label);
    }
    return entries;
}

int FrmPie::topOfPage() const {
    return pieTools->isHidden() ? 0 : pieTools->sizeHint().height();
}

int FrmPie::legendRows() const {
    const QStringList entries = legendEntries();
    if (entries.isEmpty())
        return 0;
    const QFontMetrics fm(font());
    int widest = 0;
    for (const QString& e : entries)
        widest = std::max(widest, fm.horizontalAdvance(e));
    const int column = kSwatch + 6 + widest + 16;
    const int columns = std::max(1, (width() - 2 * kMargin) / column);
    return (static_cast<int>(entries.size()) + columns - 1) / columns;
}

QRect FrmPie::legendRect() const {
    const int rows = legendRows();
    if (rows == 0)
        return {};
    const int line = QFontMetrics(font()).height() + 2;
    const int bottom = height() - kMargin - cmdClose->height() - kMargin / 2;
    return {kMargin, bottom - rows * line, width() - 2 * kMargin, rows * line};
}

rivulon::TextGrid FrmPie::pieData() const {
    if (!chart_.plottable)
        return rivulon::TextGrid(1, 1);
    double total = 0;
    for (const rivulon::PieSlice& s : chart_.slices)
        total += s.value;
    rivulon::TextGrid grid(static_cast<int>(chart_.slices.size()) + 1, 3);
    grid.set(0, 0, "Source");
    grid.set(0, 1, chart_.title.substr(std::min<std::size_t>(11, chart_.title.size())));
    grid.set(0, 2, "Percent");
    for (std::size_t i = 0; i < chart_.slices.size(); ++i) {
        const rivulon::PieSlice& s = chart_.slices[i];
        const int row = static_cast<int>(i) + 1;
        grid.set(row, 0, rivulon::ui::ss(sourceName(s.label)));
        grid.set(row, 1, rivulon::plainNumber(static_cast<float>(s.value)));
        grid.set(row, 2, rivulon::formatPattern(s.value * 100.0 / total, "0.0"));
    }
    return grid;
}

void FrmPie::showPies(std::function<rivulon::TextGrid()> table, int column) {
    textPage_ = false;
    lines_.clear();
    saveData_ = nullptr;
    table_ = std::move(table);
    counter_ = column;
    setWindowTitle(QStringLiteral("Nutrient Sources (Pie Chart)"));
    cmdSaveData->hide();
    CmdNextPie->show();
    pieTools->show();
    pieTools->setGeometry(0, 0, width(), pieTools->sizeHint().height());
    placeButtons();
    DrawPie(rivulon::pieChart(table_(), counter_));
}

void FrmPie::CmdNextPie_Click() {
    hideLabels();
    counter_ = rivulon::nextPieColumn(counter_);
    if (table_) {
        DrawPie(rivulon::pieChart(table_(), counter_));
    }
}

void FrmPie::DrawPie(const rivulon::PieChart& chart) {
    chart_ = chart;
    hideLabels();
    if (!chart_.plottable) {
        lblTitle->hide();
        update();
        return;
    }
    lblTitle->setText(qs(chart_.title));
    lblTitle->show();
    for (std::size_t i = 0; i < chart_.slices.size() && i < kSlices; ++i) {
        Text1[i + 1]->setText(qs(chart_.slices[i].text));
        Text1[i + 1]->adjustSize();
    }
    placeLabels();
    update();
}

QString FrmPie::message() const {
    return textPage_ || chart_.plottable ? QString() : qs(chart_.message);
}

void FrmPie::hideLabels() {
    for (int i = 1; i <= kSlices; ++i) {
        Text1[i]->hide();
    }
}

QRectF FrmPie::pieRect() const {
    const double w = width();
    const double h = height();
    const double cx = w / 2;
    const double cy = h / 1.9;
    double radius = w / 6;
    // A squat window keeps the pie and its labels clear of the title, the
    // legend and the buttons.
    const double titleBottom = topOfPage() + h / 30 + lblTitle->sizeHint().height();
    const QRect legend = legendRect();
    const double buttonsTop = legend.isEmpty() ? h - kMargin - cmdClose->height() : legend.top();
    radius = std::min({radius, (cy - titleBottom) / 1.4, (buttonsTop - cy) / 1.4});
    radius = std::max(radius, 1.0);
    return {cx - radius, cy - radius, 2 * radius, 2 * radius};
}

void FrmPie::placeLabels() {
    if (!chart_.plottable) {
        return;
    }
    lblTitle->setGeometry(0, topOfPage() + static_cast<int>(height() / 30.0), width(),
                          lblTitle->sizeHint().height());
    const QRectF pie = pieRect();
    const QPointF centre = pie.center();
    const double reach = 1.2 * pie.width() / 2;
    std::vector<QRect> placed;
    for (std::size_t i = 0; i < chart_.slices.size() && i < kSlices; ++i) {
        const rivulon::PieSlice& slice = chart_.slices[i];
        QLabel* label = Text1[i + 1];
        // A source without output has no slice to name.
        if (slice.sweepDegrees <= 0) {
            label->hide();
            continue;
        }
        const double middle = qDegreesToRadians(slice.startDegrees + slice.sweepDegrees / 2);
        const QPointF at(centre.x() + reach * std::cos(middle),
                         centre.y() - reach * std::sin(middle));
        const QSize size = label->sizeHint();
        // Labels on the left end at the point, those on the right start there.
        QRect box(QPoint(static_cast<int>(std::cos(middle) >= 0 ? at.x() : at.x() - size.width()),
                         static_cast<int>(at.y() - size.height() / 2.0)),
                  size);
        // Small neighbouring slices would stack their labels: move a label
        // away from the middle line until it is clear of the others.
        const int step = std::sin(middle) >= 0 ? -1 : 1;
        for (int guard = 0; guard < 40; ++guard) {
            const bool clash = std::any_of(placed.begin(), placed.end(),
                                           [&](const QRect& r) { return r.intersects(box); });
            if (!clash) {
                break;
            }
            box.translate(0, step * (size.height() / 2 + 1));
        }
        box.moveLeft(std::clamp(box.left(), 0, std::max(0, width() - box.width())));
        box.moveTop(std::clamp(box.top(), topOfPage(), std::max(0, height() - box.height())));
        label->setGeometry(box);
        label->show();
        placed.push_back(box);
    }
}

void FrmPie::placeButtons() {
    const int y = height() - kMargin - cmdClose->height();
    std::vector<QPushButton*> shown;
    for (QPushButton* b : {cmdClose, cmdSaveData, CmdNextPie}) {
        if (!b->isHidden()) {
            shown.push_back(b);
        }
    }
    // Spread along the bottom edge.
    const int n = static_cast<int>(shown.size());
    for (int i = 0; i < n; ++i) {
        const int x = (width() * (2 * i + 1)) / (2 * n) - kButtonWidth / 2;
        shown[static_cast<std::size_t>(i)]->move(std::max(kMargin, x), y);
    }
}

void FrmPie::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    pieTools->setGeometry(0, 0, width(), pieTools->sizeHint().height());
    placeButtons();
    placeLabels();
}

void FrmPie::paintEvent(QPaintEvent* event) {
    QWidget::paintEvent(event);
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    if (textPage_) {
        QFont mono = QFontDatabase::systemFont(QFontDatabase::FixedFont);
        mono.setPointSize(10);
        const QFontMetrics fm(mono);
        int y = kMargin + fm.ascent();
        bool afterBlank = false;
        bool entries = false;
        for (const QString& line : lines_) {
            QFont f = mono;
            QColor ink = Qt::black;
            if (line.isEmpty()) {
                afterBlank = true;
            } else if (afterBlank && !entries) {
                f.setBold(true);
                entries = true;
            } else if (entries) {
                ink = Qt::blue;
            }
            p.setFont(f);
            p.setPen(ink);
            p.drawText(kMargin, y, expandTabs(line));
            y += fm.lineSpacing();
        }
        return;
    }
    if (!chart_.plottable) {
        if (!chart_.message.empty()) {
            p.setPen(Qt::black);
            p.drawText(QPointF(width() / 5.0, height() / 3.0), qs(chart_.message));
        }
        return;
    }
    const QRectF pie = pieRect();
    p.setPen(QPen(Qt::black, 1));
    for (std::size_t i = 0; i < chart_.slices.size() && i < kSlices; ++i) {
        const rivulon::PieSlice& slice = chart_.slices[i];
        if (slice.sweepDegrees <= 0) {
            continue;
        }
        p.setBrush(sliceColor(static_cast<int>(i) + 1));
        p.drawPie(pie, qRound(slice.startDegrees * 16), qRound(slice.sweepDegrees * 16));
    }
    drawLegend(p);
}

void FrmPie::drawLegend(QPainter& p) const {
    const QRect area = legendRect();
    const int rows = legendRows();
    if (area.isEmpty() || rows == 0)
        return;
    const QFontMetrics fm(font());
    const int line = fm.height() + 2;
    int entry = 0;
    std::vector<int> slices;
    for (std::size_t i = 0; i < chart_.slices.size() && i < kSlices; ++i) {
        if (chart_.slices[i].sweepDegrees > 0)
            slices.push_back(static_cast<int>(i));
    }
    const int columns = (static_cast<int>(slices.size()) + rows - 1) / rows;
    const int column = area.width() / std::max(1, columns);
    p.setFont(font());
    for (int i : slices) {
        // Down the first column, then the next.
        const int x = area.left() + (entry / rows) * column;
        const int y = area.top() + (entry % rows) * line;
        p.setPen(QPen(Qt::black, 1));
        p.setBrush(sliceColor(i + 1));
        p.drawRect(QRect(x, y + (line - kSwatch) / 2, kSwatch, kSwatch));
        p.drawText(QPoint(x + kSwatch + 6, y + (line + fm.ascent() - fm.descent()) / 2),
                   sourceName(chart_.slices[static_cast<std::size_t>(i)].label));
        ++entry;
    }
}

void FrmPie::showTextPage(const QString& caption, const QStringList& lines,
                          std::function<void()> saveData) {
    textPage_ = true;
    lines_ = lines;
    saveData_ = std::move(saveData);
    chart_ = {};
    table_ = nullptr;
    setWindowTitle(caption);
    lblTitle->hide();
    hideLabels();
    CmdNextPie->hide();
    pieTools->hide();
    cmdSaveData->show();
    placeButtons();
    update();
}

void FrmPie::cmdSaveData_Click() {
    if (saveData_) {
        saveData_();
    }
    close();
}

const rivulon::ui::WindowRegistration FrmPie::registration{
    kKind, &rivulon::ui::makeWindow<FrmPie>, true, 120, {}};
