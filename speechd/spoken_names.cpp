#include "spoken_names.h"

#include <utility>
#include <vector>

namespace lenvoro::speechd {

namespace {

struct Symbol {
    char32_t character;
    SymbolName name;
};

constexpr Symbol kSymbols[] = {
    {U' ', {"space", "空格"}},
    {U'\t', {"tab", "制表符"}},
    {U'\n', {"new line", "换行"}},
    {U'.', {"dot", "点"}},
    {U',', {"comma", "逗号"}},
    {U';', {"semicolon", "分号"}},
    {U':', {"colon", "冒号"}},
    {U'!', {"exclamation mark", "感叹号"}},
    {U'?', {"question mark", "问号"}},
    {U'\'', {"apostrophe", "单引号"}},
    {U'"', {"quote", "双引号"}},
    {U'(', {"left paren", "左括号"}},
    {U')', {"right paren", "右括号"}},
    {U'[', {"left bracket", "左方括号"}},
    {U']', {"right bracket", "右方括号"}},
    {U'{', {"left brace", "左花括号"}},
    {U'}', {"right brace", "右花括号"}},
    {U'<', {"less than", "小于号"}},
    {U'>', {"greater than", "大于号"}},
    {U'-', {"dash", "减号"}},
    {U'_', {"underscore", "下划线"}},
    {U'+', {"plus", "加号"}},
    {U'=', {"equals", "等号"}},
    {U'*', {"star", "星号"}},
    {U'/', {"slash", "斜杠"}},
    {U'\\', {"backslash", "反斜杠"}},
    {U'|', {"bar", "竖线"}},
    {U'&', {"and", "和号"}},
    {U'@', {"at", "at"}},
    {U'#', {"number sign", "井号"}},
    {U'$', {"dollar", "美元符号"}},
    {U'%', {"percent", "百分号"}},
    {U'^', {"caret", "脱字符"}},
    {U'~', {"tilde", "波浪号"}},
    {U'`', {"grave", "反引号"}},
    {U'，', {"comma", "逗号"}},
    {U'。', {"full stop", "句号"}},
    {U'、', {"enumeration comma", "顿号"}},
    {U'；', {"semicolon", "分号"}},
    {U'：', {"colon", "冒号"}},
    {U'！', {"exclamation mark", "感叹号"}},
    {U'？', {"question mark", "问号"}},
    {U'“', {"left quote", "左引号"}},
    {U'”', {"right quote", "右引号"}},
    {U'（', {"left paren", "左括号"}},
    {U'）', {"right paren", "右括号"}},
    {U'《', {"left title mark", "左书名号"}},
    {U'》', {"right title mark", "右书名号"}},
    {U'…', {"ellipsis", "省略号"}},
    {U'—', {"dash", "破折号"}},
};

// Speech Dispatcher's names of keys that are not a single character.
constexpr std::pair<std::string_view, std::string_view> kKeyWords[] = {
    {"control", "control"},
    {"alt", "alt"},
    {"shift", "shift"},
    {"super", "super"},
    {"hyper", "hyper"},
    {"meta", "meta"},
    {"space", "space"},
    {"underscore", "underscore"},
    {"double-quote", "double quote"},
    {"backspace", "backspace"},
    {"break", "break"},
    {"delete", "delete"},
    {"down", "down"},
    {"end", "end"},
    {"enter", "enter"},
    {"escape", "escape"},
    {"home", "home"},
    {"insert", "insert"},
    {"left", "left"},
    {"menu", "menu"},
    {"next", "page down"},
    {"num-lock", "num lock"},
    {"pause", "pause"},
    {"print", "print"},
    {"prior", "page up"},
    {"return", "return"},
    {"right", "right"},
    {"scroll-lock", "scroll lock"},
    {"tab", "tab"},
    {"up", "up"},
    {"window", "windows"},
};

std::string wordsForPart(std::string_view part) {
    for (const auto& [name, words] : kKeyWords) {
        if (part == name)
            return std::string(words);
    }
    if (part.starts_with("kp-"))
        return "keypad " + wordsForPart(part.substr(3));
    const bool functionKey = part.size() >= 2 && (part[0] == 'f' || part[0] == 'F') &&
                             part.find_first_not_of("0123456789", 1) == std::string_view::npos;
    if (functionKey)
        return "F " + std::string(part.substr(1));
    if (part.size() == 1) {
        if (const auto name = symbolName(static_cast<unsigned char>(part[0])))
            return std::string(name->english);
    }
    return std::string(part);
}

}  // namespace

std::optional<SymbolName> symbolName(char32_t c) {
    for (const Symbol& symbol : kSymbols) {
        if (symbol.character == c)
            return symbol.name;
    }
    return std::nullopt;
}

std::string keyWords(std::string_view key) {
    // "_" joins a key to its modifiers; the key "underscore" and "_" itself
    // are the only ones that hold one.
    if (key == "_")
        return "underscore";
    std::string words;
    while (!key.empty()) {
        const size_t join = key.find('_');
        const std::string_view part = key.substr(0, join);
        if (!part.empty()) {
            if (!words.empty())
                words += ' ';
            words += wordsForPart(part);
        }
        key.remove_prefix(join == std::string_view::npos ? key.size() : join + 1);
    }
    return words;
}

}  // namespace lenvoro::speechd
