#include "analysis/ui/FrmCalibrate.h"
#include "analysis/ui/FrmCalibrate_work.h"

#include <QChart>
#include <QChartView>
#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLegend>
#include <QLegendMarker>
#include <QLineEdit>
#include <QLineSeries>
#include <QProgressBar>
#include <QPushButton>
#include <QScatterSeries>
#include <QSpinBox>
#include <QSplitter>
#include <QTabWidget>
#include <QVBoxLayout>
#include <QValueAxis>
#include <algorithm>
#include <atomic>
#include <cmath>
#include <filesystem>
#include <mutex>
#include <thread>

#include "analysis/value_format.h"
#include "calibration/morris.h"
#include "calibration/report.h"
#include "calibration/search.h"
#include "common/list_reader.h"
#include "common/number_format.h"
#include "common/paths.h"
#include "common/read_error.h"
#include "shell/dialogs.h"
#include "shell/qt_text.h"
#include "shell/session.h"

// The calibration window's result pages: the calibrated flows with their
// statistics and best values, and the sensitivity table.

using namespace rivulon::calibration;
using frm_calibrate::fixed;
using frm_calibrate::number;
using rivulon::ui::qs;

rivulon::TextGrid frm_calibrate::parameterTable(const std::vector<Parameter>& params,
                                                const std::array<const char*, 4>& headings,
                                                const std::vector<double>& first,
                                                const std::vector<double>& second) {
    rivulon::TextGrid grid(static_cast<int>(params.size()) + 1, 6);
    grid.set(0, 0, "Parameter");
    grid.set(0, 1, "Unit");
    for (int c = 0; c < 4; ++c)
        grid.set(0, c + 2, headings[static_cast<std::size_t>(c)]);
    for (std::size_t j = 0; j < params.size(); ++j) {
        const int row = static_cast<int>(j) + 1;
        grid.set(row, 0, std::string(params[j].info->label));
        // As the parameter table names them: a multiplier is a factor.
        grid.set(
            row, 1,
            params[j].info->multiplier ? std::string("factor") : std::string(params[j].info->unit));
        const double values[] = {first[j], second[j], params[j].low, params[j].high};
        for (int c = 0; c < 4; ++c)
            grid.set(row, c + 2, rivulon::formatPattern(values[c], "0.000000"));
    }
    return grid;
}

