#include "analysis/observed_flow.h"

#include <cmath>

#include "analysis/result_tables.h"
#include "analysis/value_format.h"
#include "common/atomic_file.h"
#include "common/list_reader.h"
#include "common/number_format.h"
#include "common/text_encoding.h"

namespace rivulon {

namespace {

// The first four characters (not bytes), blank-padded.
std::string firstFour(const std::string& text) {
    std::string out;
    int chars = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if ((c & 0xC0) != 0x80) {
            if (chars == 4)
                break;
            ++chars;
        }
        out += text[i];
    }
    out.append(4 - chars, ' ');
    return out;
}

constexpr int kFirstPairedMonth = 7;  // the first six months warm the model up

}  // namespace

std::vector<ObservedMonth> parseObservedText(const std::string& name, std::string content,
                                             int maxMonths, std::vector<std::string>* warnings) {
    ListReader in(name, std::move(content));
    std::vector<ObservedMonth> months;
    while (static_cast<int>(months.size()) < maxMonths && !in.atEnd()) {
        in.next("record number");
        ObservedMonth m;
        m.flow = in.readReal("observed flow");
        m.heading = in.readString("month label");
        in.endRecord(3);
        months.push_back(std::move(m));
    }
    // Months past the simulated ones are the file's own, not stray text.
    if (warnings)
        warnings->insert(warnings->end(), in.warnings().begin(), in.warnings().end());
    return months;
}

std::vector<ObservedMonth> readObservedFile(const std::string& path, int maxMonths,
                                            std::vector<std::string>* warnings) {
    return parseObservedText(path, readTextFile(path), maxMonths, warnings);
}

std::vector<int> pairedMonthColumns(const std::vector<ObservedMonth>& observed,
                                    int simulatedMonths) {
    std::vector<int> columns;
    const int records = std::min<int>(simulatedMonths, static_cast<int>(observed.size()));
    for (int j = kFirstPairedMonth; j <= records; ++j)
        if (observed[j - 1].flow > 0)
            columns.push_back(j);
    return columns;
}

FlowFit flowFit(const std::vector<double>& o, const std::vector<double>& p) {
    FlowFit fit;
    const int n = static_cast<int>(std::min(o.size(), p.size()));
    fit.months = n;
    if (n < 1)
        return fit;
    double so = 0, sp = 0;
    for (int i = 0; i < n; ++i) {
        so += o[i];
        sp += p[i];
    }
    const double mo = so / n, mp = sp / n;
    double sse = 0, varO = 0, varP = 0, cov = 0, diff = 0;
    for (int i = 0; i < n; ++i) {
        sse += (o[i] - p[i]) * (o[i] - p[i]);
        varO += (o[i] - mo) * (o[i] - mo);
        varP += (p[i] - mp) * (p[i] - mp);
        cov += (o[i] - mo) * (p[i] - mp);
        diff += o[i] - p[i];
    }
    if (varO > 0) {
        fit.nseDefined = fit.rsrDefined = true;
        fit.nse = 1 - sse / varO;
        fit.rsr = std::sqrt(sse) / std::sqrt(varO);
    }
    if (varO > 0 && varP > 0 && mo != 0) {
        const double r = cov / std::sqrt(varO * varP);
        const double alpha = std::sqrt(varP / varO);
        const double beta = mp / mo;
        fit.kgeDefined = true;
        fit.kge =
            1 - std::sqrt((r - 1) * (r - 1) + (alpha - 1) * (alpha - 1) + (beta - 1) * (beta - 1));
    }
    if (so != 0) {
        fit.pbiasDefined = true;
        fit.pbias = 100 * diff / so;
    }
    return fit;
}

