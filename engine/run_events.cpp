#include "engine/run_events.h"

#include <algorithm>
#include <utility>

namespace rivulon {

void RunEventRecorder::push(RunEvent&& event) {
    std::lock_guard lock(mutex_);
    events_.push_back(std::move(event));
}

void RunEventRecorder::runStarted(const ModelState& state) {
    RunEvent e;
    e.kind = RunEvent::Kind::Started;
    e.yearCount = state.options.yearCount;
    e.simLevel = state.options.simLevel;
    e.organicCarbon = state.options.organicCarbonMode;
    push(std::move(e));
}

void RunEventRecorder::dayEnded(const ModelState& /*state*/, const DayPoint& point) {
    checkStop();
    RunEvent e;
    e.kind = RunEvent::Kind::Day;
    e.year = point.year;
    e.month = point.month;
    e.dayIndex = point.dayIndex;
    e.precipitation = point.precipitation;
    e.streamflow = point.streamflow;
    push(std::move(e));
}

void RunEventRecorder::monthEnded(const ModelState& state, int year, int month, int dayIndex) {
    RunEvent e;
    e.kind = RunEvent::Kind::Month;
    e.year = year;
    e.month = month;
    e.dayIndex = dayIndex;
    e.streamflow = state.results.flow[year][month];
    push(std::move(e));
}

void RunEventRecorder::yearEnded(const ModelState& state, int year) {
    const RunResults& r = state.results;
    RunEvent e;
    e.kind = RunEvent::Kind::Year;
    e.year = year;
    const auto copyYear = [year](const auto& table, std::array<float, 13>& out) {
        if (static_cast<std::size_t>(year) < table.size()) {
            std::copy_n(table[year].begin(), std::min<std::size_t>(13, table[year].size()),
                        out.begin());
        }
    };
    copyYear(r.sediment, e.sediment);
    copyYear(r.totN, e.totN);
    copyYear(r.disN, e.disN);
    copyYear(r.totP, e.totP);
    copyYear(r.disP, e.disP);
    push(std::move(e));
}

void RunEventRecorder::note(int done, int total, const std::string& text) {
    RunEvent e;
    e.kind = RunEvent::Kind::Note;
    e.done = done;
    e.total = total;
    e.text = text;
    push(std::move(e));
}

void RunEventRecorder::checkStop() const {
    if (stop_ && stop_->stopRequested()) {
        throw RunCancelled();
    }
}

std::vector<RunEvent> RunEventRecorder::take() {
    std::lock_guard lock(mutex_);
    std::vector<RunEvent> out;
    out.swap(events_);
    return out;
}

}  // namespace rivulon
