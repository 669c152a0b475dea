#include "mapdb/ui/FrmView.h"

#include <QBuffer>
#include <QFileInfo>
#include <QFrame>
#include <QLabel>
#include <QListWidget>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QScrollBar>
#include <QShortcut>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

#include "common/atomic_file.h"
#include "common/paths.h"
#include "mapdb/ui/county_record_view.h"
#include "shell/app_folder.h"
#include "shell/dialogs.h"
#include "shell/qt_text.h"
#include "shell/session.h"

using rivulon::ui::errorBox;
using rivulon::ui::qs;

namespace {

constexpr int kMargin = 6;
constexpr int kHelpContext = 91;
constexpr int kLegendWidth = 210;
constexpr double kMinZoom = 0.1;
constexpr double kMaxZoom = 8.0;
constexpr double kZoomStep = 1.25;

// The map itself, drawn at the zoom chosen inside the frame.
class MapPicture : public QWidget {
  public:
    explicit MapPicture(QWidget* parent) : QWidget(parent) { setMouseTracking(true); }
    void setImage(const QImage& image, double zoom) {
        image_ = image;
        zoom_ = zoom;
        resize(image.isNull() ? QSize(1, 1) : scaledSize());
        update();
    }
    QSize scaledSize() const {
        return QSize(std::max(1, static_cast<int>(std::lround(image_.width() * zoom_))),
                     std::max(1, static_cast<int>(std::lround(image_.height() * zoom_))));
    }
    // The whole map at the zoom shown, each map pixel a block of one colour
    // so that a category's colour stays the colour its legend shows.
    QImage scaledImage() const {
        return image_.scaled(scaledSize(), Qt::IgnoreAspectRatio, Qt::FastTransformation);
    }

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        if (!image_.isNull()) {
            p.drawImage(rect(), image_);
        }
    }

  private:
    QImage image_;
    double zoom_ = 1.0;
};

QIcon swatch(std::int32_t colour) {
    QPixmap box(16, 12);
    if (colour < 0) {
        box.fill(Qt::transparent);
    } else {
        // Colour numbers are red + 256 green + 65536 blue.
        box.fill(QColor(colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF));
        QPainter p(&box);
        p.setPen(Qt::black);
        p.drawRect(box.rect().adjusted(0, 0, -1, -1));
    }
    return QIcon(box);
}

}  // namespace

void FrmView::open(rivulon::ui::WindowHost& host, int kind) {
    auto* w = qobject_cast<FrmView*>(host.openWindow(kKind));
    if (!w) {
        return;
    }
    const rivulon::ProjectSettings& s = host.session().settings;
    const std::string& path = kind == 1   ? s.landUseMapPath
                              : kind == 2 ? s.soilMapPath
                                          : s.countyMapPath;
    w->Loadmap(qs(path), static_cast<std::int16_t>(kind));
    host.showChild(w);
    // Sized to show the whole map beside its legend; the host keeps the
    // window inside the main window.
    host.resizeFrame(w, w->sizeToShowMap());
    host.showChild(w);
}

void FrmView::openLandUseMap(rivulon::ui::WindowHost& host) {
    open(host, 1);
}
void FrmView::openSoilMap(rivulon::ui::WindowHost& host) {
    open(host, 2);
}
void FrmView::openCountyMap(rivulon::ui::WindowHost& host) {
    open(host, 3);
}