ObservedComparison compareObserved(const ResultSet& rs, const std::vector<ObservedMonth>& obs) {
    ObservedComparison out;
    const MonthlyTable monthly = buildMonthlyTable(rs, 0, false);
    const ChartData& flowChart = monthly.charts[0];
    const int lastCol = static_cast<int>(flowChart.values.size());

    // The chart grid as the monthly table left it, plus the observation row.
    const TextGrid base = chartGrid(flowChart);
    TextGrid& g = out.grid;
    g = TextGrid(3, lastCol + 1);
    for (int r = 0; r < 2; ++r)
        for (int c = 0; c <= lastCol; ++c)
            g.set(r, c, base.at(r, c));
    g.set(0, 0, "Month");
    g.set(2, 0, "Observation");
    const int records = std::min<int>(lastCol, static_cast<int>(obs.size()));
    for (int j = 1; j <= records; ++j) {
        g.set(0, j, firstFour(obs[j - 1].heading));
        g.set(1, j, formatPattern(leadingNumber(g.at(1, j)), "#.0"));
        // Without a leading zero, as the predicted flows above it (".5").
        g.set(2, j, formatReal(obs[j - 1].flow));
    }

    out.predicted = flowChart;
    out.predicted.seriesLabel = "Predicted";
    out.observed = flowChart;
    out.observed.seriesLabel = "Observed (negative values indicate no data) ";
    out.observed.negativeIsMissing = true;
    std::vector<std::string> labels;
    for (int j = 1; j <= lastCol; ++j) {
        labels.push_back(g.at(0, j));
        out.predicted.values[j - 1] = static_cast<float>(leadingNumber(g.at(1, j)));
        out.observed.values[j - 1] = static_cast<float>(leadingNumber(g.at(2, j)));
    }
    out.predicted.pointLabels = out.predicted.gridHeadings = labels;
    out.observed.pointLabels = out.observed.gridHeadings = labels;

    // Regression on the texts the grid shows.
    int n = 0;
    double sx = 0, sxx = 0, sy = 0, syy = 0, sxy = 0;
    std::vector<int> paired;
    for (int j = kFirstPairedMonth; j <= lastCol; ++j) {
        const double x = leadingNumber(g.at(2, j));
        if (x <= 0) {
            g.set(2, j, "ND");
            continue;
        }
        const double y = leadingNumber(g.at(1, j));
        ++n;
        sx += x;
        sxx += x * x;
        sy += y;
        syy += y * y;
        sxy += x * y;
        paired.push_back(j);
    }
    out.pairedMonths = n;

    const double denX = n * sxx - sx * sx;
    const double denY = n > 0 ? syy - sy * sy / n : 0;
    bool observedVary = false, predictedVary = false;
    for (int j : paired) {
        observedVary |= g.at(2, j) != g.at(2, paired.front());
        predictedVary |= leadingNumber(g.at(1, j)) != leadingNumber(g.at(1, paired.front()));
    }
    if (n < 2) {
        out.report =
            "Observation vs. Prediction: fewer than two months with an observed flow "
            "above 0 from the seventh simulated month on (" +
            std::to_string(n) + "); the regression is not shown.";
    } else if (!observedVary || denX == 0) {
        out.report = "Observation vs. Prediction: all observed flows of the " + std::to_string(n) +
                     " paired months are equal; the regression is not shown.";
    } else if (!predictedVary || denY == 0) {
        out.report = "Observation vs. Prediction: all predicted flows of the " + std::to_string(n) +
                     " paired months are equal; R\u00b2 is not defined.";
    } else {
        const double a = (n * sxy - sx * sy) / denX;
        const double b = (sy - a * sx) / n;
        out.slope = a;
        out.intercept = b;
        out.rSquared = static_cast<float>((a * sxy + b * sy - sy * sy / n) / denY);
        out.ratio = static_cast<float>(sy / sx);
        out.regressionShown = true;
        out.regressionText = "Observation vs. Prediction: Pred = " + formatPattern(a, "0.####") +
                             " * Obs + " + formatPattern(b, "0.####") +
                             "   R\u00b2 = " + plainNumber(out.rSquared) +
                             "  Pred/Obs = " + plainNumber(out.ratio);
    }

    // Goodness of fit over the same months, on the file's own values.
    std::vector<double> o, p;
    for (int j : paired) {
        const int y = (j - 1) / 12 + 1, m = (j - 1) % 12 + 1;
        o.push_back(obs[j - 1].flow);
        p.push_back(rs.flow[y][m]);
    }
    const FlowFit fit = flowFit(o, p);
    out.nseDefined = fit.nseDefined;
    out.kgeDefined = fit.kgeDefined;
    out.pbiasDefined = fit.pbiasDefined;
    out.rsrDefined = fit.rsrDefined;
    out.nse = fit.nse;
    out.kge = fit.kge;
    out.pbias = fit.pbias;
    out.rsr = fit.rsr;
    auto figure = [](bool defined, double v, const char* pattern) {
        return defined ? formatPattern(v, pattern) : std::string("not defined");
    };
    out.statisticsText = "NSE = " + figure(out.nseDefined, out.nse, "0.0000") +
                         "  KGE = " + figure(out.kgeDefined, out.kge, "0.0000") +
                         "  PBIAS = " + figure(out.pbiasDefined, out.pbias, "0.0") +
                         (out.pbiasDefined ? "%" : "") +
                         "  RSR = " + figure(out.rsrDefined, out.rsr, "0.0000") + "  (" +
                         std::to_string(n) + " paired months)";
    return out;
}

FitRating rateNse(double nse) {
    if (nse > 0.75)
        return FitRating::VeryGood;
    if (nse > 0.65)
        return FitRating::Good;
    if (nse > 0.50)
        return FitRating::Satisfactory;
    return FitRating::Unsatisfactory;
}

FitRating ratePbias(double pbias) {
    const double a = std::fabs(pbias);
    if (a < 10)
        return FitRating::VeryGood;
    if (a < 15)
        return FitRating::Good;
    if (a < 25)
        return FitRating::Satisfactory;
    return FitRating::Unsatisfactory;
}

FitRating rateRsr(double rsr) {
    if (rsr <= 0.50)
        return FitRating::VeryGood;
    if (rsr <= 0.60)
        return FitRating::Good;
    if (rsr <= 0.70)
        return FitRating::Satisfactory;
    return FitRating::Unsatisfactory;
}

std::string ratingName(FitRating rating) {
    switch (rating) {
        case FitRating::VeryGood:
            return "very good";
        case FitRating::Good:
            return "good";
        case FitRating::Satisfactory:
            return "satisfactory";
        case FitRating::Unsatisfactory:
            break;
    }
    return "unsatisfactory";
}

std::string ratingText(const ObservedComparison& c) {
    auto rated = [](bool defined, FitRating r) {
        return defined ? ratingName(r) : std::string("not rated");
    };
    return "Ratings (monthly streamflow, Moriasi et al. 2007): NSE " +
           rated(c.nseDefined, rateNse(c.nse)) + ", PBIAS " +
           rated(c.pbiasDefined, ratePbias(c.pbias)) + ", RSR " +
           rated(c.rsrDefined, rateRsr(c.rsr)) + "; KGE has no standard rating";
}

}  // namespace rivulon
