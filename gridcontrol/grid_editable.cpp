#include "gridcontrol/grid_editable.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <functional>
#include <limits>
#include <optional>
#include <vector>

#include "gridcontrol/table_grid.h"
#include "gridcontrol/twips.h"

namespace tabulex {

namespace {

// The edit box is drawn this many twips smaller than its cell so the cell's
// grid lines stay visible around it.
constexpr int kEditInsetTwips = 8;

int halfToEven(int value) {
    const int half = value / 2;
    if (value % 2 == 0)
        return half;
    // value is odd: exactly halfway between half and half + sign.
    const int other = value > 0 ? half + 1 : half - 1;
    return half % 2 == 0 ? half : other;
}

std::optional<bool> toBool(const QVariant& v) {
    if (v.typeId() == QMetaType::Bool)
        return v.toBool();
    if (v.typeId() == QMetaType::QString) {
        const QString s = v.toString().trimmed().toLower();
        if (s == QLatin1String("true") || s == QLatin1String("-1") || s == QLatin1String("1"))
            return true;
        if (s == QLatin1String("false") || s == QLatin1String("0"))
            return false;
        return std::nullopt;
    }
    bool ok = false;
    const qlonglong n = v.toLongLong(&ok);
    if (!ok)
        return std::nullopt;
    return n != 0;
}

std::optional<qlonglong> toInteger(const QVariant& v, qlonglong low, qlonglong high) {
    bool ok = false;
    const qlonglong n = v.toLongLong(&ok);
    if (!ok || n < low || n > high)
        return std::nullopt;
    return n;
}

struct Stored {
    enum Kind { Bool, Int, Color, String, Font };
    const char* key;
    Kind kind;
    QVariant fallback;
    std::function<QVariant()> get;
    std::function<void(const QVariant&)> set;
};

}  // namespace

GridEditable::GridEditable(QWidget* parent) : QWidget(parent) {
    fg2_ = new TableGrid(this);
    fg2_->setObjectName(QStringLiteral("Fg2"));
    txtEdit_ = new QLineEdit(this);
    txtEdit_->setObjectName(QStringLiteral("TxtEdit"));
    txtEdit_->setFrame(false);
    txtEdit_->hide();
    txtEdit_->installEventFilter(this);
    setFocusProxy(fg2_);

    fg2_->setColWidth(0, halfToEven(fg2_->colWidth(0)));
    fg2_->setColAlignment(0, TableGrid::kAlignLeftCenter);
    label();
    txtEdit_->clear();

    connect(fg2_, &TableGrid::charTyped, this, &GridEditable::startEdit);
    connect(fg2_, &TableGrid::doubleClicked, this, [this] { startEdit(32, QStringLiteral(" ")); });
    connect(fg2_, &TableGrid::gotFocus, this, [this] {
        if (editing())
            commitEdit(true);
    });
    connect(fg2_, &TableGrid::leaveCell, this, [this] {
        if (editing())
            commitEdit(false);
    });
    connect(fg2_, &TableGrid::Click, this, &GridEditable::Click);
    connect(fg2_, &TableGrid::RowColChange, this, &GridEditable::RowColChange);
}

// Numbers the header cells for the size the grid has now; rows or columns
// added later are left for the host to label.
void GridEditable::label() {
    for (int r = fg2_->fixedRows(); r < fg2_->rows(); ++r)
        fg2_->setTextMatrix(r, 0, QString::number(r));
    for (int c = fg2_->fixedCols(); c < fg2_->cols(); ++c)
        fg2_->setTextMatrix(0, c, QString::number(c));
}

bool GridEditable::editing() const {
    return !txtEdit_->isHidden();
}

void GridEditable::startEdit(int code, const QString& typed) {
    if (fg2_->rows() == 0 || fg2_->cols() == 0)
        return;
    if (code > 32) {
        txtEdit_->setText(typed);
        txtEdit_->setCursorPosition(int(typed.size()));
    } else {
        txtEdit_->setText(fg2_->text());
        txtEdit_->setCursorPosition(1000);  // QLineEdit stops at the end
    }
    fg2_->ensureCurrentVisible();
    const int left = pixelsToTwips(fg2_->x()) + fg2_->cellLeft();
    const int top = pixelsToTwips(fg2_->y()) + fg2_->cellTop();
    txtEdit_->setGeometry(twipsToPixels(left), twipsToPixels(top),
                          twipsToPixels(fg2_->cellWidth() - kEditInsetTwips),
                          twipsToPixels(fg2_->cellHeight() - kEditInsetTwips));
    txtEdit_->show();
    txtEdit_->raise();
    txtEdit_->setFocus(Qt::OtherFocusReason);
}

bool GridEditable::EndEdit() {
    lastError_.clear();
    if (!editing())
        return false;
    commitEdit(true);
    return true;
}

void GridEditable::returnFocusToGrid() {
    fg2_->setFocus(Qt::OtherFocusReason);
    // An inactive window gets no focus event until it is activated again;
    // the edit still ends now, as it would have with the focus.
    if (editing())
        commitEdit(true);
}

void GridEditable::commitEdit(bool markEdited) {
    const QString text = txtEdit_->text();
    // Hide first: hiding a focused box moves the focus, which must not find
    // an edit still open and commit it twice.
    txtEdit_->hide();
    if (markEdited)
        fg2_->setCellForeColor(kRed);
    fg2_->setText(text);
}

bool GridEditable::eventFilter(QObject* watched, QEvent* event) {
    if (watched != txtEdit_ || event->type() != QEvent::KeyPress) {
        return QWidget::eventFilter(watched, event);
    }
    const auto* key = static_cast<QKeyEvent*>(event);
    switch (key->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            returnFocusToGrid();
            return true;
        case Qt::Key_Escape:
            txtEdit_->hide();
            fg2_->setFocus(Qt::OtherFocusReason);
            return true;
        case Qt::Key_Up:
            returnFocusToGrid();
            QCoreApplication::processEvents();
            if (fg2_->row() > fg2_->fixedRows()) {
                fg2_->setRow(fg2_->row() - 1);
                fg2_->ensureCurrentVisible();
            }
            return true;
        case Qt::Key_Down:
            returnFocusToGrid();
            QCoreApplication::processEvents();
            if (fg2_->row() < fg2_->rows() - 1) {
                fg2_->setRow(fg2_->row() + 1);
                fg2_->ensureCurrentVisible();
            }
            return true;
        default:
            return QWidget::eventFilter(watched, event);
    }
}

void GridEditable::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    fg2_->setGeometry(0, 0, width(), height());
}

