#include "fitting_label.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QTextLayout>
#include <algorithm>

namespace tukomi {
namespace {

// Room left free around the ink, in pixels.
constexpr qreal kMarginPixels = 1.0;

}  // namespace

FittingLabel::FittingLabel(QWidget* parent) : QLabel(parent) {
    setTextFormat(Qt::PlainText);
}

QFont FittingLabel::fittedFont() const {
    QFont fitted = font();
    // Glyph sizes do not scale exactly with the point size (hinting), so
    // shrink until the ink fits; a few rounds always do.
    for (int round = 0; round < 8; ++round) {
        const QRectF ink = QFontMetricsF(fitted).tightBoundingRect(text());
        if (ink.isEmpty())
            break;
        const qreal scale = std::min((height() - 2 * kMarginPixels) / ink.height(),
                                     (width() - 2 * kMarginPixels) / ink.width());
        if (scale >= 1.0 || scale <= 0.0 || fitted.pointSizeF() <= 1.0)
            break;
        fitted.setPointSizeF(std::max(1.0, fitted.pointSizeF() * scale * 0.98));
    }
    return fitted;
}

QPointF FittingLabel::textOrigin() const {
    const QRectF ink = QFontMetricsF(fittedFont()).tightBoundingRect(text());
    return QPointF((width() - ink.width()) / 2 - ink.left(),
                   (height() - ink.height()) / 2 - ink.top());
}

qreal FittingLabel::characterCentre(qsizetype position, qsizetype length) const {
    // Laid out as drawText() lays out one line, so shaping and kerning of
    // mixed text put the characters where the painter puts them.
    QTextLayout layout(text(), fittedFont());
    layout.beginLayout();
    const QTextLine line = layout.createLine();
    layout.endLayout();
    const qreal start = line.cursorToX(int(position));
    const qreal end = line.cursorToX(int(position + length));
    return textOrigin().x() + (start + end) / 2;
}

void FittingLabel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (autoFillBackground())
        painter.fillRect(rect(), palette().color(backgroundRole()));
    painter.setFont(fittedFont());
    painter.setPen(palette().color(foregroundRole()));
    painter.drawText(textOrigin(), text());
}

}  // namespace tukomi
