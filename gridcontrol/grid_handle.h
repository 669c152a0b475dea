#pragma once

#include <QMetaMethod>
#include <QMetaObject>
#include <QPointer>
#include <QString>
#include <QVariant>
#include <QWidget>
#include <stdexcept>

// Host-side handle on a GridEditable made by the Tabulex library. It calls
// the control through its meta-object, so the host still does not link the
// library, and turns a call the control refuses into an exception thrown in
// the host's own code.
namespace tabulex {

class GridCallError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

class GridHandle {
  public:
    explicit GridHandle(QWidget* control) : control_(control) {}

    QWidget* widget() const { return control_; }

    int rows() const { return get("Rows").toInt(); }
    void setRows(int rows) { set("Rows", rows); }
    int cols() const { return get("Cols").toInt(); }
    void setCols(int cols) { set("Cols", cols); }
    int fixedRows() const { return get("FixedRows").toInt(); }
    void setFixedRows(int rows) { set("FixedRows", rows); }
    int fixedCols() const { return get("FixedCols").toInt(); }
    void setFixedCols(int cols) { set("FixedCols", cols); }
    int row() const { return get("Row").toInt(); }
    void setRow(int row) { set("Row", row); }
    int col() const { return get("Col").toInt(); }
    void setCol(int col) { set("Col", col); }
    // The other corner of the selection that starts at row(), col().
    int rowSel() const { return get("RowSel").toInt(); }
    int colSel() const { return get("ColSel").toInt(); }
    void setScrollBars(int mode) { set("ScrollBars", mode); }
    bool redraw() const { return get("Redraw").toBool(); }
    void setRedraw(bool on) { set("Redraw", on); }

    // Cell access is looked up once per handle: a weather table of 100
    // years has over 110,000 cells.
    QString textMatrix(int row, int col) const {
        QString text;
        invoke(textGet_, "TextMatrix(int,int)", Q_RETURN_ARG(QString, text), Q_ARG(int, row),
               Q_ARG(int, col));
        return text;
    }
    void setTextMatrix(int row, int col, const QString& text) {
        invoke(textSet_, "setTextMatrix(int,int,QString)", QGenericReturnArgument(),
               Q_ARG(int, row), Q_ARG(int, col), Q_ARG(QString, text));
    }
    QString textArray(int index) const {
        QString text;
        call("TextArray", Q_RETURN_ARG(QString, text), Q_ARG(int, index));
        return text;
    }
    void setTextArray(int index, const QString& text) {
        call("setTextArray", QGenericReturnArgument(), Q_ARG(int, index), Q_ARG(QString, text));
    }
    int colWidth(int col) const {
        int twips = 0;
        call("ColWidth", Q_RETURN_ARG(int, twips), Q_ARG(int, col));
        return twips;
    }
    void setColWidth(int col, int twips) {
        call("setColWidth", QGenericReturnArgument(), Q_ARG(int, col), Q_ARG(int, twips));
    }
    void fitColWidth(int col, int minTwips = 0) {
        call("FitColWidth", QGenericReturnArgument(), Q_ARG(int, col), Q_ARG(int, minTwips));
    }
    int rowHeight(int row) const {
        int twips = 0;
        call("RowHeight", Q_RETURN_ARG(int, twips), Q_ARG(int, row));
        return twips;
    }
    void setRowHeight(int row, int twips) {
        call("setRowHeight", QGenericReturnArgument(), Q_ARG(int, row), Q_ARG(int, twips));
    }
    // Ends an open cell edit as Enter would; false when none was open.
    bool endEdit() {
        bool ended = false;
        call("EndEdit", Q_RETURN_ARG(bool, ended));
        return ended;
    }
    void changeCellForeColor(int row, int col) {
        call("ChangeCellForeColor", QGenericReturnArgument(), Q_ARG(int, row), Q_ARG(int, col));
    }

    // Any other property by the name the control gives it.
    QVariant get(const char* name) const {
        // Reading a plain property cannot fail and leaves LastError alone.
        const QVariant value = control()->property(name);
        if (!value.isValid())
            throw GridCallError(std::string("GridEditable has no property ") + name);
        return value;
    }
    void set(const char* name, const QVariant& value) {
        control()->setProperty(name, value);
        check();
    }

  private:
    QWidget* control() const {
        if (!control_)
            throw GridCallError("GridEditable: the control no longer exists");
        return control_;
    }
    template <typename... Args>
    void call(const char* method, QGenericReturnArgument result, Args... args) const {
        if (!QMetaObject::invokeMethod(control(), method, Qt::DirectConnection, result, args...)) {
            throw GridCallError(std::string("GridEditable has no method ") + method);
        }
        check();
    }
    template <typename... Args>
    void invoke(QMetaMethod& method, const char* signature, QGenericReturnArgument result,
                Args... args) const {
        if (!method.isValid()) {
            const QMetaObject* meta = control()->metaObject();
            method = meta->method(meta->indexOfMethod(signature));
            if (!method.isValid())
                throw GridCallError(std::string("GridEditable has no method ") + signature);
        }
        method.invoke(control(), Qt::DirectConnection, result, args...);
        check();
    }
    void check() const {
        const QString error = control_->property("LastError").toString();
        if (!error.isEmpty())
            throw GridCallError(error.toStdString());
    }

    QPointer<QWidget> control_;
    mutable QMetaMethod textGet_, textSet_;
};

}  // namespace tabulex
