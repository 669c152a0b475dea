#include "analysis/ui/ResultChart.h"

#include <QApplication>
#include <QAreaSeries>
#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QCategoryAxis>
#include <QChart>
#include <QChartView>
#include <QClipboard>
#include <QCursor>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QLabel>
#include <QLegendMarker>
#include <QLineSeries>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QRegularExpression>
#include <QScatterSeries>
#include <QToolButton>
#include <QToolTip>
#include <QVBoxLayout>
#include <QValueAxis>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>
#include <functional>

#include "analysis/ui/chart_export.h"
#include "analysis/value_format.h"
#include "common/number_format.h"
#include "shell/dialogs.h"
#include "shell/qt_text.h"
#include "shell/widgets/grid_export.h"

using rivulon::ChartData;
using rivulon::ChartKind;
using rivulon::ui::qs;

namespace {

// "Mean Monthly Runoff (cm)" -> "cm"; empty when the title names no unit.
QString unitOf(const QString& title) {
    static const QRegularExpression unit(QStringLiteral("\\(([^()]*)\\)\\s*$"));
    const auto m = unit.match(title);
    return m.hasMatch() ? m.captured(1) : QString();
}

QString valueText(float v) {
    return qs(rivulon::plainNumber(v));
}

// Tick steps of 1, 2 or 5 times a power of ten, about `ticks` of them.
double niceStep(double range, int ticks) {
    const double raw = range / std::max(ticks, 1);
    const double mag = std::pow(10.0, std::floor(std::log10(raw)));
    for (double f : {1.0, 2.0, 5.0, 10.0}) {
        if (f * mag >= raw)
            return f * mag;
    }
    return 10 * mag;
}

// A chart view that zooms with a dragged rectangle or the wheel (around the
// pointer), pans with the middle button or the arrow keys, and reports the
// value under the pointer. The right button is left to the context menu.
class ZoomChartView : public QChartView {
  public:
    ZoomChartView(QChart* chart, QWidget* parent) : QChartView(chart, parent) {
        setRubberBand(QChartView::RectangleRubberBand);
        setMouseTracking(true);
        setFocusPolicy(Qt::StrongFocus);
    }
    std::function<void(const QPointF&)> onValue;
    std::function<void()> onReset;

  protected:
    void wheelEvent(QWheelEvent* event) override {
        const double notches = event->angleDelta().y() / 120.0;
        const QRectF area = chart()->plotArea();
        const QPointF at = chart()->mapFromScene(mapToScene(event->position().toPoint()));
        if (notches == 0 || !area.contains(at)) {
            event->ignore();
            return;
        }
        // Each notch shows 80 % (or 125 %) of the range; the point under the
        // pointer stays where it is.
        const double f = std::pow(0.8, notches);
        const QRectF shown(at.x() - (at.x() - area.left()) * f, at.y() - (at.y() - area.top()) * f,
                           area.width() * f, area.height() * f);
        chart()->zoomIn(shown);
        event->accept();
    }
    void mousePressEvent(QMouseEvent* event) override {
        if (event->button() == Qt::MiddleButton) {
            panFrom_ = event->position();
            panning_ = true;
            event->accept();
            return;
        }
        if (event->button() == Qt::RightButton) {
            event->accept();  // the context menu's
            return;
        }
        QChartView::mousePressEvent(event);
    }
    void mouseMoveEvent(QMouseEvent* event) override {
        if (panning_) {
            const QPointF d = event->position() - panFrom_;
            chart()->scroll(-d.x(), d.y());
            panFrom_ = event->position();
            event->accept();
            return;
        }
        if (onValue && !chart()->series().isEmpty()) {
            const QPointF at = chart()->mapFromScene(mapToScene(event->position().toPoint()));
            if (chart()->plotArea().contains(at)) {
                onValue(chart()->mapToValue(at, chart()->series().first()));
            }
        }
        QChartView::mouseMoveEvent(event);
    }
    void mouseReleaseEvent(QMouseEvent* event) override {
        if (event->button() == Qt::MiddleButton) {
            panning_ = false;
            event->accept();
            return;
        }
        // A right click would zoom out in the base view; here it opens the menu.
        if (event->button() == Qt::RightButton) {
            event->accept();
            return;
        }
        QChartView::mouseReleaseEvent(event);
    }
    void mouseDoubleClickEvent(QMouseEvent* event) override {
        if (event->button() == Qt::LeftButton && onReset) {
            onReset();
            event->accept();
            return;
        }
        QChartView::mouseDoubleClickEvent(event);
    }
    void keyPressEvent(QKeyEvent* event) override {
        const qreal step = 20;
        switch (event->key()) {
            case Qt::Key_Left:
                chart()->scroll(-step, 0);
                break;
            case Qt::Key_Right:
                chart()->scroll(step, 0);
                break;
            case Qt::Key_Up:
                chart()->scroll(0, step);
                break;
            case Qt::Key_Down:
                chart()->scroll(0, -step);
                break;
            case Qt::Key_Plus:
            case Qt::Key_Equal:
                chart()->zoom(1.25);
                break;
            case Qt::Key_Minus:
                chart()->zoom(0.8);
                break;
            case Qt::Key_Home:
            case Qt::Key_0:
                if (onReset) {
                    onReset();
                }
                break;
            default:
                QChartView::keyPressEvent(event);
                return;
        }
        event->accept();
    }

