#include "markup.h"

#include <algorithm>

#include "text.h"

namespace lenvoro::engine {

namespace {

// Deeper nesting than this is still read, but inner tags change the settings
// of the enclosing scope instead of opening one, so memory stays bounded.
constexpr size_t kMaximumNesting = 256;

// "&" + name + ";": the longest entity read, so ";" is looked for only this far.
constexpr size_t kMaximumEntityLength = 11;

// A tag whose name, attribute or value runs longer than this is plain text:
// the nesting keeps a copy of the settings per level.
constexpr size_t kMaximumTagWordLength = 4096;

using Query = std::shared_ptr<const std::u16string>;

bool sameQuery(const Query& a, const Query& b) {
    if (a == b)
        return true;
    const bool aEmpty = !a || a->empty(), bEmpty = !b || b->empty();
    return aEmpty || bEmpty ? aEmpty && bEmpty : *a == *b;
}

struct Settings {
    Query voiceRequired;
    Query voiceOptional;
    std::optional<int> absoluteRate;
    int relativeRate = 0;
    int volumePercent = 100;
};

struct Scope {
    std::u16string tagName;
    Settings settings;
};

bool isNameCharacter(char16_t c) {
    return isAsciiLetter(c) || isAsciiDigit(c) || c == u'_' || c == u':' || c == u'-' || c == u'.';
}
bool isSpace(char16_t c) {
    return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n';
}

// Reads a decimal integer, clamped to +-1e6 so that no digit string overflows.
std::optional<int> parseInteger(std::u16string_view text) {
    text = trimSpaces(text);
    bool negative = false;
    if (!text.empty() && (text[0] == u'-' || text[0] == u'+')) {
        negative = text[0] == u'-';
        text.remove_prefix(1);
    }
    if (text.empty())
        return std::nullopt;
    int64_t value = 0;
    for (char16_t c : text) {
        if (!isAsciiDigit(c))
            return std::nullopt;
        value = std::min<int64_t>(value * 10 + (c - u'0'), 1000000);
    }
    return static_cast<int>(negative ? -value : value);
}

struct Tag {
    std::u16string name;  // lower case, without "/" or "?"
    bool closing = false;
    bool selfClosing = false;
    std::vector<std::pair<std::u16string, std::u16string>> attributes;  // names lower case

    std::optional<std::u16string_view> attribute(std::u16string_view key) const {
        for (const auto& [name, value] : attributes) {
            if (name == key)
                return std::u16string_view(value);
        }
        return std::nullopt;
    }
};

// Parses the inside of "<...>". Attributes that cannot be read are dropped.
Tag parseTag(std::u16string_view body) {
    Tag tag;
    size_t i = 0;
    if (i < body.size() && body[i] == u'/')
        tag.closing = true, ++i;
    const size_t nameStart = i;
    while (i < body.size() && isNameCharacter(body[i]))
        ++i;
    tag.name = asciiLower(body.substr(nameStart, i - nameStart));
    if (!body.empty() && body.back() == u'/')
        tag.selfClosing = true;
    while (i < body.size()) {
        while (i < body.size() && (isSpace(body[i]) || body[i] == u'/'))
            ++i;
        const size_t keyStart = i;
        while (i < body.size() && isNameCharacter(body[i]))
            ++i;
        if (i == keyStart) {
            ++i;  // a stray character: skip it
            continue;
        }
        std::u16string key = asciiLower(body.substr(keyStart, i - keyStart));
        while (i < body.size() && isSpace(body[i]))
            ++i;
        if (i >= body.size() || body[i] != u'=')
            continue;
        ++i;
        while (i < body.size() && isSpace(body[i]))
            ++i;
        if (i >= body.size())
            break;
        std::u16string value;
        if (body[i] == u'"' || body[i] == u'\'') {
            const char16_t quote = body[i++];
            const size_t end = body.find(quote, i);
            const size_t stop = end == std::u16string_view::npos ? body.size() : end;
            value = body.substr(i, stop - i);
            i = stop + 1;
        } else {
            const size_t start = i;
            while (i < body.size() && !isSpace(body[i]))
                ++i;
            value = body.substr(start, i - start);
        }
        tag.attributes.emplace_back(std::move(key), std::move(value));
    }
    return tag;
}

// Decodes an entity at text[start] == '&'; returns the character and the
// entity's length, or nothing when it is not an entity.
std::optional<std::pair<char32_t, size_t>> decodeEntity(std::u16string_view text, size_t start) {
    const size_t end = text.substr(start, kMaximumEntityLength).find(u';');
    if (end == std::u16string_view::npos)
        return std::nullopt;
    const std::u16string_view name = text.substr(start + 1, end - 1);
    const size_t length = end + 1;
    static const std::pair<std::u16string_view, char32_t> kNamed[] = {
        {u"lt", U'<'}, {u"gt", U'>'}, {u"amp", U'&'}, {u"quot", U'"'}, {u"apos", U'\''}};
    for (const auto& [entity, character] : kNamed) {
        if (name == entity)
            return std::pair{character, length};
    }
    if (name.size() < 2 || name[0] != u'#')
        return std::nullopt;
    char32_t code = 0;
    const bool hex = name[1] == u'x' || name[1] == u'X';
    const std::u16string_view digits = name.substr(hex ? 2 : 1);
    if (digits.empty())
        return std::nullopt;
    for (char16_t c : digits) {
        int digit = -1;
        if (isAsciiDigit(c))
            digit = c - u'0';
        else if (hex && c >= u'a' && c <= u'f')
            digit = c - u'a' + 10;
        else if (hex && c >= u'A' && c <= u'F')
            digit = c - u'A' + 10;
        if (digit < 0)
            return std::nullopt;
        code = std::min<char32_t>(code * (hex ? 16 : 10) + static_cast<char32_t>(digit), 0x110000);
    }
    if (code == 0 || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
        code = kReplacementCharacter;
    }
    return std::pair{code, length};
}

class Reader {
public:
    explicit Reader(std::u16string_view text) : text_(text) { scopes_.push_back({u"", {}}); }

