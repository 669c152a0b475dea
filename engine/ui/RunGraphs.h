#pragma once

#include <QColor>
#include <QElapsedTimer>
#include <QString>
#include <array>
#include <vector>

#include "engine/run_events.h"

class PictureBox;

// The run's live graphs: daily streamflow and rain, monthly flow, and after
// every year the monthly sediment and nutrient loads, drawn in twips into the
// graph window's picture areas. The run goes on a worker thread; its recorded
// events arrive here in batches, and the pictures are repainted at most every
// kRefreshMs, so a long run stays quick.
class RunGraphs {
  public:
    static constexpr int kRefreshMs = 30;

    struct Pictures {
        PictureBox* water = nullptr;      // streamflow and sediment
        PictureBox* nutrients = nullptr;  // N (or organic C) and P
        std::array<PictureBox*, 4> legends{};
    };

    // `scales` are the four graph scales of the run (1-based, [0] unused).
    RunGraphs(const Pictures& pictures, const std::array<std::int16_t, 5>& scales);

    // Draws a batch of the run's events, in order.
    void apply(const std::vector<rivulon::RunEvent>& events);
    void runStarted(const rivulon::RunEvent& started);
    void dayEnded(const rivulon::RunEvent& day);
    void monthEnded(const rivulon::RunEvent& month);
    void yearEnded(const rivulon::RunEvent& year);

    // Shows the finished drawings.
    void finish();
    // Runs after the first draw over the earlier curves (a batch's overlay),
    // each run's curves in its own colour.
    void overlayLaterRuns() { overlay_ = true; }
    // The colour of the curves of run `index` (0 = the first) of an overlay.
    static QColor overlayColour(int index);

    // A day's value as a line from the series' last point; day 1 draws the axes.
    void GraphDaily(PictureBox& picture, double xStep, double yScale, float value, int x,
                    int colour, int series);
    // A month's value at the middle of the month ending on day x; the first
    // month of the run draws the panel with its title and y-axis ticks.
    void GraphMonthly(PictureBox& picture, double xStep, double yScale, float value, int x,
                      double y0, const QString& title, int series, int colour);
    static void Graphlegend(PictureBox& legend, double y, const QString& text, int colour);

    // The day position of a month drawn after its year.
    static int monthPosition(int year, int month);

  private:
    struct LastPoint {
        bool set = false;
        int x = 0;
        float value = 0;
    };
    void refresh(bool force);
    // A curve's colour: its own, or its run's in an overlay (the dissolved
    // loads lighter); rain keeps its colour.
    QColor curveColour(int colour) const;

    Pictures pictures_;
    std::array<std::int16_t, 5> scales_;
    int yearCount_ = 1;
    int simLevel_ = 1;
    bool organicCarbon_ = false;
    double dayStep_ = 0;
    // Daily and monthly curves keep their own last points: the monthly flow
    // shares its series number with the daily streamflow.
    std::array<LastPoint, 11> daily_{};
    std::array<LastPoint, 11> monthly_{};
    // Right edge of the last month label of each panel, so labels never overlap.
    struct PanelLabels {
        const PictureBox* picture;
        double y0;
        double right;
        int lastNumber;
    };
    std::vector<PanelLabels> labels_;
    QElapsedTimer sinceRefresh_;
    bool overlay_ = false;
    bool drawnOnce_ = false;
    int runs_ = 0;  // runs started
};
