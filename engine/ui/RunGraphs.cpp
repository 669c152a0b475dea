#include "engine/ui/RunGraphs.h"

#include <cmath>
#include <iterator>

#include "shell/PictureBox.h"

namespace {

constexpr double kLeft = 1000;   // x of the vertical axis
constexpr double kRight = 7000;  // x of the end of the horizontal axis
constexpr double kPanelHeight = 2000;
constexpr double kLowerPanel = 2200;  // y0 of the lower panel
constexpr double kDaysPerMonth = 30.416667;

const QString kTitleFamily = QStringLiteral("Times New Roman");
const QString kLabelFamily = QStringLiteral("Sans Serif");

// A curve's segment, cut where it leaves the panel through its top so that
// peaks end at the panel's edge instead of running into the titles above.
void panelLine(PictureBox& picture, double x1, double y1, double x2, double y2, double top,
               const QColor& colour) {
    if (y1 < top && y2 < top) {
        return;
    }
    if (y1 < top) {
        x1 += (x2 - x1) * (top - y1) / (y2 - y1);
        y1 = top;
    } else if (y2 < top) {
        x2 = x1 + (x2 - x1) * (top - y1) / (y2 - y1);
        y2 = top;
    }
    picture.line(x1, y1, x2, y2, colour);
}

}  // namespace

RunGraphs::RunGraphs(const Pictures& pictures, const std::array<std::int16_t, 5>& scales)
    : pictures_(pictures), scales_(scales) {}

int RunGraphs::monthPosition(int year, int month) {
    return static_cast<int>(std::lround((year - 1) * 365.0 + month * kDaysPerMonth));
}

void RunGraphs::apply(const std::vector<rivulon::RunEvent>& events) {
    using Kind = rivulon::RunEvent::Kind;
    pictures_.water->beginStrokes();
    pictures_.nutrients->beginStrokes();
    for (const rivulon::RunEvent& e : events) {
        switch (e.kind) {
            case Kind::Started:
                runStarted(e);
                break;
            case Kind::Day:
                dayEnded(e);
                break;
            case Kind::Month:
                monthEnded(e);
                break;
            case Kind::Year:
                yearEnded(e);
                break;
            case Kind::Note:
                break;
        }
    }
    pictures_.water->endStrokes();
    pictures_.nutrients->endStrokes();
    refresh(false);
}

QColor RunGraphs::overlayColour(int index) {
    // Dark enough to read on white, apart from each other, and none of them
    // the rain's red.
    static const QColor colours[] = {
        QColor(0, 0, 0),     QColor(0, 70, 200),  QColor(0, 140, 0),   QColor(200, 110, 0),
        QColor(150, 0, 170), QColor(0, 140, 150), QColor(120, 70, 20), QColor(100, 100, 100),
        QColor(90, 60, 200), QColor(130, 130, 0), QColor(200, 0, 110), QColor(0, 90, 90)};
    const int n = static_cast<int>(std::size(colours));
    return colours[((index % n) + n) % n];
}

QColor RunGraphs::curveColour(int colour) const {
    if (!overlay_ || colour == 4)
        return PictureBox::qbColor(colour);
    const QColor own = overlayColour(runs_ - 1);
    return colour == 9 ? own.lighter(170) : own;
}

