#include "pinyin_label.h"

#include <QFontMetricsF>
#include <QPainter>
#include <algorithm>

#include "fitting_label.h"

namespace tukomi {
namespace {

// Room left free between the ink and the label's edges, in pixels.
constexpr qreal kMarginPixels = 1.0;
// The least room between the ink of neighbouring syllables, in spaces of the
// syllables' font: less than one and a child reads two syllables as one word.
constexpr qreal kSyllableGapSpaces = 1.0;

}  // namespace

PinyinLabel::PinyinLabel(QWidget* parent) : QLabel(parent) {
    setTextFormat(Qt::PlainText);
}

void PinyinLabel::setSyllables(const FittingLabel* textLabel,
                               std::vector<PinyinSyllable> syllables) {
    textLabel_ = textLabel;
    syllables_ = std::move(syllables);
    QString line;
    for (const PinyinSyllable& s : syllables_)
        line += s.syllable + u' ';
    setText(line);
    update();
}

std::vector<qreal> PinyinLabel::characterCentres() const {
    std::vector<qreal> centres;
    for (const PinyinSyllable& s : syllables_) {
        const QPointF inText(textLabel_->characterCentre(s.position, s.length), 0);
        centres.push_back(mapFromGlobal(textLabel_->mapToGlobal(inText)).x());
    }
    return centres;
}

QFont PinyinLabel::fittedFont() const {
    QFont fitted = font();
    if (!textLabel_ || syllables_.empty())
        return fitted;
    const std::vector<qreal> centres = characterCentres();
    // Every limit is a ratio of room to ink, and ink grows with the font
    // size; glyphs do not scale exactly (hinting), so shrink until the ink
    // fits, as FittingLabel does.
    for (int round = 0; round < 8; ++round) {
        const QFontMetricsF metrics(fitted);
        const qreal gap = kSyllableGapSpaces * metrics.horizontalAdvance(u' ');
        std::vector<qreal> halfWidths;
        for (const PinyinSyllable& s : syllables_)
            halfWidths.push_back(metrics.tightBoundingRect(s.syllable).width() / 2);
        const QRectF lineInk = metrics.tightBoundingRect(text());
        qreal scale = lineInk.height() > 0 ? (height() - 2 * kMarginPixels) / lineInk.height() : 1;
        for (std::size_t i = 0; i < centres.size(); ++i) {
            if (halfWidths[i] <= 0)
                continue;
            scale = std::min({scale, (centres[i] - kMarginPixels) / halfWidths[i],
                              (width() - kMarginPixels - centres[i]) / halfWidths[i]});
            if (i + 1 < centres.size())
                scale = std::min(scale, (centres[i + 1] - centres[i]) /
                                            (halfWidths[i] + halfWidths[i + 1] + gap));
        }
        if (scale >= 1.0 || scale <= 0.0 || fitted.pointSizeF() <= 1.0)
            break;
        fitted.setPointSizeF(std::max(1.0, fitted.pointSizeF() * scale * 0.98));
    }
    return fitted;
}

std::vector<QPointF> PinyinLabel::syllableOrigins(const QFont& font) const {
    std::vector<QPointF> origins;
    if (!textLabel_)
        return origins;
    const QFontMetricsF metrics(font);
    // One baseline for the whole line, its ink centred from top to bottom.
    const QRectF lineInk = metrics.tightBoundingRect(text());
    const qreal baseline = (height() - lineInk.height()) / 2 - lineInk.top();
    const std::vector<qreal> centres = characterCentres();
    for (std::size_t i = 0; i < syllables_.size(); ++i) {
        const QRectF ink = metrics.tightBoundingRect(syllables_[i].syllable);
        origins.emplace_back(centres[i] - ink.center().x(), baseline);
    }
    return origins;
}

std::vector<QRectF> PinyinLabel::syllableInk() const {
    const QFont font = fittedFont();
    const QFontMetricsF metrics(font);
    const std::vector<QPointF> origins = syllableOrigins(font);
    std::vector<QRectF> inks;
    for (std::size_t i = 0; i < origins.size(); ++i)
        inks.push_back(metrics.tightBoundingRect(syllables_[i].syllable).translated(origins[i]));
    return inks;
}

void PinyinLabel::paintEvent(QPaintEvent* event) {
    if (!textLabel_) {
        QLabel::paintEvent(event);
        return;
    }
    QPainter painter(this);
    if (autoFillBackground())
        painter.fillRect(rect(), palette().color(backgroundRole()));
    const QFont font = fittedFont();
    painter.setFont(font);
    painter.setPen(palette().color(foregroundRole()));
    const std::vector<QPointF> origins = syllableOrigins(font);
    for (std::size_t i = 0; i < origins.size(); ++i)
        painter.drawText(origins[i], syllables_[i].syllable);
}

}  // namespace tukomi
