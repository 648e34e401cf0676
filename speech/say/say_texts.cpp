#include "say_texts.h"

#include <cstdlib>

#include "engine/text.h"

namespace lenvoro::say {

namespace {

constexpr Texts kEnglish{
    "Usage: lenvoro-say [OPTIONS] [TEXT...]\n"
    "Read TEXT aloud, or into a wave file. Without TEXT (or with -) the text is\n"
    "read from standard input.\n"
    "\n"
    "  -w, --wave FILE       write the speech to the wave file FILE instead\n"
    "  -f, --format N|NAME   wave format 0..35 or its name, such as 22kHz16BitMono\n"
    "                        or \"44kHz 16 Bit Stereo\" (default 18, 22kHz 16 Bit Mono)\n"
    "  -v, --voice V         voice number -1..4 or name (default -1, the default\n"
    "                        voice, see below); with --mixed a voice pair 1,2,3,5,6,7\n"
    "  -m, --mixed           read Chinese with a Chinese and English with an English voice\n"
    "  -r, --rate N          rate 0..100 (50 is normal speed)\n"
    "  -a, --volume N        volume 0..100\n"
    "  -p, --no-punctuation  read common punctuation marks as pauses (spaces)\n"
    "  -s, --settings        open the voice settings: the default voice and rate\n"
    "                        chosen there are what later readings use\n"
    "  -l, --list-voices     list the voices, voice pairs and wave formats, and\n"
    "                        whether each voice is installed\n"
    "      --pinyin          print the readings a Chinese voice reads TEXT with,\n"
    "                        in pinyin with tone marks, instead of reading it\n"
    "      --phonemes        print the phonemes espeak-ng speaks for TEXT (as\n"
    "                        espeak-ng -x writes them, with tone numbers), one\n"
    "                        line per piece, English pieces marked (en); reads\n"
    "                        into a wave file (-w FILE, else a temporary one)\n"
    "  -h, --help            show this help\n"
    "\n"
    "The default voice is the one chosen with --settings; until one is chosen, the\n"
    "first installed voice in the language of the locale (Chinese for zh_*, else\n"
    "English).\n"
    "Now: {default}.\n"
    "\n"
    "Exit status: 0 done; 1 the file could not be written or the engine could not\n"
    "speak; 2 a wrong option or an empty text; 3 a voice is not installed; 4 the\n"
    "speech engine cannot start.\n",
    "Try 'lenvoro-say --help'.",
    "{option} takes a number from 0 to 100, not '{value}'",
    "option -{option} needs a value",
    "unknown option '{option}'",
    "--settings takes no text and no other action",
    "--format applies to a wave file: give -w FILE too",
    "unknown wave format '{value}' (0..35, or a name such as 22kHz16BitMono; see "
    "--list-voices)",
    "unknown voice '{value}' (see --list-voices)",
    "unknown voice pair '{value}' (see --list-voices)",
    "there is no text to read",
    "--pinyin takes no other action",
    "--phonemes takes no other action",
    "no temporary folder for --phonemes",
    "the speech engine cannot start (no voice is installed?)",
    "cannot write '{file}'",
    "the engine cannot speak",
    "voice pair {pair} needs voices that are not installed: {voices}",
    "--settings needs a graphical session (no DISPLAY)",
    "the voice settings could not be shown",
    "Voices (--voice):",
    "Voice pairs (--mixed --voice):",
    "Wave formats (--format):",
    "installed",
    "not installed",
    "(not installed)",
    "{voice}, as no voice is chosen with --settings and the locale {locale} is {language}",
    "{voice}, as no voice is chosen with --settings and no {language} voice is installed",
    "{voice}, chosen with --settings",
    "none, as no voice is installed",
    "Chinese",
    "English",
    ", ",
};

constexpr Texts kSimplifiedChinese{
    "用法：lenvoro-say [选项] [文本...]\n"
    "朗读文本，或把它写进波形文件。没有给出文本（或给出 -）时从标准输入读取文本。\n"
    "\n"
    "  -w, --wave 文件       把语音写进波形文件，而不是朗读出来\n"
    "  -f, --format 编号|名称\n"
    "                        波形格式 0..35 或它的名称，例如 22kHz16BitMono\n"
    "                        或 \"44kHz 16 Bit Stereo\"（默认 18，22kHz 16 Bit Mono）\n"
    "  -v, --voice 语音      语音编号 -1..4 或名称（默认 -1，即默认语音，见下文）；\n"
    "                        与 --mixed 一起时是语音组合 1、2、3、5、6、7\n"
    "  -m, --mixed           中文用中文语音读，英文用英文语音读\n"
    "  -r, --rate 数字       语速 0..100（50 为正常速度）\n"
    "  -a, --volume 数字     音量 0..100\n"
    "  -p, --no-punctuation  把常见标点读作停顿（空格）\n"
    "  -s, --settings        打开语音设置：在那里选择的默认语音和语速用于以后的朗读\n"
    "  -l, --list-voices     列出语音、语音组合和波形格式，以及每个语音是否已安装\n"
    "      --pinyin          不朗读，而是打印中文语音朗读文本时用的读音（带声调的拼音）\n"
    "      --phonemes        打印 espeak-ng 为文本读出的音素（写法与 espeak-ng -x 相同，\n"
    "                        带声调数字），每段一行，英文段标有 (en)；朗读写进波形文件\n"
    "                        （-w 文件，否则写进临时文件）\n"
    "  -h, --help            显示本帮助\n"
    "\n"
    "默认语音是用 --settings 选择的语音；还没有选择时，是区域设置的语言的第一个已安装\n"
    "语音（zh_* 为中文，其他为英文）。\n"
    "当前：{default}。\n"
    "\n"
    "退出状态：0 完成；1 无法写入文件或引擎无法朗读；2 选项错误或文本为空；\n"
    "3 有语音库没有安装；4 语音引擎无法启动。\n",
    "请试试 'lenvoro-say --help'。",
    "{option} 需要 0 到 100 之间的数字，而不是 '{value}'",
    "选项 -{option} 需要一个值",
    "未知选项 '{option}'",
    "--settings 不接受文本，也不能和其他操作一起使用",
    "--format 只用于波形文件：请同时给出 -w 文件",
    "未知的波形格式 '{value}'（0..35，或 22kHz16BitMono 这样的名称；见 --list-voices）",
    "未知的语音 '{value}'（见 --list-voices）",
    "未知的语音组合 '{value}'（见 --list-voices）",
    "没有要朗读的文本",
    "--pinyin 不能和其他操作一起使用",
    "--phonemes 不能和其他操作一起使用",
    "无法为 --phonemes 创建临时文件夹",
    "语音引擎无法启动（没有安装语音库？）",
    "无法写入 '{file}'",
    "语音引擎无法朗读",
    "语音组合 {pair} 需要的语音库没有安装：{voices}",
    "--settings 需要图形界面（没有 DISPLAY）",
    "无法显示语音设置",
    "语音（--voice）：",
    "语音组合（--mixed --voice）：",
    "波形格式（--format）：",
    "已安装",
    "未安装",
    "（未安装）",
    "{voice}，因为还没有用 --settings 选择语音，而区域设置 {locale} 是{language}",
    "{voice}，因为还没有用 --settings 选择语音，也没有安装{language}语音库",
    "{voice}，是用 --settings 选择的",
    "无，因为没有安装任何语音库",
    "中文",
    "英文",
    "、",
};

constexpr Texts kTraditionalChinese{
    "用法：lenvoro-say [選項] [文字...]\n"
    "朗讀文字，或把它寫進波形檔案。沒有給出文字（或給出 -）時從標準輸入讀取文字。\n"
    "\n"
    "  -w, --wave 檔案       把語音寫進波形檔案，而不是朗讀出來\n"
    "  -f, --format 編號|名稱\n"
    "                        波形格式 0..35 或它的名稱，例如 22kHz16BitMono\n"
    "                        或 \"44kHz 16 Bit Stereo\"（預設 18，22kHz 16 Bit Mono）\n"
    "  -v, --voice 語音      語音編號 -1..4 或名稱（預設 -1，即預設語音，見下文）；\n"
    "                        與 --mixed 一起時是語音組合 1、2、3、5、6、7\n"
    "  -m, --mixed           中文用中文語音讀，英文用英文語音讀\n"
    "  -r, --rate 數字       語速 0..100（50 為正常速度）\n"
    "  -a, --volume 數字     音量 0..100\n"
    "  -p, --no-punctuation  把常見標點讀作停頓（空格）\n"
    "  -s, --settings        開啟語音設置：在那裡選擇的預設語音和語速用於以後的朗讀\n"
    "  -l, --list-voices     列出語音、語音組合和波形格式，以及每個語音是否已安裝\n"
    "      --pinyin          不朗讀，而是印出中文語音朗讀文字時用的讀音（帶聲調的拼音）\n"
    "      --phonemes        印出 espeak-ng 為文字讀出的音素（寫法與 espeak-ng -x 相同，\n"
    "                        帶聲調數字），每段一行，英文段標有 (en)；朗讀寫進波形檔案\n"
    "                        （-w 檔案，否則寫進暫存檔案）\n"
    "  -h, --help            顯示本說明\n"
    "\n"
    "預設語音是用 --settings 選擇的語音；還沒有選擇時，是地區設定的語言的第一個已安裝\n"
    "語音（zh_* 為中文，其他為英文）。\n"
    "目前：{default}。\n"
    "\n"
    "結束狀態：0 完成；1 無法寫入檔案或引擎無法朗讀；2 選項錯誤或文字為空；\n"
    "3 有語音庫沒有安裝；4 語音引擎無法啟動。\n",
    "請試試 'lenvoro-say --help'。",
    "{option} 需要 0 到 100 之間的數字，而不是 '{value}'",
    "選項 -{option} 需要一個值",
    "未知選項 '{option}'",
    "--settings 不接受文字，也不能和其他操作一起使用",
    "--format 只用於波形檔案：請同時給出 -w 檔案",
    "未知的波形格式 '{value}'（0..35，或 22kHz16BitMono 這樣的名稱；見 --list-voices）",
    "未知的語音 '{value}'（見 --list-voices）",
    "未知的語音組合 '{value}'（見 --list-voices）",
    "沒有要朗讀的文字",
    "--pinyin 不能和其他操作一起使用",
    "--phonemes 不能和其他操作一起使用",
    "無法為 --phonemes 建立暫存資料夾",
    "語音引擎無法啟動（沒有安裝語音庫？）",
    "無法寫入 '{file}'",
    "語音引擎無法朗讀",
    "語音組合 {pair} 需要的語音庫沒有安裝：{voices}",
    "--settings 需要圖形介面（沒有 DISPLAY）",
    "無法顯示語音設置",
    "語音（--voice）：",
    "語音組合（--mixed --voice）：",
    "波形格式（--format）：",
    "已安裝",
    "未安裝",
    "（未安裝）",
    "{voice}，因為還沒有用 --settings 選擇語音，而地區設定 {locale} 是{language}",
    "{voice}，因為還沒有用 --settings 選擇語音，也沒有安裝{language}語音庫",
    "{voice}，是用 --settings 選擇的",
    "無，因為沒有安裝任何語音庫",
    "中文",
    "英文",
    "、",
};

}  // namespace

Language LanguageForLocale(std::string_view localeName) {
    // language[_TERRITORY][.codeset][@modifier], a hyphen taken as well
    const std::string_view base = localeName.substr(0, localeName.find_first_of(".@"));
    const size_t separator = base.find_first_of("_-");
    const std::string_view language = base.substr(0, separator);
    const std::string_view territory =
        separator == std::string_view::npos ? std::string_view{} : base.substr(separator + 1);
    if (language.size() < 2 || language.size() > 3)
        return Language::ENG;
    for (char c : language) {
        if (!engine::isAsciiLetter(c))
            return Language::ENG;
    }
    if (separator != std::string_view::npos) {
        const bool letters = territory.size() == 2 && engine::isAsciiLetter(territory[0]) &&
                             engine::isAsciiLetter(territory[1]);
        const bool digits = territory.size() == 3 && engine::isAsciiDigit(territory[0]) &&
                            engine::isAsciiDigit(territory[1]) &&
                            engine::isAsciiDigit(territory[2]);
        if (!letters && !digits)
            return Language::ENG;
    }
    if (engine::asciiUpper(language) != "ZH")
        return Language::ENG;
    const std::string region = engine::asciiUpper(territory);
    if (region == "TW" || region == "HK" || region == "SG")
        return Language::TW;
    return region == "MO" ? Language::ENG : Language::CN;
}

const Texts& TextsFor(Language language) {
    switch (language) {
        case Language::CN:
            return kSimplifiedChinese;
        case Language::TW:
            return kTraditionalChinese;
        case Language::ENG:
            break;
    }
    return kEnglish;
}

std::string Fill(std::string_view pattern,
                 std::initializer_list<std::pair<std::string_view, std::string_view>> fields) {
    std::string out;
    size_t at = 0;
    while (at < pattern.size()) {
        const size_t open = pattern.find('{', at);
        if (open == std::string_view::npos)
            break;
        const size_t close = pattern.find('}', open);
        if (close == std::string_view::npos)
            break;
        const std::string_view name = pattern.substr(open + 1, close - open - 1);
        out.append(pattern.substr(at, open - at));
        bool known = false;
        for (const auto& [field, value] : fields) {
            if (field == name) {
                out.append(value);
                known = true;
                break;
            }
        }
        if (!known)
            out.append(pattern.substr(open, close - open + 1));
        at = close + 1;
    }
    out.append(pattern.substr(at));
    return out;
}

}  // namespace lenvoro::say
