#include "calibration/report.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace rivulon::calibration {

std::string exactNumber(double v) {
    char buf[32];
    const auto res = std::to_chars(buf, buf + sizeof buf, v);
    return std::string(buf, res.ptr);
}

namespace {

// "  LABEL    VALUE  rating", the value right-aligned in 9 columns with
// `decimals` digits; numbers never take the user's decimal comma.
std::string line(std::string_view label, bool defined, double v, int decimals,
                 std::string_view rating) {
    std::string out = "  " + std::string(label);
    out.resize(std::max<std::size_t>(out.size(), 10) + 1, ' ');
    if (!defined)
        return out + "not defined\n";
    char num[64];
    const auto res = std::to_chars(num, num + sizeof num, v, std::chars_format::fixed, decimals);
    const std::string value(num, res.ptr);
    out += std::string(value.size() < 9 ? 9 - value.size() : 0, ' ') + value + "  ";
    return out + std::string(rating) + "\n";
}

}  // namespace

std::string fitSummary(const Evaluation& e) {
    const FlowFit& f = e.fit;
    std::string s;
    s += line("NSE", f.nseDefined, f.nse, 4, ratingName(rateNse(f.nse)));
    s += line("KGE", f.kgeDefined, f.kge, 4, "(not rated)");
    s += line("log-NSE", e.logNseDefined, e.logNse, 4, "(not rated)");
    s += line("PBIAS %", f.pbiasDefined, f.pbias, 2, ratingName(ratePbias(f.pbias)));
    s += line("RSR", f.rsrDefined, f.rsr, 4, ratingName(rateRsr(f.rsr)));
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
