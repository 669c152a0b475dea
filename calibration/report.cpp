#include "calibration/report.h"

#include <charconv>
#include <cmath>
#include <cstdio>

namespace rivulon::calibration {

FitRating rateNse(double nse) {
    if (nse > 0.75)
        return FitRating::VeryGood;
    if (nse > 0.65)
        return FitRating::Good;
    if (nse > 0.50)
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

std::string_view ratingName(FitRating r) {
    switch (r) {
        case FitRating::VeryGood:
            return "very good";
        case FitRating::Good:
            return "good";
        case FitRating::Satisfactory:
            return "satisfactory";
        case FitRating::Unsatisfactory:
            return "unsatisfactory";
    }
    return "unsatisfactory";
}

std::string exactNumber(double v) {
    char buf[32];
    const auto res = std::to_chars(buf, buf + sizeof buf, v);
    return std::string(buf, res.ptr);
}

namespace {

std::string line(const char* label, bool defined, double v, const char* format,
                 std::string_view rating) {
    char buf[96];
    if (!defined) {
        std::snprintf(buf, sizeof buf, "  %-8s not defined\n", label);
    } else {
        char num[32];
        std::snprintf(num, sizeof num, format, v);
        std::snprintf(buf, sizeof buf, "  %-8s %9s  %.*s\n", label, num,
                      static_cast<int>(rating.size()), rating.data());
    }
    return buf;
}

}  // namespace

std::string fitSummary(const Evaluation& e) {
    const FlowFit& f = e.fit;
    std::string s;
    s += line("NSE", f.nseDefined, f.nse, "%.4f", ratingName(rateNse(f.nse)));
    s += line("KGE", f.kgeDefined, f.kge, "%.4f", "(not rated)");
    s += line("log-NSE", e.logNseDefined, e.logNse, "%.4f", "(not rated)");
    s += line("PBIAS %", f.pbiasDefined, f.pbias, "%.2f", ratingName(ratePbias(f.pbias)));
    s += line("RSR", f.rsrDefined, f.rsr, "%.4f", ratingName(rateRsr(f.rsr)));
    return s;
}

std::string evaluationsCsv(const std::vector<Parameter>& params,
                           const std::vector<EvaluatedSet>& sets, Objective objective,
                           const std::vector<double>* trace) {
    std::string out = "run,batch";
    for (const Parameter& p : params)
        out += "," + std::string(p.name());
    out += "," + std::string(objectiveName(objective)) +
           "_objective,nse,kge,lognse,pbias,rsr,feasible";
    if (trace)
        out += ",best";
    out += ",error\n";
    auto num = [&out](bool defined, double v) {
        out += ',';
        if (defined && std::isfinite(v))
            out += exactNumber(v);
    };
    for (std::size_t i = 0; i < sets.size(); ++i) {
        const EvaluatedSet& s = sets[i];
        const Evaluation& e = s.evaluation;
        out += std::to_string(s.run) + "," + std::to_string(s.batch);
        for (double v : s.values)
            num(true, v);
        num(e.defined, e.objective);
        num(e.fit.nseDefined, e.fit.nse);
        num(e.fit.kgeDefined, e.fit.kge);
        num(e.logNseDefined, e.logNse);
        num(e.fit.pbiasDefined, e.fit.pbias);
        num(e.fit.rsrDefined, e.fit.rsr);
        out += e.defined ? (e.feasible ? ",1" : ",0") : ",";
        if (trace)
            num(i < trace->size(), i < trace->size() ? (*trace)[i] : 0);
        out += ',';
        if (!e.error.empty()) {
            // Quoted, with inner quotes doubled and line breaks as blanks.
            out += '"';
            for (char c : e.error)
                out += c == '"' ? std::string("\"\"") : std::string(1, c == '\n' ? ' ' : c);
            out += '"';
        }
        out += '\n';
    }
    return out;
}

}  // namespace rivulon::calibration
