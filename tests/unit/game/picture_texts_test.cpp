#include "picture_texts.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include "picture_library.h"
#include "text_codec.h"

namespace tukomi {
namespace {

QString u(const char* utf8) {
    return QString::fromUtf8(utf8);
}

struct ParseCase {
    const char* name;
    const char* content;  // UTF-8
    // Expected texts of pictures 1..4, or the expected error line (> 0).
    std::vector<std::pair<int, const char*>> texts;
    int errorLine = 0;
    const char* errorMentions = "";
};

void PrintTo(const ParseCase& c, std::ostream* os) {
    if (c.errorLine > 0) {
        *os << "fails at line " << c.errorLine;
        return;
    }
    *os << "reads picture";
    for (const auto& [n, text] : c.texts)
        *os << ' ' << n;
}

class PictureTextParsing : public ::testing::TestWithParam<ParseCase> {};

TEST_P(PictureTextParsing, ReadsRecordsOrReportsTheFaultyLine) {
    const ParseCase& c = GetParam();
    PictureTexts texts;
    texts.setText(32, u("untouched"));
    const auto error = PictureTexts::parse(u(c.content), texts);
    if (c.errorLine > 0) {
        ASSERT_TRUE(error.has_value());
        EXPECT_EQ(error->line, c.errorLine);
        EXPECT_TRUE(error->what.contains(u(c.errorMentions))) << error->what.toStdString();
        EXPECT_EQ(texts.text(32), u("untouched")) << "a failed parse leaves the texts alone";
        return;
    }
    ASSERT_FALSE(error.has_value()) << error->what.toStdString();
    for (const auto& [n, text] : c.texts)
        EXPECT_EQ(texts.text(n), u(text)) << "picture " << n;
}

INSTANTIATE_TEST_SUITE_P(
    Records, PictureTextParsing,
    ::testing::Values(
        ParseCase{"AnyOrder", "[2.小狗]\r\n[1.小猫]\r\n", {{1, "小猫"}, {2, "小狗"}, {3, ""}}},
        ParseCase{"OnlyTheFirstDotSeparates", "[3.大.象]", {{3, "大.象"}}},
        ParseCase{"LaterRecordReplacesEarlier", "[4.鸡]\n[4.鸭]\n", {{4, "鸭"}}},
        ParseCase{"TextOutsideBracketsIsIgnored",
                  "; the picture texts\r\nremarks 1. 2.\r\n[1.苹果] and [2.香蕉]",
                  {{1, "苹果"}, {2, "香蕉"}}},
        ParseCase{"TextKeepsItsLineBreak", "[5.上\r\n下]", {{5, "上\r\n下"}}},
        ParseCase{"EmptyTextIsAllowed", "[6.]", {{6, ""}}},
        ParseCase{"BlanksAroundTheNumber", "[ 7 .花]\n[\t32.云]", {{7, "花"}, {32, "云"}}},
        ParseCase{"EmptyFile", "", {{1, ""}}},
        ParseCase{"RecordAbove32", "[1.马]\n[33.马]", {}, 2, "33"},
        ParseCase{"RecordZero", "[0.马]", {}, 1, "\"0\""},
        ParseCase{"EmptyNumber", "\n\n[.马]", {}, 3, "not a picture number"},
        ParseCase{"NegativeNumber", "[-5.马]", {}, 1, "-5"},
        ParseCase{"LettersInNumber", "[3x.马]", {}, 1, "3x"},
        ParseCase{"NumberBeyond32Bits", "[99999999999.马]", {}, 1, "not a picture number"},
        ParseCase{"MissingDot", "[1.a]\n[2 马]", {}, 2, "no \".\""},
        ParseCase{"MissingClosingBracket", "[1.a]\r\n\r\n[2.马", {}, 3, "no closing"},
        ParseCase{"BracketInsideText", "[1.a[b]", {}, 1, "no \".\""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(PictureTextParsingTime, GrowsWithTheFileNotWithItsRecordsSquared) {
    // 80,000 records and a faulty one after them, whose line must still be right.
    QString content;
    for (int i = 0; i < 80000; ++i)
        content += QStringLiteral("[%1.text]\r\n").arg(i % 32 + 1);
    content += QStringLiteral("\n[33.x]");
    PictureTexts texts;
    QElapsedTimer timer;
    timer.start();
    const auto error = PictureTexts::parse(content, texts);
    EXPECT_LT(timer.elapsed(), 5000);
    ASSERT_TRUE(error.has_value());
    EXPECT_EQ(error->line, 80002);
}

TEST(PictureTextFile, AFileOverTheSizeLimitIsRefusedByName) {
    const struct {
        qint64 size;
        bool refused;
    } cases[] = {
        {PictureLibrary::maxPictureTextBytes, false},
        {PictureLibrary::maxPictureTextBytes + 1, true},
        {2 * 1024 * 1024, true},
    };
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const PictureLibrary library(folder.path());
    for (const auto& c : cases) {
        QByteArray bytes("[1.big]");
        bytes.append(c.size - bytes.size(), ' ');
        QFile file(library.pictureTextPath());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        file.close();

        PictureTexts texts;
        texts.setText(1, u("untouched"));
        const auto error = library.ReadPictureTexts(texts);
        EXPECT_EQ(error.has_value(), c.refused) << c.size;
        if (error) {
            EXPECT_EQ(error->file, library.pictureTextPath());
            EXPECT_TRUE(error->what.contains(u("too large"))) << error->what.toStdString();
            EXPECT_EQ(texts.text(1), u("untouched")) << c.size;
        } else {
            EXPECT_EQ(texts.text(1), u("big")) << c.size;
        }
    }
}

TEST(PictureTextDecoding, ReadsGbkAndUtf8WithByteOrderMark) {
    const std::string gbk = encodeGbk(u("[1.小猫]\r\n[2.太阳]"));
    ASSERT_EQ(gbk.size(), 18u) << "two bytes per character in GBK";
    PictureTexts fromGbk;
    ASSERT_FALSE(PictureTexts::parse(decodeGameText(gbk), fromGbk));
    EXPECT_EQ(fromGbk.text(1), u("小猫"));
    EXPECT_EQ(fromGbk.text(2), u("太阳"));

    PictureTexts fromUtf8;
    ASSERT_FALSE(PictureTexts::parse(decodeGameText("\xEF\xBB\xBF[1.小猫]"), fromUtf8));
    EXPECT_EQ(fromUtf8.text(1), u("小猫"));
}

TEST(PictureTextFile, IsReadInTheEncodingItIsWrittenIn) {
    const auto utf8 = [](const char* text) { return std::string(text); };
    const auto gbk = [](const char* text) { return encodeGbk(u(text)); };
    const struct {
        const char* name;
        std::string bytes;
        const char* text1;  // expected text of picture 1, when read
        int errorLine;      // else the line at fault
        const char* encoding;
    } cases[] = {
        {"GBK", gbk("[1.小猫]\r\n[2.小狗]\r\n"), "小猫", 0, ""},
        {"UTF-8 with BOM", "\xEF\xBB\xBF" + utf8("[1.小猫]\r\n[2.小狗]"), "小猫", 0, ""},
        // Read as GBK, the nine bytes of 小白兔 leave one over, which takes the "]"
        // after it for its second byte: "no closing ]".
        {"UTF-8 without BOM", utf8("; 图片文字\r\n[1.小猫]\r\n[2.小白兔]\r\n"), "小猫", 0, ""},
        // Its GBK bytes D0 A1 C3 A8 also make two valid UTF-8 letters.
        {"GBK that is valid UTF-8 too", gbk("[1.小猫]"), "小猫", 0, ""},
        {"ASCII", "[1.abc]", "abc", 0, ""},
        {"neither, mostly GBK", gbk("[1.小猫]\r\n[2.小狗]\r\n") + "[3.\xFF]", "", 3, "GBK"},
        {"neither, mostly UTF-8", utf8("[1.小猫]\n[2.小狗]\n[3.小\xFF兔]\n[4.大象]"), "", 3,
         "UTF-8"},
        {"broken UTF-8 with BOM", "\xEF\xBB\xBF[1.a]\n\n[2.\xC3]", "", 3, "UTF-8"},
    };
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const PictureLibrary library(folder.path());
    for (const auto& c : cases) {
        QFile file(library.pictureTextPath());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(c.bytes.data(), static_cast<qint64>(c.bytes.size()));
        file.close();
        PictureTexts texts;
        const auto error = library.ReadPictureTexts(texts);
        if (c.errorLine == 0) {
            EXPECT_FALSE(error.has_value()) << c.name << ": " << error->message().toStdString();
            EXPECT_EQ(texts.text(1), u(c.text1)) << c.name;
            continue;
        }
        ASSERT_TRUE(error.has_value()) << c.name;
        EXPECT_EQ(error->line, c.errorLine) << c.name;
        EXPECT_EQ(error->problem, LoadProblem::NotInEncoding) << c.name;
        EXPECT_EQ(error->subject, u(c.encoding)) << c.name;
    }
}

TEST(PictureTextDecoding, GbkTrailBytesThatLookLikeBracketsAreNotBrackets) {
    // 乚 is 0x81 0x5D in GBK: its second byte is "]" in ASCII.
    const std::string gbk = encodeGbk(u("[1.乚车]"));
    ASSERT_NE(gbk.find(']'), gbk.size() - 1)
        << "the fixture must hide a ']' byte inside a character";
    PictureTexts texts;
    ASSERT_FALSE(PictureTexts::parse(decodeGameText(gbk), texts));
    EXPECT_EQ(texts.text(1), u("乚车"));
}

TEST(PictureTextDecoding, InvalidBytesBecomeReplacementCharacters) {
    const QString text =
        decodeGameText(std::string("[1.a\xFF"
                                   "b]",
                                   7));
    PictureTexts texts;
    ASSERT_FALSE(PictureTexts::parse(text, texts));
    EXPECT_TRUE(texts.text(1).contains(QChar(0xFFFD)));
    EXPECT_EQ(decodeGameText(std::string("a\0b", 3)), QString::fromUtf8("a\0b", 3));
    EXPECT_EQ(decodeGameText("ok\x81"), QString::fromUtf8("ok\xEF\xBF\xBD"))
        << "a character cut off at the end";
}

TEST(PictureTextSlots, NumbersOutsideTheListHaveNoText) {
    PictureTexts texts;
    texts.setText(33, u("x"));
    texts.setText(0, u("x"));
    EXPECT_EQ(texts.text(33), QString());
    EXPECT_EQ(texts.text(0), QString());
    EXPECT_EQ(texts.text(-2147483647 - 1), QString());
}

}  // namespace
}  // namespace tukomi
