#include "analysis/ui/DurationPage.h"

#include <QApplication>
#include <QAreaSeries>
#include <QChart>
#include <QChartView>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QGraphicsSimpleTextItem>
#include <QHBoxLayout>
#include <QLabel>
#include <QLegendMarker>
#include <QLineEdit>
#include <QLineSeries>
#include <QLogValueAxis>
#include <QPushButton>
#include <QRegularExpression>
#include <QScatterSeries>
#include <QToolButton>
#include <QVBoxLayout>
#include <QValueAxis>
#include <algorithm>
#include <cmath>
#include <exception>

#include "analysis/ui/ResultChart.h"
#include "analysis/ui/chart_export.h"
#include "common/list_reader.h"
#include "common/number_format.h"
#include "shell/dialogs.h"
#include "shell/qt_text.h"
#include "shell/widgets/FlexGrid.h"
#include "shell/widgets/grid_export.h"

using rivulon::DurationSeries;
using rivulon::ui::errorBox;
using rivulon::ui::FlexGrid;
using rivulon::ui::qs;
using rivulon::ui::ss;
using rivulon::ui::warnBox;

namespace {

const QColor kZoneColours[5] = {QColor(70, 130, 180, 60), QColor(100, 170, 220, 45),
                                QColor(150, 200, 150, 45), QColor(230, 190, 110, 45),
                                QColor(210, 120, 90, 60)};

// A log axis from the power of ten at or below the smallest positive value
// to the one at or above the largest.
QLogValueAxis* logAxis(double low, double high, const QString& title) {
    auto* axis = new QLogValueAxis;
    axis->setBase(10);
    axis->setLabelFormat(QStringLiteral("%g"));
    axis->setTitleText(title);
    if (!(low > 0) || !(high > 0)) {
        low = 0.001;
        high = 1;
    }
    double lo = std::pow(10.0, std::floor(std::log10(low)));
    double hi = std::pow(10.0, std::ceil(std::log10(high)));
    if (hi <= lo)
        hi = lo * 10;
    axis->setRange(lo, hi);
    axis->setMinorTickCount(-1);
    return axis;
}

QString number(double v) {
    return qs(rivulon::formatReal(static_cast<float>(v)));
}

}  // namespace

DurationPage::DurationPage(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("DurationPage"));
    lblDailyFile = new QLabel(QStringLiteral("No daily file is open."), this);
    lblDailyFile->setObjectName(QStringLiteral("lblDailyFile"));
    cmdOpenDaily = new QPushButton(QStringLiteral("Open Daily File..."), this);
    cmdOpenDaily->setObjectName(QStringLiteral("cmdOpenDaily"));
    CboSeries = new QComboBox(this);
    CboSeries->setObjectName(QStringLiteral("CboSeries"));
    CboSeries->addItems({QStringLiteral("Streamflow"), QStringLiteral("Nitrogen load"),
                         QStringLiteral("Phosphorus load")});
    TxtTargetConc = new QLineEdit(this);
    TxtTargetConc->setObjectName(QStringLiteral("TxtTargetConc"));
    TxtTargetConc->setFixedWidth(70);
    TxtTargetConc->setToolTip(
        QStringLiteral("Target concentration of the load (mg/l); empty for none"));
    TxtArea = new QLineEdit(this);
    TxtArea->setObjectName(QStringLiteral("TxtArea"));
    TxtArea->setFixedWidth(90);
    TxtArea->setToolTip(QStringLiteral("Watershed area (ha) over which the flow is taken"));
    cmdDrawDuration = new QPushButton(QStringLiteral("Draw"), this);
    cmdDrawDuration->setObjectName(QStringLiteral("cmdDrawDuration"));

    auto* chart = new QChart;
    chartDuration = new QChartView(chart, this);
    chartDuration->setObjectName(QStringLiteral("chartDuration"));
    chartDuration->setRenderHint(QPainter::Antialiasing);
    chartDuration->setMinimumHeight(220);

    GridDuration = new FlexGrid(this);
    GridDuration->setObjectName(QStringLiteral("GridDuration"));
    GridDuration->setMaximumHeight(170);

    auto* controls = new QHBoxLayout;
    controls->addWidget(new QLabel(QStringLiteral("Series:"), this));
    controls->addWidget(CboSeries);
    controls->addWidget(new QLabel(QStringLiteral("Target (mg/l):"), this));
    controls->addWidget(TxtTargetConc);
    controls->addWidget(new QLabel(QStringLiteral("Area (ha):"), this));
    controls->addWidget(TxtArea);
    controls->addWidget(cmdDrawDuration);
    controls->addStretch(1);
    controls->addWidget(cmdOpenDaily);

    // The same commands as the other charts.
    auto* tools = new QHBoxLayout;
    tools->setContentsMargins(0, 0, 0, 0);
    tools->addWidget(lblDailyFile, 1);
    const struct {
        const char* name;
        const char* caption;
        const char* tip;
    } buttons[] = {{"cmdCopyDuration", "Copy Data", "Copy Data"},
                   {"cmdSaveDurationCsv", "CSV...", "Save Data as CSV"},
                   {"cmdSaveDurationPng", "PNG...", "Save Chart as PNG"},
                   {"cmdSaveDurationPdf", "PDF...", "Save Chart as PDF"}};
    std::vector<QToolButton*> made;
    for (const auto& b : buttons) {
        auto* button = new QToolButton(this);
        button->setObjectName(QString::fromLatin1(b.name));
        button->setText(QString::fromLatin1(b.caption));
        button->setToolTip(QString::fromLatin1(b.tip));
        button->setAutoRaise(true);
        tools->addWidget(button);
        made.push_back(button);
    }
    connect(made[0], &QToolButton::clicked, this, [this] {
        QApplication::clipboard()->setText(qs(rivulon::ui::plainCsvText(chartData())));
    });
    connect(made[1], &QToolButton::clicked, this, [this] {
        rivulon::ui::saveGridCsv(this, chartData(), baseName() + QStringLiteral(".csv"));
    });
    auto askAndWrite = [this](const QString& suffix) {
        rivulon::ui::saveWidgetPicture(this, chartDuration, this->chart()->title(), suffix,
                                       startFolder());
    };
    connect(made[2], &QToolButton::clicked, this, [=] { askAndWrite(QStringLiteral("png")); });
    connect(made[3], &QToolButton::clicked, this, [=] { askAndWrite(QStringLiteral("pdf")); });

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 4, 6, 4);
    layout->addLayout(controls);
    layout->addLayout(tools);
    layout->addWidget(chartDuration, 1);
    layout->addWidget(GridDuration);

    connect(cmdOpenDaily, &QPushButton::clicked, this, &DurationPage::cmdOpenDaily_Click);
    connect(cmdDrawDuration, &QPushButton::clicked, this, &DurationPage::cmdDrawDuration_Click);
    connect(CboSeries, &QComboBox::activated, this, [this] {
        if (hasFile())
            cmdDrawDuration_Click();
    });
}

