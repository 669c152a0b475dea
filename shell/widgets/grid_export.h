#pragma once

// Saving and printing a table grid: the table text file ("Tab*.csv",
// "Rg*.txt"), the plain CSV for spreadsheets and the printed table. Used by
// the results and the regrouping windows.

#include <QString>
#include <string>

#include "common/text_grid.h"

class QPainter;
class QPrinter;
class QWidget;

namespace rivulon::ui {

class FlexGrid;

// Asks for a file in the application's output folder, proposing the first
// free name of a pattern such as "Tab*.csv" or "Rg*.txt" (Tab1.csv, Tab2.csv,
// ...), and writes the grid as a table text file; the file
// is replaced whole or not at all. Cancel or a failed write says "Save was
// cancelled or an error occurred while saving the table.". True when saved.
bool SaveGrid(FlexGrid& grid, const QString& initialName);
// The same without asking: writes `path` (message on failure).
bool saveGridTo(QWidget* parent, const rivulon::TextGrid& cells, const QString& path);

// Prints the grid as the table's pages (lines per page from cell (0, 7), else
// 60; cells at fixed character columns) on a printer the user chooses. A
// cancelled printer dialog prints nothing and says nothing; a printer that
// cannot be started says "There was a problem printing to your printer.".
bool CmdPrintGrid(QWidget* parent, const rivulon::TextGrid& cells, const QString& documentName);
// A window caption turned into a name for the print job and the PDF file the
// print dialog proposes: the words before any path, without characters a file
// name cannot hold ("Summary Data and Graph: /data/Summary.dat" gives
// "Summary Data and Graph"); `fallback` when nothing is left.
QString printDocumentName(const QString& caption, const QString& fallback);
// Draws the print pages on a printer already set up (false when it cannot be
// started).
bool printGridTo(QPrinter& printer, const rivulon::TextGrid& cells);

// The grid as comma-separated values for spreadsheets: one line per grid row,
// a cell quoted only when it holds a comma, a double quote, a line break or
// blanks at either end, quotes doubled inside; CR LF line ends, UTF-8.
std::string plainCsvText(const rivulon::TextGrid& cells);
// Asks for a ".csv" file (initial name `initialName`) and writes the plain CSV
// whole or not at all; a failed write is said, a cancel is silent.
bool saveGridCsv(QWidget* parent, const rivulon::TextGrid& cells, const QString& initialName);

}  // namespace rivulon::ui