    std::vector<SpeechPiece> read(bool parseTags) {
        size_t i = 0;
        while (i < text_.size()) {
            const char16_t c = text_[i];
            if (parseTags && c == u'<') {
                if (auto end = findTagEnd(i)) {
                    applyTag(text_.substr(i + 1, *end - i - 1));
                    i = *end + 1;
                    continue;
                }
            } else if (parseTags && c == u'&') {
                if (auto entity = decodeEntity(text_, i)) {
                    append(entity->first, i, entity->second);
                    i += entity->second;
                    continue;
                }
            }
            if (isHighSurrogate(c) && i + 1 < text_.size() && isLowSurrogate(text_[i + 1])) {
                append(
                    0x10000 + ((static_cast<char32_t>(c) - 0xD800) << 10) + (text_[i + 1] - 0xDC00),
                    i, 2);
                i += 2;
                continue;
            }
            char32_t character = c;
            if (c >= 0xD800 && c <= 0xDFFF)
                character = kReplacementCharacter;
            else if (c < 0x20 && c != u'\n' && c != u'\r' && c != u'\t')
                character = U' ';
            append(character, i, 1);
            ++i;
        }
        return std::move(pieces_);
    }

private:
    Settings& current() { return scopes_.back().settings; }

    // Finds the ">" that ends a tag starting at text_[start] == '<'. A tag must
    // end before the next "<" outside quotes; otherwise the "<" is plain text.
    // Linear over the whole text: "-->" is looked for to the end at most once,
    // and quote characters switch every scan between outside, "..." and '...'
    // alike, so scans from different starts never share a state and at most
    // three pass over any unit.
    std::optional<size_t> findTagEnd(size_t start) {
        if (start + 1 >= text_.size())
            return std::nullopt;
        const char16_t first = text_[start + 1];
        if (text_.substr(start, 4) == u"<!--") {
            if (start + 4 >= noCommentEndFrom_)
                return std::nullopt;
            const size_t end = text_.find(u"-->", start + 4);
            if (end == std::u16string_view::npos) {
                noCommentEndFrom_ = start + 4;
                return std::nullopt;
            }
            return end + 2;
        }
        if (!(isAsciiLetter(first) || first == u'_' || first == u'/' || first == u'?' ||
              first == u'!')) {
            return std::nullopt;
        }
        char16_t quote = 0;
        size_t wordLength = 0;  // of the name or the (quoted) value being read
        for (size_t i = start + 1; i < text_.size(); ++i) {
            const char16_t c = text_[i];
            if (quote != 0) {
                if (c == quote) {
                    quote = 0;
                    wordLength = 0;
                } else if (++wordLength > kMaximumTagWordLength) {
                    return std::nullopt;
                }
            } else if (c == u'"' || c == u'\'') {
                quote = c;
            } else if (c == u'>') {
                return i;
            } else if (c == u'<') {
                return std::nullopt;
            } else if (isSpace(c) || c == u'=') {
                wordLength = 0;
            } else if (++wordLength > kMaximumTagWordLength) {
                return std::nullopt;
            }
        }
        return std::nullopt;
    }