  private:
    QPointF panFrom_;
    bool panning_ = false;
};

}  // namespace

ResultChart::ResultChart(QWidget* parent) : QWidget(parent), chart_(new QChart) {
    setObjectName(QStringLiteral("MSChart1"));
    chart_->legend()->setAlignment(Qt::AlignBottom);
    chart_->setMargins(QMargins(4, 4, 4, 4));
    auto* zoomView = new ZoomChartView(chart_, this);
    zoomView->onValue = [this](const QPointF& value) { showCursor(value); };
    zoomView->onReset = [this] { resetZoom(); };
    view_ = zoomView;
    view_->setObjectName(QStringLiteral("ChartView"));
    view_->setToolTip(QStringLiteral(
        "Drag a rectangle or turn the wheel to zoom, drag with the middle button or use the "
        "arrow keys to pan; double-click or Home shows the whole chart again."));
    view_->setRenderHint(QPainter::Antialiasing);
    view_->setContextMenuPolicy(Qt::CustomContextMenu);

    auto* copyData = new QAction(QStringLiteral("&Copy Data"), this);
    auto* saveCsv = new QAction(QStringLiteral("Save Data as &CSV..."), this);
    auto* savePng = new QAction(QStringLiteral("Save Chart as &PNG..."), this);
    auto* savePdf = new QAction(QStringLiteral("Save Chart as P&DF..."), this);
    connect(copyData, &QAction::triggered, this, &ResultChart::copyData);
    connect(saveCsv, &QAction::triggered, this, &ResultChart::saveDataCsv);
    connect(savePng, &QAction::triggered, this, &ResultChart::saveChartPng);
    connect(savePdf, &QAction::triggered, this, &ResultChart::saveChartPdf);
    auto* reset = new QAction(QStringLiteral("&Reset Zoom"), this);
    connect(reset, &QAction::triggered, this, &ResultChart::resetZoom);
    connect(view_, &QWidget::customContextMenuRequested, this, [=, this](const QPoint& pos) {
        QMenu menu(this);
        menu.addAction(reset);
        menu.addSeparator();
        menu.addActions({copyData, saveCsv, savePng, savePdf});
        menu.exec(view_->mapToGlobal(pos));
    });

    auto* tools = new QHBoxLayout;
    tools->setContentsMargins(0, 0, 0, 0);
    tools->setSpacing(2);
    const struct {
        QAction* action;
        const char* name;
        const char* caption;
    } buttons[] = {{reset, "cmdResetZoom", "Reset Zoom"},
                   {copyData, "cmdCopyData", "Copy Data"},
                   {saveCsv, "cmdSaveDataCsv", "CSV..."},
                   {savePng, "cmdSavePng", "PNG..."},
                   {savePdf, "cmdSavePdf", "PDF..."}};
    cursor_ = new QLabel(this);
    cursor_->setObjectName(QStringLiteral("lblCursor"));
    cursor_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    tools->addWidget(cursor_);
    tools->addStretch();
    for (const auto& b : buttons) {
        auto* button = new QToolButton(this);
        button->setObjectName(QString::fromLatin1(b.name));
        button->setDefaultAction(b.action);
        button->setText(QString::fromLatin1(b.caption));
        button->setToolTip(b.action->text().remove(QLatin1Char('&')));
        button->setAutoRaise(true);
        tools->addWidget(button);
    }
    footnote_ = new QLabel(this);
    footnote_->setObjectName(QStringLiteral("lblFootnote"));
    footnote_->setAlignment(Qt::AlignCenter);
    footnote_->hide();

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addLayout(tools);
    layout->addWidget(view_, 1);
    layout->addWidget(footnote_);
}

