#include "speech_balloon.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>

namespace tukomi {
namespace {

constexpr int kTextFlags = Qt::AlignCenter | Qt::TextWordWrap;
constexpr int kBorderPixels = 2;

}  // namespace

SpeechBalloon::SpeechBalloon(BalloonStyle style) : style_(std::move(style)) {
    font_ = QFont(style_.fontFamily);
    font_.setPixelSize(std::max(1, style_.fontPixelSize));
    font_.setBold(true);
}

void SpeechBalloon::setText(const QString& text, int maxTextWidth) {
    text_ = text;
    shownText_ = text.size() > kMaxShownCharacters
                     ? text.left(kMaxShownCharacters - 1) + QChar(0x2026)
                     : text;
    const QFontMetrics metrics(font_);
    const QRect bounds = metrics.boundingRect(QRect(0, 0, std::max(1, maxTextWidth), 100000),
                                              kTextFlags, shownText_);
    const int minWidth = metrics.height();
    textRect_ = QRect(kPaddingPixels, kPaddingPixels, std::max(bounds.width(), minWidth),
                      std::max(bounds.height(), metrics.height()));
}

QSize SpeechBalloon::size() const {
    return QSize(textRect_.width() + 2 * kPaddingPixels,
                 textRect_.height() + 2 * kPaddingPixels + kTailHeightPixels);
}

void SpeechBalloon::paint(QPainter& painter, QPoint topLeft, int tailTipX) const {
    const QSize whole = size();
    const QRectF body(topLeft.x() + kBorderPixels / 2.0, topLeft.y() + kBorderPixels / 2.0,
                      whole.width() - kBorderPixels,
                      whole.height() - kTailHeightPixels - kBorderPixels);
    // The tail leaves the body's lower edge between two points near the tip,
    // kept clear of the rounded corners.
    const double minBase = body.left() + kCornerRadiusPixels;
    const double maxBase = body.right() - kCornerRadiusPixels - kTailWidthPixels;
    const double tipX = topLeft.x() + tailTipX;
    const double baseLeft =
        std::clamp(tipX - kTailWidthPixels, minBase, std::max(minBase, maxBase));

    QPainterPath path;
    path.addRoundedRect(body, kCornerRadiusPixels, kCornerRadiusPixels);
    QPainterPath tail;
    tail.moveTo(baseLeft, body.bottom() - 4);
    tail.lineTo(tipX, topLeft.y() + whole.height() - 1);
    tail.lineTo(baseLeft + kTailWidthPixels, body.bottom() - 4);
    tail.closeSubpath();
    path = path.united(tail);

    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    // A soft shadow first, so the balloon stands off the window.
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0, 0, 0, 40));
    painter.drawPath(path.translated(2, 3));
    painter.setPen(QPen(style_.border, kBorderPixels));
    painter.setBrush(style_.background);
    painter.drawPath(path);
    painter.setPen(style_.text);
    painter.setFont(font_);
    painter.drawText(textRect_.translated(topLeft), kTextFlags, shownText_);
    painter.restore();
}

}  // namespace tukomi