FrmView::FrmView(rivulon::ui::WindowHost& host) : host_(host) {
    setObjectName("FrmView");
    setWindowTitle(QStringLiteral("Map"));
    PicFrame = new QFrame(this);
    PicFrame->setObjectName("PicFrame");
    PicFrame->setFrameShape(QFrame::NoFrame);
    PicFrame->setAutoFillBackground(true);
    PicView = new MapPicture(PicFrame);
    PicView->setObjectName("PicView");
    PicView->installEventFilter(this);
    HScroll1 = new QScrollBar(Qt::Horizontal, this);
    HScroll1->setObjectName("HScroll1");
    VScroll1 = new QScrollBar(Qt::Vertical, this);
    VScroll1->setObjectName("VScroll1");
    TxtHint = new QLabel(PicFrame);
    TxtHint->setObjectName("TxtHint");
    TxtHint->setAutoFillBackground(true);
    TxtHint->setFrameShape(QFrame::Box);
    TxtHint->setMargin(2);
    QPalette hintColours = TxtHint->palette();
    hintColours.setColor(QPalette::Window, QColor(255, 255, 225));
    hintColours.setColor(QPalette::WindowText, Qt::black);
    TxtHint->setPalette(hintColours);
    TxtHint->setAttribute(Qt::WA_TransparentForMouseEvents);
    TxtHint->hide();
    cmdClose = new QPushButton(QStringLiteral("&Close"), this);
    cmdClose->setObjectName("cmdClose");
    cmdClose->setFixedSize(90, 26);
    lstLegend = new QListWidget(this);
    lstLegend->setObjectName("lstLegend");
    lstLegend->setSelectionMode(QAbstractItemView::NoSelection);
    lstLegend->setFocusPolicy(Qt::NoFocus);
    lstLegend->setToolTip(QStringLiteral("The map's categories and their colours"));
    lstLegend->hide();
    const auto button = [this](const QString& caption, const char* name, const QString& tip) {
        auto* b = new QPushButton(caption, this);
        b->setObjectName(QString::fromLatin1(name));
        b->setToolTip(tip);
        b->setFixedHeight(26);
        b->setMinimumWidth(b->sizeHint().width());
        return b;
    };
    cmdFit = button(QStringLiteral("&Fit"), "cmdFit",
                    QStringLiteral("Show the whole map in the window (Ctrl+wheel zooms)"));
    cmdActualSize = button(QStringLiteral("&100 %"), "cmdActualSize",
                           QStringLiteral("One screen pixel per map pixel (Ctrl+0)"));
    cmdExport = button(QStringLiteral("&Export PNG..."), "cmdExport",
                       QStringLiteral("Save the part of the map shown as a PNG picture"));
    PicFrame->installEventFilter(this);

    connect(HScroll1, &QScrollBar::valueChanged, this, &FrmView::placePicture);
    connect(VScroll1, &QScrollBar::valueChanged, this, &FrmView::placePicture);
    connect(cmdClose, &QPushButton::clicked, this, &FrmView::cmdClose_Click);
    connect(cmdFit, &QPushButton::clicked, this, &FrmView::zoomToFit);
    connect(cmdActualSize, &QPushButton::clicked, this, [this] { setZoom(1.0); });
    connect(cmdExport, &QPushButton::clicked, this, &FrmView::cmdExport_Click);
    const auto shortcut = [this](const QKeySequence& keys, auto slot) {
        auto* s = new QShortcut(keys, this);
        s->setContext(Qt::WidgetWithChildrenShortcut);
        connect(s, &QShortcut::activated, this, slot);
    };
    shortcut(QKeySequence::ZoomIn, [this] { setZoom(zoom_ * kZoomStep); });
    shortcut(QKeySequence(Qt::CTRL | Qt::Key_Equal), [this] { setZoom(zoom_ * kZoomStep); });
    shortcut(QKeySequence::ZoomOut, [this] { setZoom(zoom_ / kZoomStep); });
    shortcut(QKeySequence(Qt::CTRL | Qt::Key_0), [this] { setZoom(1.0); });
    auto* help = new QShortcut(QKeySequence(Qt::Key_F1), this);
    help->setContext(Qt::WidgetWithChildrenShortcut);
    connect(help, &QShortcut::activated, this, [this] { host_.HelpCmd(1, kHelpContext); });
    resize(600, 480);
    ScrollPicture();
}

