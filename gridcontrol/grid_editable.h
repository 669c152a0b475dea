#pragma once

#include <QFont>
#include <QPointer>
#include <QVariantMap>
#include <QWidget>

#include "gridcontrol/ole_color.h"

class QLineEdit;

namespace tabulex {

class TableGrid;

// A table grid whose cells the user edits in place: a read-only grid `Fg2`
// and an edit box `TxtEdit` that is moved over the current cell while the
// user types. Hosts reach it through the meta-object: the properties and
// methods below keep the names hosts know, and a call that the grid refuses
// (an index out of range, a value it cannot take) changes nothing and leaves
// its message in LastError, which every call clears first.
class GridEditable : public QWidget {
    Q_OBJECT
    Q_PROPERTY(bool AllowBigSelection READ allowBigSelection WRITE setAllowBigSelection)
    Q_PROPERTY(int AllowUserResizing READ allowUserResizing WRITE setAllowUserResizing)
    Q_PROPERTY(int Appearance READ appearance WRITE setAppearance)
    Q_PROPERTY(uint BackColor READ backColor WRITE setBackColor)
    Q_PROPERTY(uint BackColorBkg READ backColorBkg WRITE setBackColorBkg)
    Q_PROPERTY(uint BackColorFixed READ backColorFixed WRITE setBackColorFixed)
    Q_PROPERTY(uint BackColorSel READ backColorSel WRITE setBackColorSel)
    Q_PROPERTY(int BorderStyle READ borderStyle WRITE setBorderStyle)
    Q_PROPERTY(bool CausesValidation READ causesValidation WRITE setCausesValidation)
    Q_PROPERTY(int Cols READ cols WRITE setCols)
    Q_PROPERTY(QObject* DataSource READ dataSource)
    Q_PROPERTY(bool Enabled READ gridEnabled WRITE setGridEnabled)
    Q_PROPERTY(int FixedCols READ fixedCols WRITE setFixedCols)
    Q_PROPERTY(int FixedRows READ fixedRows WRITE setFixedRows)
    Q_PROPERTY(int FocusRect READ focusRect WRITE setFocusRect)
    Q_PROPERTY(QFont Font READ gridFont WRITE setGridFont)
    Q_PROPERTY(int GridLines READ gridLines WRITE setGridLines)
    Q_PROPERTY(int GridLinesFixed READ gridLinesFixed WRITE setGridLinesFixed)
    Q_PROPERTY(int GridLineWidth READ gridLineWidth WRITE setGridLineWidth)
    Q_PROPERTY(int Rows READ rows WRITE setRows)
    Q_PROPERTY(int WhatsThisHelpID READ whatsThisHelpId WRITE setWhatsThisHelpId)
    Q_PROPERTY(QString FormatString READ formatString WRITE setFormatString)
    Q_PROPERTY(uint ForeColorSel READ foreColorSel WRITE setForeColorSel)
    Q_PROPERTY(bool Redraw READ redraw WRITE setRedraw)
    Q_PROPERTY(int ScrollBars READ scrollBars WRITE setScrollBars)
    Q_PROPERTY(bool ScrollTrack READ scrollTrack WRITE setScrollTrack)
    Q_PROPERTY(bool WordWrap READ wordWrap WRITE setWordWrap)
    Q_PROPERTY(uint ForeColor READ foreColor WRITE setForeColor)
    Q_PROPERTY(QObject* DataBindings READ dataBindings WRITE setDataBindings)
    // Not stored: the current cell, for hosts that walk the grid.
    Q_PROPERTY(int Row READ row WRITE setRow)
    Q_PROPERTY(int Col READ col WRITE setCol)
    // The other corner of the selection that starts at Row, Col.
    Q_PROPERTY(int RowSel READ rowSel)
    Q_PROPERTY(int ColSel READ colSel)
    Q_PROPERTY(QString LastError READ lastError)

  public:
    explicit GridEditable(QWidget* parent = nullptr);

