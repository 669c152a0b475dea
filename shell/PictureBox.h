#pragma once

#include <QColor>
#include <QElapsedTimer>
#include <QImage>
#include <QWidget>

// A picture area drawn in twips: lines and texts go into an image that the
// widget shows, so a drawing survives hiding and costs nothing to repaint.
class PictureBox : public QWidget {
    Q_OBJECT
  public:
    // The drawing area's size in twips.
    PictureBox(double widthTwips, double heightTwips, QWidget* parent = nullptr);

    // The 16 classic console colours by number (0 black .. 15 bright white).
    static QColor qbColor(int number);

    void clear();
    void line(double x1, double y1, double x2, double y2, const QColor& colour);
    // Draws text with its top-left corner at (x, y); returns its width in twips.
    double text(double x, double y, const QString& s, const QFont& font,
                const QColor& colour = Qt::black);
    double textWidth(const QString& s, const QFont& font) const;
    double textHeight(const QFont& font) const;

    const QImage& image() const { return image_; }
    void setImage(const QImage& image);

    // Shows what was drawn, at most every `intervalMs`, letting the window
    // system repaint without taking user input; true when it did.
    bool refreshEvery(int intervalMs);

    QSize sizeHint() const override { return image_.size(); }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QImage image_;
    QElapsedTimer sinceRefresh_;
};

// A drawing font of a given point size, independent of the screen's dpi.
QFont drawingFont(const QString& family, double points);
