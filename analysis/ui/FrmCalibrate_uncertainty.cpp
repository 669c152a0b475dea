#include <QAreaSeries>
#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QLabel>
#include <QLegend>
#include <QLegendMarker>
#include <QLineEdit>
#include <QLineSeries>
#include <QProgressBar>
#include <QSpinBox>
#include <QTabWidget>
#include <QVBoxLayout>
#include <QValueAxis>
#include <cmath>

#include "analysis/ui/FrmCalibrate.h"
#include "analysis/ui/FrmCalibrate_work.h"
#include "analysis/ui/ResultChart.h"
#include "calibration/uncertainty.h"
#include "common/list_reader.h"
#include "shell/dialogs.h"
#include "shell/session.h"

// The calibration window's uncertainty page: the 95 % prediction band of the
// behavioural parameter sets over the observed flows, its P- and R-factor
// and the parameters' behavioural ranges.

using namespace rivulon::calibration;
using frm_calibrate::fixed;
using frm_calibrate::number;
using rivulon::ui::qs;
using rivulon::ui::ss;
using rivulon::ui::warnBox;

namespace {

const QString kTitle = QStringLiteral("Calibrate Hydrology");

}  // namespace

QWidget* FrmCalibrate::makeUncertaintyPage() {
    pagUncertainty = new QWidget;
    pagUncertainty->setObjectName(QStringLiteral("pagUncertainty"));
    chtBand = new ResultChart;
    chtBand->setOutputFolder([this] { return host_.session().outputFolder(); });
    chtBand->setObjectName(QStringLiteral("chtBand"));
    lblBand = new QLabel(
        QStringLiteral("Uncertainty samples the checked parameters over their ranges (as many "
                       "sets as model runs) and draws the band that the sets fitting at least "
                       "as well as \"Behavioural from\" give."));
    lblBand->setObjectName(QStringLiteral("lblBand"));
    lblBand->setWordWrap(true);
    lblBand->setTextInteractionFlags(Qt::TextSelectableByMouse);
    grdBehavioural = new rivulon::ui::FlexGrid;
    grdBehavioural->setObjectName(QStringLiteral("grdBehavioural"));
    grdBehavioural->setMaximumHeight(150);
    auto* layout = new QVBoxLayout(pagUncertainty);
    layout->addWidget(chtBand, 1);
    layout->addWidget(lblBand);
    layout->addWidget(grdBehavioural);
    return pagUncertainty;
}

bool FrmCalibrate::cmdUncertainty_Click() {
    if (!readyToStart())
        return false;
    double threshold = 0;
    if (!rivulon::parseDouble(ss(txtThreshold->text().trimmed()), threshold) ||
        !std::isfinite(threshold)) {
        warnBox(this,
                QStringLiteral("\"Behavioural from\" takes the least objective of a behavioural "
                               "set, such as .5."),
                kTitle);
        return false;
    }
    auto work = newWork();
    if (!work)
        return false;
    work->uncertainty = true;
    work->band.runs = spnRuns->value();
    work->band.seed = static_cast<std::uint64_t>(spnSeed->value());
    work->band.jobs = spnJobs->value();
    work->band.threshold = threshold;
    return begin(work);
}