    // Indexed properties; cells are counted row by row for TextArray.
    Q_INVOKABLE QString TextArray(int index);
    Q_INVOKABLE void setTextArray(int index, const QString& text);
    Q_INVOKABLE QString TextMatrix(int row, int col);
    Q_INVOKABLE void setTextMatrix(int row, int col, const QString& text);
    Q_INVOKABLE int ColWidth(int index);  // twips
    Q_INVOKABLE void setColWidth(int index, int twips);
    // Widens a column to its widest cell text (not below minTwips); a text
    // that still does not fit is cut with an ellipsis and shown in a tool tip.
    Q_INVOKABLE void FitColWidth(int index, int minTwips);
    Q_INVOKABLE int RowHeight(int index);
    Q_INVOKABLE void setRowHeight(int index, int twips);
    Q_INVOKABLE int RowPos(int index);  // twips from the top of the grid

    // Makes (RowIdx, ColIdx) the current cell and shows its text in red.
    Q_INVOKABLE void ChangeCellForeColor(int RowIdx, int ColIdx);
    // Ends an edit still open as Enter would (the cell takes the typed text
    // and turns red), for a host command about to read the cells; false when
    // none was open.
    Q_INVOKABLE bool EndEdit();

    // Stored settings: a host-owned bag keyed by property name. Reading
    // applies every key (its default when absent) in a fixed order and
    // returns false when some could not be applied; writing leaves out
    // values equal to their defaults.
    Q_INVOKABLE bool ReadProperties(const QVariantMap& bag);
    Q_INVOKABLE QVariantMap WriteProperties();

    bool allowBigSelection() const;
    void setAllowBigSelection(bool on);
    int allowUserResizing() const;
    void setAllowUserResizing(int mode);
    int appearance() const;
    void setAppearance(int appearance);
    uint backColor() const;
    void setBackColor(uint color);
    uint backColorBkg() const;
    void setBackColorBkg(uint color);
    uint backColorFixed() const;
    void setBackColorFixed(uint color);
    uint backColorSel() const;
    void setBackColorSel(uint color);
    int borderStyle() const;
    void setBorderStyle(int style);
    bool causesValidation() const;
    void setCausesValidation(bool on);
    int cols() const;
    void setCols(int cols);
    QObject* dataSource() const;
    bool gridEnabled() const;
    void setGridEnabled(bool on);
    int fixedCols() const;
    void setFixedCols(int cols);
    int fixedRows() const;
    void setFixedRows(int rows);
    int focusRect() const;
    void setFocusRect(int style);
    QFont gridFont() const;
    void setGridFont(const QFont& font);
    int gridLines() const;
    void setGridLines(int style);
    int gridLinesFixed() const;
    void setGridLinesFixed(int style);
    int gridLineWidth() const;
    void setGridLineWidth(int pixels);
    int rows() const;
    void setRows(int rows);
    int whatsThisHelpId() const;
    void setWhatsThisHelpId(int id);
    QString formatString() const;
    void setFormatString(const QString& format);
    uint foreColorSel() const;
    void setForeColorSel(uint color);
    bool redraw() const;
    void setRedraw(bool on);
    int scrollBars() const;
    void setScrollBars(int mode);
    bool scrollTrack() const;
    void setScrollTrack(bool on);
    bool wordWrap() const;
    void setWordWrap(bool on);
    uint foreColor() const;
    void setForeColor(uint color);
    QObject* dataBindings() const { return dataBindings_; }
    void setDataBindings(QObject* bindings);
    int row() const;
    void setRow(int row);
    int col() const;
    void setCol(int col);
    int rowSel() const;
    int colSel() const;
    QString lastError() const { return lastError_; }

    bool editing() const;

  signals:
    void Click();
    void DblClick();  // a double click starts an edit instead
    void RowColChange();
    // A property was written through the control, so the host should save it.
    void propertyChanged(const QString& name);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    QSize sizeHint() const override { return {400, 250}; }

  private:
    template <typename F>
    void write(const char* name, F&& apply);
    template <typename T, typename F>
    T read(T fallback, F&& get);
    void label();
    void startEdit(int code, const QString& typed);
    void returnFocusToGrid();
    void commitEdit(bool markEdited);
    QFont ambientFont() const;

    TableGrid* fg2_ = nullptr;
    QLineEdit* txtEdit_ = nullptr;
    QPointer<QObject> dataBindings_;
    QString lastError_;
};

}  // namespace tabulex