void RunGraphs::runStarted(const rivulon::RunEvent& started) {
    ++runs_;
    yearCount_ = std::max<int>(1, started.yearCount);
    simLevel_ = started.simLevel;
    organicCarbon_ = started.organicCarbon;
    dayStep_ = 6000.0 / yearCount_ / 365.0;
    daily_ = {};
    monthly_ = {};
    labels_.clear();
    if (overlay_ && drawnOnce_) {
        // The axes, titles and legends are drawn again in the same places.
        return;
    }
    drawnOnce_ = true;
    pictures_.water->clear();
    pictures_.nutrients->clear();
    for (PictureBox* legend : pictures_.legends) {
        legend->clear();
    }
    Graphlegend(*pictures_.legends[0], 50, QStringLiteral("Flow/month"), 0);
    Graphlegend(*pictures_.legends[0], 300, QStringLiteral("Rain/day"), 4);
    if (simLevel_ >= 2) {
        Graphlegend(*pictures_.legends[1], 50, QStringLiteral("Sediment"), 0);
    }
    if (simLevel_ >= 3) {
        Graphlegend(*pictures_.legends[2], 50, QStringLiteral("Total"), 0);
        Graphlegend(*pictures_.legends[2], 300, QStringLiteral("Dissolved"), 9);
        Graphlegend(*pictures_.legends[3], 50, QStringLiteral("Total"), 0);
        Graphlegend(*pictures_.legends[3], 300, QStringLiteral("Dissolved"), 9);
    } else {
        pictures_.nutrients->text(2500, 2000, QStringLiteral("No simulation was requested!"),
                                  drawingFont(kTitleFamily, 14), PictureBox::qbColor(4));
    }
    sinceRefresh_.invalidate();
    refresh(true);
}

void RunGraphs::dayEnded(const rivulon::RunEvent& day) {
    GraphDaily(*pictures_.water, dayStep_, 2.0 * scales_[1], day.streamflow, day.dayIndex, 2, 1);
    GraphDaily(*pictures_.water, dayStep_, scales_[1], day.precipitation, day.dayIndex, 4, 2);
}

void RunGraphs::monthEnded(const rivulon::RunEvent& month) {
    GraphMonthly(*pictures_.water, dayStep_, scales_[1], month.streamflow, month.dayIndex, 0,
                 QStringLiteral("Precip. & Flow (cm/area)"), 1, 0);
}

void RunGraphs::yearEnded(const rivulon::RunEvent& r) {
    const int year = r.year;
    const QString nitrogenTitle = organicCarbon_ ? QStringLiteral("Total & Dis. Organic C (ton)")
                                                 : QStringLiteral("Total & Dis. Nitrogen (ton)");
    // The nutrient scales are the settings over 10 and 2.5, in double precision.
    const double nScale = scales_[3] / 10.0;
    const double pScale = scales_[4] / 2.5;
    for (int month = 1; month <= 12; ++month) {
        const int x = monthPosition(year, month);
        if (simLevel_ >= 2) {
            GraphMonthly(*pictures_.water, dayStep_, scales_[2], r.sediment[month] / 1000, x,
                         kLowerPanel, QStringLiteral("Sediment (1000 ton)"), 3, 0);
        }
        if (simLevel_ >= 3) {
            GraphMonthly(*pictures_.nutrients, dayStep_, nScale, r.totN[month] / 1000, x, 0,
                         nitrogenTitle, 4, 0);
            GraphMonthly(*pictures_.nutrients, dayStep_, nScale, r.disN[month] / 1000, x, 0,
                         nitrogenTitle, 5, 9);
            GraphMonthly(*pictures_.nutrients, dayStep_, pScale, r.totP[month] / 1000, x,
                         kLowerPanel, QStringLiteral("Total & Dis. Phosphorus (ton)"), 6, 0);
            GraphMonthly(*pictures_.nutrients, dayStep_, pScale, r.disP[month] / 1000, x,
                         kLowerPanel, QStringLiteral("Total & Dis. Phosphorus (ton)"), 7, 9);
        }
    }
}

void RunGraphs::finish() {
    refresh(true);
}

void RunGraphs::refresh(bool force) {
    if (!force && sinceRefresh_.isValid() && sinceRefresh_.elapsed() < kRefreshMs) {
        return;
    }
    sinceRefresh_.start();
    pictures_.water->update();
    pictures_.nutrients->update();
    for (PictureBox* legend : pictures_.legends) {
        legend->update();
    }
}

