#pragma once

#include <QAbstractScrollArea>
#include <QString>
#include <stdexcept>
#include <vector>

#include "gridcontrol/ole_color.h"

namespace tabulex {

// An index or value the grid cannot take. The message names the property and
// the value so that a host can show it as it stands.
class GridError : public std::out_of_range {
  public:
    using std::out_of_range::out_of_range;
};

// Read-only table grid: fixed header rows and columns that do not scroll, cell
// text, per-cell text colour, sizes in twips and geometry queries for the
// current cell. Editing is left to the control that holds it. Every setter
// that can refuse a value throws GridError and leaves the grid unchanged.
class TableGrid : public QAbstractScrollArea {
    Q_OBJECT
    // Read-only views for inspection through the meta-object; writes go
    // through the holding control.
    Q_PROPERTY(int Rows READ rows)
    Q_PROPERTY(int Cols READ cols)
    Q_PROPERTY(int FixedRows READ fixedRows)
    Q_PROPERTY(int FixedCols READ fixedCols)
    Q_PROPERTY(int Row READ row)
    Q_PROPERTY(int Col READ col)
    Q_PROPERTY(int RowSel READ rowSel)
    Q_PROPERTY(int ColSel READ colSel)
    Q_PROPERTY(int TopRow READ topRow)
    Q_PROPERTY(int LeftCol READ leftCol)
    // These read the current cell, which an empty grid lacks: they answer
    // empty or 0 then rather than throw through the meta-object.
    Q_PROPERTY(QString Text READ metaText)
    Q_PROPERTY(uint CellForeColor READ metaCellForeColor)
    Q_PROPERTY(int CellLeft READ metaCellLeft)
    Q_PROPERTY(int CellTop READ metaCellTop)
    Q_PROPERTY(int CellWidth READ metaCellWidth)
    Q_PROPERTY(int CellHeight READ metaCellHeight)

  public:
    static constexpr int kDefaultColWidth = 960;  // twips
    static constexpr int kAlignLeftCenter = 1;
    static constexpr int kAlignGeneral = 9;

    explicit TableGrid(QWidget* parent = nullptr);

    int rows() const { return rows_; }
    void setRows(int rows);
    int cols() const { return cols_; }
    void setCols(int cols);
    int fixedRows() const { return fixedRows_; }
    void setFixedRows(int fixedRows);
    int fixedCols() const { return fixedCols_; }
    void setFixedCols(int fixedCols);

    // The current cell; setting it fires leaveCell before and RowColChange
    // after the change, and collapses the selection onto it.
    int row() const { return row_; }
    void setRow(int row);
    int col() const { return col_; }
    void setCol(int col);
    int rowSel() const { return rowSel_; }
    int colSel() const { return colSel_; }
    int topRow() const { return topRow_; }
    int leftCol() const { return leftCol_; }
    void ensureCurrentVisible();

    QString text() const;
    void setText(const QString& text);
    ColorValue cellForeColor() const;  // 0: the grid's ForeColor
    void setCellForeColor(ColorValue color);
    Q_INVOKABLE uint cellForeColorAt(int row, int col) const noexcept;

    QString textMatrix(int row, int col) const;
    void setTextMatrix(int row, int col, const QString& text);
    // Cells counted row by row: index = row * Cols + col.
    QString textArray(int index) const;
    void setTextArray(int index, const QString& text);

    int colWidth(int col) const;           // twips
    void setColWidth(int col, int twips);  // -1 restores the default
    int rowHeight(int row) const;
    void setRowHeight(int row, int twips);
    int colAlignment(int col) const;
    void setColAlignment(int col, int alignment);

    // Pixels a text takes in this grid's font, and the room a column leaves
    // for it inside the cell's margins. A text wider than its room is drawn
    // cut short with an ellipsis and shown whole in the cell's tool tip.
    int textWidthPx(const QString& text) const;
    int textRoomPx(int col) const;
    bool cellTextFits(int row, int col) const;
    // Makes a column as wide as its widest text (row 0 to the last), but not
    // narrower than minTwips (an empty column gets minTwips, or keeps its
    // width when that is 0); a hidden column (width 0) stays hidden.
    void fitColumnToText(int col, int minTwips = 0);
    void fitColumnsToText(int minTwips = 0);

    // Twips from the grid's outer top-left corner, as shown now (scrolled
    // rows and columns count from the first one on screen).
    int rowPos(int row) const;
    int colPos(int col) const;
    int cellLeft() const { return colPos(col_); }
    int cellTop() const { return rowPos(row_); }
    int cellWidth() const { return colWidth(col_); }
    int cellHeight() const { return rowHeight(row_); }

    bool allowBigSelection() const { return allowBigSelection_; }
    void setAllowBigSelection(bool on) { allowBigSelection_ = on; }
    int allowUserResizing() const { return allowUserResizing_; }
    void setAllowUserResizing(int mode);
    int appearance() const { return appearance_; }
    void setAppearance(int appearance);
    int borderStyle() const { return borderStyle_; }
    void setBorderStyle(int style);
    bool causesValidation() const { return causesValidation_; }
    void setCausesValidation(bool on) { causesValidation_ = on; }
    int focusRect() const { return focusRect_; }
    void setFocusRect(int style);
    int gridLines() const { return gridLines_; }
    void setGridLines(int style);
    int gridLinesFixed() const { return gridLinesFixed_; }
    void setGridLinesFixed(int style);
    int gridLineWidth() const { return gridLineWidth_; }
    void setGridLineWidth(int pixels);
    int whatsThisHelpId() const { return whatsThisHelpId_; }
    void setWhatsThisHelpId(int id) { whatsThisHelpId_ = id; }
    QString formatString() const { return formatString_; }
    void setFormatString(const QString& format);
    bool redraw() const { return redraw_; }
    void setRedraw(bool on);
    int scrollBars() const { return scrollBars_; }
    void setScrollBars(int mode);
    bool scrollTrack() const { return scrollTrack_; }
    void setScrollTrack(bool on);
    bool wordWrap() const { return wordWrap_; }
    void setWordWrap(bool on);

