// The game's picture-text file: its bytes decoded (GBK, or UTF-8 when it is
// plainly UTF-8) and its records read, for any file content.
#include <QString>
#include <algorithm>

#include "fuzz_support.h"
#include "picture_texts.h"
#include "text_codec.h"

namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

// The file is read as GBK or as UTF-8; its first fault, when it has one,
// lies on a byte of a multi-byte sequence, on the line it names.
void checkReading(std::string_view bytes, const tukomi::GameText& read) {
    const std::string_view encoding = read.encoding;
    FUZZ_CHECK(encoding == "GBK" || encoding == "UTF-8");
    FUZZ_CHECK(read.text == tukomi::decodeGameText(bytes));
    FUZZ_CHECK(read.firstInvalidByte >= -1 &&
               read.firstInvalidByte < static_cast<std::ptrdiff_t>(bytes.size()));
    FUZZ_CHECK((read.firstInvalidByte < 0) == (read.firstInvalidLine == 0));
    if (read.firstInvalidByte >= 0) {
        FUZZ_CHECK(static_cast<unsigned char>(bytes[static_cast<size_t>(read.firstInvalidByte)]) >=
                   0x80);
        const std::string_view before = bytes.substr(0, static_cast<size_t>(read.firstInvalidByte));
        FUZZ_CHECK(read.firstInvalidLine == 1 + std::count(before.begin(), before.end(), '\n'));
        FUZZ_CHECK(read.text.contains(QChar::ReplacementCharacter));
    }
    bool ascii = true;
    for (unsigned char byte : bytes)
        ascii = ascii && byte < 0x80;
    if (ascii) {
        FUZZ_CHECK(encoding == "GBK" && read.firstInvalidByte < 0);
        FUZZ_CHECK(read.text == QLatin1String(bytes.data(), static_cast<qsizetype>(bytes.size())));
    }
    if (encoding == "UTF-8") {
        const std::string_view body =
            bytes.starts_with(kUtf8Bom) ? bytes.substr(kUtf8Bom.size()) : bytes;
        FUZZ_CHECK(read.text ==
                   QString::fromUtf8(body.data(), static_cast<qsizetype>(body.size())));
        return;
    }
    // GBK has one- and two-byte characters, all in the BMP and none of them
    // U+FFFD: each unreadable byte gives one, and what was read without any
    // is written back byte for byte.
    FUZZ_CHECK(static_cast<size_t>(read.text.size()) <= bytes.size());
    FUZZ_CHECK((read.firstInvalidByte < 0) == !read.text.contains(QChar::ReplacementCharacter));
    if (read.firstInvalidByte < 0)
        FUZZ_CHECK(tukomi::encodeGbk(read.text) == bytes);
}

// A failed read names a line of the file and leaves the texts as they were;
// a good one gives each picture a text taken whole from inside one record.
void checkRecords(const QString& content) {
    tukomi::PictureTexts texts;
    const QString untouched = QStringLiteral("untouched");
    for (int n = 1; n <= tukomi::pictureCapacity; ++n)
        texts.setText(n, untouched);
    const auto error = tukomi::PictureTexts::parse(content, texts);
    if (error) {
        FUZZ_CHECK(error->line >= 1 && error->line <= content.count(u'\n') + 1);
        FUZZ_CHECK(!error->what.isEmpty());
        for (int n = 1; n <= tukomi::pictureCapacity; ++n)
            FUZZ_CHECK(texts.text(n) == untouched);
        return;
    }
    for (int n = 1; n <= tukomi::pictureCapacity; ++n) {
        const QString text = texts.text(n);
        FUZZ_CHECK(!text.contains(u']'));
        FUZZ_CHECK(text.isEmpty() || content.contains(QLatin1Char('.') + text + QLatin1Char(']')));
    }
    FUZZ_CHECK(texts.text(0).isEmpty() && texts.text(tukomi::pictureCapacity + 1).isEmpty());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes = fuzz::bytesOf(data, size);
    const tukomi::GameText read = tukomi::readGameText(bytes);
    checkReading(bytes, read);
    checkRecords(read.text);
    return 0;
}