QChart* DurationPage::chart() const {
    return chartDuration->chart();
}

void DurationPage::setProjectArea(double areaHa) {
    if (areaHa > 0 && TxtArea->text().trimmed().isEmpty())
        TxtArea->setText(number(areaHa));
}

void DurationPage::cmdOpenDaily_Click() {
    const QString path =
        rivulon::ui::dialogs().openFile(this, QStringLiteral("Select a daily file"), startFolder(),
                                        QStringLiteral("Daily values (*.csv);;All files (*)"));
    if (!path.isEmpty())
        openDailyFile(path);
}

bool DurationPage::openDailyFile(const QString& path) {
    rivulon::DailyTable table;
    try {
        table = rivulon::readDailyFile(ss(path));
    } catch (const std::exception& e) {
        errorBox(this, QStringLiteral("The daily file %1 could not be read:\n%2")
                           .arg(QDir::toNativeSeparators(path), qs(e.what())));
        return false;
    }
    if (table.days.empty()) {
        warnBox(
            this,
            QStringLiteral("The daily file %1 holds no days.").arg(QDir::toNativeSeparators(path)));
        return false;
    }
    table_ = std::move(table);
    file_ = path;
    lblDailyFile->setText(QStringLiteral("%1: %2 days from %3 to %4")
                              .arg(QDir::toNativeSeparators(path))
                              .arg(table_.days.size())
                              .arg(qs(table_.days.front()), qs(table_.days.back())));
    // A file without loads offers its flow only.
    if (!table_.column("total P (kg)"))
        CboSeries->setCurrentIndex(0);
    return cmdDrawDuration_Click();
}

bool DurationPage::cmdDrawDuration_Click() {
    if (!hasFile()) {
        warnBox(this, QStringLiteral("Open a daily file first (Open Daily File...)."));
        return false;
    }
    const auto series = static_cast<DurationSeries>(CboSeries->currentIndex());
    std::optional<double> target;
    double area = 0;
    const QString targetText = TxtTargetConc->text().trimmed();
    const QString areaText = TxtArea->text().trimmed();
    if (series != DurationSeries::Streamflow && !targetText.isEmpty()) {
        double v = 0;
        if (!rivulon::parseDouble(ss(targetText), v) || v < 0) {
            warnBox(this, QStringLiteral("The target concentration must be a number of mg/l, 0 or "
                                         "more (it is \"%1\").")
                              .arg(targetText));
            return false;
        }
        target = v;
        if (!rivulon::parseDouble(ss(areaText), area) || !(area > 0)) {
            warnBox(this, QStringLiteral("The allowable load needs the watershed area: type the "
                                         "area in ha, a number greater than 0 (it is \"%1\").")
                              .arg(areaText));
            return false;
        }
    }
    try {
        result_ = rivulon::analyseDuration(rivulon::durationInput(table_, series, target, area));
    } catch (const std::exception& e) {
        warnBox(this, qs(e.what()));
        return false;
    }
    GridDuration->setCells(rivulon::durationTable(result_));
    for (int c = 0; c < GridDuration->cols(); ++c)
        GridDuration->fitColumnToText(c, c == 0 ? 2200 : 1500);
    plot();
    return true;
}

