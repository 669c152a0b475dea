#pragma once

// Saving what a chart shows, shared by every chart and pie of the program:
// the picture as PNG or PDF, and a row of buttons that copy or save its
// numbers and save its picture.

#include <QRect>
#include <QString>
#include <functional>

#include "common/text_grid.h"

class QHBoxLayout;
class QWidget;

namespace rivulon::ui {

// The widget drawn into a PNG at twice its size (at least 480 x 320), or into
// a one-page landscape PDF; the file is replaced whole or not at all. False
// when it cannot be written.
// With an `area`, only that part of the widget.
bool writeWidgetPng(QWidget* picture, const QString& path, const QRect& area = {});
bool writeWidgetPdf(QWidget* picture, const QString& title, const QString& path,
                    const QRect& area = {});

// A chart title turned into a file name without its suffix
// ("Mean Monthly Runoff (cm)" gives "Mean_Monthly_Runoff_cm"); "Chart" when
// nothing is left.
QString chartFileBaseName(const QString& title);

// Asks for a ".png" or ".pdf" file, starting in `folder` (the program's
// Output folder when empty), and writes the picture; a failed write is said,
// a cancel is silent. True when written.
bool saveWidgetPicture(QWidget* parent, QWidget* picture, const QString& title,
                       const QString& suffix, const QString& folder, const QRect& area = {});

// What the export buttons of one chart work on.
struct ChartExport {
    QWidget* picture = nullptr;
    std::function<QString()> title;
    std::function<rivulon::TextGrid()> data;  // none: no Copy Data and CSV buttons
    std::function<QRect()> area;              // none: the whole widget
    std::function<QString()> folder;          // none: the program's Output folder
};

// "Copy Data", "CSV...", "PNG..." and "PDF..." as flat tool buttons named
// prefix + "CopyData", "SaveCsv", "SavePng", "SavePdf".
void addExportButtons(QHBoxLayout* row, QWidget* parent, const QString& prefix,
                      const ChartExport& source);

}  // namespace rivulon::ui