    void append(char32_t character, size_t offset, size_t length) {
        // Comparing the settings only after a tag keeps long voice queries from
        // being compared once per character.
        const bool startPiece = pieces_.empty() || pieces_.back().isSilence() ||
                                (settingsMayDiffer_ && !samePiece(pieces_.back()));
        settingsMayDiffer_ = false;
        if (startPiece) {
            SpeechPiece piece;
            piece.requiredQuery = current().voiceRequired;
            piece.optionalQuery = current().voiceOptional;
            piece.absoluteRate = current().absoluteRate;
            piece.relativeRate = current().relativeRate;
            piece.volumePercent = current().volumePercent;
            pieces_.push_back(std::move(piece));
        }
        SpeechPiece& piece = pieces_.back();
        piece.text.push_back(character);
        piece.sourceOffset.push_back(static_cast<uint32_t>(offset));
        piece.sourceLength.push_back(static_cast<uint32_t>(length));
    }

    bool samePiece(const SpeechPiece& piece) {
        const Settings& s = current();
        return sameQuery(piece.requiredQuery, s.voiceRequired) &&
               sameQuery(piece.optionalQuery, s.voiceOptional) &&
               piece.absoluteRate == s.absoluteRate && piece.relativeRate == s.relativeRate &&
               piece.volumePercent == s.volumePercent;
    }

    void applyTag(std::u16string_view body) {
        if (body.empty() || body[0] == u'?' || body[0] == u'!')
            return;
        settingsMayDiffer_ = true;
        const Tag tag = parseTag(body);
        if (tag.closing) {
            // Close the innermost open scope of that name, and any left open inside it.
            for (size_t k = scopes_.size(); k-- > 1;) {
                if (scopes_[k].tagName == tag.name) {
                    scopes_.resize(k);
                    break;
                }
            }
            return;
        }
        if (tag.name == u"silence") {
            const auto ms = parseInteger(tag.attribute(u"msec").value_or(u""));
            if (ms && *ms > 0) {
                SpeechPiece pause;
                pause.silenceMs = std::min<uint32_t>(static_cast<uint32_t>(*ms), kMaximumSilenceMs);
                pieces_.push_back(std::move(pause));
            }
            return;
        }
        const bool scoped = tag.name == u"voice" || tag.name == u"rate" || tag.name == u"volume";
        if (!scoped)
            return;
        if (!tag.selfClosing && scopes_.size() < kMaximumNesting) {
            scopes_.push_back({tag.name, current()});
        }
        Settings& settings = current();
        if (tag.name == u"voice") {
            const auto query = [](std::u16string_view value) {
                return value.empty() ? nullptr : std::make_shared<const std::u16string>(value);
            };
            if (auto required = tag.attribute(u"required"))
                settings.voiceRequired = query(*required);
            if (auto optional = tag.attribute(u"optional"))
                settings.voiceOptional = query(*optional);
        } else if (tag.name == u"rate") {
            if (auto absolute = parseInteger(tag.attribute(u"absspeed").value_or(u""))) {
                settings.absoluteRate = std::clamp(*absolute, kMinimumRate, kMaximumRate);
                settings.relativeRate = 0;
            }
            if (auto relative = parseInteger(tag.attribute(u"speed").value_or(u""))) {
                settings.relativeRate = std::clamp(settings.relativeRate + *relative,
                                                   2 * kMinimumRate, 2 * kMaximumRate);
            }
        } else if (tag.name == u"volume") {
            if (auto level = parseInteger(tag.attribute(u"level").value_or(u""))) {
                settings.volumePercent = std::clamp(*level, 0, 100);
            }
        }
    }

    std::u16string_view text_;
    std::vector<Scope> scopes_;
    std::vector<SpeechPiece> pieces_;
    bool settingsMayDiffer_ = false;                       // since the last character appended
    size_t noCommentEndFrom_ = std::u16string_view::npos;  // no "-->" at or after this
};

}  // namespace

std::vector<SpeechPiece> readMarkup(std::u16string_view text, bool parseTags) {
    return Reader(text).read(parseTags);
}

}  // namespace lenvoro::engine