void DurationPage::plot() {
    QChart* old = chartDuration->chart();
    auto* chart = new QChart;
    chart->setMargins(QMargins(4, 4, 4, 4));
    chart->legend()->setAlignment(Qt::AlignBottom);
    chartDuration->setChart(chart);
    delete old;
    zoneLabels_.clear();

    QFont titleFont(QStringLiteral("Arial"));
    titleFont.setPointSize(11);
    titleFont.setBold(true);
    chart->setTitleFont(titleFont);

    const rivulon::DurationResult& r = result_;
    const std::size_t n = r.flowSorted.size();
    const bool load = r.series != DurationSeries::Streamflow;
    auto* x = new QValueAxis;
    x->setRange(0, 100);
    x->setTickCount(11);
    x->setLabelFormat(QStringLiteral("%d"));
    x->setTitleText(QStringLiteral("Percent of days the flow is equalled or exceeded"));
    chart->addAxis(x, Qt::AlignBottom);

    double low = 0, high = 0;
    auto widen = [&](double v) {
        if (v > 0) {
            low = low > 0 ? std::min(low, v) : v;
            high = std::max(high, v);
        }
    };
    std::vector<QAbstractSeries*> series;
    if (!load) {
        chart->setTitle(QStringLiteral("Flow Duration Curve"));
        auto* curve = new QLineSeries;
        curve->setName(QStringLiteral("Streamflow (cm/day)"));
        QList<QPointF> points;
        points.reserve(static_cast<qsizetype>(n));
        // A log axis shows no zero flow; the table counts those days.
        for (std::size_t i = 0; i < n; ++i) {
            if (r.flowSorted[i] > 0) {
                points.append(QPointF(rivulon::exceedancePercent(i, n), r.flowSorted[i]));
                widen(r.flowSorted[i]);
            }
        }
        curve->replace(points);
        series.push_back(curve);
    } else {
        const QString word =
            r.series == DurationSeries::Nitrogen
                ? (r.seriesHeading.find("OC") != std::string::npos ? QStringLiteral("Organic C")
                                                                   : QStringLiteral("Nitrogen"))
                : QStringLiteral("Phosphorus");
        chart->setTitle(QStringLiteral("%1 Load Duration Curve").arg(word));
        const std::vector<double>& loads = *table_.column(r.seriesHeading);
        auto* observed = new QScatterSeries;
        observed->setName(QStringLiteral("Daily load (kg/day)"));
        observed->setMarkerSize(4);
        observed->setPen(Qt::NoPen);
        observed->setBrush(QColor(40, 40, 40, 150));
        QList<QPointF> points;
        points.reserve(static_cast<qsizetype>(loads.size()));
        for (std::size_t d = 0; d < loads.size(); ++d) {
            if (loads[d] > 0) {
                points.append(QPointF(r.dayFlowPercent[d], loads[d]));
                widen(loads[d]);
            }
        }
        observed->replace(points);
        series.push_back(observed);
        if (r.withTarget) {
            auto* allowable = new QLineSeries;
            allowable->setName(
                QStringLiteral("Allowable load at %1 mg/l (kg/day)").arg(number(r.targetConc)));
            QPen pen(QColor(200, 30, 30));
            pen.setWidthF(2);
            allowable->setPen(pen);
            QList<QPointF> line;
            for (std::size_t i = 0; i < n; ++i) {
                const double a = rivulon::allowableLoad(r.flowSorted[i], r.areaHa, r.targetConc);
                if (a > 0) {
                    line.append(QPointF(rivulon::exceedancePercent(i, n), a));
                    widen(a);
                }
            }
            allowable->replace(line);
            series.push_back(allowable);
        }
    }
    QLogValueAxis* y = logAxis(
        low, high, load ? QStringLiteral("Load (kg/day)") : QStringLiteral("Flow (cm/day)"));
    chart->addAxis(y, Qt::AlignLeft);
    shadeZones(chart, y->min(), y->max());
    for (QAbstractSeries* s : series) {
        chart->addSeries(s);
        s->attachAxis(x);
        s->attachAxis(y);
    }
    connect(chart, &QChart::plotAreaChanged, this, [this] { placeZoneLabels(); });
    placeZoneLabels();
}