QString ResultChart::title() const {
    return chart_->title();
}

QString ResultChart::footnote() const {
    return footnote_->isHidden() ? QString() : footnote_->text();
}

void ResultChart::resetZoom() {
    chart_->zoomReset();
}

QString ResultChart::cursorText() const {
    return cursor_->text();
}

void ResultChart::showCursor(const QPointF& value) {
    if (series_.empty()) {
        cursor_->clear();
        return;
    }
    const ChartData& first = series_.front();
    const long index = std::lround(value.x()) - 1;
    QString at;
    if (scatter_) {
        cursor_->setText(QStringLiteral("%1 %2, %3 %4")
                             .arg(xTitle_, qs(rivulon::plainNumber(static_cast<float>(value.x()))),
                                  scatterYTitle_,
                                  qs(rivulon::plainNumber(static_cast<float>(value.y())))));
        return;
    }
    if (first.kind == ChartKind::Line2d && months_ && index >= 0) {
        at = qs(rivulon::runMonthLabel(*months_, static_cast<int>(index)));
    } else if (first.kind == ChartKind::Line2d) {
        at = index >= 0 && static_cast<std::size_t>(index) < first.pointLabels.size()
                 ? qs(first.pointLabels[static_cast<std::size_t>(index)]).trimmed()
                 : QString::number(index + 1);
        at = xTitle_.isEmpty() ? at : QStringLiteral("%1 %2").arg(xTitle_, at);
    }
    const QString y = qs(rivulon::plainNumber(static_cast<float>(value.y())));
    cursor_->setText(at.isEmpty() ? y : QStringLiteral("%1: %2").arg(at, y));
}

void ResultChart::setRunMonths(std::optional<rivulon::RunMonths> start) {
    months_ = start;
}

QString ResultChart::pointName(const ChartData& s, std::size_t j) const {
    if (months_ && s.kind == ChartKind::Line2d && !scatter_)
        return qs(rivulon::runMonthLabel(*months_, static_cast<int>(j)));
    QString label = j < s.pointLabels.size() ? qs(s.pointLabels[j]).trimmed() : QString();
    return label.isEmpty() ? QString::number(j + 1) : label;
}

void ResultChart::labelMonths(QCategoryAxis* axis, double low, double high) {
    // About one label per 90 pixels, on months that are a whole number of
    // steps from the run's first month, so that panning keeps them in place.
    const double width =
        chart_->plotArea().width() > 0 ? chart_->plotArea().width() : view_->width() - 100;
    const int room = std::max(4, static_cast<int>(width / 90));
    const int step = rivulon::monthLabelStep(high - low, room);
    for (const QString& label : axis->categoriesLabels())
        axis->remove(label);
    axis->setStartValue(low);
    for (long x = std::lround(std::ceil(low)); x <= std::lround(std::floor(high)); ++x) {
        const long index = x - 1;
        if (index >= 0 && index % step == 0)
            axis->append(qs(rivulon::runMonthLabel(*months_, static_cast<int>(index))),
                         static_cast<double>(x));
    }
}

