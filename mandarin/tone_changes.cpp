#include "tone_changes.h"

#include <string_view>

namespace mandarin {

namespace {

constexpr char32_t kOne = U'一';
constexpr char32_t kNot = U'不';

bool isNumeral(char32_t c) {
    return (c >= U'0' && c <= U'9') ||
           std::u32string_view(U"零〇一二三四五六七八九十两百千万亿").find(c) !=
               std::u32string_view::npos;
}
bool isLargeUnit(char32_t c) {
    return std::u32string_view(U"百千万亿").find(c) != std::u32string_view::npos;
}
bool countsBefore(char32_t c) {
    return isNumeral(c) ||
           std::u32string_view(U"这那哪几每各某多").find(c) != std::u32string_view::npos;
}
bool isPronoun(char32_t c) {
    return std::u32string_view(U"我你他她它您们").find(c) != std::u32string_view::npos;
}
// Words that come before a verb but are none: after them 不 and 过 keep their tone.
bool isPronounOrAdverb(char32_t c) {
    return isPronoun(c) || std::u32string_view(U"也都还就才又再很太真最别没谁").find(c) !=
                               std::u32string_view::npos;
}
// Results and directions that follow a verb: 睁不开, 下不来, 受不了, 看不见.
bool isComplement(char32_t c) {
    return std::u32string_view(U"了开来去着到见完动下上起出过住懂清拢").find(c) !=
           std::u32string_view::npos;
}

int toneOf(std::string_view syllable) {
    return syllable.empty() ? 0 : syllable.back() - '0';
}

// The tone a syllable has before any neutralising: a neutral syllable of a
// word (一个 in the dictionary's yī ge) takes its character's own tone.
int underlyingTone(const RunCharacter& c, const Dictionary& dictionary) {
    const int tone = toneOf(c.syllable);
    if (tone != 5)
        return tone;
    if (const auto own = dictionary.characterReading(c.character))
        return toneOf(dictionary.syllable(*own));
    return tone;
}

bool endsMultiCharacterWord(const RunCharacter& c) {
    return c.wordLength > 1 && c.indexInWord + 1 == c.wordLength;
}

void changeOne(std::vector<RunCharacter>& run, size_t k, const Dictionary& dictionary,
               char32_t before) {
    RunCharacter& c = run[k];
    if (c.syllable != "yi1" || endsMultiCharacterWord(c))
        return;  // 统一, 第一, 之一
    if (k + 1 >= run.size())
        return;  // at the end of a phrase
    const char32_t next = run[k + 1].character;
    const char32_t previous = k > 0 ? run[k - 1].character : before;
    if (previous == U'第')
        return;
    // 数一数, 看一看; but not 一口一口, where the first 一 counts too.
    if (previous != 0 && previous == next && !isNumeral(next) &&
        !(k >= 2 && run[k - 2].character == kOne)) {
        c.syllable = "yi5";
        return;
    }
    // Counting and numbers: 一二三, 十一, 一月, 一号.
    if (isNumeral(next) && !isLargeUnit(next))
        return;
    if (previous != 0 && isNumeral(previous))
        return;
    // Ordinals: 一月, 一号, 一楼, 一班, 一年级.
    if (next == U'月' || next == U'号' || next == U'楼' || next == U'班')
        return;
    if (next == U'年' && k + 2 < run.size() && run[k + 2].character == U'级')
        return;
    const int tone = underlyingTone(run[k + 1], dictionary);
    if (tone == 4)
        c.syllable = "yi2";
    else if (tone >= 1 && tone <= 3)
        c.syllable = "yi4";
}

void changeNot(std::vector<RunCharacter>& run, size_t k, const Dictionary& dictionary) {
    RunCharacter& c = run[k];
    if (c.syllable != "bu4" || k + 1 >= run.size())
        return;
    const char32_t next = run[k + 1].character;
    if (k > 0 && run[k - 1].character == next) {
        c.syllable = "bu5";  // 好不好, 是不是
        return;
    }
    // Between a verb and its result it is neutral: 睁不开, 合不拢, 下不来.
    const bool afterVerb =
        k > 0 && run[k - 1].wordLength == 1 && !isPronounOrAdverb(run[k - 1].character);
    if (afterVerb && run[k + 1].wordLength == 1 && isComplement(next)) {
        c.syllable = "bu5";
        return;
    }
    if (underlyingTone(run[k + 1], dictionary) == 4)
        c.syllable = "bu2";
}

// Characters that stand alone, outside any longer word, and whose reading
// follows from their neighbours.
void readAlone(std::vector<RunCharacter>& run, size_t k, char32_t before) {
    RunCharacter& c = run[k];
    if (c.wordLength != 1)
        return;
    const char32_t previous = k > 0 ? run[k - 1].character : before;
    const bool followed = k + 1 < run.size();
    switch (c.character) {
        case U'地':
            // After a word and before what it describes, 地 is the particle: 慢慢地走.
            if (k > 0 && run[k - 1].wordLength > 1 && followed)
                c.syllable = "de5";
            break;
        case U'只':
            c.syllable = previous != 0 && countsBefore(previous) ? "zhi1" : "zhi3";
            break;
        case U'种':
            c.syllable =
                (previous != 0 && countsBefore(previous)) || !followed ? "zhong3" : "zhong4";
            break;
        case U'长':
            // Growing: 长得, 长在, 长高, 长出, 长成.
            if (followed && std::u32string_view(U"得在高出成胖").find(run[k + 1].character) !=
                                std::u32string_view::npos)
                c.syllable = "zhang3";
            break;
        case U'还':
            // Giving back: 还了, 还给, 还书, 还钱, and at the end of a phrase (借了要还).
            if (!followed || std::u32string_view(U"了给书钱").find(run[k + 1].character) !=
                                 std::u32string_view::npos)
                c.syllable = "huan2";
            break;
        case U'重':
            if (previous == U'再')
                c.syllable = "chong2";  // 再重说一遍
            break;
        case U'落':
            // Leaving something behind: 把书包落在家里.
            if (followed && run[k + 1].character == U'在') {
                for (size_t j = 0; j < k; ++j)
                    if (run[j].character == U'把')
                        c.syllable = "la4";
            }
            break;
        case U'过':
            // After a verb (a word of one character) it tells what has been:
            // 看过, 去过; after a noun it is crossing: 妹妹过河.
            if (k > 0 && run[k - 1].wordLength == 1 && !isPronounOrAdverb(previous) &&
                !(followed && (run[k + 1].character == U'来' || run[k + 1].character == U'去')))
                c.syllable = "guo5";
            break;
        case U'得':
            // 我得走了: "must".
            if (previous != 0 && isPronoun(previous) && followed && run[k + 1].character != U'了' &&
                run[k + 1].character != U'到')
                c.syllable = "dei3";
            break;
        default:
            break;
    }
}

}  // namespace

// 个 after a number keeps its tone even where a word has it neutral: 几个, 每个.
void readMeasureWord(std::vector<RunCharacter>& run, size_t k, char32_t before) {
    const char32_t previous = k > 0 ? run[k - 1].character : before;
    if (run[k].character == U'个' && run[k].syllable == "ge5" && previous != 0 &&
        (isNumeral(previous) || previous == U'几' || previous == U'每'))
        run[k].syllable = "ge4";
}

void applyToneChanges(std::vector<RunCharacter>& run, const Dictionary& dictionary,
                      char32_t before) {
    for (size_t k = 0; k < run.size(); ++k) {
        readAlone(run, k, before);
        readMeasureWord(run, k, before);
    }
    for (size_t k = 0; k < run.size(); ++k) {
        if (run[k].character == kOne)
            changeOne(run, k, dictionary, before);
        else if (run[k].character == kNot)
            changeNot(run, k, dictionary);
    }
}

}  // namespace mandarin
