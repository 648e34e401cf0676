#include "picture_texts.h"

namespace tukomi {
namespace {

// Reads the record number: decimal digits with blanks around them. Anything
// else (empty, signs, letters, more digits than a picture number can have)
// gives 0, which is never a valid picture.
int readRecordNumber(QStringView digits) {
    digits = digits.trimmed();
    if (digits.isEmpty() || digits.size() > 9)
        return 0;
    int n = 0;
    for (QChar c : digits) {
        if (c < u'0' || c > u'9')
            return 0;
        n = n * 10 + (c.unicode() - u'0');
    }
    return n;
}

}  // namespace

QString PictureTexts::text(int n) const {
    if (n < 1 || n > pictureCapacity)
        return {};
    return texts_[static_cast<std::size_t>(n - 1)];
}

void PictureTexts::setText(int n, const QString& text) {
    if (n < 1 || n > pictureCapacity)
        return;
    texts_[static_cast<std::size_t>(n - 1)] = text;
}

std::optional<PictureTextError> PictureTexts::parse(const QString& content, PictureTexts& out) {
    PictureTexts result;
    // The line of each record, counted on from the previous one: the text is
    // read once, however many records it has.
    int line = 1;
    qsizetype counted = 0;
    qsizetype open = -1;
    while ((open = content.indexOf(u'[', open + 1)) >= 0) {
        line += static_cast<int>(QStringView(content).mid(counted, open - counted).count(u'\n'));
        counted = open;
        const qsizetype close = content.indexOf(u']', open + 1);
        if (close < 0)
            return PictureTextError{
                line,
                QStringLiteral("a record opens with \"[\" but has no closing \"]\""),
                LoadProblem::NoClosingBracket,
                {}};
        const QStringView record = QStringView(content).mid(open + 1, close - open - 1);
        const qsizetype dot = record.indexOf(u'.');
        if (dot < 0)
            return PictureTextError{
                line,
                QStringLiteral("the record \"[%1]\" has no \".\" after its picture number")
                    .arg(record.left(40)),
                LoadProblem::NoDot, record.left(40).toString()};
        const QStringView number = record.left(dot);
        const int n = readRecordNumber(number);
        if (n < 1 || n > pictureCapacity)
            return PictureTextError{
                line,
                QStringLiteral("the record number \"%1\" is not a picture number from 1 to %2")
                    .arg(number.left(40))
                    .arg(pictureCapacity),
                LoadProblem::NotAPictureNumber, number.left(40).toString()};
        result.setText(n, record.mid(dot + 1).toString());
    }
    out = std::move(result);
    return std::nullopt;
}

}  // namespace tukomi
