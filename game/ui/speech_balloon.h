#pragma once

#include <QFont>
#include <QRect>
#include <QSize>
#include <QString>

#include "character_file.h"

class QPainter;

namespace tukomi {

// The rounded word balloon the assistant character speaks in: the text,
// wrapped to a width, in the character's balloon style, with a tail that
// points down at the speaker.
class SpeechBalloon {
public:
    static constexpr int kPaddingPixels = 12;
    static constexpr int kCornerRadiusPixels = 16;
    static constexpr int kTailHeightPixels = 16;
    static constexpr int kTailWidthPixels = 18;
    // Longer texts are cut short with an ellipsis so the balloon stays on the window.
    static constexpr int kMaxShownCharacters = 60;

    explicit SpeechBalloon(BalloonStyle style = {});

    // Lays out `text` wrapped to at most `maxTextWidth` pixels.
    void setText(const QString& text, int maxTextWidth);
    const QString& text() const { return text_; }
    // The text as shown: `text()`, shortened when it is very long.
    const QString& shownText() const { return shownText_; }
    bool isEmpty() const { return text_.isEmpty(); }

    // The whole balloon, tail included.
    QSize size() const;
    const QFont& font() const { return font_; }

    // Paints the balloon with its top-left corner at `topLeft`; the tail's tip
    // is at `tailTipX` (relative to the balloon's left edge) below the body.
    void paint(QPainter& painter, QPoint topLeft, int tailTipX) const;

private:
    BalloonStyle style_;
    QFont font_;
    QString text_;
    QString shownText_;
    QRect textRect_;  // relative to the balloon's top-left corner
};

}  // namespace tukomi