void ResultChart::setFootnote(const QString& text) {
    footnote_->setText(text);
    footnote_->setVisible(!text.isEmpty());
}

void ResultChart::plot(const ChartData& chart, const QString& xTitle, const QString& yTitle) {
    scatter_ = false;
    series_ = {chart};
    bands_.clear();
    rebuild(xTitle, yTitle);
}

void ResultChart::plotWithBands(const ChartData& chart, const std::vector<rivulon::Band>& bands,
                                const QString& xTitle, const QString& yTitle) {
    scatter_ = false;
    series_ = {chart};
    series_.front().kind = ChartKind::Line2d;
    bands_ = bands;
    rebuild(xTitle, yTitle);
}

void ResultChart::plotLines(const std::vector<ChartData>& series, const QString& xTitle,
                            const QString& yTitle) {
    scatter_ = false;
    series_ = series;
    bands_.clear();
    for (ChartData& s : series_)
        s.kind = ChartKind::Line2d;
    rebuild(xTitle, yTitle);
}

void ResultChart::plotScatter(const ChartData& x, const ChartData& y, const QString& title,
                              const QString& xTitle, const QString& yTitle) {
    scatter_ = true;
    series_ = {x, y};
    scatterTitle_ = title;
    scatterYTitle_ = yTitle;
    rebuild(xTitle, yTitle);
}

void ResultChart::rebuildScatter() {
    QFont titleFont(QStringLiteral("Arial"));
    titleFont.setPointSize(11);
    titleFont.setBold(true);
    chart_->setTitleFont(titleFont);
    chart_->setTitle(scatterTitle_);
    const ChartData& xs = series_[0];
    const ChartData& ys = series_[1];
    auto* points = new QScatterSeries;
    points->setName(QStringLiteral("Months"));
    points->setMarkerSize(7);
    float high = 0;
    for (std::size_t j = 0; j < std::min(xs.values.size(), ys.values.size()); ++j) {
        if (xs.values[j] < 0 || ys.values[j] < 0)
            continue;
        points->append(xs.values[j], ys.values[j]);
        high = std::max({high, xs.values[j], ys.values[j]});
    }
    if (high <= 0)
        high = 1;
    auto* identity = new QLineSeries;
    identity->setName(QStringLiteral("1:1"));
    identity->append(0, 0);
    identity->append(high, high);
    QPen pen(Qt::darkGray);
    pen.setStyle(Qt::DashLine);
    identity->setPen(pen);
    QFont axisFont(QStringLiteral("Arial"));
    axisFont.setPointSize(8);
    const auto axis = [&](const QString& text) {
        auto* a = new QValueAxis;
        a->setTitleText(text);
        a->setLabelsFont(axisFont);
        a->setRange(0, high);
        a->applyNiceNumbers();
        a->setLabelFormat(QStringLiteral("%g"));
        return a;
    };
    QValueAxis* xAxis = axis(xTitle_);
    QValueAxis* yAxis = axis(scatterYTitle_);
    chart_->addAxis(xAxis, Qt::AlignBottom);
    chart_->addAxis(yAxis, Qt::AlignLeft);
    for (QXYSeries* s : std::initializer_list<QXYSeries*>{identity, points}) {
        chart_->addSeries(s);
        s->attachAxis(xAxis);
        s->attachAxis(yAxis);
    }
    connect(points, &QScatterSeries::hovered, this, [this](const QPointF& p, bool on) {
        if (!on) {
            QToolTip::hideText();
            return;
        }
        QToolTip::showText(
            QCursor::pos(),
            QStringLiteral("%1 %2, %3 %4")
                .arg(qs(series_[0].seriesLabel).trimmed(), valueText(static_cast<float>(p.x())),
                     qs(series_[1].seriesLabel).trimmed(), valueText(static_cast<float>(p.y()))),
            view_);
    });
    chart_->legend()->setVisible(true);
}

