#include "shell/ui/FrmView.h"

#include <QFileInfo>
#include <QFrame>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QScrollBar>
#include <QShortcut>

#include "common/paths.h"
#include "shell/dialogs.h"
#include "shell/qt_text.h"
#include "shell/session.h"
#include "shell/window_services.h"

using rivulon::ui::msgBox;
using rivulon::ui::qs;

namespace {

constexpr int kMargin = 6;
constexpr int kHelpContext = 91;

// The map itself, drawn at its own size inside the frame.
class MapPicture : public QWidget {
  public:
    explicit MapPicture(QWidget* parent) : QWidget(parent) { setMouseTracking(true); }
    void setImage(const QImage& image) {
        image_ = image;
        resize(image.isNull() ? QSize(1, 1) : image.size());
        update();
    }

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        if (!image_.isNull()) {
            p.drawImage(0, 0, image_);
        }
    }

  private:
    QImage image_;
};

}  // namespace

void FrmView::open(rivulon::ui::WindowHost& host, int kind) {
    auto* w = qobject_cast<FrmView*>(host.openWindow(rivulon::ui::WindowKind::Map));
    if (!w) {
        return;
    }
    const rivulon::ProjectSettings& s = host.session().settings;
    const std::string& path = kind == 1   ? s.landUseMapPath
                              : kind == 2 ? s.soilMapPath
                                          : s.countyMapPath;
    w->Loadmap(qs(path), static_cast<std::int16_t>(kind));
    host.showChild(w);
    // Grown (or shrunk) to show the whole map once its frame is laid out; the
    // host keeps the window inside the main window.
    const QSize picture = w->PicView->size().expandedTo(QSize(320, 200));
    if (QWidget* frame = w->parentWidget()) {
        frame->resize(frame->size() + picture - w->PicFrame->size());
        host.showChild(w);
    }
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

    connect(HScroll1, &QScrollBar::valueChanged, this, &FrmView::placePicture);
    connect(VScroll1, &QScrollBar::valueChanged, this, &FrmView::placePicture);
    connect(cmdClose, &QPushButton::clicked, this, &FrmView::cmdClose_Click);
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
    if (map_.isNull()) {
        static_cast<MapPicture*>(PicView)->setImage({});
        ScrollPicture();
        msgBox(this, QStringLiteral("The map file %1 cannot be read.")
                         .arg(mapFile.isEmpty() ? QStringLiteral("(none)") : mapFile));
        return;
    }
    map_ = map_.convertToFormat(QImage::Format_RGB32);
    static_cast<MapPicture*>(PicView)->setImage(map_);
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
    ScrollPicture();
}

void FrmView::ScrollPicture() {
    const int barH = HScroll1->sizeHint().height();
    const int barW = VScroll1->sizeHint().width();
    const QRect frame(kMargin, kMargin, std::max(1, width() - 2 * kMargin),
                      std::max(1, height() - 3 * kMargin - cmdClose->height()));
    PicFrame->setGeometry(frame);
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
    cmdClose->move(frame.left() + (frame.width() - cmdClose->width()) / 2,
                   frame.bottom() + 1 + kMargin);
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
        const QPoint p = static_cast<QMouseEvent*>(event)->position().toPoint();
        pointAt(p.x(), p.y());
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
                    QWidget* viewer = host_.openWindow(rivulon::ui::WindowKind::County);
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
    QPoint at = PicView->mapTo(PicFrame, QPoint(x, y)) + QPoint(12, 16);
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