void RunGraphs::GraphDaily(PictureBox& picture, double xStep, double yScale, float value, int x,
                           int colour, int series) {
    LastPoint& last = daily_[series];
    if (x == 1) {
        picture.line(kLeft, 0, kLeft, kPanelHeight, Qt::black);
        picture.line(kLeft, kPanelHeight, kRight, kPanelHeight, Qt::black);
    } else if (last.set) {
        panelLine(picture, last.x * xStep + kLeft, kPanelHeight - last.value * yScale,
                  x * xStep + kLeft, kPanelHeight - value * yScale, 0, curveColour(colour));
    }
    last = {true, x, value};
}

void RunGraphs::GraphMonthly(PictureBox& picture, double xStep, double yScale, float value, int x,
                             double y0, const QString& title, int series, int colour) {
    LastPoint& last = monthly_[series];
    const int middle = x - 15;
    const QFont labelFont = drawingFont(kLabelFamily, 8);
    if (x == 30 || !last.set) {
        picture.line(kLeft, y0, kLeft, y0 + kPanelHeight, Qt::black);
        picture.line(kLeft, y0 + kPanelHeight, kRight, y0 + kPanelHeight, Qt::black);
        picture.text(7100, y0 + kPanelHeight,
                     yearCount_ >= 7 ? QStringLiteral("Year") : QStringLiteral("Month"), labelFont);
        picture.text(3000, y0 + 150, title, drawingFont(kTitleFamily, 12));
        const double labelHeight = picture.textHeight(labelFont);
        for (int i = 1; i <= 10; ++i) {
            const double y = y0 + 200 * i;
            picture.line(900, y, kLeft, y, Qt::black);
            // A scale of 0 puts every value on the axis; its ticks get no numbers.
            if (yScale != 0) {
                const QString label =
                    QString::number(static_cast<long long>(std::floor(200.0 * (10 - i) / yScale)));
                picture.text(880 - picture.textWidth(label, labelFont), y - labelHeight / 2, label,
                             labelFont);
            }
        }
    } else {
        panelLine(picture, last.x * xStep + kLeft, y0 + kPanelHeight - last.value * yScale,
                  middle * xStep + kLeft, y0 + kPanelHeight - value * yScale, y0,
                  curveColour(colour));
    }
    last = {true, middle, value};

    // The month's tick below the axis, longer where a year begins.
    const int monthNumber = static_cast<int>(std::lround(x / kDaysPerMonth));
    const bool yearStart = monthNumber % 12 == 1;
    const double tickX = x * xStep + kLeft;
    picture.line(tickX, y0 + kPanelHeight, tickX, y0 + kPanelHeight * (yearStart ? 1.1 : 1.05),
                 PictureBox::qbColor(3));
    int number = 0;
    if (yearCount_ < 7 && monthNumber % 3 == 0) {
        number = monthNumber;
    } else if (yearCount_ >= 7 && monthNumber % 9 == 0) {
        number = (monthNumber - 1) / 12 + 1;
    }
    if (number == 0) {
        return;
    }
    auto panel = std::find_if(labels_.begin(), labels_.end(), [&](const PanelLabels& p) {
        return p.picture == &picture && p.y0 == y0;
    });
    if (panel == labels_.end()) {
        labels_.push_back({&picture, y0, -1e9, 0});
        panel = labels_.end() - 1;
    }
    // Every 9 months a year can come round twice; and long runs would print
    // labels over each other.
    const QString label = QString::number(number);
    const double width = picture.textWidth(label, labelFont);
    const double left = tickX - width / 2;
    if (number == panel->lastNumber || left < panel->right + 60) {
        return;
    }
    picture.text(left, y0 + kPanelHeight * 1.1, label, labelFont);
    panel->right = left + width;
    panel->lastNumber = number;
}

void RunGraphs::Graphlegend(PictureBox& legend, double y, const QString& text, int colour) {
    // The sample beside its text, thick enough to show its colour.
    const QFont font = drawingFont(kLabelFamily, 8);
    legend.line(50, y, 350, y, PictureBox::qbColor(colour), 2);
    legend.text(420, std::max(0.0, y - legend.textHeight(font) / 2), text, font);
}
