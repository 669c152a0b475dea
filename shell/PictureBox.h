#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QLineF>
#include <QPointF>
#include <QWidget>
#include <memory>
#include <vector>

// A picture area drawn in twips: lines and texts go into an image of the
// design's size, so a drawing survives hiding and costs nothing to repaint.
// A scalable picture also keeps what was drawn and shows it enlarged, sharp,
// when its window makes it larger than the design's size.
class QPainter;

class PictureBox : public QWidget {
    Q_OBJECT
  public:
    // The drawing area's size in twips.
    PictureBox(double widthTwips, double heightTwips, QWidget* parent = nullptr);
    ~PictureBox() override;

    // The 16 classic console colours by number (0 black .. 15 bright white).
    static QColor qbColor(int number);

    // Grows with its layout (never below the design's size) and scales the drawing.
    void setScalable(bool scalable);

    void clear();
    // Many strokes in a row share one painter between these two calls.
    void beginStrokes();
    void endStrokes();
    // `widthPixels` 0 is the thinnest line at any scale.
    void line(double x1, double y1, double x2, double y2, const QColor& colour,
              int widthPixels = 0);
    // Draws text with its top-left corner at (x, y); returns its width in twips.
    double text(double x, double y, const QString& s, const QFont& font,
                const QColor& colour = Qt::black);
    double textWidth(const QString& s, const QFont& font) const;
    double textHeight(const QFont& font) const;

    // The drawing at the design's size.
    const QImage& image() const { return image_; }
    void setImage(const QImage& image);

    QSize sizeHint() const override { return image_.size(); }

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    // What was drawn, in pixels of the design's size, for drawing it again larger.
    struct Stroke {
        bool isText = false;
        QLineF line;
        QPointF at;
        QString text;
        QFont font;
        QColor colour;
        int width = 0;
    };
    void drawStroke(QPainter& painter, const Stroke& stroke, double scale) const;
    double scale() const;
    // Brings the enlarged image up to date with the strokes drawn so far.
    void updateScaled();

    QPainter& imagePainter();

    QImage image_;
    std::unique_ptr<QPainter> batch_;
    std::unique_ptr<QPainter> single_;
    bool scalable_ = false;
    std::vector<Stroke> strokes_;
    QImage background_;  // set with setImage: shown enlarged beneath the strokes
    QImage scaled_;
    std::size_t scaledStrokes_ = 0;
};

// A drawing font of a given point size, independent of the screen's dpi.
QFont drawingFont(const QString& family, double points);
