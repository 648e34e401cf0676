#include "navigation.h"

#include <QRegularExpression>
#include <cmath>
#include <limits>

#include "twips.h"

namespace tukomi {

QString Navigation::captionFor(const QString& pictureText) {
    return QStringLiteral("Mibaro 1.0版  文字解释：") + pictureText;
}

std::optional<int> Navigation::readNumber(const QString& text) {
    static const QRegularExpression number(QStringLiteral(R"(^\s*([+-]?(\d+(\.\d*)?|\.\d+))\s*$)"));
    const QRegularExpressionMatch match = number.match(text);
    if (!match.hasMatch())
        return std::nullopt;
    bool ok = false;
    const double value = match.captured(1).toDouble(&ok);
    if (!ok)
        return std::nullopt;
    const double rounded = roundHalfEven(value);
    if (rounded < std::numeric_limits<int>::min() || rounded > std::numeric_limits<int>::max())
        return std::nullopt;
    return static_cast<int>(rounded);
}

void Navigation::NextPicture() {
    step(+1);
}

void Navigation::PreviousPicture() {
    step(-1);
}

void Navigation::step(int delta) {
    const int count = controls_.pictureCount();
    if (count < 1)
        return;  // no pictures to step through
    controls_.stopClock();
    if (delta > 0)
        start_ = start_ >= count ? 1 : start_ + 1;
    else
        start_ = start_ <= 1 || start_ > count ? count : start_ - 1;
    // Selecting the list entry runs the list's own steps at once.
    if (start_ <= kListEntries) {
        controls_.selectListEntry(start_ - 1);
        ChooseFromList(start_ - 1);
    } else {
        // Pictures beyond the list have no entry and no text.
        controls_.selectListEntry(-1);
        controls_.setCaption(captionFor(QString()));
    }
    controls_.ShowCurrentPicture(start_);
    showNumber(start_);
}

void Navigation::ChooseFromList(int index) {
    if (index < 0 || index >= kListEntries)
        return;
    controls_.setCaption(captionFor(controls_.pictureText(index + 1)));
    start_ = index + 1;
    controls_.ShowCurrentPicture(start_);
    showNumber(start_);
}

void Navigation::ChooseByNumber(const QString& text) {
    const int count = controls_.pictureCount();
    if (count < 1)
        return;
    const std::optional<int> n = readNumber(text);
    if (!n)
        return;  // the child is still typing, or typed no number: keep the picture
    if (*n > count) {
        start_ = 1;
        showNumber(1);
    } else if (*n < 1) {
        start_ = count;
        showNumber(count);
    } else {
        start_ = *n;
    }
    controls_.ShowCurrentPicture(start_);
}

void Navigation::showNumber(int n) {
    const QString text = QString::number(n);
    if (controls_.numberText() == text)
        return;
    controls_.setNumberText(text);
    ChooseByNumber(text);
}

}  // namespace tukomi
