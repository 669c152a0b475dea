#include "shell/PictureBox.h"

#include <QFontMetricsF>
#include <QPaintEvent>
#include <QPainter>
#include <algorithm>

#include "shell/twips.h"

using rivulon::ui::pointsToPixels;
using rivulon::ui::twipsToPixels;
using rivulon::ui::twipsToPixelsF;

PictureBox::PictureBox(double widthTwips, double heightTwips, QWidget* parent)
    : QWidget(parent),
      image_(twipsToPixels(widthTwips), twipsToPixels(heightTwips), QImage::Format_RGB32) {
    image_.fill(Qt::white);
    setFixedSize(image_.size());
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::ClickFocus);
}

QColor PictureBox::qbColor(int number) {
    static const QRgb colours[16] = {
        qRgb(0, 0, 0),       qRgb(0, 0, 128),   qRgb(0, 128, 0),   qRgb(0, 128, 128),
        qRgb(128, 0, 0),     qRgb(128, 0, 128), qRgb(128, 128, 0), qRgb(192, 192, 192),
        qRgb(128, 128, 128), qRgb(0, 0, 255),   qRgb(0, 255, 0),   qRgb(0, 255, 255),
        qRgb(255, 0, 0),     qRgb(255, 0, 255), qRgb(255, 255, 0), qRgb(255, 255, 255)};
    return QColor(colours[number & 15]);
}

void PictureBox::setScalable(bool scalable) {
    scalable_ = scalable;
    if (scalable) {
        setMinimumSize(image_.size());
        setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
        setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    } else {
        setFixedSize(image_.size());
        strokes_.clear();
        background_ = QImage();
    }
    scaled_ = QImage();
    update();
}

PictureBox::~PictureBox() = default;

void PictureBox::beginStrokes() {
    if (!batch_) {
        batch_ = std::make_unique<QPainter>(&image_);
    }
}

void PictureBox::endStrokes() {
    batch_.reset();
    update();
}

QPainter& PictureBox::imagePainter() {
    if (batch_) {
        return *batch_;
    }
    single_ = std::make_unique<QPainter>(&image_);
    return *single_;
}

void PictureBox::clear() {
    const bool batched = batch_ != nullptr;
    batch_.reset();
    image_.fill(Qt::white);
    if (batched) {
        batch_ = std::make_unique<QPainter>(&image_);
    }
    strokes_.clear();
    background_ = QImage();
    scaled_ = QImage();
    update();
}

void PictureBox::drawStroke(QPainter& painter, const Stroke& stroke, double factor) const {
    if (stroke.isText) {
        QFont font = stroke.font;
        font.setPixelSize(std::max(1, static_cast<int>(stroke.font.pixelSize() * factor)));
        painter.setFont(font);
        painter.setPen(stroke.colour);
        painter.drawText(
            QPointF(stroke.at.x() * factor, stroke.at.y() * factor + QFontMetricsF(font).ascent()),
            stroke.text);
        return;
    }
    painter.setPen(QPen(stroke.colour, stroke.width * factor));
    painter.drawLine(QLineF(stroke.line.p1() * factor, stroke.line.p2() * factor));
}

void PictureBox::line(double x1, double y1, double x2, double y2, const QColor& colour,
                      int widthPixels) {
    Stroke stroke;
    stroke.line =
        QLineF(twipsToPixelsF(x1), twipsToPixelsF(y1), twipsToPixelsF(x2), twipsToPixelsF(y2));
    stroke.colour = colour;
    stroke.width = widthPixels;
    drawStroke(imagePainter(), stroke, 1.0);
    single_.reset();
    if (scalable_) {
        strokes_.push_back(std::move(stroke));
    }
}

double PictureBox::text(double x, double y, const QString& s, const QFont& font,
                        const QColor& colour) {
    Stroke stroke;
    stroke.isText = true;
    stroke.at = QPointF(twipsToPixelsF(x), twipsToPixelsF(y));
    stroke.text = s;
    stroke.font = font;
    stroke.colour = colour;
    {
        QPainter& painter = imagePainter();
        painter.setFont(font);
        painter.setPen(colour);
        painter.drawText(QPointF(stroke.at.x(), stroke.at.y() + QFontMetricsF(font).ascent()), s);
        single_.reset();
    }
    if (scalable_) {
        strokes_.push_back(std::move(stroke));
    }
    return QFontMetricsF(font).horizontalAdvance(s) * rivulon::ui::kTwipsPerPixel;
}

double PictureBox::textWidth(const QString& s, const QFont& font) const {
    return QFontMetricsF(font).horizontalAdvance(s) * rivulon::ui::kTwipsPerPixel;
}

double PictureBox::textHeight(const QFont& font) const {
    return QFontMetricsF(font).height() * rivulon::ui::kTwipsPerPixel;
}

void PictureBox::setImage(const QImage& image) {
    batch_.reset();
    QImage copy(image_.size(), QImage::Format_RGB32);
    copy.fill(Qt::white);
    QPainter painter(&copy);
    painter.drawImage(0, 0, image);
    painter.end();
    image_ = copy;
    strokes_.clear();
    background_ = scalable_ ? image_ : QImage();
    scaled_ = QImage();
    update();
}

double PictureBox::scale() const {
    if (!scalable_ || image_.isNull()) {
        return 1.0;
    }
    return std::max(1.0, std::min(static_cast<double>(width()) / image_.width(),
                                  static_cast<double>(height()) / image_.height()));
}

void PictureBox::updateScaled() {
    const double factor = scale();
    const QSize size(static_cast<int>(image_.width() * factor),
                     static_cast<int>(image_.height() * factor));
    if (scaled_.size() != size) {
        scaled_ = QImage(size, QImage::Format_RGB32);
        scaled_.fill(Qt::white);
        scaledStrokes_ = 0;
        if (!background_.isNull()) {
            QPainter painter(&scaled_);
            painter.setRenderHint(QPainter::SmoothPixmapTransform);
            painter.drawImage(QRect(QPoint(0, 0), size), background_);
        }
    }
    if (scaledStrokes_ < strokes_.size()) {
        QPainter painter(&scaled_);
        painter.setRenderHint(QPainter::Antialiasing);
        for (std::size_t i = scaledStrokes_; i < strokes_.size(); ++i) {
            drawStroke(painter, strokes_[i], factor);
        }
        scaledStrokes_ = strokes_.size();
    }
}

void PictureBox::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    scaled_ = QImage();
}

void PictureBox::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    if (scale() == 1.0) {
        painter.fillRect(event->rect(), Qt::white);
        painter.drawImage(QPoint(0, 0), image_);
        return;
    }
    updateScaled();
    painter.fillRect(event->rect(), palette().window());
    painter.drawImage(QPoint(0, 0), scaled_);
}

QFont drawingFont(const QString& family, double points) {
    QFont font(family);
    font.setPixelSize(pointsToPixels(points));
    return font;
}
