#pragma once

#include <QImage>
#include <QPoint>
#include <QString>
#include <QWidget>
#include <cstdint>
#include <vector>

#include "mapdb/map_hints.h"
#include "shell/window_host.h"
#include "shell/window_registration.h"

class QFrame;
class QLabel;
class QListWidget;
class QPushButton;
class QScrollBar;
class QWheelEvent;

// Shows one of the project's maps, scrolled in a frame, with a hint naming
// what lies under the pointer; on the county map, pointing at a county's name
// opens its record.
class FrmView : public QWidget {
    Q_OBJECT
  public:
    static constexpr rivulon::ui::WindowKind kKind{"FrmView"};
    static const rivulon::ui::WindowRegistration registration;

    explicit FrmView(rivulon::ui::WindowHost& host);

    // The menu commands: the land-use, soil and county maps.
    static void openLandUseMap(rivulon::ui::WindowHost& host);
    static void openSoilMap(rivulon::ui::WindowHost& host);
    static void openCountyMap(rivulon::ui::WindowHost& host);

    // Loads a map of a kind (1 land use, 2 soil, 3 county) with its lists
    // from the project file. A map that cannot be read is said so once and
    // leaves the window empty but usable.
    void Loadmap(const QString& mapFile, std::int16_t kind);
    // Places the scroll bars and the close button around the frame.
    void ScrollPicture();
    void cmdClose_Click();

    // The hint for the pointer at a pixel of the map, as a mouse move there
    // shows it; on the county map this may open a county's record.
    void pointAt(int x, int y);
    const std::vector<std::int32_t>& legendColors() const { return legendColors_; }

    // Zoom of the picture, 1 showing one screen pixel per map pixel. The
    // point of the frame at `anchor` keeps the same part of the map.
    double zoom() const { return zoom_; }
    void setZoom(double zoom, QPoint anchor = {});
    // The zoom that shows the whole map in the frame.
    void zoomToFit();
    // Saves the part of the map the frame shows, at the zoom shown.
    bool exportVisible(const QString& path) const;
    QImage visibleImage() const;
    // The window's size that shows the whole map at the zoom shown, with its legend.
    QSize sizeToShowMap() const;

    QFrame* PicFrame;
    QWidget* PicView;
    QScrollBar* HScroll1;
    QScrollBar* VScroll1;
    QLabel* TxtHint;
    QPushButton* cmdClose;
    // The categories of the land-use and soil maps with their colours.
    QListWidget* lstLegend;
    QPushButton* cmdFit;
    QPushButton* cmdActualSize;
    QPushButton* cmdExport;

  protected:
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    static void open(rivulon::ui::WindowHost& host, int kind);
    void showHint(const QString& text, int x, int y);
    void placePicture();
    void fillLegend();
    void cmdExport_Click();
    bool wheel(QWheelEvent* event, QPoint inFrame);

    rivulon::ui::WindowHost& host_;
    std::int16_t kind_ = 0;
    QImage map_;
    rivulon::MapLists lists_;
    std::vector<std::int32_t> legendColors_;
    rivulon::CountyHover hover_;
    QString countyHint_;  // the hint of the county the pointer is in
    double zoom_ = 1.0;
    int legendWidth_ = 210;
};
