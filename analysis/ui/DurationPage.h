#pragma once

#include <QString>
#include <QWidget>
#include <functional>
#include <vector>

#include "analysis/duration_curve.h"

class QChart;
class QChartView;
class QComboBox;
class QGraphicsSimpleTextItem;
class QLabel;
class QLineEdit;
class QPushButton;
class QToolButton;

namespace rivulon::ui {
class FlexGrid;
}

// The results window's page "Duration curves": the flow-duration curve of a
// daily file on a log scale, or the load-duration curve of its total N or P
// with the allowable load of a target concentration, the five flow zones
// shaded and named, and the table of percents and zones that `hydload
// duration` writes. The chart is exported as the other charts are.
class DurationPage : public QWidget {
    Q_OBJECT
  public:
    // The folder the save and open dialogs start in, asked each time (the
    // window's output folder).
    void setOutputFolder(std::function<QString()> folder) { outputFolder_ = std::move(folder); }
    explicit DurationPage(QWidget* parent = nullptr);

    // Reads a daily file and draws its curve; false (after saying why) when
    // it cannot be read, the page keeping what it showed.
    bool openDailyFile(const QString& path);
    // The watershed area the allowable load is taken over, from the project;
    // the user may type another.
    void setProjectArea(double areaHa);

    void cmdOpenDaily_Click();
    // Draws the chosen series with the typed target and area; false (after
    // saying why) when they cannot be used.
    bool cmdDrawDuration_Click();

    bool hasFile() const { return !file_.isEmpty(); }
    QString file() const { return file_; }
    const rivulon::DurationResult& result() const { return result_; }
    QChart* chart() const;
    // The plotted numbers: one row per day from the highest flow down.
    rivulon::TextGrid chartData() const;

    QLabel* lblDailyFile;
    QPushButton* cmdOpenDaily;
    QComboBox* CboSeries;
    QLineEdit* TxtTargetConc;
    QLineEdit* TxtArea;
    QPushButton* cmdDrawDuration;
    QChartView* chartDuration;
    rivulon::ui::FlexGrid* GridDuration;

  private:
    QString startFolder() const { return outputFolder_ ? outputFolder_() : QString(); }
    std::function<QString()> outputFolder_;
    void plot();
    void shadeZones(QChart* chart, double low, double high);
    void placeZoneLabels();
    QString baseName() const;

    QString file_;
    rivulon::DailyTable table_;
    rivulon::DurationResult result_;
    std::vector<QGraphicsSimpleTextItem*> zoneLabels_;
    double zoneLabelHigh_ = 1;
};
