#include "pinyin_table.h"
#include "pinyin_test_support.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QRegularExpression>
#include <QStringList>

#include <map>
#include <set>
#include <string>

#include "text_codec.h"

namespace tukomi {
namespace {

using namespace testing;

constexpr int kTableLines = 27553;
constexpr int kTableCharacters = 20577;
constexpr int kPartMinLines = 2026;
constexpr int kPartMaxLines = 2241;
constexpr int kPartMinBytes = 18059;
constexpr int kPartMaxBytes = 20436;

char32_t ch(const char* utf8) {
    return QString::fromUtf8(utf8).toUcs4().value(0);
}

QByteArray readFile(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

QString partPath(int i) {
    return QStringLiteral(TUKOMI_SOURCE_DIR "/data/pinyin/pinyin%1.txt")
        .arg(i, 2, 10, QLatin1Char('0'));
}

QStringList tableLines() {
    QStringList lines = joinedTable().split(QStringLiteral("\r\n"));
    if (!lines.isEmpty() && lines.back().isEmpty())
        lines.pop_back();
    return lines;
}

// The lookup as a plain search: the first occurrence of the character in the
// text, then the reading between the next space and the next CR LF.
std::optional<QString> plainSearch(const QString& text, char32_t c) {
    const QString needle = QString::fromUcs4(&c, 1);
    const qsizetype at = text.indexOf(needle);
    if (at < 0)
        return std::nullopt;
    const qsizetype space = text.indexOf(u' ', at + needle.size());
    const qsizetype end = text.indexOf(QStringLiteral("\r\n"), at + needle.size());
    if (space < 0 || end < 0 || end <= space)
        return std::nullopt;
    return text.mid(space + 1, end - space - 1);
}

struct Reading {
    const char* character;
    const char* reading;  // nullptr: no reading
};

// Characters of several readings keep the one a child learns first; the
// neutral tone is 5; ü is written ü.
// clang-format off
constexpr Reading kNamedReadings[] = {
    {"行", "hang2"}, {"长", "chang2"}, {"乐", "yue4"}, {"着", "zhe5"},  {"为", "wei2"},
    {"了", "le5"},   {"的", "de5"},    {"妈", "ma1"},  {"好", "hao3"},  {"国", "guo2"},
    {"果", "guo3"},  {"啊", "a1"},     {"女", "nü3"},  {"绿", "lü4"},   {"虐", "nüe4"},
    {"略", "lüe4"},  {"六", "liu4"},   {"瑳", "cuo1"}, {"禬", "gui4"},
    // pinyin-pro's first readings, as it gives them for everyday words.
    {"什", "shen2"}, {"们", "men5"},   {"还", "hai2"}, {"都", "dou1"},  {"地", "di4"},
    {"得", "de2"},   {"个", "ge4"},    {"么", "me5"},  {"吗", "ma5"},   {"呢", "ne5"},
    // Unihan kMandarin fills characters pinyin-pro lacks.
    {"瓩", "qian1"}, {"覅", "fiao4"},  {"龥", "yu4"},
    // Left out, or not characters at all.
    {"肀", nullptr}, {"兙", nullptr},  {"，", nullptr}, {"。", nullptr}, {"a", nullptr},
    {"ü", nullptr},  {" ", nullptr},   {"1", nullptr}, {"\r", nullptr}, {"😀", nullptr},
    {"𠀀", nullptr},
};
// clang-format on

TEST(PinyinLookup, GivesTheChosenReadingOrNothing) {
    for (const Reading& r : kNamedReadings) {
        SCOPED_TRACE(r.character);
        const auto reading = table().LookupPinyin(ch(r.character));
        if (r.reading) {
            ASSERT_TRUE(reading.has_value());
            EXPECT_EQ(s(*reading), r.reading);
        } else {
            EXPECT_FALSE(reading.has_value()) << s(*reading);
        }
    }
}

TEST(PinyinLookup, CodePointsThatAreNoCharactersHaveNoReading) {
    for (char32_t c : {char32_t{0}, char32_t{0xD800}, char32_t{0xDFFF}, char32_t{0xFFFD},
                       char32_t{0x110000}, char32_t{0xFFFFFFFF}})
        EXPECT_FALSE(table().LookupPinyin(c).has_value()) << std::hex << static_cast<uint32_t>(c);
}

// review.tsv beside the table's generator holds the hand decisions for the
// common characters the sources disagree on; the table must carry them.
TEST(PinyinLookup, HandReviewedReadingsAreTheTablesReadings) {
    const QString review =
        QString::fromUtf8(readFile(TUKOMI_SOURCE_DIR "/tools/pinyin/review.tsv"));
    ASSERT_FALSE(review.isEmpty());
    int checked = 0;
    for (const QString& line : review.split(u'\n')) {
        if (line.isEmpty() || line.startsWith(u'#'))
            continue;
        const QStringList fields = line.split(u'\t');
        ASSERT_GE(fields.size(), 2) << s(line);
        const auto reading = table().LookupPinyin(fields[0].toUcs4().value(0));
        ASSERT_TRUE(reading.has_value()) << s(line);
        EXPECT_EQ(s(*reading), s(fields[1])) << s(line);
        ++checked;
    }
    EXPECT_GT(checked, 100);
}

TEST(PinyinLookup, MapAgreesWithAPlainSearchForEveryCharacterOfTheTable) {
    const QString& text = joinedTable();
    std::set<char32_t> seen;
    for (const QString& line : tableLines()) {
        const char32_t c = line.toUcs4().value(0);
        if (!seen.insert(c).second)
            continue;
        const auto expected = plainSearch(text, c);
        const auto mapped = table().LookupPinyin(c);
        ASSERT_TRUE(expected && mapped) << s(line);
        ASSERT_EQ(*mapped, *expected) << s(line);
    }
    EXPECT_EQ(table().size(), seen.size());
}

struct SmallTableCase {
    const char* name;
    const char* text;
    const char* character;
    const char* reading;  // nullptr: no reading
};

// Built from texts other than the shipped table: what counts as an entry.
const SmallTableCase kSmallTables[] = {
    {"Empty", "", "妈", nullptr},
    {"FirstLineWins", "妈 ma1\r\n妈 ma3\r\n", "妈", "ma1"},
    {"LastLineWithoutCrLf", "好 hao3\r\n妈 ma1", "妈", "ma1"},
    {"BlankLinesAreSkipped", "\r\n\r\n妈 ma1\r\n", "妈", "ma1"},
    {"NoSpace", "妈ma1\r\n", "妈", nullptr},
    {"NoReading", "妈 \r\n", "妈", nullptr},
    {"TwoSpaces", "妈 ma 1\r\n", "妈", nullptr},
    {"LineStartingWithSpace", " ma1\r\n", " ", nullptr},
    {"BareLfIsNotALineEnd", "妈 ma1\n好 hao3\r\n", "好", nullptr},
    {"SupplementaryCharacter", "𠀀 qiu1\r\n", "𠀀", "qiu1"},
};

void PrintTo(const SmallTableCase& c, std::ostream* os) {
    *os << "reads " << (c.reading ? c.reading : "nothing");
}

class SmallTables : public ::testing::TestWithParam<SmallTableCase> {};

TEST_P(SmallTables, ReadOnlyWellFormedLines) {
    const SmallTableCase& c = GetParam();
    const PinyinTable t(u(c.text));
    const auto reading = t.LookupPinyin(ch(c.character));
    if (c.reading) {
        ASSERT_TRUE(reading.has_value());
        EXPECT_EQ(s(*reading), c.reading);
    } else {
        EXPECT_FALSE(reading.has_value()) << s(*reading);
    }
}

INSTANTIATE_TEST_SUITE_P(PinyinTable, SmallTables, ::testing::ValuesIn(kSmallTables),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(PinyinTable, LineStartingWithALoneSurrogateIsNoEntry) {
    const PinyinTable t(QString(QChar(0xD800)) + QStringLiteral(" xi1\r\n") + u("妈 ma1\r\n"));
    EXPECT_FALSE(t.LookupPinyin(0xD800).has_value());
    EXPECT_EQ(t.size(), 1u);
}

TEST(PinyinTableFile, PartsAreWholeLinesOfTheirSizeAndMatchTheBuiltInResource) {
    const auto builtIn = PinyinTable::LoadPinyinParts();
    for (int i = 0; i < kPinyinPartCount; ++i) {
        SCOPED_TRACE(s(partPath(i)));
        const QByteArray bytes = readFile(partPath(i));
        EXPECT_GE(bytes.size(), kPartMinBytes);
        EXPECT_LE(bytes.size(), kPartMaxBytes);
        EXPECT_TRUE(bytes.endsWith("\r\n"));
        const auto lines = bytes.count("\r\n");
        EXPECT_GE(lines, kPartMinLines);
        EXPECT_LE(lines, kPartMaxLines);
        const QString decoded = decodeGameText(std::string_view(bytes.constData(), bytes.size()));
        EXPECT_FALSE(decoded.contains(QChar(0xFFFD))) << "not valid GBK";
        EXPECT_EQ(encodeGbk(decoded), bytes.toStdString()) << "GBK does not round-trip";
        EXPECT_EQ(builtIn[static_cast<std::size_t>(i)], decoded);
    }
}

TEST(PinyinTableFile, EveryLineIsACharacterASpaceAndAReadingEndingInCrLf) {
    const QString& text = joinedTable();
    ASSERT_TRUE(text.endsWith(QStringLiteral("\r\n")));
    EXPECT_EQ(text.count(u'\n'), text.count(QStringLiteral("\r\n"))) << "a bare LF";
    EXPECT_EQ(text.count(u'\r'), text.count(QStringLiteral("\r\n"))) << "a bare CR";
    const QRegularExpression format(QStringLiteral("^(.) ([a-zü]+)([1-5])$"));
    const QStringList lines = tableLines();
    EXPECT_EQ(lines.size(), kTableLines);
    EXPECT_EQ(s(lines.front()), "禬 gui4");
    EXPECT_EQ(s(lines.back()), "瑳 cuo1");
    std::map<char32_t, QString> readings;
    for (const QString& line : lines) {
        const auto match = format.match(line);
        ASSERT_TRUE(match.hasMatch()) << "line \"" << s(line) << "\"";
        const char32_t c = line.toUcs4().value(0);
        ASSERT_TRUE(c >= 0x4E00 && c <= 0x9FA5) << s(line);
        const QString reading = match.captured(2) + match.captured(3);
        const auto [it, added] = readings.emplace(c, reading);
        EXPECT_EQ(it->second, reading) << "two readings for " << s(match.captured(1));
    }
    EXPECT_EQ(readings.size(), static_cast<std::size_t>(kTableCharacters));
}

TEST(PinyinTableFile, HoldsAllOfGb2312ButOneAndNoSortedOrder) {
    int level1 = 0, level2 = 0;
    for (int hi = 0xB0; hi <= 0xF7; ++hi)
        for (int lo = 0xA1; lo <= 0xFE; ++lo) {
            const char bytes[] = {static_cast<char>(hi), static_cast<char>(lo)};
            const QString c = decodeGameText(std::string_view(bytes, 2));
            if (c.size() != 1 || c == QChar(0xFFFD))
                continue;  // the unused codes of the last rows
            const bool known = table().LookupPinyin(c[0].unicode()).has_value();
            if (c == u("肀")) {
                EXPECT_FALSE(known) << "肀 is the one character of GB2312 left out";
                continue;
            }
            EXPECT_TRUE(known) << s(c) << " of GB2312 has no reading";
            (hi <= 0xD7 ? level1 : level2) += known;
        }
    EXPECT_EQ(level1, 3755);
    EXPECT_EQ(level2, 3007);

    const QStringList lines = tableLines();
    bool byCode = true, byReading = true;
    for (qsizetype i = 1; i < lines.size(); ++i) {
        byCode = byCode && lines[i - 1][0] <= lines[i][0];
        byReading = byReading && lines[i - 1].mid(2) <= lines[i].mid(2);
    }
    EXPECT_FALSE(byCode);
    EXPECT_FALSE(byReading);
}

}  // namespace
}  // namespace tukomi
