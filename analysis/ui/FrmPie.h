#pragma once

#include <QStringList>
#include <QWidget>
#include <array>
#include <functional>

#include "analysis/regroup.h"
#include "analysis/ui/pie_chart_view.h"
#include "analysis/ui/pie_text_page.h"
#include "shell/window_host.h"
#include "shell/window_registration.h"

class QHBoxLayout;
class QLabel;
class QPainter;
class QPushButton;

// A pie per column of a regrouped table, or (for the septic window) a page of
// text with a "Save Data" button.
class FrmPie : public QWidget, public rivulon::ui::PieChartView, public rivulon::ui::PieTextPage {
    Q_OBJECT
  public:
    static constexpr rivulon::ui::WindowKind kKind{"FrmPie"};
    static const rivulon::ui::WindowRegistration registration;

    static constexpr int kSlices = 12;  // the eight groups and the four other sources

    explicit FrmPie(rivulon::ui::WindowHost& host);

    // PieChartView: draws the pie of `column` and keeps the table's source
    // for "Next Graph".
    void showPies(std::function<rivulon::TextGrid()> table, int column) override;
    // PieTextPage: the caption, the lines, and what "Save Data" does. The
    // line after the first empty line is the heading (bold); the lines after
    // it are the entries (blue). In a line the first tab moves to column 40,
    // each later one to the next print zone of 14 characters.
    void showTextPage(const QString& caption, const QStringList& lines,
                      std::function<void()> saveData) override;

    // Draws the pie of the chart's slices (or the message when there is none).
    void DrawPie(const rivulon::PieChart& chart);
    void CmdNextPie_Click();
    void cmdSaveData_Click();

    // The column shown (2..6) and what is drawn now.
    int pieColumn() const { return counter_; }
    const rivulon::PieChart& chart() const { return chart_; }
    // The message drawn instead of a pie, empty when a pie is drawn.
    QString message() const;
    // Where the pie stands (its bounding square), in window pixels.
    QRectF pieRect() const;
    // The colour of slice i (1..12), and the text colour that reads on it.
    static QColor sliceColor(int item);
    static QColor inkOn(const QColor& fill);
    // The legend's entries (the sources with a slice) and where it stands.
    QStringList legendEntries() const;
    QRect legendRect() const;
    // The pie's numbers: source, value and share of the total.
    rivulon::TextGrid pieData() const;

    QSize sizeHint() const override;

    QLabel* lblTitle;
    std::array<QLabel*, kSlices + 1> Text1{};  // [1..12]
    QPushButton* cmdClose;
    QPushButton* cmdSaveData;
    QPushButton* CmdNextPie;
    QWidget* pieTools;  // copy and save the pie's numbers and picture

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    void placeButtons();
    void placeLabels();
    void hideLabels();
    int legendRows() const;
    void drawLegend(QPainter& p) const;
    int topOfPage() const;

    rivulon::ui::WindowHost& host_;
    std::function<rivulon::TextGrid()> table_;
    rivulon::PieChart chart_;
    int counter_ = 2;
    bool textPage_ = false;
    QStringList lines_;
    std::function<void()> saveData_;
};
