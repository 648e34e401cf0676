#pragma once

#include <QString>
#include <array>
#include <optional>

namespace tukomi {

// Number of picture texts and of entries in the picture list.
inline constexpr int pictureCapacity = 32;

// The faults that stop the game's start-up, each told in the user's language.
enum class LoadProblem {
    Other,
    FileMissing,
    FileUnreadable,
    FileTooLarge,   // subject: the largest size in bytes
    NotInEncoding,  // subject: the encoding the text was read in
    NoClosingBracket,
    NoDot,              // subject: the record
    NotAPictureNumber,  // subject: the number as written
    DamagedCharacter,
};

// Where and why a picture-text file could not be read.
struct PictureTextError {
    int line = 0;  // 1-based line of the offending record; 0 for the file as a whole
    QString what;  // a sentence in English, without the file name
    LoadProblem problem = LoadProblem::Other;
    QString subject;
};

// The picture texts of "pictext.ini": records "[n.text]" with n in 1..32.
// Everything outside brackets is ignored; a later record for the same number
// replaces an earlier one; slots without a record stay empty.
class PictureTexts {
public:
    // Text of picture n; empty for pictures without a record and for numbers
    // outside 1..32 (pictures beyond the list have no text).
    QString text(int n) const;
    void setText(int n, const QString& text);

    // Parses the decoded content of the file. On the first malformed record
    // the result is an error naming its line; nothing is half-filled.
    static std::optional<PictureTextError> parse(const QString& content, PictureTexts& out);

private:
    std::array<QString, pictureCapacity> texts_;
};

}  // namespace tukomi
