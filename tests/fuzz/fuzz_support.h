// What the harnesses share: texts made from the fuzzer's bytes, a file for
// the readers that take a path, and a check that stops the run.
#pragma once

#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

namespace fuzz {

[[noreturn]] inline void fail(const char* what, const char* file, int line) {
    std::fprintf(stderr, "%s:%d: broken promise: %s\n", file, line, what);
    std::abort();
}

// A promise of the reader under test; when it does not hold, the fuzzer keeps
// the input as a crash.
#define FUZZ_CHECK(condition) \
    ((condition) ? static_cast<void>(0) : ::fuzz::fail(#condition, __FILE__, __LINE__))

inline std::string_view bytesOf(const uint8_t* data, size_t size) {
    return {reinterpret_cast<const char*>(data), size};
}

// Code values of bytes read as UTF-8, loosely: encoded surrogates (ED A0 80)
// and values up to 0x1FFFFF (F7 BF BF BF) come through as they are, so that
// the readers also meet what a strict decoder never gives them. A byte that
// starts no sequence, or a sequence cut short, becomes U+FFFD.
inline std::u32string looseCodes(std::string_view bytes) {
    std::u32string codes;
    codes.reserve(bytes.size());
    size_t i = 0;
    while (i < bytes.size()) {
        const auto lead = static_cast<unsigned char>(bytes[i]);
        size_t extra = lead >= 0xF0 && lead <= 0xF7 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC0 ? 1 : 0;
        if (lead >= 0xF8 || (lead >= 0x80 && lead < 0xC0)) {
            codes.push_back(0xFFFD);
            ++i;
            continue;
        }
        char32_t code = extra == 0 ? lead : lead & (0x3F >> extra);
        size_t k = 1;
        for (; k <= extra && i + k < bytes.size(); ++k) {
            const auto next = static_cast<unsigned char>(bytes[i + k]);
            if ((next & 0xC0) != 0x80)
                break;
            code = (code << 6) | (next & 0x3F);
        }
        codes.push_back(k == extra + 1 ? code : 0xFFFD);
        i += k;
    }
    return codes;
}

// UTF-16 of code values: surrogates stay single (lone) units, values past
// U+10FFFF become U+FFFD.
inline std::u16string utf16Units(std::u32string_view codes) {
    std::u16string units;
    units.reserve(codes.size());
    for (char32_t c : codes) {
        if (c > 0x10FFFF) {
            units.push_back(0xFFFD);
        } else if (c >= 0x10000) {
            units.push_back(static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10)));
            units.push_back(static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF)));
        } else {
            units.push_back(static_cast<char16_t>(c));
        }
    }
    return units;
}

// A file in memory whose content each input replaces, for readers that take
// a path; nothing touches the disk.
class ScratchFile {
public:
    ScratchFile() : fd_(memfd_create("fuzz-input", 0)) {
        if (fd_ < 0)
            fail("memfd_create", __FILE__, __LINE__);
        path_ = "/proc/self/fd/" + std::to_string(fd_);
    }
    ScratchFile(const ScratchFile&) = delete;
    ScratchFile& operator=(const ScratchFile&) = delete;
    ~ScratchFile() { close(fd_); }

    const std::string& path() const { return path_; }

    void write(std::string_view content) {
        if (ftruncate(fd_, 0) != 0)
            fail("ftruncate", __FILE__, __LINE__);
        size_t written = 0;
        while (written < content.size()) {
            const ssize_t n = pwrite(fd_, content.data() + written, content.size() - written,
                                     static_cast<off_t>(written));
            if (n <= 0)
                fail("pwrite", __FILE__, __LINE__);
            written += static_cast<size_t>(n);
        }
    }

private:
    int fd_;
    std::string path_;
};

}  // namespace fuzz