void ResultChart::rebuild(const QString& xTitle, const QString& yTitle) {
    xTitle_ = xTitle;
    // A fresh chart each time: axes taken off a chart are still drawn until
    // the chart goes.
    QChart* old = chart_;
    chart_ = new QChart;
    chart_->legend()->setAlignment(Qt::AlignBottom);
    chart_->setMargins(QMargins(4, 4, 4, 4));
    view_->setChart(chart_);
    delete old;
    if (series_.empty())
        return;
    if (scatter_) {
        rebuildScatter();
        return;
    }
    const ChartData& first = series_.front();
    QFont titleFont(QStringLiteral("Arial"));
    titleFont.setPointSize(11);
    titleFont.setBold(true);
    chart_->setTitleFont(titleFont);
    chart_->setTitle(qs(first.title));
    QFont axisFont(QStringLiteral("Arial"));
    axisFont.setPointSize(8);

    QString valueTitle = yTitle;
    if (valueTitle.isEmpty()) {
        valueTitle = qs(first.seriesLabel).trimmed();
        const QString unit = unitOf(qs(first.title));
        if (!unit.isEmpty() && !valueTitle.contains(QLatin1Char('(')))
            valueTitle += QStringLiteral(" (%1)").arg(unit);
    }
    float low = 0, high = 0;
    std::size_t points = 0;
    for (const ChartData& s : series_) {
        points = std::max(points, s.values.size());
        for (float v : s.values) {
            if (s.negativeIsMissing && v < 0)
                continue;
            low = std::min(low, v);
            high = std::max(high, v);
        }
    }
    for (const rivulon::Band& b : bands_) {
        low = std::min(low, b.front());
        high = std::max(high, b.back());
    }
    if (high <= low)
        high = low + 1;

    auto* yAxis = new QValueAxis;
    yAxis->setTitleText(valueTitle);
    yAxis->setLabelsFont(axisFont);
    yAxis->setRange(low, high);
    yAxis->applyNiceNumbers();
    yAxis->setLabelFormat(QStringLiteral("%g"));

    if (first.kind == ChartKind::Bar2d) {
        auto* bars = new QBarSeries;
        QStringList labels;
        for (std::size_t j = 0; j < first.values.size(); ++j)
            labels << (j < first.pointLabels.size() ? qs(first.pointLabels[j]).trimmed()
                                                    : QString::number(j + 1));
        for (std::size_t i = 0; i < series_.size(); ++i) {
            auto* set = new QBarSet(qs(series_[i].seriesLabel).trimmed());
            for (float v : series_[i].values)
                set->append(v);
            bars->append(set);
        }
        connect(bars, &QBarSeries::hovered, this, [this, bars](bool on, int index, QBarSet* set) {
            showHover(static_cast<int>(bars->barSets().indexOf(set)), index, on);
        });
        chart_->addSeries(bars);
        auto* xAxis = new QBarCategoryAxis;
        xAxis->setTitleText(xTitle);
        xAxis->setLabelsFont(axisFont);
        // Land-use names are shown whole, never cut to "Resid...": wrapped at
        // their blanks to the width of a bar group, upright when there are
        // too many bars for that.
        xAxis->setTruncateLabels(false);
        const QFontMetrics metrics(axisFont);
        const int plotWidth = std::max(view_->width(), 640) - 2 * metrics.height() - 80;
        const int slot = plotWidth / static_cast<int>(std::max<qsizetype>(labels.size(), 1));
        if (labels.size() > 12) {
            xAxis->setLabelsAngle(-90);
            xAxis->append(labels);
        } else {
            for (const QString& label : labels)
                xAxis->append(wrappedLabel(label, metrics, slot - metrics.height() / 2));
        }
        chart_->addAxis(xAxis, Qt::AlignBottom);
        chart_->addAxis(yAxis, Qt::AlignLeft);
        bars->attachAxis(xAxis);
        bars->attachAxis(yAxis);
        chart_->legend()->setVisible(series_.size() > 1);
        return;
    }

    const double n = static_cast<double>(std::max<std::size_t>(points, 1));
    QValueAxis* xAxis = nullptr;
    if (months_) {
        // Dates under the points; zooming or panning labels the months shown.
        auto* dates = new QCategoryAxis;
        dates->setObjectName(QStringLiteral("monthAxis"));
        dates->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
        dates->setRange(1, std::max(2.0, n));
        connect(dates, &QValueAxis::rangeChanged, this,
                [this, dates](qreal low, qreal high) { labelMonths(dates, low, high); });
        labelMonths(dates, 1, std::max(2.0, n));
        // A wider or narrower chart has room for more or fewer labels.
        connect(chart_, &QChart::plotAreaChanged, dates,
                [this, dates] { labelMonths(dates, dates->min(), dates->max()); });
        xAxis = dates;
    } else {
        xAxis = new QValueAxis;
        xAxis->setLabelFormat(QStringLiteral("%d"));
        xAxis->setRange(1, std::max(2.0, n));
        const double step = niceStep(std::max(1.0, n - 1), 10);
        xAxis->setTickType(QValueAxis::TicksDynamic);
        xAxis->setTickAnchor(0);
        xAxis->setTickInterval(std::max(1.0, step));
    }
    xAxis->setTitleText(xTitle);
    xAxis->setLabelsFont(axisFont);
    chart_->addAxis(xAxis, Qt::AlignBottom);
    chart_->addAxis(yAxis, Qt::AlignLeft);
    // The bands first, so that the line is drawn over them.
    const struct {
        std::size_t low, high;
        const char* name;
        QColor colour;
    } bandAreas[] = {{0, 4, "5-95 % of the ensemble", QColor(70, 130, 180, 60)},
                     {1, 3, "25-75 % of the ensemble", QColor(70, 130, 180, 120)}};
    for (const auto& area : bandAreas) {
        if (bands_.empty())
            break;
        auto* lower = new QLineSeries(chart_);
        auto* upper = new QLineSeries(chart_);
        for (std::size_t j = 0; j < bands_.size(); ++j) {
            lower->append(static_cast<double>(j + 1), bands_[j][area.low]);
            upper->append(static_cast<double>(j + 1), bands_[j][area.high]);
        }
        auto* fill = new QAreaSeries(upper, lower);
        fill->setName(QString::fromLatin1(area.name));
        fill->setObjectName(QString::fromLatin1(area.low == 0 ? "band95" : "band75"));
        fill->setColor(area.colour);
        fill->setBorderColor(Qt::transparent);
        chart_->addSeries(fill);
        fill->attachAxis(xAxis);
        fill->attachAxis(yAxis);
    }
    for (std::size_t i = 0; i < series_.size(); ++i) {
        const ChartData& s = series_[i];
        // Runs of points with data; a series with gaps is drawn as several
        // lines of one colour under one legend entry.
        std::vector<QList<QPointF>> runs(1);
        for (std::size_t j = 0; j < s.values.size(); ++j) {
            if (s.negativeIsMissing && s.values[j] < 0) {
                if (!runs.back().isEmpty())
                    runs.emplace_back();
                continue;
            }
            runs.back().append(QPointF(static_cast<double>(j + 1), s.values[j]));
        }
        if (runs.size() > 1 && runs.back().isEmpty())
            runs.pop_back();
        QLineSeries* first = nullptr;
        for (const QList<QPointF>& pts : runs) {
            auto* line = new QLineSeries;
            line->setName(qs(s.seriesLabel).trimmed());
            line->replace(pts);
            // Markers help only while they do not merge into the line.
            line->setPointsVisible(s.values.size() <= 60 || pts.size() == 1);
            const int index = static_cast<int>(i);
            connect(line, &QLineSeries::hovered, this, [this, index](const QPointF& p, bool on) {
                showHover(index, static_cast<int>(std::lround(p.x())) - 1, on);
            });
            chart_->addSeries(line);
            line->attachAxis(xAxis);
            line->attachAxis(yAxis);
            if (!first) {
                first = line;
            } else {
                line->setPen(first->pen());
                line->setColor(first->color());
                for (QLegendMarker* marker : chart_->legend()->markers(line))
                    marker->setVisible(false);
            }
        }
    }
    chart_->legend()->setVisible(series_.size() > 1 || !bands_.empty());
}