void FrmCalibrate::showCalibration() {
    const Work& w = *last_;
    const EvaluatedSet* best = w.outcome.best();
    result_.reset();
    cmdSave->setEnabled(false);
    if (!best) {
        lblStatus->setText(QStringLiteral("No run gave a defined ") +
                           qs(objectiveLabel(w.objective.objective)) + QStringLiteral("."));
        return;
    }
    auto r = std::make_unique<Result>();
    r->inputs = w.inputs;
    r->objective = w.objective;
    r->params = w.params;
    r->start = w.start;
    r->best = best->values;
    r->bestFit = best->evaluation;
    r->startFit = w.startFit;
    r->trace = w.outcome.trace;
    r->runs = static_cast<int>(w.outcome.evaluations.size());
    r->cancelled = w.outcome.cancelled;
    const FlowTarget& target = w.inputs->target;

    // Monthly flows of the paired months: observed, the project's own
    // values and the best set.
    const std::vector<double> calibrated = pairedPredicted(target, r->params, r->best);
    const std::vector<double> own = pairedPredicted(target, r->params, r->start);
    QChart* chart = chtFlows->chart();
    chart->removeAllSeries();
    for (QAbstractAxis* axis : chart->axes())
        chart->removeAxis(axis);
    auto* observed = new QLineSeries;
    observed->setName(QStringLiteral("Observed"));
    auto* observedDots = new QScatterSeries;
    observedDots->setMarkerSize(6);
    auto* simulated = new QLineSeries;
    simulated->setName(QStringLiteral("Calibrated"));
    auto* before = new QLineSeries;
    before->setName(QStringLiteral("Project's values"));
    double top = 0;
    for (std::size_t i = 0; i < target.pairedColumns.size(); ++i) {
        // Month 1 is the first April: year k of the run spans k to k + 1.
        const double x = 1 + (target.pairedColumns[i] - 1) / 12.0;
        observed->append(x, target.pairedObserved[i]);
        observedDots->append(x, target.pairedObserved[i]);
        simulated->append(x, calibrated[i]);
        before->append(x, own[i]);
        top = std::max({top, target.pairedObserved[i], calibrated[i], own[i]});
    }
    QPen pen = before->pen();
    pen.setStyle(Qt::DashLine);
    pen.setColor(QColor(150, 150, 150));
    pen.setWidthF(1.2);
    before->setPen(pen);
    pen.setStyle(Qt::SolidLine);
    pen.setColor(QColor(20, 20, 20));
    pen.setWidthF(1.5);
    observed->setPen(pen);
    observedDots->setColor(QColor(20, 20, 20));
    observedDots->setBorderColor(QColor(20, 20, 20));
    pen.setColor(QColor(0, 102, 204));
    pen.setWidthF(2);
    simulated->setPen(pen);
    for (QAbstractSeries* s :
         std::initializer_list<QAbstractSeries*>{before, observed, observedDots, simulated})
        chart->addSeries(s);
    chart->legend()->setAlignment(Qt::AlignBottom);
    chart->legend()->markers(observedDots).first()->setVisible(false);
    auto* x = new QValueAxis;
    x->setTitleText(QStringLiteral("Year of the run (from April)"));
    x->setLabelFormat(QStringLiteral("%d"));
    const int years = (target.pairedColumns.back() + 11) / 12;
    // Whole years between the ticks, at most 15 of them.
    const int step = (years + 14) / 15;
    const int ticks = (years + step - 1) / step;
    x->setRange(1, 1 + ticks * step);
    x->setTickCount(ticks + 1);
    auto* y = new QValueAxis;
    y->setTitleText(QStringLiteral("Streamflow (cm)"));
    y->setRange(0, top > 0 ? top * 1.05 : 1);
    y->applyNiceNumbers();
    chart->addAxis(x, Qt::AlignBottom);
    chart->addAxis(y, Qt::AlignLeft);
    for (QAbstractSeries* s : chart->series()) {
        s->attachAxis(x);
        s->attachAxis(y);
    }

    // The statistics of the best set with their ratings, next to the
    // project's own.
    const auto stat = [](bool defined, double v, const char* pattern) {
        return defined ? fixed(v, pattern) : QStringLiteral("not defined");
    };
    const auto rating = [](bool defined, FitRating rating) {
        return defined ? qs(ratingName(rating)) : QString();
    };
    const rivulon::FlowFit& f = r->bestFit.fit;
    const rivulon::FlowFit& g = r->startFit.fit;
    QString html = QStringLiteral(
        "<table cellspacing=0 cellpadding=2><tr><th align=left>Statistic&nbsp;&nbsp;</th>"
        "<th align=right>Calibrated</th><th align=left>&nbsp;&nbsp;Rating</th>"
        "<th align=right>&nbsp;&nbsp;Project's values</th></tr>");
    const auto line = [&html](const QString& name, const QString& v, const QString& rated,
                              const QString& own) {
        html += QStringLiteral("<tr><td>") + name + QStringLiteral("</td><td align=right>") + v +
                QStringLiteral("</td><td>&nbsp;&nbsp;") + rated +
                QStringLiteral("</td><td align=right>") + own + QStringLiteral("</td></tr>");
    };
    line(QStringLiteral("NSE"), stat(f.nseDefined, f.nse, "0.0000"),
         rating(f.nseDefined, rateNse(f.nse)), stat(g.nseDefined, g.nse, "0.0000"));
    line(QStringLiteral("KGE"), stat(f.kgeDefined, f.kge, "0.0000"), QStringLiteral("(not rated)"),
         stat(g.kgeDefined, g.kge, "0.0000"));
    line(QStringLiteral("log-NSE"), stat(r->bestFit.logNseDefined, r->bestFit.logNse, "0.0000"),
         QStringLiteral("(not rated)"),
         stat(r->startFit.logNseDefined, r->startFit.logNse, "0.0000"));
    line(QStringLiteral("PBIAS %"), stat(f.pbiasDefined, f.pbias, "0.00"),
         rating(f.pbiasDefined, ratePbias(f.pbias)), stat(g.pbiasDefined, g.pbias, "0.00"));
    line(QStringLiteral("RSR"), stat(f.rsrDefined, f.rsr, "0.0000"),
         rating(f.rsrDefined, rateRsr(f.rsr)), stat(g.rsrDefined, g.rsr, "0.0000"));
    html += QStringLiteral("</table>") + QString::number(f.months) +
            QStringLiteral(
                " paired months; ratings for monthly streamflow after Moriasi et al. "
                "(2007).");
    if (!r->bestFit.feasible) {
        html += QStringLiteral(
            "<br><b>No set met the |PBIAS| limit; the best shown breaks "
            "it.</b>");
    }
    lblStatistics->setText(html);

    std::vector<double> calibratedValues;
    for (std::size_t j = 0; j < r->params.size(); ++j)
        calibratedValues.push_back(r->params[j].effective(r->best[j]));
    const rivulon::TextGrid grid = frm_calibrate::parameterTable(
        r->params, {"Project", "Calibrated", "Low", "High"}, r->start, calibratedValues);
    grdBest->setCells(grid);
    grdBest->fitColumnToText(0, 3000);
    grdBest->fitColumnToText(1);
    for (int c = 2; c <= 5; ++c)
        grdBest->fitColumnToText(c, 1300);

    lblStatus->setText(QStringLiteral("Done: ") + QString::number(r->runs) +
                       QStringLiteral(" runs, best ") + qs(objectiveLabel(r->objective.objective)) +
                       QStringLiteral(" ") + fixed(r->bestFit.objective, "0.0000") +
                       QStringLiteral(" (run ") + QString::number(best->run) +
                       QStringLiteral(")."));
    result_ = std::move(r);
    cmdSave->setEnabled(result_->bestFit.feasible);
    tabResults->setCurrentIndex(0);
}