void FrmView::Loadmap(const QString& mapFile, std::int16_t kind) {
    HScroll1->setValue(0);
    VScroll1->setValue(0);
    kind_ = kind;
    hover_.reset();
    countyHint_.clear();
    TxtHint->hide();
    lists_ = {};
    legendColors_.clear();
    const std::string& project = host_.session().settings.projectPath;
    if (rivulon::pathPresent(project)) {
        try {
            lists_ = rivulon::readMapLists(project, static_cast<rivulon::MapKind>(kind));
        } catch (const std::exception&) {
            // A project without usable lists still shows its map, without names.
            lists_ = {};
        }
    }
    static const char* const captions[4] = {"Map", "Land Use Map", "Soil Map", "County Map"};
    setWindowTitle(QString::fromLatin1(captions[kind >= 1 && kind <= 3 ? kind : 0]));
    map_ = QImage(mapFile);
    zoom_ = 1.0;
    if (map_.isNull()) {
        static_cast<MapPicture*>(PicView)->setImage({}, zoom_);
        fillLegend();
        ScrollPicture();
        errorBox(this, QStringLiteral("The map file %1 cannot be read.")
                           .arg(mapFile.isEmpty() ? QStringLiteral("(none)") : mapFile));
        return;
    }
    map_ = map_.convertToFormat(QImage::Format_RGB32);
    static_cast<MapPicture*>(PicView)->setImage(map_, zoom_);
    if (kind == 1 || kind == 2) {
        for (std::size_t i = 0; i < lists_.legendNames.size(); ++i) {
            const int x = rivulon::legendSampleX(static_cast<int>(i));
            const QRgb c = map_.valid(x, rivulon::kLegendSampleY)
                               ? map_.pixel(x, rivulon::kLegendSampleY)
                               : QRgb(0);
            // A box past the picture's edge matches no colour (-1).
            legendColors_.push_back(map_.valid(x, rivulon::kLegendSampleY)
                                        ? rivulon::colorNumber(qRed(c), qGreen(c), qBlue(c))
                                        : -1);
        }
    }
    fillLegend();
    ScrollPicture();
}

void FrmView::fillLegend() {
    lstLegend->clear();
    if (kind_ == 1 || kind_ == 2) {
        for (std::size_t i = 0; i < lists_.legendNames.size(); ++i) {
            auto* item =
                new QListWidgetItem(swatch(i < legendColors_.size() ? legendColors_[i] : -1),
                                    qs(lists_.legendNames[i]));
            item->setToolTip(item->text());
            lstLegend->addItem(item);
        }
    }
    lstLegend->setVisible(lstLegend->count() > 0);
    // Wide enough for the longest name, within reason; longer names have their tool tip.
    int widest = 0;
    for (int i = 0; i < lstLegend->count(); ++i) {
        widest = std::max(widest,
                          lstLegend->fontMetrics().horizontalAdvance(lstLegend->item(i)->text()));
    }
    legendWidth_ = std::clamp(widest + 56, kLegendWidth, 2 * kLegendWidth);
}

QSize FrmView::sizeToShowMap() const {
    const QSize picture = PicView->size().expandedTo(QSize(320, 200));
    const int legend = lstLegend->isVisibleTo(this) ? legendWidth_ + kMargin : 0;
    return QSize(2 * kMargin + picture.width() + legend,
                 3 * kMargin + picture.height() + cmdClose->height());
}

void FrmView::setZoom(double zoom, QPoint anchor) {
    if (map_.isNull()) {
        return;
    }
    zoom = std::clamp(zoom, kMinZoom, kMaxZoom);
    // The map point under the anchor, in map pixels, before the change.
    const double mapX = (anchor.x() + HScroll1->value()) / zoom_;
    const double mapY = (anchor.y() + VScroll1->value()) / zoom_;
    zoom_ = zoom;
    static_cast<MapPicture*>(PicView)->setImage(map_, zoom_);
    TxtHint->hide();
    ScrollPicture();
    HScroll1->setValue(static_cast<int>(std::lround(mapX * zoom_)) - anchor.x());
    VScroll1->setValue(static_cast<int>(std::lround(mapY * zoom_)) - anchor.y());
}

void FrmView::zoomToFit() {
    if (map_.isNull()) {
        return;
    }
    // Rounded down by a pixel, so that the scaled map never needs a bar.
    const QSize frame = PicFrame->size();
    setZoom(std::min((frame.width() - 1.0) / map_.width(), (frame.height() - 1.0) / map_.height()));
}

QImage FrmView::visibleImage() const {
    if (map_.isNull()) {
        return {};
    }
    const QImage whole = static_cast<const MapPicture*>(PicView)->scaledImage();
    const int viewW = PicFrame->width() - (VScroll1->isVisible() ? VScroll1->width() : 0);
    const int viewH = PicFrame->height() - (HScroll1->isVisible() ? HScroll1->height() : 0);
    return whole.copy(
        QRect(HScroll1->value(), VScroll1->value(), viewW, viewH).intersected(whole.rect()));
}