void FrmCalibrate::showUncertainty() {
    const Work& w = *last_;
    const UncertaintyOutcome& u = w.bands;
    const QString label = qs(objectiveLabel(w.objective.objective));
    const QString runs = QString::number(u.sets.size());
    tabResults->setCurrentWidget(pagUncertainty);
    if (u.behaviouralCount == 0 || u.band.empty()) {
        chtBand->plotLines({}, {}, {});
        grdBehavioural->setCells(rivulon::TextGrid(1, 1));
        const EvaluatedSet* best = u.best();
        if (u.cancelled) {
            lblBand->setText(QStringLiteral("Cancelled after ") + runs +
                             QStringLiteral(" runs; no band is drawn."));
            return;
        }
        const QString text =
            QStringLiteral("No behavioural set: none of the ") + runs +
            QStringLiteral(" runs reached ") + label + QStringLiteral(" ") +
            number(w.band.threshold) + QStringLiteral("; the best ") + label +
            QStringLiteral(" reached is ") +
            (best ? fixed(best->evaluation.objective, "0.0000") : QStringLiteral("not defined")) +
            QStringLiteral(".");
        lblBand->setText(text);
        lblStatus->setText(text);
        return;
    }

    // Observed flow and the band's three lines over the months of the band.
    rivulon::ChartData observed, low, median, high;
    for (rivulon::ChartData* s : {&observed, &low, &median, &high}) {
        s->title = "95 % prediction band of monthly flow";
        s->kind = rivulon::ChartKind::Line2d;
    }
    observed.seriesLabel = "Observed";
    low.seriesLabel = "2.5 %";
    median.seriesLabel = "Median";
    high.seriesLabel = "97.5 %";
    for (const BandMonth& m : u.band) {
        const std::string month = std::to_string(m.month);
        for (rivulon::ChartData* s : {&observed, &low, &median, &high})
            s->pointLabels.push_back(month);
        observed.values.push_back(m.observed);
        low.values.push_back(m.low);
        median.values.push_back(m.median);
        high.values.push_back(m.high);
    }
    chtBand->plotLines({observed, low, median, high},
                       QStringLiteral("Month, from October of the run's first year"),
                       QStringLiteral("Flow (cm)"));
    // The band shaded between its edges; months without data are left out of
    // the observed line rather than drawn at their -1.
    QChart* chart = chtBand->chart();
    const QList<QAbstractSeries*> lines = chart->series();
    if (lines.size() == 4) {
        auto* obs = static_cast<QLineSeries*>(lines[0]);
        for (qsizetype i = obs->count() - 1; i >= 0; --i)
            if (!(obs->at(i).y() > 0))
                obs->remove(static_cast<int>(i));
        auto* lower = static_cast<QLineSeries*>(lines[1]);
        auto* upper = static_cast<QLineSeries*>(lines[3]);
        auto* areaLow = new QLineSeries;
        auto* areaHigh = new QLineSeries;
        areaLow->replace(lower->points());
        areaHigh->replace(upper->points());
        auto* area = new QAreaSeries(areaHigh, areaLow);
        area->setName(QStringLiteral("95 % band"));
        area->setColor(QColor(0, 102, 204, 60));
        area->setBorderColor(QColor(0, 102, 204, 0));
        // Under the lines: the chart draws its series in the order added.
        const QList<QAbstractAxis*> axes = chart->axes();
        for (QAbstractSeries* line : lines)
            chart->removeSeries(line);
        chart->addSeries(area);
        for (QAbstractSeries* line : lines)
            chart->addSeries(line);
        for (QAbstractSeries* series : chart->series())
            for (QAbstractAxis* axis : axes)
                series->attachAxis(axis);
        // Flows are never below 0; the axis went there for the -1 of no data.
        for (QAbstractAxis* axis : chart->axes(Qt::Vertical)) {
            if (auto* values = qobject_cast<QValueAxis*>(axis)) {
                values->setMin(0);
                values->applyNiceNumbers();
            }
        }
        QPen edge(QColor(0, 102, 204, 140));
        edge.setWidthF(1);
        lower->setPen(edge);
        upper->setPen(edge);
        QPen mid(QColor(0, 102, 204));
        mid.setWidthF(2);
        static_cast<QLineSeries*>(lines[2])->setPen(mid);
        QPen black(QColor(20, 20, 20));
        black.setWidthF(1.5);
        obs->setPen(black);
        obs->setColor(QColor(20, 20, 20));
        for (QLegendMarker* marker : chart->legend()->markers(lower))
            marker->setVisible(false);
        for (QLegendMarker* marker : chart->legend()->markers(upper))
            marker->setVisible(false);
    }

    const BandQuality& q = u.quality;
    QString text = QStringLiteral("<b>P-factor ") + fixed(q.pFactor, "0.00") +
                   QStringLiteral("</b>: ") + QString::number(q.inside) + QStringLiteral(" of ") +
                   QString::number(q.months) +
                   QStringLiteral(" months with data lie within the band (1 is best). ");
    text += q.rDefined
                ? QStringLiteral("<b>R-factor ") + fixed(q.rFactor, "0.00") +
                      QStringLiteral("</b>: the band is on average ") + fixed(q.rFactor, "0.00") +
                      QStringLiteral(
                          " standard deviations of the observed flow wide "
                          "(about 1 or less is narrow). ")
                : QStringLiteral(
                      "<b>R-factor</b> not defined: the observations do not "
                      "vary. ");
    text += QString::number(u.behaviouralCount) + QStringLiteral(" of ") + runs +
            QStringLiteral(" sets are behavioural (") + label + QStringLiteral(" at least ") +
            number(w.band.threshold) + QStringLiteral("), each weighted by how far its ") + label +
            QStringLiteral(" exceeds that.");
    lblBand->setText(text);

    grdBehavioural->setCells(frm_calibrate::parameterTable(
        w.params, {"Behavioural low", "Behavioural high", "Sampled low", "Sampled high"},
        u.rangeLow, u.rangeHigh));
    grdBehavioural->fitColumnToText(0, 3000);
    grdBehavioural->fitColumnToText(1);
    for (int c = 2; c <= 5; ++c)
        grdBehavioural->fitColumnToText(c, 1800);

    lblStatus->setText(
        QStringLiteral("Uncertainty: ") + runs + QStringLiteral(" runs, ") +
        QString::number(u.behaviouralCount) + QStringLiteral(" behavioural; P-factor ") +
        fixed(q.pFactor, "0.00") +
        (q.rDefined ? QStringLiteral(", R-factor ") + fixed(q.rFactor, "0.00") : QString()) +
        QStringLiteral("."));
}
