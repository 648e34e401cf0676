#pragma once

#include <QLabel>
#include <QPointer>
#include <vector>

#include "pinyin_line.h"

namespace tukomi {

class FittingLabel;

// The pinyin line over a text label: each syllable drawn centred above the
// character it reads, so a child sees which sound belongs to which
// character. The label's text() is the whole line ("mā ma de "), for
// screen readers and tests; only the drawing places the syllables one by
// one. When neighbouring syllables would touch, or a syllable would leave
// the label, the font shrinks, the same for every syllable.
class PinyinLabel : public QLabel {
    Q_OBJECT
public:
    explicit PinyinLabel(QWidget* parent = nullptr);

    // Shows `syllables` over the characters of `textLabel`'s text, whose
    // positions they give. The text label's place and font are read each
    // time this label is drawn; it must be in the same window. Without a text
    // label the line is drawn as a plain centred label.
    void setSyllables(const FittingLabel* textLabel, std::vector<PinyinSyllable> syllables);

    // The font the syllables are drawn with: the label's font, made smaller
    // when they would not fit side by side over their characters.
    QFont fittedFont() const;

    // Where the ink of each syllable is drawn, in this label's coordinates,
    // in the order of the syllables. Empty without a text label.
    std::vector<QRectF> syllableInk() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    // The middle of each syllable's character, on this label's x axis.
    std::vector<qreal> characterCentres() const;
    // Where each syllable is drawn with `font`: the start of its baseline.
    std::vector<QPointF> syllableOrigins(const QFont& font) const;

    QPointer<const FittingLabel> textLabel_;
    std::vector<PinyinSyllable> syllables_;
};

}  // namespace tukomi