void FrmCalibrate::showSensitivity() {
    const Work& w = *last_;
    const MorrisOutcome& m = w.screen;
    rivulon::TextGrid grid(static_cast<int>(m.ranking.size()) + 1, 6);
    grid.set(0, 0, "Rank");
    grid.set(0, 1, "Parameter");
    grid.set(0, 2, "\u03bc*");
    grid.set(0, 3, "\u03bc");
    grid.set(0, 4, "\u03c3");
    grid.set(0, 5, "Effects");
    int rank = 0;
    for (const MorrisEffect& e : m.ranking) {
        ++rank;
        grid.set(rank, 0, std::to_string(rank));
        grid.set(rank, 1, std::string(w.params[static_cast<std::size_t>(e.parameter)].info->label));
        grid.set(rank, 2, rivulon::formatPattern(e.muStar, "0.0000"));
        grid.set(rank, 3, rivulon::formatPattern(e.mu, "0.0000"));
        grid.set(rank, 4, rivulon::formatPattern(e.sigma, "0.0000"));
        grid.set(rank, 5, std::to_string(e.effects));
    }
    grdSensitivity->setCells(grid);
    grdSensitivity->fitColumnsToText(600);
    grdSensitivity->fitColumnToText(1, 3000);
    tabResults->setCurrentWidget(grdSensitivity);
    lblStatus->setText(
        QStringLiteral("Sensitivity: ") + QString::number(m.evaluations.size()) +
        QStringLiteral(" runs; \u03bc* is the mean absolute change of the ") +
        qs(objectiveLabel(w.objective.objective)) +
        QStringLiteral(" over a parameter's whole range, \u03c3 the spread of the changes.") +
        (m.undefinedRuns > 0 ? QStringLiteral(" ") + QString::number(m.undefinedRuns) +
                                   QStringLiteral(" run(s) gave no defined objective.")
                             : QString()));
}
