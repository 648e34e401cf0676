// What the pinyin tests share: UTF-8 literals as QString and back, and the
// built-in table joined the way the main window joins it.
#pragma once

#include <QString>

#include <string>

#include "pinyin_table.h"

namespace tukomi::testing {

inline QString u(const char* utf8) {
    return QString::fromUtf8(utf8);
}
inline std::string s(const QString& text) {
    return text.toStdString();
}

inline const QString& joinedTable() {
    static const QString table = [] {
        QString joined;
        for (const QString& part : PinyinTable::LoadPinyinParts())
            joined += part;
        return joined;
    }();
    return table;
}

inline const PinyinTable& table() {
    static const PinyinTable t(joinedTable());
    return t;
}

}  // namespace tukomi::testing
