#pragma once

#include <QString>
#include <array>
#include <cstdint>
#include <optional>
#include <unordered_map>

namespace tukomi {

// The table is carried in thirteen parts, joined in order at start-up.
inline constexpr int kPinyinPartCount = 13;

// The character-to-pinyin table: lines "字 pin1" ending in CR LF, one reading
// per character (syllable in lower-case letters with "ü", tone digit 1-4, 5
// for the neutral tone). A character may stand on several lines; a lookup
// gives the reading of its first line, as a plain search from the start of
// the text would.
class PinyinTable {
public:
    // `table` is the whole table text (the parts joined). The map from each
    // character to the reading of its first line is built here, once: about
    // 20,000 entries, a few milliseconds. Lines that do not have the form
    // "character, space, reading" are not entries; an empty text gives a
    // table in which nothing has a reading.
    explicit PinyinTable(QString table);

    // The reading of `c`, e.g. "ma1" for 妈 and "nü3" for 女: the syllable
    // followed by its tone digit. Nothing for characters that start no line
    // of the table (punctuation, Latin letters, rare characters, and any
    // code point that is not a character).
    std::optional<QString> LookupPinyin(char32_t c) const;

    // Number of characters with a reading.
    std::size_t size() const { return readings_.size(); }

    const QString& text() const { return table_; }

    // The thirteen parts of the built-in table (the resource files
    // :/pinyin/pinyin00.txt ... pinyin12.txt), decoded from GBK. A part that is
    // missing from the program comes back empty; joined in order the parts
    // are the table text.
    static std::array<QString, kPinyinPartCount> LoadPinyinParts();

private:
    struct Span {
        qsizetype start;
        qsizetype length;
    };
    QString table_;
    std::unordered_map<char32_t, Span> readings_;
};

}  // namespace tukomi
