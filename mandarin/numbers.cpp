#include "numbers.h"

#include <array>

namespace mandarin {

namespace {

constexpr std::array<std::string_view, 10> kDigits = {"ling2", "yi1",  "er4", "san1", "si4",
                                                      "wu3",   "liu4", "qi1", "ba1",  "jiu3"};
// Within a group of four digits: thousands, hundreds, tens.
constexpr std::array<std::string_view, 4> kGroupUnits = {"qian1", "bai3", "shi2", ""};
// Between groups: ten thousands and hundreds of millions.
constexpr std::array<std::string_view, 3> kGroupNames = {"yi4", "wan4", ""};
constexpr size_t kLongestQuantityDigits = 12;

// 一 before a unit changes its tone as it does before any syllable: yì bǎi,
// yì qiān, yí wàn, yí yì.
std::string_view oneBefore(std::string_view unit) {
    return unit.back() == '4' ? "yi2" : "yi4";
}

void readDigits(std::u32string_view digits, std::vector<std::string_view>& out,
                bool telephone = false) {
    for (const char32_t d : digits)
        out.push_back(telephone && d == U'1' ? "yao1" : kDigits[d - U'0']);
}

// A group of up to four digits, without leading zeros of its own. At the
// very start of a number, 10 to 19 are read shí ..., not yī shí ....
void readGroup(std::u32string_view group, bool atStart, std::vector<std::string_view>& out) {
    const size_t offset = 4 - group.size();
    bool pendingZero = false;
    bool anything = false;
    for (size_t i = 0; i < group.size(); ++i) {
        const int digit = static_cast<int>(group[i] - U'0');
        const std::string_view unit = kGroupUnits[offset + i];
        if (digit == 0) {
            pendingZero = anything;
            continue;
        }
        if (pendingZero)
            out.push_back("ling2");
        pendingZero = false;
        if (digit == 1 && unit == "shi2" && atStart && !anything) {
            out.push_back("shi2");  // 十五, not 一十五
        } else {
            // 一 changes its tone before 百 and 千 (yì bǎi), not before 十 (yì bǎi yī shí).
            const bool changes = digit == 1 && !unit.empty() && unit != "shi2";
            out.push_back(changes ? oneBefore(unit) : kDigits[digit]);
            if (!unit.empty())
                out.push_back(unit);
        }
        anything = true;
    }
}

void readInteger(std::u32string_view digits, std::vector<std::string_view>& out) {
    while (digits.size() > 1 && digits.front() == U'0')
        digits.remove_prefix(1);
    if (digits.size() > kLongestQuantityDigits)
        return readDigits(digits, out);
    if (digits == U"0") {
        out.push_back("ling2");
        return;
    }
    // Groups of four from the right: [hundreds of millions][ten thousands][ones].
    const size_t groups = (digits.size() + 3) / 4;
    size_t begin = 0;
    bool zeroBefore = false;
    bool started = false;
    for (size_t g = 0; g < groups; ++g) {
        const size_t length = digits.size() - begin - 4 * (groups - 1 - g);
        std::u32string_view group = digits.substr(begin, length);
        begin += length;
        const std::string_view name = kGroupNames[3 - groups + g];
        if (group.find_first_not_of(U'0') == std::u32string_view::npos) {
            zeroBefore = started;
            continue;
        }
        // A group that starts with zeros after an earlier group: 一万零八十六.
        if (started && (zeroBefore || group.size() == 4) && group.front() == U'0')
            out.push_back("ling2");
        while (group.front() == U'0')
            group.remove_prefix(1);
        const size_t before = out.size();
        readGroup(group, !started, out);
        // A group that is just 1 or 2 before 万 or 亿: 一万 yí wàn, 两万.
        if (!name.empty() && out.size() == before + 1 && out.back() == "yi1")
            out.back() = oneBefore(name);
        if (!name.empty() && out.size() == before + 1 && out.back() == "er4" && !started)
            out.back() = "liang3";
        // 2000 is 两千.
        if (!started && out.size() >= before + 2 && out[before] == "er4" &&
            out[before + 1] == "qian1")
            out[before] = "liang3";
        if (!name.empty())
            out.push_back(name);
        started = true;
        zeroBefore = false;
    }
}

}  // namespace

void readNumber(std::u32string_view number, NumberStyle style, std::vector<std::string_view>& out) {
    const bool percent = !number.empty() && number.back() == U'%';
    if (percent) {
        number.remove_suffix(1);
        out.insert(out.end(), {"bai3", "fen1", "zhi1"});
    }
    const size_t point = number.find(U'.');
    const std::u32string_view whole = number.substr(0, point);
    if (style != NumberStyle::Quantity) {
        readDigits(whole, out, style == NumberStyle::Telephone);
    } else {
        readInteger(whole, out);
    }
    if (point != std::u32string_view::npos) {
        out.push_back("dian3");
        readDigits(number.substr(point + 1), out);
    }
}

}  // namespace mandarin
