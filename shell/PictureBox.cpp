#include "shell/PictureBox.h"

#include <QCoreApplication>
#include <QFontMetricsF>
#include <QPaintEvent>
#include <QPainter>

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

void PictureBox::clear() {
    image_.fill(Qt::white);
    update();
}

void PictureBox::line(double x1, double y1, double x2, double y2, const QColor& colour) {
    QPainter painter(&image_);
    painter.setPen(QPen(colour, 0));
    painter.drawLine(QPointF(twipsToPixelsF(x1), twipsToPixelsF(y1)),
                     QPointF(twipsToPixelsF(x2), twipsToPixelsF(y2)));
}

double PictureBox::text(double x, double y, const QString& s, const QFont& font,
                        const QColor& colour) {
    QPainter painter(&image_);
    painter.setFont(font);
    painter.setPen(colour);
    const QFontMetricsF metrics(font);
    painter.drawText(QPointF(twipsToPixelsF(x), twipsToPixelsF(y) + metrics.ascent()), s);
    return metrics.horizontalAdvance(s) * rivulon::ui::kTwipsPerPixel;
}

double PictureBox::textWidth(const QString& s, const QFont& font) const {
    return QFontMetricsF(font).horizontalAdvance(s) * rivulon::ui::kTwipsPerPixel;
}

double PictureBox::textHeight(const QFont& font) const {
    return QFontMetricsF(font).height() * rivulon::ui::kTwipsPerPixel;
}

void PictureBox::setImage(const QImage& image) {
    QImage copy(image_.size(), QImage::Format_RGB32);
    copy.fill(Qt::white);
    QPainter painter(&copy);
    painter.drawImage(0, 0, image);
    painter.end();
    image_ = copy;
    update();
}

bool PictureBox::refreshEvery(int intervalMs) {
    if (sinceRefresh_.isValid() && sinceRefresh_.elapsed() < intervalMs) {
        return false;
    }
    sinceRefresh_.start();
    update();
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    return true;
}

void PictureBox::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    painter.drawImage(event->rect(), image_, event->rect());
}

QFont drawingFont(const QString& family, double points) {
    QFont font(family);
    font.setPixelSize(pointsToPixels(points));
    return font;
}