QString ResultChart::wrappedLabel(const QString& label, const QFontMetrics& metrics, int width) {
    QStringList lines;
    for (const QString& word : label.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        if (!lines.isEmpty() &&
            metrics.horizontalAdvance(lines.constLast() + QLatin1Char(' ') + word) <= width) {
            lines.last() += QLatin1Char(' ') + word;
        } else {
            lines.append(word);
        }
    }
    // The axis draws its labels as rich text.
    for (QString& line : lines)
        line = line.toHtmlEscaped();
    return lines.join(QStringLiteral("<br>"));
}

void ResultChart::showHover(int series, int index, bool on) {
    if (!on || series < 0 || series >= static_cast<int>(series_.size())) {
        QToolTip::hideText();
        return;
    }
    const ChartData& s = series_[static_cast<std::size_t>(series)];
    if (index < 0 || index >= static_cast<int>(s.values.size()))
        return;
    const auto j = static_cast<std::size_t>(index);
    const QString label = pointName(s, j);
    QToolTip::showText(
        QCursor::pos(),
        QStringLiteral("%1: %2 %3").arg(label, qs(s.seriesLabel).trimmed(), valueText(s.values[j])),
        view_);
}

rivulon::TextGrid ResultChart::dataGrid() const {
    std::size_t points = 0;
    for (const ChartData& s : series_)
        points = std::max(points, s.values.size());
    rivulon::TextGrid grid(static_cast<int>(points) + 1, static_cast<int>(series_.size()) + 1);
    grid.set(0, 0, rivulon::ui::ss(xTitle_));
    for (std::size_t i = 0; i < series_.size(); ++i) {
        const ChartData& s = series_[i];
        const int col = static_cast<int>(i) + 1;
        grid.set(0, col, s.seriesLabel);
        for (std::size_t j = 0; j < s.values.size(); ++j) {
            const int row = static_cast<int>(j) + 1;
            if (i == 0 || grid.at(row, 0).empty())
                grid.set(row, 0,
                         j < s.pointLabels.size() ? s.pointLabels[j] : std::to_string(j + 1));
            grid.set(row, col, rivulon::plainNumber(s.values[j]));
        }
    }
    return grid;
}

