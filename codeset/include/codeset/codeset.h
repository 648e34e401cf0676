// Code sets: which one the user's locale names, and conversions between code
// sets through iconv.
//
// The game and the speech library both use it, so that a text the game
// encodes for the library's plain (non-wide) entry points is read back by the
// library in the same code set: the game encodes with encodeForLocale(), the
// library decodes with localeCodeSet() and a Converter. Plain C++; texts
// outside the ASCII range travel as UTF-8 (std::string) here.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

#include <iconv.h>

namespace codeset {

// --- The locale's code set ------------------------------------------------------

// A getenv-like lookup: the value of a variable, or nullptr when it is unset.
using EnvironmentLookup = std::function<const char*(const char*)>;
// Reads the process environment (std::getenv).
EnvironmentLookup processEnvironment();

// The user's locale name: the first non-empty of LC_ALL, LC_CTYPE and LANG,
// or "" when none is set.
std::string userLocaleName(const EnvironmentLookup& environment);

// The code set a locale name selects: what follows its "." when there is one
// ("zh_TW.Big5" -> "Big5", "en_US.UTF-8@euro" -> "UTF-8"); else the code set
// the system's locale of that name uses (zh_CN -> GB2312 where installed);
// UTF-8 for "", "C", "POSIX" and names the system does not know.
std::string codeSetOfLocale(std::string_view localeName);

// The code set of the user's locale (codeSetOfLocale(userLocaleName(...))),
// read from the environment on each call.
std::string localeCodeSet(const EnvironmentLookup& environment);
std::string localeCodeSet();

// --- iconv -----------------------------------------------------------------------

// One iconv conversion descriptor, closed when it goes.
class Converter {
public:
    Converter(const char* to, const char* from);
    ~Converter();
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    // False when the system has no conversion between the two code sets.
    bool valid() const { return handle_ != reinterpret_cast<iconv_t>(-1); }

    // One iconv() call over [in, in + inLeft) of the input [begin, end).
    // Returns 0 when all was converted, else iconv's errno (E2BIG, EILSEQ,
    // EINVAL). Where iconv says it stopped is held to the input: some
    // converters report an error after consuming the bytes at fault (a
    // shift-out with no character set designated, at the end of the text, in
    // ISO-2022-CN-EXT), so the position is kept within [begin, end] and the
    // count left recounted from it.
    int convert(const char* begin, const char* end, char*& in, std::size_t& inLeft, char*& out,
                std::size_t& outLeft);
    // Ends the text: a stateful code set writes what it held back and
    // returns to its initial state.
    void finish(char*& out, std::size_t& outLeft);
    // Back to the initial state, dropping what was held back (after a fault).
    void reset();

private:
    iconv_t handle_;
};

// Where to go on after a byte sequence a conversion cannot take.
enum class Resume {
    AfterByte,           // one byte further
    AfterUtf8Character,  // after the whole UTF-8 character, so that the output stays in step
};

// The byte sequences of an input that a conversion could not take.
struct Faults {
    std::size_t count = 0;
    std::ptrdiff_t first = -1;  // byte offset of the first, -1 for none

    void add(std::ptrdiff_t offset) {
        if (count++ == 0)
            first = offset;
    }
};

// Converts all of in from one code set to another. At a byte sequence that
// cannot be converted (or that the input ends inside), substitute is written
// and the conversion resumes as told; faults, when given, counts them.
// Throws std::runtime_error when the system has no such conversion.
std::string convert(const char* to, const char* from, std::string_view in,
                    std::string_view substitute, Resume resume, Faults* faults = nullptr);

// --- UTF-16 ------------------------------------------------------------------------

constexpr char16_t kReplacementUnit = 0xFFFD;

// The UTF-16 text of bytes in codeSet, as the speech library reads the texts
// of its plain entry points. Conversion never fails: a byte that does not
// belong to the code set becomes U+FFFD and the rest is converted; a text
// that ends inside a character ends with U+FFFD. A code set iconv does not
// know is read as UTF-8.
std::u16string toUtf16(std::string_view bytes, const std::string& codeSet);

// How many bytes text takes in codeSet. A character the code set cannot hold
// counts one byte, as the substitute character it would be written as. A
// code set iconv does not know counts as UTF-8.
std::size_t encodedLength(std::u16string_view text, const std::string& codeSet);

// --- The game's texts ---------------------------------------------------------------

// A text file as read: its text, the code set it was read in and where the
// first byte sequence lies that is not valid in that code set.
struct DecodedText {
    // UTF-8. Read as GBK, an invalid sequence is U+FFFD. Read as UTF-8 it is
    // the file's own bytes (less a byte-order mark): an invalid sequence is
    // left for the caller's UTF-8 decoder to replace (QString::fromUtf8 makes
    // it U+FFFD).
    std::string text;
    const char* encoding = "GBK";
    // Byte offset of the first invalid sequence in the file and its 1-based
    // line; -1 and 0 when there is none.
    std::ptrdiff_t firstInvalidByte = -1;
    int firstInvalidLine = 0;
};

// Reads the bytes of a text file that is GBK, the code page Chinese systems
// write, unless it is plainly UTF-8: a file that starts with a UTF-8
// byte-order mark, or one that is valid UTF-8 and holds characters beyond
// ASCII. Chinese text saved as GBK is almost never valid UTF-8; the exception
// is a very short text whose every character happens to form a two-byte UTF-8
// sequence (小猫 is D0 A1 C3 A8), which reads as letters below U+0800, never
// as Chinese. So a file that is valid in both and whose UTF-8 reading holds
// no character from U+0800 on stays GBK. A file valid in neither is read in
// the code set with fewer faults in it (GBK when they tie), and its first
// fault is reported.
DecodedText decodeGbkOrUtf8(std::string_view bytes);

// Encodes UTF-8 text into GBK; characters GBK lacks become "?".
std::string encodeGbk(std::string_view utf8);

// Encodes UTF-8 text into the code set of the user's locale, as the speech
// library's plain entry points read their texts; characters it lacks become
// "?". The text stays UTF-8 when the system has no converter for the code set.
std::string encodeForLocale(std::string_view utf8);

}  // namespace codeset