void DurationPage::shadeZones(QChart* chart, double low, double high) {
    QAbstractAxis* x = chart->axes(Qt::Horizontal).value(0);
    QAbstractAxis* y = chart->axes(Qt::Vertical).value(0);
    zoneLabelHigh_ = high;
    for (std::size_t z = 0; z < rivulon::kFlowZones.size(); ++z) {
        const rivulon::FlowZoneBounds& b = rivulon::kFlowZones[z];
        auto* upper = new QLineSeries;
        auto* lower = new QLineSeries;
        upper->append(b.fromPercent, high);
        upper->append(b.toPercent, high);
        lower->append(b.fromPercent, low);
        lower->append(b.toPercent, low);
        auto* area = new QAreaSeries(upper, lower);
        area->setName(QString::fromLatin1(b.name));
        area->setBrush(kZoneColours[z]);
        area->setPen(QPen(QColor(120, 120, 120, 120), 1, Qt::DashLine));
        chart->addSeries(area);
        area->attachAxis(x);
        area->attachAxis(y);
        for (QLegendMarker* m : chart->legend()->markers(area))
            m->setVisible(false);
        auto* label = new QGraphicsSimpleTextItem(QString::fromLatin1(b.name), chart);
        QFont font(QStringLiteral("Arial"));
        font.setPointSize(8);
        label->setFont(font);
        label->setBrush(QColor(60, 60, 60));
        label->setData(0, (b.fromPercent + b.toPercent) / 2);
        label->setZValue(10);
        zoneLabels_.push_back(label);
    }
}

void DurationPage::placeZoneLabels() {
    QChart* c = chart();
    if (c->series().isEmpty())
        return;
    QAbstractSeries* any = c->series().front();
    for (QGraphicsSimpleTextItem* label : zoneLabels_) {
        const QPointF at =
            c->mapToPosition(QPointF(label->data(0).toDouble(), zoneLabelHigh_), any);
        const QRectF box = label->boundingRect();
        label->setPos(at.x() - box.width() / 2, at.y() + 2);
    }
}

rivulon::TextGrid DurationPage::chartData() const {
    const rivulon::DurationResult& r = result_;
    const std::size_t n = r.flowSorted.size();
    const bool load = r.series != DurationSeries::Streamflow && !r.dayFlowPercent.empty();
    if (!load) {
        rivulon::TextGrid g(static_cast<int>(n) + 1, 2);
        g.set(0, 0, "percent");
        g.set(0, 1, "streamflow (cm)");
        for (std::size_t i = 0; i < n; ++i) {
            g.set(static_cast<int>(i) + 1, 0,
                  rivulon::formatDouble(rivulon::exceedancePercent(i, n)));
            g.set(static_cast<int>(i) + 1, 1,
                  rivulon::formatReal(static_cast<float>(r.flowSorted[i])));
        }
        return g;
    }
    // Each day at its flow's percent: flow, load and allowable load.
    const std::vector<double>& flow = *table_.column("streamflow (cm)");
    const std::vector<double>& loads = *table_.column(r.seriesHeading);
    std::vector<std::size_t> order(flow.size());
    for (std::size_t d = 0; d < order.size(); ++d)
        order[d] = d;
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t a, std::size_t b) { return flow[a] > flow[b]; });
    rivulon::TextGrid g(static_cast<int>(order.size()) + 1, r.withTarget ? 5 : 4);
    g.set(0, 0, "day");
    g.set(0, 1, "percent");
    g.set(0, 2, "streamflow (cm)");
    g.set(0, 3, r.seriesHeading);
    if (r.withTarget)
        g.set(0, 4, "allowable load (kg/day)");
    for (std::size_t i = 0; i < order.size(); ++i) {
        const std::size_t d = order[i];
        const int row = static_cast<int>(i) + 1;
        g.set(row, 0, table_.days[d]);
        g.set(row, 1, rivulon::formatDouble(r.dayFlowPercent[d]));
        g.set(row, 2, rivulon::formatReal(static_cast<float>(flow[d])));
        g.set(row, 3, rivulon::formatReal(static_cast<float>(loads[d])));
        if (r.withTarget)
            g.set(row, 4, rivulon::formatReal(static_cast<float>(r.dayAllowable[d])));
    }
    return g;
}

QString DurationPage::baseName() const {
    QString name = chart()->title();
    name.replace(QRegularExpression(QStringLiteral("[^A-Za-z0-9]+")), QStringLiteral(" "));
    name = name.simplified().replace(QLatin1Char(' '), QLatin1Char('_'));
    return name.isEmpty() ? QStringLiteral("Duration_Curve") : name;
}
