#pragma once

#include <QString>
#include <cstddef>
#include <string>
#include <string_view>

// The game's side of the code sets it shares with the speech library: the
// same rules, for texts held as QString.
namespace tukomi {

// A game text file as read: its text, the encoding it was read in and where
// the first byte sequence lies that is not valid in that encoding.
struct GameText {
    QString text;  // invalid sequences are U+FFFD
    const char* encoding = "GBK";
    // Byte offset of the first invalid sequence in the file and its 1-based
    // line; -1 and 0 when there is none.
    std::ptrdiff_t firstInvalidByte = -1;
    int firstInvalidLine = 0;
};

// Reads the bytes of one of the game's text files. Files are GBK, the code
// page Chinese systems write, unless they are plainly UTF-8: a file that
// starts with a UTF-8 byte-order mark, or one that is valid UTF-8 and holds
// characters beyond ASCII. Chinese text saved as GBK is almost never valid
// UTF-8; the exception is a very short text whose every character happens to
// form a two-byte UTF-8 sequence (小猫 is D0 A1 C3 A8), which reads as
// letters below U+0800, never as Chinese. So a file that is valid in both and
// whose UTF-8 reading holds no character from U+0800 on stays GBK.
// A file valid in neither is read in the encoding with fewer faults in it
// (GBK when they tie), and its first fault is reported.
GameText readGameText(std::string_view bytes);

// The text of readGameText: bytes that are not valid in the encoding become
// U+FFFD, so a damaged file can be reported but never crashes the reader.
QString decodeGameText(std::string_view bytes);

// Encodes text into GBK; characters GBK lacks become "?".
std::string encodeGbk(const QString& text);

// The code set of the user's locale, as the speech library reads its plain
// (non-wide) texts: the locale named by LC_ALL, LC_CTYPE or LANG (the first
// that is set), its code set after the ".", else the code set the system
// gives that locale; UTF-8 for no locale, "C" and "POSIX".
std::string localeCodeSet();
std::string codeSetOfLocale(std::string_view localeName);

// Encodes text into the locale's code set (UTF-8 when the system has no
// converter for it); characters it lacks become "?".
std::string encodeForLocale(const QString& text);

}  // namespace tukomi
