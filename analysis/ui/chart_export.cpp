#include "analysis/ui/chart_export.h"

#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QGraphicsView>
#include <QHBoxLayout>
#include <QImage>
#include <QPainter>
#include <QPdfWriter>
#include <QRegularExpression>
#include <QToolButton>
#include <QWidget>
#include <string_view>

#include "common/atomic_file.h"
#include "shell/app_folder.h"
#include "shell/dialogs.h"
#include "shell/qt_text.h"
#include "shell/widgets/grid_export.h"

namespace rivulon::ui {

namespace {

bool writeBytes(const QString& path, const QByteArray& bytes) {
    try {
        rivulon::writeFileAtomically(
            ss(path), std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

// Draws `part` of the widget into `target` of the painter. A chart view
// draws its scene, which stays sharp at any scale.
void drawPart(QPainter& painter, QWidget* picture, const QRect& part, const QRectF& target) {
    if (auto* view = qobject_cast<QGraphicsView*>(picture)) {
        view->render(&painter, target, part);
        return;
    }
    painter.save();
    painter.translate(target.topLeft());
    painter.scale(target.width() / part.width(), target.height() / part.height());
    picture->render(&painter, QPoint(), QRegion(part), QWidget::DrawChildren);
    painter.restore();
}

}  // namespace

bool writeWidgetPng(QWidget* picture, const QString& path, const QRect& area) {
    const QRect part = area.isEmpty() ? picture->rect() : area;
    // Drawn at twice the screen size so that it stays sharp in a report.
    const QSize size = part.size().expandedTo(QSize(480, 320)) * 2;
    QImage image(size, QImage::Format_ARGB32);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        drawPart(painter, picture, part, QRectF(QPointF(0, 0), QSizeF(size)));
    }
    QByteArray bytes;
    {
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        if (!image.save(&buffer, "PNG"))
            return false;
    }
    return writeBytes(path, bytes);
}

bool writeWidgetPdf(QWidget* picture, const QString& title, const QString& path,
                    const QRect& area) {
    const QRect part = area.isEmpty() ? picture->rect() : area;
    QByteArray bytes;
    {
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        QPdfWriter pdf(&buffer);
        pdf.setTitle(title);
        pdf.setPageOrientation(QPageLayout::Landscape);
        QPainter painter;
        if (!painter.begin(&pdf))
            return false;
        const QRect page = painter.viewport();
        // Keep the picture's shape; fill the page's width or height.
        QSizeF shape = QSizeF(part.size()).expandedTo(QSizeF(480, 320));
        shape.scale(QSizeF(page.size()), Qt::KeepAspectRatio);
        drawPart(painter, picture, part, QRectF(QPointF(0, 0), shape));
        painter.end();
    }
    return writeBytes(path, bytes);
}

QString chartFileBaseName(const QString& title) {
    QString name = title;
    name.replace(QRegularExpression(QStringLiteral("[^A-Za-z0-9]+")), QStringLiteral(" "));
    name = name.simplified().replace(QLatin1Char(' '), QLatin1Char('_'));
    return name.isEmpty() ? QStringLiteral("Chart") : name;
}

bool saveWidgetPicture(QWidget* parent, QWidget* picture, const QString& title,
                       const QString& suffix, const QString& folder, const QRect& area) {
    const QString path = dialogs().saveFile(
        parent, QStringLiteral("Save Chart as %1").arg(suffix.toUpper()),
        folder.isEmpty() ? applicationFolder() + QStringLiteral("/Output") : folder,
        chartFileBaseName(title) + QLatin1Char('.') + suffix, suffix);
    if (path.isEmpty())
        return false;
    const bool ok = suffix == QLatin1String("pdf") ? writeWidgetPdf(picture, title, path, area)
                                                   : writeWidgetPng(picture, path, area);
    if (ok)
        showSaved(parent, path);
    else
        errorBox(parent, QStringLiteral("The chart could not be saved as %1.").arg(path));
    return ok;
}

void addExportButtons(QHBoxLayout* row, QWidget* parent, const QString& prefix,
                      const ChartExport& source) {
    const auto title = [source] { return source.title ? source.title() : QString(); };
    const auto folder = [source] { return source.folder ? source.folder() : QString(); };
    const struct {
        const char* name;
        const char* caption;
        const char* tip;
        std::function<void()> act;
    } buttons[] = {
        {"CopyData", "Copy Data", "Copy Data",
         [source] {
             QClipboard* clipboard = QApplication::clipboard();
             clipboard->clear();
             clipboard->setText(qs(plainCsvText(source.data())));
         }},
        {"SaveCsv", "CSV...", "Save Data as CSV",
         [parent, source, title] {
             saveGridCsv(parent, source.data(),
                         chartFileBaseName(title()) + QStringLiteral(".csv"));
         }},
        {"SavePng", "PNG...", "Save Chart as PNG",
         [parent, source, title, folder] {
             saveWidgetPicture(parent, source.picture, title(), QStringLiteral("png"), folder(),
                               source.area ? source.area() : QRect());
         }},
        {"SavePdf", "PDF...", "Save Chart as PDF",
         [parent, source, title, folder] {
             saveWidgetPicture(parent, source.picture, title(), QStringLiteral("pdf"), folder(),
                               source.area ? source.area() : QRect());
         }},
    };
    for (const auto& b : buttons) {
        const std::string_view name(b.name);
        if (!source.data && (name == "CopyData" || name == "SaveCsv"))
            continue;
        auto* button = new QToolButton(parent);
        button->setObjectName(prefix + QString::fromLatin1(b.name));
        button->setText(QString::fromLatin1(b.caption));
        button->setToolTip(QString::fromLatin1(b.tip));
        button->setAutoRaise(true);
        QObject::connect(button, &QToolButton::clicked, parent, b.act);
        row->addWidget(button);
    }
}

}  // namespace rivulon::ui
