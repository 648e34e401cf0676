// A text buffer of 256 UTF-16 units, as the library keeps its short texts
// (messages, captions, addresses, file names): at most 255 units and a
// terminator. Longer texts are cut, never between the halves of a surrogate pair.
#pragma once

#include <algorithm>
#include <array>
#include <string_view>

namespace lenvoro {

class FixedText {
public:
    static constexpr size_t kCapacity = 256;

    FixedText() { units_.fill(0); }
    explicit FixedText(std::u16string_view text) : FixedText() { assign(text); }

    // Returns false when the text had to be cut.
    bool assign(std::u16string_view text) {
        size_t length = std::min(text.size(), kCapacity - 1);
        if (length < text.size() && length > 0 && text[length - 1] >= 0xD800 &&
            text[length - 1] <= 0xDBFF) {
            --length;
        }
        for (size_t i = 0; i < length; ++i)
            units_[i] = text[i];
        units_[length] = 0;
        length_ = length;
        return length == text.size();
    }

    std::u16string_view view() const { return {units_.data(), length_}; }
    const char16_t* c_str() const { return units_.data(); }
    size_t size() const { return length_; }
    bool empty() const { return length_ == 0; }
    void clear() { assign({}); }

private:
    std::array<char16_t, kCapacity> units_;
    size_t length_ = 0;
};

}  // namespace lenvoro
