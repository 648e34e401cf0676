#pragma once

#include <QLabel>

namespace tukomi {

// A one-line label that centres its text by the ink it draws, not by the
// font's line box, and shrinks the font when the ink would not fit. CJK
// fonts have tall line boxes; tone marks and descenders of pinyin in such a
// font would otherwise be cut off in a label sized for a compact font.
class FittingLabel : public QLabel {
    Q_OBJECT
public:
    explicit FittingLabel(QWidget* parent = nullptr);

    // The font the text is drawn with: the label's font, made smaller when
    // the text's ink would not fit the label.
    QFont fittedFont() const;

    // Where the text starts on its baseline, in the label's coordinates, when
    // drawn with fittedFont(): the point that centres its ink in the label.
    QPointF textOrigin() const;

    // The horizontal middle of the characters text()[position, position +
    // length) as the label draws them, in the label's coordinates.
    qreal characterCentre(qsizetype position, qsizetype length) const;

protected:
    void paintEvent(QPaintEvent* event) override;
};

}  // namespace tukomi