template <typename F>
void GridEditable::write(const char* name, F&& apply) {
    lastError_.clear();
    try {
        apply();
    } catch (const GridError& e) {
        lastError_ = QString::fromStdString(e.what());
        return;
    }
    emit propertyChanged(QLatin1String(name));
}

template <typename T, typename F>
T GridEditable::read(T fallback, F&& get) {
    lastError_.clear();
    try {
        return get();
    } catch (const GridError& e) {
        lastError_ = QString::fromStdString(e.what());
        return fallback;
    }
}

QString GridEditable::TextArray(int index) {
    return read(QString(), [&] { return fg2_->textArray(index); });
}
void GridEditable::setTextArray(int index, const QString& text) {
    write("TextArray", [&] { fg2_->setTextArray(index, text); });
}
QString GridEditable::TextMatrix(int row, int col) {
    return read(QString(), [&] { return fg2_->textMatrix(row, col); });
}
void GridEditable::setTextMatrix(int row, int col, const QString& text) {
    write("TextMatrix", [&] { fg2_->setTextMatrix(row, col, text); });
}
int GridEditable::ColWidth(int index) {
    return read(0, [&] { return fg2_->colWidth(index); });
}
void GridEditable::setColWidth(int index, int twips) {
    write("ColWidth", [&] { fg2_->setColWidth(index, twips); });
}
void GridEditable::FitColWidth(int index, int minTwips) {
    write("ColWidth", [&] { fg2_->fitColumnToText(index, minTwips); });
}
int GridEditable::RowHeight(int index) {
    return read(0, [&] { return fg2_->rowHeight(index); });
}
void GridEditable::setRowHeight(int index, int twips) {
    write("RowHeight", [&] { fg2_->setRowHeight(index, twips); });
}
int GridEditable::RowPos(int index) {
    return read(0, [&] { return fg2_->rowPos(index); });
}

