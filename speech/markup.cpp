#include "markup.h"

#include <algorithm>
#include <cassert>
#include <new>
#include <stdexcept>

#include "engine_state.h"
#include "fixed_text.h"
#include "voices.h"

namespace lenvoro {

namespace {

constexpr std::u16string_view kSimplifiedChineseTag =
    u"<VOICE REQUIRED=\"NAME=Microsoft Simplified Chinese\">";
constexpr std::u16string_view kChineseFemaleTag = u"<VOICE REQUIRED=\"NAME=Chinese Female Voice\">";
constexpr std::u16string_view kSamTag = u"<VOICE REQUIRED=\"NAME=Microsoft Sam\">";
constexpr std::u16string_view kMaryTag = u"<VOICE REQUIRED=\"NAME=Microsoft Mary\">";
constexpr std::u16string_view kMikeTag = u"<VOICE REQUIRED=\"NAME=Microsoft Mike\">";

static_assert(kMarkupHeader.size() == 25);
static_assert(kSamTag.size() == 37 && kMaryTag.size() == 38 && kMikeTag.size() == 38);
static_assert(kSimplifiedChineseTag.size() == 52 && kChineseFemaleTag.size() == 44);
// Each tag must fit the library's 256-unit text buffers, terminator included.
static_assert(kSimplifiedChineseTag.size() < FixedText::kCapacity);

// The run state of one pass: at most one of the two is open.
struct Runs {
    bool inEnglish = false;
    bool inChinese = false;

    // Which tag the unit opens, if any, and the state after it.
    MarkupClass opens(char16_t unit) {
        switch (ClassifyMarkupUnit(unit)) {
            case MarkupClass::English:
                if (inEnglish)
                    break;
                inEnglish = true;
                inChinese = false;
                return MarkupClass::English;
            case MarkupClass::Chinese:
                if (inChinese)
                    break;
                inChinese = true;
                inEnglish = false;
                return MarkupClass::Chinese;
            case MarkupClass::Separator:
            case MarkupClass::Neutral:
                break;
        }
        return MarkupClass::Neutral;  // nothing opened
    }
};

struct RunCounts {
    size_t english = 0;
    size_t chinese = 0;
};

RunCounts CountRuns(std::u16string_view text) {
    RunCounts counts;
    Runs runs;
    for (const char16_t unit : text) {
        switch (runs.opens(unit)) {
            case MarkupClass::English:
                ++counts.english;
                break;
            case MarkupClass::Chinese:
                ++counts.chinese;
                break;
            default:
                break;
        }
    }
    return counts;
}

// header + text + tags, or nothing when the sum does not fit a size_t.
std::optional<size_t> MarkupLength(size_t textLength, const RunCounts& runs,
                                   const VoicePairTags& tags) {
    size_t english = 0, chinese = 0, length = 0;
    if (__builtin_mul_overflow(runs.english, tags.english.size(), &english) ||
        __builtin_mul_overflow(runs.chinese, tags.chinese.size(), &chinese) ||
        __builtin_add_overflow(kMarkupHeader.size(), textLength, &length) ||
        __builtin_add_overflow(length, english, &length) ||
        __builtin_add_overflow(length, chinese, &length)) {
        return std::nullopt;
    }
    return length;
}

// Writes into a buffer of known size and never past its end.
class BoundedWriter {
public:
    BoundedWriter(char16_t* begin, size_t size) : next_(begin), end_(begin + size) {}

    void put(std::u16string_view units) {
        const size_t room = static_cast<size_t>(end_ - next_);
        const size_t n = std::min(units.size(), room);
        next_ = std::copy_n(units.begin(), n, next_);
        overflowed_ = overflowed_ || n < units.size();
    }
    void put(char16_t unit) { put(std::u16string_view(&unit, 1)); }
    bool exactlyFull() const { return next_ == end_ && !overflowed_; }

private:
    char16_t* next_;
    char16_t* const end_;
    bool overflowed_ = false;
};

}  // namespace

std::optional<VoicePairTags> VoicePairTagsFor(int32_t voice) {
    switch (voice) {
        case 1:
            return VoicePairTags{kSimplifiedChineseTag, kSamTag};
        case 2:
            return VoicePairTags{kSimplifiedChineseTag, kMaryTag};
        case 3:
            return VoicePairTags{kSimplifiedChineseTag, kMikeTag};
        case 5:
            return VoicePairTags{kChineseFemaleTag, kSamTag};
        case 6:
            return VoicePairTags{kChineseFemaleTag, kMaryTag};
        case 7:
            return VoicePairTags{kChineseFemaleTag, kMikeTag};
        default:
            return std::nullopt;
    }
}

std::optional<size_t> VoiceMarkupLength(std::u16string_view text, int32_t voice) {
    const auto tags = VoicePairTagsFor(voice);
    if (!tags)
        return std::nullopt;
    return MarkupLength(text.size(), CountRuns(text), *tags);
}

MarkupBuild BuildVoiceMarkup(std::u16string& text, int32_t voice) {
    const auto tags = VoicePairTagsFor(voice);
    if (!tags)
        return MarkupBuild::NoVoicePair;
    const auto length = MarkupLength(text.size(), CountRuns(text), *tags);
    if (!length)
        return MarkupBuild::OutOfMemory;

    // One allocation of length units plus the terminator, which the string keeps.
    std::u16string markup;
    try {
        markup.assign(*length, u'\0');
    } catch (const std::bad_alloc&) {
        return MarkupBuild::OutOfMemory;
    } catch (const std::length_error&) {
        return MarkupBuild::OutOfMemory;
    }

    BoundedWriter out(markup.data(), markup.size());
    out.put(kMarkupHeader);
    Runs runs;
    for (const char16_t unit : text) {
        switch (runs.opens(unit)) {
            case MarkupClass::English:
                out.put(tags->english);
                break;
            case MarkupClass::Chinese:
                out.put(tags->chinese);
                break;
            default:
                break;
        }
        out.put(unit);
    }
    // The two passes share the run rules, so the count is exact by construction.
    assert(out.exactlyFull());

    text = std::move(markup);
    return MarkupBuild::Built;
}

int32_t MissingMarkupVoicesCode(std::u16string_view markup) {
    // In this order, each looked up only when its tag is named.
    static const std::pair<std::u16string_view, const KnownVoice*> kChecks[] = {
        {kSimplifiedChineseTag, &kSimplifiedChineseVoice},
        {kMaryTag, &kMaryVoice},
        {kChineseFemaleTag, &kChineseFemaleVoice},
        {kMikeTag, &kMikeVoice},
        {kSamTag, &kSamVoice},
    };
    int32_t code = 0;
    for (const auto& [tag, voice] : kChecks) {
        if (markup.find(tag) != std::u16string_view::npos && !IsVoiceInstalled(*voice)) {
            code += voice->missingVoiceCode;
        }
    }
    return code;
}

bool CheckMarkupVoices(std::u16string_view markup) {
    const int32_t code = MissingMarkupVoicesCode(markup);
    engineState().voicePromptCase = code;
    if (code == 0)
        return true;
    RaiseVoicePrompt(code);
    return false;
}

}  // namespace lenvoro
