#include "text_codec.h"

#include <codeset/codeset.h>

namespace tukomi {

namespace {

QString fromUtf8(std::string_view utf8) {
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

std::string toUtf8(const QString& text) {
    return text.toUtf8().toStdString();
}

}  // namespace

GameText readGameText(std::string_view bytes) {
    const codeset::DecodedText decoded = codeset::decodeGbkOrUtf8(bytes);
    return GameText{fromUtf8(decoded.text), decoded.encoding, decoded.firstInvalidByte,
                    decoded.firstInvalidLine};
}

QString decodeGameText(std::string_view bytes) {
    return fromUtf8(codeset::decodeGbkOrUtf8(bytes).text);
}

std::string encodeGbk(const QString& text) {
    return codeset::encodeGbk(toUtf8(text));
}

std::string localeCodeSet() {
    return codeset::localeCodeSet();
}

std::string codeSetOfLocale(std::string_view localeName) {
    return codeset::codeSetOfLocale(localeName);
}

std::string encodeForLocale(const QString& text) {
    return codeset::encodeForLocale(toUtf8(text));
}

}  // namespace tukomi