void GridEditable::ChangeCellForeColor(int RowIdx, int ColIdx) {
    lastError_.clear();
    try {
        // Check both before moving so a bad column leaves the current cell alone.
        fg2_->textMatrix(RowIdx, ColIdx);
        fg2_->setRow(RowIdx);
        fg2_->setCol(ColIdx);
        fg2_->setCellForeColor(kRed);
    } catch (const GridError& e) {
        lastError_ = QStringLiteral("ChangeCellForeColor: ") + QString::fromStdString(e.what());
    }
}

bool GridEditable::allowBigSelection() const {
    return fg2_->allowBigSelection();
}
void GridEditable::setAllowBigSelection(bool on) {
    write("AllowBigSelection", [&] { fg2_->setAllowBigSelection(on); });
}
int GridEditable::allowUserResizing() const {
    return fg2_->allowUserResizing();
}
void GridEditable::setAllowUserResizing(int mode) {
    write("AllowUserResizing", [&] { fg2_->setAllowUserResizing(mode); });
}
int GridEditable::appearance() const {
    return fg2_->appearance();
}
void GridEditable::setAppearance(int appearance) {
    write("Appearance", [&] { fg2_->setAppearance(appearance); });
}
uint GridEditable::backColor() const {
    return fg2_->backColor();
}
void GridEditable::setBackColor(uint color) {
    write("BackColor", [&] { fg2_->setBackColor(color); });
}
uint GridEditable::backColorBkg() const {
    return fg2_->backColorBkg();
}
void GridEditable::setBackColorBkg(uint color) {
    write("BackColorBkg", [&] { fg2_->setBackColorBkg(color); });
}
uint GridEditable::backColorFixed() const {
    return fg2_->backColorFixed();
}
void GridEditable::setBackColorFixed(uint color) {
    write("BackColorFixed", [&] { fg2_->setBackColorFixed(color); });
}
uint GridEditable::backColorSel() const {
    return fg2_->backColorSel();
}
void GridEditable::setBackColorSel(uint color) {
    write("BackColorSel", [&] { fg2_->setBackColorSel(color); });
}
int GridEditable::borderStyle() const {
    return fg2_->borderStyle();
}
void GridEditable::setBorderStyle(int style) {
    write("BorderStyle", [&] { fg2_->setBorderStyle(style); });
}
bool GridEditable::causesValidation() const {
    return fg2_->causesValidation();
}
void GridEditable::setCausesValidation(bool on) {
    write("CausesValidation", [&] { fg2_->setCausesValidation(on); });
}
int GridEditable::cols() const {
    return fg2_->cols();
}
void GridEditable::setCols(int cols) {
    write("Cols", [&] { fg2_->setCols(cols); });
}
QObject* GridEditable::dataSource() const {
    return fg2_->dataSource();
}
bool GridEditable::gridEnabled() const {
    return fg2_->isEnabled();
}
void GridEditable::setGridEnabled(bool on) {
    write("Enabled", [&] { fg2_->setEnabled(on); });
}
int GridEditable::fixedCols() const {
    return fg2_->fixedCols();
}
void GridEditable::setFixedCols(int cols) {
    write("FixedCols", [&] { fg2_->setFixedCols(cols); });
}
int GridEditable::fixedRows() const {
    return fg2_->fixedRows();
}
void GridEditable::setFixedRows(int rows) {
    write("FixedRows", [&] { fg2_->setFixedRows(rows); });
}
int GridEditable::focusRect() const {
    return fg2_->focusRect();
}
void GridEditable::setFocusRect(int style) {
    write("FocusRect", [&] { fg2_->setFocusRect(style); });
}
QFont GridEditable::gridFont() const {
    return fg2_->font();
}
void GridEditable::setGridFont(const QFont& font) {
    write("Font", [&] {
        fg2_->setFont(font);
        txtEdit_->setFont(font);
    });
}
int GridEditable::gridLines() const {
    return fg2_->gridLines();
}
void GridEditable::setGridLines(int style) {
    write("GridLines", [&] { fg2_->setGridLines(style); });
}
int GridEditable::gridLinesFixed() const {
    return fg2_->gridLinesFixed();
}
void GridEditable::setGridLinesFixed(int style) {
    write("GridLinesFixed", [&] { fg2_->setGridLinesFixed(style); });
}
int GridEditable::gridLineWidth() const {
    return fg2_->gridLineWidth();
}
void GridEditable::setGridLineWidth(int pixels) {
    write("GridLineWidth", [&] { fg2_->setGridLineWidth(pixels); });
}
int GridEditable::rows() const {
    return fg2_->rows();
}
void GridEditable::setRows(int rows) {
    write("Rows", [&] { fg2_->setRows(rows); });
}
int GridEditable::whatsThisHelpId() const {
    return fg2_->whatsThisHelpId();
}
void GridEditable::setWhatsThisHelpId(int id) {
    write("WhatsThisHelpID", [&] { fg2_->setWhatsThisHelpId(id); });
}
QString GridEditable::formatString() const {
    return fg2_->formatString();
}
void GridEditable::setFormatString(const QString& format) {
    write("FormatString", [&] { fg2_->setFormatString(format); });
}
uint GridEditable::foreColorSel() const {
    return fg2_->foreColorSel();
}
void GridEditable::setForeColorSel(uint color) {
    write("ForeColorSel", [&] { fg2_->setForeColorSel(color); });
}
bool GridEditable::redraw() const {
    return fg2_->redraw();
}
void GridEditable::setRedraw(bool on) {
    write("Redraw", [&] { fg2_->setRedraw(on); });
}
int GridEditable::scrollBars() const {
    return fg2_->scrollBars();
}
void GridEditable::setScrollBars(int mode) {
    write("ScrollBars", [&] { fg2_->setScrollBars(mode); });
}
bool GridEditable::scrollTrack() const {
    return fg2_->scrollTrack();
}
void GridEditable::setScrollTrack(bool on) {
    write("ScrollTrack", [&] { fg2_->setScrollTrack(on); });
}
bool GridEditable::wordWrap() const {
    return fg2_->wordWrap();
}
void GridEditable::setWordWrap(bool on) {
    write("WordWrap", [&] { fg2_->setWordWrap(on); });
}
uint GridEditable::foreColor() const {
    return fg2_->foreColor();
}
void GridEditable::setForeColor(uint color) {
    write("ForeColor", [&] { fg2_->setForeColor(color); });
}
void GridEditable::setDataBindings(QObject* bindings) {
    write("DataBindings", [&] { dataBindings_ = bindings; });
}
int GridEditable::row() const {
    return fg2_->row();
}
void GridEditable::setRow(int row) {
    lastError_.clear();
    try {
        fg2_->setRow(row);
    } catch (const GridError& e) {
        lastError_ = QString::fromStdString(e.what());
    }
}
int GridEditable::col() const {
    return fg2_->col();
}
int GridEditable::rowSel() const {
    return fg2_->rowSel();
}
int GridEditable::colSel() const {
    return fg2_->colSel();
}
void GridEditable::setCol(int col) {
    lastError_.clear();
    try {
        fg2_->setCol(col);
    } catch (const GridError& e) {
        lastError_ = QString::fromStdString(e.what());
    }
}