QString ResultChart::dataCsv() const {
    return qs(rivulon::ui::plainCsvText(dataGrid()));
}

void ResultChart::copyData() {
    QClipboard* clipboard = QApplication::clipboard();
    clipboard->clear();
    clipboard->setText(dataCsv());
}

QString ResultChart::baseName() const {
    return rivulon::ui::chartFileBaseName(title());
}

bool ResultChart::saveDataCsv() {
    return rivulon::ui::saveGridCsv(this, dataGrid(), baseName() + QStringLiteral(".csv"));
}

bool ResultChart::saveChartPng() {
    return rivulon::ui::saveWidgetPicture(this, view_, title(), QStringLiteral("png"),
                                          startFolder());
}

bool ResultChart::saveChartPdf() {
    return rivulon::ui::saveWidgetPicture(this, view_, title(), QStringLiteral("pdf"),
                                          startFolder());
}

bool ResultChart::writePng(const QString& path) const {
    return writeViewPng(view_, path);
}

bool ResultChart::writePdf(const QString& path) const {
    return writeViewPdf(view_, title(), path);
}

bool ResultChart::writeViewPng(QChartView* view, const QString& path) {
    return rivulon::ui::writeWidgetPng(view, path);
}

bool ResultChart::writeViewPdf(QChartView* view, const QString& title, const QString& path) {
    return rivulon::ui::writeWidgetPdf(view, title, path);
}
