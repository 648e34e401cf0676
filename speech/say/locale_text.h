// lenvoro-say's texts as the user's locale gives them: the code set they are
// in, what they read as, and where a long text may be cut into pieces.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace lenvoro::say {

// The code set the library reads plain texts in, by the library's own rule:
// the locale named by LC_ALL, LC_CTYPE or LANG; its ".codeset" part, else the
// code set the system's locale of that name uses (zh_CN -> GB2312 where
// installed); UTF-8 for none, "C", "POSIX" and names the system lacks.
std::string LocaleCodeSet();

// bytes in codeSet as UTF-16, as the library's plain entry points read them:
// a byte that does not belong to the code set becomes U+FFFD and the rest is
// read on; a code set iconv does not know is read as UTF-8.
std::u16string DecodeText(std::string_view bytes, const std::string& codeSet);

// UTF-16 as UTF-32; a lone surrogate becomes U+FFFD.
std::u32string Utf16ToUtf32(std::u16string_view text);

// A long text in pieces of at least minimumUnits UTF-16 units (the last one
// may be shorter), cut only where the reading does not change: after a line
// break, after . ! ? ; followed by white space (so "3.14" stays whole), and
// after 。！？, each with the closing quotes and brackets that follow it.
// The pieces joined give the text again.
std::vector<std::u16string> SplitIntoPieces(std::u16string_view text, size_t minimumUnits);

}  // namespace lenvoro::say