QFont GridEditable::ambientFont() const {
    return parentWidget() ? parentWidget()->font() : QApplication::font();
}

namespace {

// Every stored setting in the order it is applied, with its default. Only
// index 0 of the indexed properties is kept, and the current cell's text.
std::vector<Stored> storedSettings(TableGrid* g, const QFont& ambient, QLineEdit* edit) {
    using S = Stored;
    auto cell = [g] { return std::pair(g->row(), g->col()); };
    return {
        {"AllowBigSelection", S::Bool, true, [g] { return QVariant(g->allowBigSelection()); },
         [g](const QVariant& v) { g->setAllowBigSelection(v.toBool()); }},
        {"AllowUserResizing", S::Int, 0, [g] { return QVariant(g->allowUserResizing()); },
         [g](const QVariant& v) { g->setAllowUserResizing(v.toInt()); }},
        {"Appearance", S::Int, 1, [g] { return QVariant(g->appearance()); },
         [g](const QVariant& v) { g->setAppearance(v.toInt()); }},
        {"BackColor", S::Color, uint(kSystemWindow), [g] { return QVariant(uint(g->backColor())); },
         [g](const QVariant& v) { g->setBackColor(v.toUInt()); }},
        {"BackColorBkg", S::Color, uint(kGrey), [g] { return QVariant(uint(g->backColorBkg())); },
         [g](const QVariant& v) { g->setBackColorBkg(v.toUInt()); }},
        {"BackColorFixed", S::Color, uint(kSystemButtonFace),
         [g] { return QVariant(uint(g->backColorFixed())); },
         [g](const QVariant& v) { g->setBackColorFixed(v.toUInt()); }},
        {"BackColorSel", S::Color, uint(kSystemHighlight),
         [g] { return QVariant(uint(g->backColorSel())); },
         [g](const QVariant& v) { g->setBackColorSel(v.toUInt()); }},
        {"BorderStyle", S::Int, 1, [g] { return QVariant(g->borderStyle()); },
         [g](const QVariant& v) { g->setBorderStyle(v.toInt()); }},
        {"CausesValidation", S::Bool, true, [g] { return QVariant(g->causesValidation()); },
         [g](const QVariant& v) { g->setCausesValidation(v.toBool()); }},
        {"Cols", S::Int, 6, [g] { return QVariant(g->cols()); },
         [g](const QVariant& v) { g->setCols(v.toInt()); }},
        {"Enabled", S::Bool, true, [g] { return QVariant(g->isEnabled()); },
         [g](const QVariant& v) { g->setEnabled(v.toBool()); }},
        {"FixedCols", S::Int, 1, [g] { return QVariant(g->fixedCols()); },
         [g](const QVariant& v) { g->setFixedCols(v.toInt()); }},
        {"FixedRows", S::Int, 1, [g] { return QVariant(g->fixedRows()); },
         [g](const QVariant& v) { g->setFixedRows(v.toInt()); }},
        {"FocusRect", S::Int, 2, [g] { return QVariant(g->focusRect()); },
         [g](const QVariant& v) { g->setFocusRect(v.toInt()); }},
        {"Font", S::Font, ambient, [g] { return QVariant(g->font()); },
         [g, edit](const QVariant& v) {
             g->setFont(v.value<QFont>());
             edit->setFont(v.value<QFont>());
         }},
        {"GridLines", S::Int, 1, [g] { return QVariant(g->gridLines()); },
         [g](const QVariant& v) { g->setGridLines(v.toInt()); }},
        {"GridLinesFixed", S::Int, 2, [g] { return QVariant(g->gridLinesFixed()); },
         [g](const QVariant& v) { g->setGridLinesFixed(v.toInt()); }},
        {"GridLineWidth", S::Int, 1, [g] { return QVariant(g->gridLineWidth()); },
         [g](const QVariant& v) { g->setGridLineWidth(v.toInt()); }},
        {"Rows", S::Int, 20, [g] { return QVariant(g->rows()); },
         [g](const QVariant& v) { g->setRows(v.toInt()); }},
        {"WhatsThisHelpID", S::Int, 0, [g] { return QVariant(g->whatsThisHelpId()); },
         [g](const QVariant& v) { g->setWhatsThisHelpId(v.toInt()); }},
        {"FormatString", S::String, QString(), [g] { return QVariant(g->formatString()); },
         [g](const QVariant& v) { g->setFormatString(v.toString()); }},
        {"ForeColorSel", S::Color, uint(kSystemHighlightText),
         [g] { return QVariant(uint(g->foreColorSel())); },
         [g](const QVariant& v) { g->setForeColorSel(v.toUInt()); }},
        {"Redraw", S::Bool, true, [g] { return QVariant(g->redraw()); },
         [g](const QVariant& v) { g->setRedraw(v.toBool()); }},
        {"ScrollBars", S::Int, 3, [g] { return QVariant(g->scrollBars()); },
         [g](const QVariant& v) { g->setScrollBars(v.toInt()); }},
        {"ScrollTrack", S::Bool, false, [g] { return QVariant(g->scrollTrack()); },
         [g](const QVariant& v) { g->setScrollTrack(v.toBool()); }},
        {"TextArray0", S::String, QString(), [g] { return QVariant(g->textArray(0)); },
         [g](const QVariant& v) { g->setTextArray(0, v.toString()); }},
        {"WordWrap", S::Bool, false, [g] { return QVariant(g->wordWrap()); },
         [g](const QVariant& v) { g->setWordWrap(v.toBool()); }},
        {"ColWidth0", S::Int, 0, [g] { return QVariant(g->colWidth(0)); },
         [g](const QVariant& v) { g->setColWidth(0, v.toInt()); }},
        {"ForeColor", S::Color, uint(kSystemWindowText),
         [g] { return QVariant(uint(g->foreColor())); },
         [g](const QVariant& v) { g->setForeColor(v.toUInt()); }},
        {"RowHeight0", S::Int, 0, [g] { return QVariant(g->rowHeight(0)); },
         [g](const QVariant& v) { g->setRowHeight(0, v.toInt()); }},
        {"TextMatrix0", S::String, QString(),
         [g, cell] {
             const auto [r, c] = cell();
             return QVariant(g->textMatrix(r, c));
         },
         [g, cell](const QVariant& v) {
             const auto [r, c] = cell();
             g->setTextMatrix(r, c, v.toString());
         }},
    };
}

// Brings a stored value to the type its property takes, or explains why not.
std::optional<QVariant> normalise(const Stored& s, const QVariant& v, QString* why) {
    switch (s.kind) {
        case Stored::Bool:
            if (const auto b = toBool(v))
                return QVariant(*b);
            *why = QStringLiteral("expected true or false");
            break;
        case Stored::Int:
            if (const auto n = toInteger(v, std::numeric_limits<qint32>::min(),
                                         std::numeric_limits<qint32>::max())) {
                return QVariant(int(*n));
            }
            *why = QStringLiteral("expected a 32-bit integer");
            break;
        case Stored::Color:
            // Signed and unsigned 32-bit forms of the same colour are both accepted.
            if (const auto n = toInteger(v, std::numeric_limits<qint32>::min(),
                                         std::numeric_limits<quint32>::max())) {
                return QVariant(uint(quint32(*n)));
            }
            *why = QStringLiteral("expected a 32-bit colour value");
            break;
        case Stored::String:
            if (v.canConvert<QString>())
                return QVariant(v.toString());
            *why = QStringLiteral("expected text");
            break;
        case Stored::Font:
            if (v.typeId() == QMetaType::QFont)
                return v;
            if (v.typeId() == QMetaType::QString) {
                QFont f;
                if (f.fromString(v.toString()))
                    return QVariant(f);
            }
            *why = QStringLiteral("expected a font");
            break;
    }
    return std::nullopt;
}

}  // namespace

bool GridEditable::ReadProperties(const QVariantMap& bag) {
    QStringList errors;
    for (const Stored& s : storedSettings(fg2_, ambientFont(), txtEdit_)) {
        const QString key = QLatin1String(s.key);
        const QVariant stored = bag.contains(key) ? bag.value(key) : s.fallback;
        QString why;
        const std::optional<QVariant> value = normalise(s, stored, &why);
        if (!value) {
            errors << QStringLiteral("%1: %2, found \"%3\"").arg(key, why, stored.toString());
            continue;
        }
        try {
            s.set(*value);
        } catch (const GridError& e) {
            errors << QString::fromStdString(e.what());
        }
    }
    lastError_ = errors.join(QStringLiteral("; "));
    return errors.isEmpty();
}

QVariantMap GridEditable::WriteProperties() {
    QVariantMap bag;
    lastError_.clear();
    for (const Stored& s : storedSettings(fg2_, ambientFont(), txtEdit_)) {
        try {
            const QVariant value = s.get();
            if (value != s.fallback)
                bag.insert(QLatin1String(s.key), value);
        } catch (const GridError&) {
            // An empty grid has no cell 0 and no current cell to store.
        }
    }
    return bag;
}

}  // namespace tabulex
