#pragma once

#include <QString>
#include <QWidget>
#include <functional>
#include <optional>
#include <vector>

#include "analysis/chart_data.h"
#include "analysis/ensemble_bands.h"
#include "common/text_grid.h"

class QCategoryAxis;
class QChart;
class QChartView;
class QFontMetrics;
class QLabel;
class QToolButton;

// The chart of the results window (`MSChart1`): a bar chart or line charts of
// one or more series over the same points, with axis titles, a hover that
// names a point and its value, and a row of buttons (also a context menu) to
// copy or save the plotted numbers as CSV and the chart as PNG or PDF.
class ResultChart : public QWidget {
    Q_OBJECT
  public:
    // The folder the save and open dialogs start in, asked each time (the
    // window's output folder).
    void setOutputFolder(std::function<QString()> folder) { outputFolder_ = std::move(folder); }
    explicit ResultChart(QWidget* parent = nullptr);

    // One series drawn as its kind says. `xTitle` names the points; the value
    // axis is titled `yTitle`, or the series label with the title's unit.
    void plot(const rivulon::ChartData& chart, const QString& xTitle, const QString& yTitle = {});
    // A line chart with the spread of an ensemble behind it: the 5-95 % band
    // and, darker, the 25-75 % band, over the first points of the line.
    void plotWithBands(const rivulon::ChartData& chart, const std::vector<rivulon::Band>& bands,
                       const QString& xTitle, const QString& yTitle = {});
    const std::vector<rivulon::Band>& bands() const { return bands_; }
    // Line series over the same points; the chart takes the first one's title.
    void plotLines(const std::vector<rivulon::ChartData>& series, const QString& xTitle,
                   const QString& yTitle);
    // Points (x, y) of two series of equal length with the 1:1 line; points
    // where either value is negative (no data) are left out.
    void plotScatter(const rivulon::ChartData& x, const rivulon::ChartData& y, const QString& title,
                     const QString& xTitle, const QString& yTitle);
    void setFootnote(const QString& text);
    // Line charts plotted from now on name their points by the months of a
    // run ("Apr 1990") instead of numbering them; the labels follow zooming.
    void setRunMonths(std::optional<rivulon::RunMonths> start);

    QString title() const;
    QString footnote() const;
    QChart* chart() const { return chart_; }
    QChartView* view() const { return view_; }
    // Back to the whole chart after zooming or panning.
    void resetZoom();
    // The value under the pointer, as the label beside the buttons shows it.
    QString cursorText() const;
    const std::vector<rivulon::ChartData>& series() const { return series_; }

    // The plotted numbers: row 0 the point heading and the series labels,
    // then one row per point with its label and full-precision values.
    rivulon::TextGrid dataGrid() const;
    QString dataCsv() const;

    void copyData();
    bool saveDataCsv();
    bool saveChartPng();
    bool saveChartPdf();
    // Without asking: false when the file cannot be written.
    bool writePng(const QString& path) const;
    bool writePdf(const QString& path) const;
    // The same for any chart view (the duration curves).
    static bool writeViewPng(QChartView* view, const QString& path);
    static bool writeViewPdf(QChartView* view, const QString& title, const QString& path);

  private:
    QString startFolder() const { return outputFolder_ ? outputFolder_() : QString(); }
    std::function<QString()> outputFolder_;
    void rebuild(const QString& xTitle, const QString& yTitle);
    void rebuildScatter();
    void showHover(int series, int index, bool on);
    // A point's name broken at its blanks into lines of at most `width`
    // pixels (a single longer word keeps its line), as the axis shows it.
    static QString wrappedLabel(const QString& label, const QFontMetrics& metrics, int width);
    void showCursor(const QPointF& value);
    void labelMonths(QCategoryAxis* axis, double low, double high);
    QString pointName(const rivulon::ChartData& s, std::size_t j) const;
    QString baseName() const;

    QChart* chart_;
    QChartView* view_;
    QLabel* footnote_;
    QLabel* cursor_;
    std::vector<rivulon::ChartData> series_;
    std::vector<rivulon::Band> bands_;
    QString xTitle_;
    bool scatter_ = false;
    std::optional<rivulon::RunMonths> months_;
    QString scatterTitle_, scatterYTitle_;
};