bool FrmView::exportVisible(const QString& path) const {
    QByteArray bytes;
    {
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        if (!visibleImage().save(&buffer, "PNG")) {
            return false;
        }
    }
    try {
        rivulon::writeFileAtomically(
            rivulon::ui::ss(path),
            std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

void FrmView::cmdExport_Click() {
    if (map_.isNull()) {
        return;
    }
    QString name = windowTitle();
    name.replace(QLatin1Char(' '), QLatin1Char('_'));
    const QString path = rivulon::ui::dialogs().saveFile(
        this, QStringLiteral("Export Map as PNG"),
        rivulon::ui::applicationFolder() + QStringLiteral("/Output"), name + QStringLiteral(".png"),
        QStringLiteral("png"));
    if (path.isEmpty()) {
        return;
    }
    if (!exportVisible(path)) {
        rivulon::ui::errorBox(this, QStringLiteral("The map could not be saved as %1.").arg(path));
        return;
    }
    rivulon::ui::showSaved(this, path);
}

bool FrmView::wheel(QWheelEvent* event, QPoint inFrame) {
    const QPoint steps = event->angleDelta();
    if (event->modifiers() & Qt::ControlModifier) {
        if (steps.y() != 0) {
            setZoom(zoom_ * std::pow(kZoomStep, steps.y() / 120.0), inFrame);
        }
        return true;
    }
    // Three lines of about 20 pixels a notch, as a text view scrolls.
    const auto scroll = [](QScrollBar* bar, int delta) {
        bar->setValue(bar->value() - delta * 60 / 120);
    };
    if (event->modifiers() & Qt::ShiftModifier) {
        scroll(HScroll1, steps.y() != 0 ? steps.y() : steps.x());
    } else {
        scroll(VScroll1, steps.y());
        scroll(HScroll1, steps.x());
    }
    return true;
}

void FrmView::ScrollPicture() {
    const int barH = HScroll1->sizeHint().height();
    const int barW = VScroll1->sizeHint().width();
    const int legend = lstLegend->isVisibleTo(this) ? legendWidth_ + kMargin : 0;
    const QRect frame(kMargin, kMargin, std::max(1, width() - 2 * kMargin - legend),
                      std::max(1, height() - 3 * kMargin - cmdClose->height()));
    PicFrame->setGeometry(frame);
    lstLegend->setGeometry(frame.right() + 1 + kMargin, frame.top(), legendWidth_, frame.height());
    // The bars lie along the frame's bottom and right edges; a bar that
    // takes room may make the other one needed.
    const QSize picture = PicView->size();
    bool needH = picture.width() > frame.width();
    bool needV = picture.height() > frame.height();
    needH = needH || (needV && picture.width() > frame.width() - barW);
    needV = needV || (needH && picture.height() > frame.height() - barH);
    const int viewW = frame.width() - (needV ? barW : 0);
    const int viewH = frame.height() - (needH ? barH : 0);
    const rivulon::ScrollRange h = rivulon::scrollRange(picture.width(), viewW);
    const rivulon::ScrollRange v = rivulon::scrollRange(picture.height(), viewH);
    HScroll1->setGeometry(frame.left(), frame.bottom() + 1 - barH, std::max(1, viewW), barH);
    VScroll1->setGeometry(frame.right() + 1 - barW, frame.top(), barW, std::max(1, viewH));
    HScroll1->setRange(0, h.maximum);
    HScroll1->setSingleStep(h.smallStep);
    HScroll1->setPageStep(h.pageStep);
    VScroll1->setRange(0, v.maximum);
    VScroll1->setSingleStep(v.smallStep);
    VScroll1->setPageStep(v.pageStep);
    HScroll1->setVisible(h.enabled);
    VScroll1->setVisible(v.enabled);
    HScroll1->raise();
    VScroll1->raise();
    const int buttonsTop = frame.bottom() + 1 + kMargin;
    cmdClose->move(frame.left() + (frame.width() - cmdClose->width()) / 2, buttonsTop);
    cmdFit->move(frame.left(), buttonsTop);
    cmdActualSize->move(cmdFit->geometry().right() + 1 + kMargin, buttonsTop);
    cmdExport->move(std::max(cmdClose->geometry().right() + 1 + kMargin,
                             frame.right() + 1 - cmdExport->width()),
                    buttonsTop);
    placePicture();
}

void FrmView::placePicture() {
    PicView->move(-HScroll1->value(), -VScroll1->value());
}

void FrmView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    ScrollPicture();
}

bool FrmView::eventFilter(QObject* watched, QEvent* event) {
    if (watched == PicView && event->type() == QEvent::MouseMove) {
        const QPointF p = static_cast<QMouseEvent*>(event)->position();
        pointAt(static_cast<int>(std::floor(p.x() / zoom_)),
                static_cast<int>(std::floor(p.y() / zoom_)));
    } else if ((watched == PicView || watched == PicFrame) && event->type() == QEvent::Wheel) {
        auto* w = static_cast<QWheelEvent*>(event);
        const QPoint inFrame =
            static_cast<QWidget*>(watched)->mapTo(PicFrame, w->position().toPoint());
        return wheel(w, inFrame);
    } else if (watched == PicView && event->type() == QEvent::Leave) {
        TxtHint->hide();
    }
    return QWidget::eventFilter(watched, event);
}

void FrmView::pointAt(int x, int y) {
    if (!rivulon::pathPresent(host_.session().settings.projectPath) || map_.isNull() ||
        !map_.valid(x, y)) {
        return;
    }
    QString hint;
    if (kind_ == 1 || kind_ == 2) {
        const QRgb c = map_.pixel(x, y);
        hint = qs(rivulon::legendHint(rivulon::colorNumber(qRed(c), qGreen(c), qBlue(c)),
                                      legendColors_, lists_.legendNames));
    } else if (kind_ == 3) {
        const int county = rivulon::countyAt(static_cast<float>(x), static_cast<float>(y), lists_);
        if (county < 0) {
            hover_.move(-1);
            hint = QString::fromLatin1(rivulon::kCountyMissHint);
        } else {
            if (hover_.move(county)) {
                countyHint_ = qs(lists_.countyNames.at(static_cast<std::size_t>(county)));
                // With a database, the county's record opens once per entry
                // and names the county; without one, the project's name does.
                if (rivulon::pathPresent(host_.session().settings.databasePath)) {
                    QWidget* viewer = host_.openWindow(rivulon::ui::CountyRecordView::kProvider);
                    if (auto* record = dynamic_cast<rivulon::ui::CountyRecordView*>(viewer)) {
                        host_.showChild(viewer);
                        if (record->ToRecord(county + 1)) {
                            countyHint_ = record->recordName();
                        }
                    }
                }
            }
            hint = countyHint_;
        }
    } else {
        return;
    }
    showHint(hint, x, y);
}

void FrmView::showHint(const QString& text, int x, int y) {
    TxtHint->setText(text);
    TxtHint->adjustSize();
    // Below and right of the pointer, kept inside the frame.
    const QPoint onScreen(static_cast<int>(std::lround(x * zoom_)),
                          static_cast<int>(std::lround(y * zoom_)));
    QPoint at = PicView->mapTo(PicFrame, onScreen) + QPoint(12, 16);
    at.setX(std::max(0, std::min(at.x(), PicFrame->width() - TxtHint->width())));
    if (at.y() + TxtHint->height() > PicFrame->height()) {
        at.setY(std::max(0, at.y() - TxtHint->height() - 24));
    }
    TxtHint->move(at);
    TxtHint->show();
    TxtHint->raise();
}

void FrmView::cmdClose_Click() {
    close();
}

namespace {

const rivulon::ui::WindowCommand kFrmViewCommands[] = {
    {.id = "MnuLUMap",
     .caption = "&Land Use Map",
     .menu = "MnuView",
     .before = "MnuSeparator3",
     .run = &FrmView::openLandUseMap},
    {.id = "MnuSoilMap",
     .caption = "S&oil Map",
     .menu = "MnuView",
     .after = "MnuLUMap",
     .run = &FrmView::openSoilMap},
    {.id = "MnuCountyMap",
     .caption = "Count&y Map",
     .menu = "MnuView",
     .after = "MnuSoilMap",
     .run = &FrmView::openCountyMap},
};

}  // namespace

const rivulon::ui::WindowRegistration FrmView::registration{
    kKind, &rivulon::ui::makeWindow<FrmView>, true, 91, kFrmViewCommands};
