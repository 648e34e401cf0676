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

}  // namespace tukomi
