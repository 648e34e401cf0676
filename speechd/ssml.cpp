#include "ssml.h"

#include <algorithm>
#include <charconv>
#include <optional>
#include <utility>

namespace lenvoro::speechd {

namespace {

constexpr char32_t kReplacement = 0xFFFD;

struct Tag {
    std::string_view name;  // without a leading "/"
    bool closing = false;
    std::vector<std::pair<std::string_view, std::string_view>> attributes;
    size_t end = 0;  // just after ">"
};

bool isNameStart(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c == ':' ||
           static_cast<unsigned char>(c) >= 0x80;
}
bool isNameChar(char c) {
    return isNameStart(c) || (c >= '0' && c <= '9') || c == '-' || c == '.';
}
bool isSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

// The well-formed tag that begins at text[at] ("<"), if any. Scanning stops
// at the next "<" at the latest, which keeps the whole reading linear.
std::optional<Tag> readTag(std::string_view text, size_t at) {
    Tag tag;
    size_t i = at + 1;
    auto skipSpaces = [&] {
        while (i < text.size() && isSpace(text[i]))
            ++i;
    };
    auto readName = [&]() -> std::string_view {
        const size_t begin = i;
        if (i >= text.size() || !isNameStart(text[i]))
            return {};
        while (i < text.size() && isNameChar(text[i]))
            ++i;
        return text.substr(begin, i - begin);
    };
    if (i < text.size() && text[i] == '/') {
        tag.closing = true;
        ++i;
    }
    tag.name = readName();
    if (tag.name.empty())
        return std::nullopt;
    for (;;) {
        const size_t before = i;
        skipSpaces();
        if (i >= text.size())
            return std::nullopt;
        if (text[i] == '>') {
            tag.end = i + 1;
            return tag;
        }
        if (text[i] == '/' && i + 1 < text.size() && text[i + 1] == '>' && !tag.closing) {
            tag.end = i + 2;
            return tag;
        }
        if (i == before || tag.closing)
            return std::nullopt;  // attributes need a space before them
        const std::string_view name = readName();
        skipSpaces();
        if (name.empty() || i >= text.size() || text[i] != '=')
            return std::nullopt;
        ++i;
        skipSpaces();
        if (i >= text.size() || (text[i] != '"' && text[i] != '\''))
            return std::nullopt;
        const char quote = text[i++];
        const size_t valueBegin = i;
        while (i < text.size() && text[i] != quote && text[i] != '<')
            ++i;
        if (i >= text.size() || text[i] != quote)
            return std::nullopt;
        tag.attributes.emplace_back(name, text.substr(valueBegin, i - valueBegin));
        ++i;
    }
}

std::string_view attribute(const Tag& tag, std::string_view name) {
    for (const auto& [key, value] : tag.attributes) {
        if (key == name)
            return value;
    }
    return {};
}

// "300ms", "2s", "1.5s"; strengths as the pauses a reader makes.
uint32_t breakDuration(const Tag& tag) {
    const std::string_view time = attribute(tag, "time");
    if (!time.empty()) {
        double value = 0;
        const auto [end, error] = std::from_chars(time.data(), time.data() + time.size(), value);
        const std::string_view unit = time.substr(static_cast<size_t>(end - time.data()));
        if (error == std::errc() && value >= 0 && (unit == "ms" || unit == "s")) {
            const double ms = unit == "s" ? value * 1000 : value;
            return static_cast<uint32_t>(std::min<double>(ms, kMaximumBreakMs));
        }
    }
    const std::pair<std::string_view, uint32_t> strengths[] = {
        {"none", 0},     {"x-weak", 100}, {"weak", 200},
        {"medium", 400}, {"strong", 700}, {"x-strong", 1000},
    };
    const std::string_view strength = attribute(tag, "strength");
    for (const auto& [name, ms] : strengths) {
        if (strength == name)
            return ms;
    }
    return 400;
}

// Decodes one UTF-8 character at text[i], advancing i.
char32_t decodeOne(std::string_view text, size_t& i) {
    const auto byte = [&](size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char first = byte(i++);
    if (first < 0x80)
        return first;
    int length = first >= 0xF0 && first <= 0xF4 ? 4 : first >= 0xE0 ? 3 : first >= 0xC2 ? 2 : 0;
    if (length == 0 || first > 0xF4)
        return kReplacement;
    char32_t c = first & (0xFF >> (length + 1));
    for (int k = 1; k < length; ++k) {
        if (i >= text.size() || (byte(i) & 0xC0) != 0x80)
            return kReplacement;
        c = (c << 6) | (byte(i++) & 0x3F);
    }
    const char32_t smallest = length == 2 ? 0x80 : length == 3 ? 0x800 : 0x10000;
    if (c < smallest || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
        return kReplacement;
    return c;
}

// The entity at text[at] ("&"), with the index after its ";".
std::optional<std::pair<char32_t, size_t>> readEntity(std::string_view text, size_t at) {
    constexpr size_t kLongestEntity = 12;
    const size_t semicolon = text.substr(at, kLongestEntity).find(';');
    if (semicolon == std::string_view::npos)
        return std::nullopt;
    const std::string_view name = text.substr(at + 1, semicolon - 1);
    const size_t next = at + semicolon + 1;
    const std::pair<std::string_view, char32_t> named[] = {
        {"lt", U'<'}, {"gt", U'>'}, {"amp", U'&'}, {"quot", U'"'}, {"apos", U'\''},
    };
    for (const auto& [entity, c] : named) {
        if (name == entity)
            return std::make_pair(c, next);
    }
    if (name.size() < 2 || name[0] != '#')
        return std::nullopt;
    const bool hex = name[1] == 'x' || name[1] == 'X';
    const std::string_view digits = name.substr(hex ? 2 : 1);
    uint32_t value = 0;
    const auto [end, error] =
        std::from_chars(digits.data(), digits.data() + digits.size(), value, hex ? 16 : 10);
    if (digits.empty() || error != std::errc() || end != digits.data() + digits.size())
        return std::nullopt;
    if (value == 0 || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF))
        value = kReplacement;
    return std::make_pair(static_cast<char32_t>(value), next);
}

}  // namespace

std::vector<SsmlItem> readSsml(std::string_view ssml) {
    std::vector<SsmlItem> items;
    std::u32string text;
    auto flushText = [&] {
        if (!text.empty()) {
            items.push_back({SsmlItem::Kind::Text, std::move(text), {}, 0});
            text.clear();
        }
    };
    // Where a comment or processing instruction that never ends was met:
    // no later one can end either, so the search is not repeated.
    bool commentsEnd = true;
    bool instructionsEnd = true;
    size_t i = 0;
    while (i < ssml.size()) {
        const char c = ssml[i];
        if (c == '<') {
            const std::string_view rest = ssml.substr(i);
            if (rest.starts_with("<!--") && commentsEnd) {
                const size_t end = ssml.find("-->", i + 4);
                if (end != std::string_view::npos) {
                    i = end + 3;
                    continue;
                }
                commentsEnd = false;
            } else if (rest.starts_with("<?") && instructionsEnd) {
                const size_t end = ssml.find("?>", i + 2);
                if (end != std::string_view::npos) {
                    i = end + 2;
                    continue;
                }
                instructionsEnd = false;
            } else if (const std::optional<Tag> tag = readTag(ssml, i)) {
                // A mark without a name could never be reported.
                const std::string_view markName = attribute(*tag, "name");
                if (!tag->closing && tag->name == "mark" && !markName.empty()) {
                    flushText();
                    items.push_back({SsmlItem::Kind::Mark, {}, std::string(markName), 0});
                } else if (!tag->closing && tag->name == "break") {
                    flushText();
                    items.push_back({SsmlItem::Kind::Break, {}, {}, breakDuration(*tag)});
                }
                i = tag->end;
                continue;
            }
            text += U'<';
            ++i;
        } else if (c == '&') {
            if (const auto entity = readEntity(ssml, i)) {
                text += entity->first;
                i = entity->second;
            } else {
                text += U'&';
                ++i;
            }
        } else {
            text += decodeOne(ssml, i);
        }
    }
    flushText();
    // Speech Dispatcher 0.11 resumes a message paused before its first index
    // mark by sending its SSML once more as if it were plain text: escaped,
    // inside a second <speak>, with the marks inserted again beside the
    // escaped ones. The text of such a message is the SSML to read.
    std::u32string all;
    for (const SsmlItem& item : items)
        all += item.text;
    const size_t first = all.find_first_not_of(U" \n");
    const size_t last = all.find_last_not_of(U" \n");
    if (first != std::u32string::npos &&
        std::u32string_view(all).substr(first, last + 1 - first).starts_with(U"<speak") &&
        std::u32string_view(all).substr(0, last + 1).ends_with(U"</speak>")) {
        return readSsml(encodeUtf8(all));
    }
    return items;
}

std::u32string decodeUtf8(std::string_view text) {
    std::u32string result;
    result.reserve(text.size());
    for (size_t i = 0; i < text.size();)
        result += decodeOne(text, i);
    return result;
}

std::string encodeUtf8(std::u32string_view text) {
    std::string result;
    for (char32_t c : text) {
        if (c < 0x80) {
            result += static_cast<char>(c);
        } else if (c < 0x800) {
            result += static_cast<char>(0xC0 | (c >> 6));
            result += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            result += static_cast<char>(0xE0 | (c >> 12));
            result += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            result += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            result += static_cast<char>(0xF0 | (c >> 18));
            result += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            result += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            result += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return result;
}

}  // namespace lenvoro::speechd