    ColorValue backColor() const { return backColor_; }
    void setBackColor(ColorValue c);
    ColorValue backColorBkg() const { return backColorBkg_; }
    void setBackColorBkg(ColorValue c);
    ColorValue backColorFixed() const { return backColorFixed_; }
    void setBackColorFixed(ColorValue c);
    ColorValue backColorSel() const { return backColorSel_; }
    void setBackColorSel(ColorValue c);
    ColorValue foreColor() const { return foreColor_; }
    void setForeColor(ColorValue c);
    ColorValue foreColorSel() const { return foreColorSel_; }
    void setForeColorSel(ColorValue c);

    // The grid is not bound to a data source.
    QObject* dataSource() const { return nullptr; }

  signals:
    void Click();
    void RowColChange();
    void leaveCell();  // the current cell is about to change
    void gotFocus();
    // A key that produced a character; code is that character's value.
    void charTyped(int code, const QString& text);
    void doubleClicked();

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void changeEvent(QEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    bool viewportEvent(QEvent* event) override;

  private:
    template <typename T, typename F>
    T orDefault(F&& get) const noexcept {
        try {
            return get();
        } catch (const GridError&) {
            return T{};
        }
    }
    QString metaText() const {
        return orDefault<QString>([this] { return text(); });
    }
    uint metaCellForeColor() const {
        return orDefault<uint>([this] { return cellForeColor(); });
    }
    int metaCellLeft() const {
        return orDefault<int>([this] { return cellLeft(); });
    }
    int metaCellTop() const {
        return orDefault<int>([this] { return cellTop(); });
    }
    int metaCellWidth() const {
        return orDefault<int>([this] { return cellWidth(); });
    }
    int metaCellHeight() const {
        return orDefault<int>([this] { return cellHeight(); });
    }

    struct Cell {
        QString text;
        ColorValue foreColor = 0;
    };
    struct Hit {
        int row = -1;
        int col = -1;
    };

    Cell& cellAt(int row, int col) { return cells_[size_t(row) * size_t(cols_) + size_t(col)]; }
    const Cell& cellAt(int row, int col) const {
        return cells_[size_t(row) * size_t(cols_) + size_t(col)];
    }
    void checkCell(const char* what, int row, int col) const;
    void moveCurrent(int row, int col);
    void setSelectionEnd(int row, int col);
    void clampCurrent();
    void navigate(int key, Qt::KeyboardModifiers modifiers);
    int rowHeightPx(int row) const;
    int colWidthPx(int col) const;
    int fixedHeightPx() const;
    int fixedWidthPx() const;
    int rowY(int row) const;  // viewport pixels
    int colX(int col) const;
    Hit hitTest(const QPoint& pos) const;
    int resizeEdgeCol(const QPoint& pos) const;
    int resizeEdgeRow(const QPoint& pos) const;
    int defaultRowHeight() const;
    int pageRows() const;
    void updateFrame();
    void updateScrollBars();
    bool isSelected(int row, int col) const;
    QColor color(ColorValue value) const { return toQColor(value, palette()); }
    void drawCell(QPainter& p, int row, int col, const QRect& rect) const;
    QRect textRect(const QRect& cell) const;
    int quickTextWidthPx(const QString& text) const;

    int rows_ = 20;
    int cols_ = 6;
    int fixedRows_ = 1;
    int fixedCols_ = 1;
    std::vector<Cell> cells_;
    std::vector<int> colWidths_;  // twips, -1 for the default
    std::vector<int> colAlign_;
    std::vector<int> rowHeights_;  // twips, -1 for the default
    int row_ = 1;
    int col_ = 1;
    int rowSel_ = 1;
    int colSel_ = 1;
    int topRow_ = 1;
    int leftCol_ = 1;

    bool allowBigSelection_ = true;
    int allowUserResizing_ = 0;
    int appearance_ = 1;
    int borderStyle_ = 1;
    bool causesValidation_ = true;
    int focusRect_ = 2;
    int gridLines_ = 1;
    int gridLinesFixed_ = 2;
    int gridLineWidth_ = 1;
    int whatsThisHelpId_ = 0;
    QString formatString_;
    bool redraw_ = true;
    int scrollBars_ = 3;
    bool scrollTrack_ = false;
    bool wordWrap_ = false;
    ColorValue backColor_ = kSystemWindow;
    ColorValue backColorBkg_ = kGrey;
    ColorValue backColorFixed_ = kSystemButtonFace;
    ColorValue backColorSel_ = kSystemHighlight;
    ColorValue foreColor_ = kSystemWindowText;
    ColorValue foreColorFixed_ = kSystemButtonText;
    ColorValue foreColorSel_ = kSystemHighlightText;

    bool selecting_ = false;
    bool pressed_ = false;
    int resizingCol_ = -1;
    int resizingRow_ = -1;
    int resizeOrigin_ = 0;  // pixel edge where the drag started
    int resizeStartSize_ = 0;
    bool syncingScroll_ = false;
    // Advances of the printable ASCII characters in the current font, for
    // sizing columns of many thousand cells quickly; empty until needed.
    mutable std::vector<qreal> asciiAdvance_;
};

}  // namespace tabulex
