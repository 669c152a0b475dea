#pragma once

#include <memory>
#include <string>

#include "engine/model_state.h"
#include "engine/run_observer.h"

namespace rivulon {

// The bytes of Results.dat for the last run: header, point sources, land uses,
// then every year's monthly water and load records, land-use records and, at
// level 4, the septic record. Throws RunError when there are no complete
// results or a value is not a finite number.
std::string resultsFileText(const ModelState& state);
// The same, written on two threads from `splitYears` years on (20 above);
// for checks that both ways give one text.
std::string resultsFileText(const ModelState& state, int splitYears);

// Results.dat made while a run goes on: each year's records are written on a
// second thread as soon as the year ends, so that a long run's file is ready
// with its last day. take() gives what resultsFileText gives (and throws as
// it does); when the observer did not see the whole run it simply calls it.
class ResultsAlongside : public RunObserver {
  public:
    ResultsAlongside();
    ~ResultsAlongside() override;
    ResultsAlongside(const ResultsAlongside&) = delete;
    ResultsAlongside& operator=(const ResultsAlongside&) = delete;

    void runStarted(const ModelState& state) override;
    void yearEnded(const ModelState& state, int year) override;
    bool followsDays() const override { return false; }
    // After the run has ended normally.
    std::string take(const ModelState& state);

  private:
    struct Worker;
    void stop();
    std::unique_ptr<Worker> worker_;
    int landUses_ = 0, years_ = 0, firstRecord_ = 0, yearsGathered_ = 0;
    bool septic_ = false;
};

// The bytes of Summary.dat (multi-year means). Also fills
// results.pointYearN/P, which the result tables show; calling it twice gives
// the same bytes. Throws as resultsFileText.
std::string summaryFileText(ModelState& state);

}  // namespace rivulon
