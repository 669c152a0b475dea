#include "project/ui/frmSimInfo.h"

#include <QAbstractTextDocumentLayout>
#include <QFontDatabase>
#include <QScreen>
#include <QScrollBar>
#include <QTextDocument>
#include <algorithm>
#include <cmath>

frmSimInfo::frmSimInfo(rivulon::ui::WindowHost& host) : host_(host) {
    setObjectName("frmSimInfo");
    setReadOnly(true);
    setLineWrapMode(QTextEdit::NoWrap);
    setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    // Each filling sizes the window's frame to the new listing.
    connect(this, &QTextEdit::textChanged, this, [this] {
        if (parentWidget()) {
            host_.fitFrame(this);
        }
    });
}

void frmSimInfo::showListing(const QString& title, const QString& html) {
    setWindowTitle(title);
    setHtml(html);
    host_.showChild(this);
}

QSize frmSimInfo::sizeHint() const {
    const QSizeF text(document()->idealWidth(),
                      document()->documentLayout()->documentSize().height());
    const int bar = verticalScrollBar()->sizeHint().width();
    const int extra = 2 * frameWidth() + bar + 8;
    QSize size(static_cast<int>(std::ceil(text.width())) + extra,
               static_cast<int>(std::ceil(text.height())) + extra);
    if (const QScreen* s = screen()) {
        const QSize room = s->availableGeometry().size() * 9 / 10;
        size = size.boundedTo(room);
    }
    return size.expandedTo(QSize(320, 200));
}

const rivulon::ui::WindowRegistration frmSimInfo::registration{
    kKind, &rivulon::ui::makeWindow<frmSimInfo>, true, 4, {}};
