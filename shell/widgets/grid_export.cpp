#include "shell/widgets/grid_export.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QFont>
#include <QFontMetricsF>
#include <QPainter>
#include <QPrinter>
#include <algorithm>
#include <exception>

#include "analysis/grid_copy.h"
#include "analysis/table_text.h"
#include "common/atomic_file.h"
#include "common/paths.h"
#include "shell/app_folder.h"
#include "shell/dialogs.h"
#include "shell/qt_text.h"
#include "shell/widgets/FlexGrid.h"

namespace rivulon::ui {

namespace {

const QString kSaveFailed =
    QStringLiteral("Save was cancelled or an error occurred while saving the table.");
const QString kSaveTitle = QStringLiteral("Message from saving:");

QString outputFolder() {
    return applicationFolder() + QStringLiteral("/Output");
}

QString suffixOf(const QString& name) {
    const QString suffix = QFileInfo(name).suffix();
    return suffix.isEmpty() ? QStringLiteral("txt") : suffix;
}

// Restores the cursor however the write ends.
struct WaitCursor {
    QWidget* widget;
    explicit WaitCursor(QWidget* w) : widget(w) {
        if (widget)
            widget->setCursor(Qt::WaitCursor);
    }
    ~WaitCursor() {
        if (widget)
            widget->unsetCursor();
    }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

bool needsQuotes(const std::string& cell) {
    if (cell.empty())
        return false;
    if (cell.front() == ' ' || cell.back() == ' ')
        return true;
    return cell.find_first_of(",\"\r\n") != std::string::npos;
}

}  // namespace

bool saveGridTo(QWidget* parent, const rivulon::TextGrid& cells, const QString& path) {
    try {
        saveTableText(ss(path), cells);
        showSaved(parent, path);
        return true;
    } catch (const std::exception&) {
        errorBox(parent, kSaveFailed, kSaveTitle);
        return false;
    }
}

bool SaveGrid(FlexGrid& grid, const QString& initialName) {
    QWidget* parent = grid.window();
    const QString folder = outputFolder();
    const QString proposed = qs(nextFreeName(ss(folder), ss(initialName)));
    const QString path = dialogs().saveFile(parent, QStringLiteral("Save the data table"), folder,
                                            proposed, suffixOf(initialName));
    if (path.isEmpty()) {
        warnBox(parent, kSaveFailed, kSaveTitle);
        return false;
    }
    WaitCursor wait(&grid);
    return saveGridTo(parent, grid.cells(), path);
}

bool printGridTo(QPrinter& printer, const rivulon::TextGrid& cells) {
    const auto pages = printPages(cells);
    const int lines = linesPerPage(cells);
    std::size_t widest = 1;
    for (const auto& page : pages) {
        for (const auto& line : page)
            widest = std::max(widest, line.size());
    }
    QPainter painter;
    if (!painter.begin(&printer))
        return false;
    // Ten-point characters as the table was laid out for; a page that cannot
    // hold a whole block (or the widest line) gets a smaller font rather than
    // losing rows or columns at its edges.
    QFont font(QStringLiteral("Courier New"));
    font.setStyleHint(QFont::Monospace);
    font.setFixedPitch(true);
    font.setPointSizeF(10);
    painter.setFont(font);
    const QRectF page = painter.viewport();
    {
        const QFontMetricsF m(painter.font());
        const double scale = std::min({1.0, page.height() / (m.lineSpacing() * std::max(lines, 1)),
                                       page.width() / (m.horizontalAdvance(QLatin1Char('0')) *
                                                       static_cast<double>(widest + 1))});
        if (scale < 1.0) {
            font.setPointSizeF(std::max(4.0, 10 * scale * 0.98));
            painter.setFont(font);
        }
    }
    const QFontMetricsF metrics(painter.font());
    const double lineHeight = metrics.lineSpacing();
    bool first = true;
    for (const auto& pageLines : pages) {
        if (!first && !printer.newPage()) {
            painter.end();
            return false;
        }
        first = false;
        double y = metrics.ascent();
        for (const auto& line : pageLines) {
            painter.drawText(QPointF(0, y), qs(line));
            y += lineHeight;
        }
    }
    return painter.end();
}

QString printDocumentName(const QString& caption, const QString& fallback) {
    static const QString kNotInNames = QStringLiteral("<>:\"|?*");
    QString name;
    for (const QChar ch : caption) {
        if (ch == QLatin1Char('/') || ch == QLatin1Char('\\'))
            break;  // a path starts here
        if (ch.unicode() >= 32 && !kNotInNames.contains(ch))
            name += ch;
    }
    name = name.simplified();
    return name.isEmpty() ? fallback : name;
}

bool CmdPrintGrid(QWidget* parent, const rivulon::TextGrid& cells, const QString& documentName) {
    QPrinter printer(QPrinter::HighResolution);
    // The print dialog makes its proposed PDF file from this name.
    printer.setDocName(printDocumentName(documentName, QStringLiteral("Table")));
    if (!dialogs().choosePrinter(parent, printer))
        return false;
    bool printed = false;
    {
        WaitCursor wait(parent);
        printed = printGridTo(printer, cells);
    }
    if (!printed)
        errorBox(parent, QStringLiteral("There was a problem printing to your printer."));
    return printed;
}

std::string plainCsvText(const rivulon::TextGrid& cells) {
    std::string out;
    for (int r = 0; r < cells.rows(); ++r) {
        for (int c = 0; c < cells.cols(); ++c) {
            if (c > 0)
                out += ',';
            const std::string& cell = cells.at(r, c);
            if (!needsQuotes(cell)) {
                out += cell;
                continue;
            }
            out += '"';
            for (char ch : cell) {
                if (ch == '"')
                    out += '"';
                out += ch;
            }
            out += '"';
        }
        out += "\r\n";
    }
    return out;
}

bool saveGridCsv(QWidget* parent, const rivulon::TextGrid& cells, const QString& initialName) {
    const QString path = dialogs().saveFile(parent, QStringLiteral("Save the table as CSV"),
                                            outputFolder(), initialName, QStringLiteral("csv"));
    if (path.isEmpty())
        return false;
    try {
        WaitCursor wait(parent);
        writeFileAtomically(ss(path), plainCsvText(cells));
        showSaved(parent, path);
        return true;
    } catch (const std::exception& e) {
        errorBox(parent,
                 QStringLiteral("The table could not be saved as %1:\n%2")
                     .arg(QDir::toNativeSeparators(path), qs(e.what())),
                 kSaveTitle);
        return false;
    }
}

}  // namespace rivulon::ui
