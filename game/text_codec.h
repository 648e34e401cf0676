#pragma once

#include <QString>
#include <string_view>

namespace tukomi {

// Decodes the bytes of one of the game's text files. Files are GBK, the code
// page Chinese systems write; a file that starts with a UTF-8 byte-order mark
// is read as UTF-8 instead. Bytes that are not valid in the encoding become
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
