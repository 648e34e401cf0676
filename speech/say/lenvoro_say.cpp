// lenvoro-say: reads a text aloud, or into a wave file, through liblenvoro.
//
//   lenvoro-say [OPTIONS] [TEXT...]
//
// The text comes from the arguments, or from standard input when there are
// none (or the only one is "-"). It is handed to the library as it came, in
// the code set of the user's locale, which is what the library's plain
// entry points read. Only the public interface of lenvoro.h is used, and the
// Mandarin readings for --pinyin.
#include <getopt.h>
#include <iconv.h>
#include <langinfo.h>
#include <locale.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <QApplication>

#include "lenvoro.h"
#include "mandarin/readings.h"

namespace {

// Exit codes: what a shell script needs to tell apart.
enum ExitCode {
    kExitOk = 0,
    kExitNotWritten = 1,   // the file could not be written, or the engine could not speak
    kExitUsage = 2,        // a wrong option or argument; nothing was read
    kExitVoiceMissing = 3, // a voice asked for is not installed
    kExitNoEngine = 4,     // the speech engine cannot start (no voice at all)
};

constexpr int32_t kDefaultFormat = LENVORO_FORMAT_22KHZ_16BIT_MONO;
constexpr int32_t kDefaultPair = LENVORO_PAIR_SIMPLIFIED_CHINESE_SAM;
// Texts longer than this are read piece by piece, with a progress bar when
// standard error is a terminal.
constexpr size_t kProgressThresholdBytes = 400;
constexpr size_t kPieceBytes = 200;
constexpr int kProgressBarWidth = 40;

const char* const kVoiceNames[] = {
    "Microsoft Simplified Chinese", "Microsoft Sam", "Microsoft Mary", "Microsoft Mike",
    "Chinese Female Voice",
};
// Short names accepted by --voice, in voice-number order.
const char* const kVoiceShortNames[] = {"simplified-chinese", "sam", "mary", "mike",
                                        "chinese-female"};

struct PairInfo {
    int32_t pair, chineseVoice, englishVoice;
};
const PairInfo kPairs[] = {{1, 0, 1}, {2, 0, 2}, {3, 0, 3}, {5, 4, 1}, {6, 4, 2}, {7, 4, 3}};

const char kUsage[] =
    "Usage: lenvoro-say [OPTIONS] [TEXT...]\n"
    "Read TEXT aloud, or into a wave file. Without TEXT (or with -) the text is\n"
    "read from standard input.\n"
    "\n"
    "  -w, --wave FILE       write the speech to the wave file FILE instead\n"
    "  -f, --format N|NAME   wave format 0..35 or its name, such as 22kHz16BitMono\n"
    "                        or \"44kHz 16 Bit Stereo\" (default 18, 22kHz 16 Bit Mono)\n"
    "  -v, --voice V         voice number -1..4 or name (default -1, the engine's\n"
    "                        default voice); with --mixed a voice pair 1,2,3,5,6,7\n"
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
    "Exit status: 0 done; 1 the file could not be written or the engine could not\n"
    "speak; 2 a wrong option or an empty text; 3 a voice is not installed; 4 the\n"
    "speech engine cannot start.\n";

int UsageError(const std::string& message) {
    std::cerr << "lenvoro-say: " << message << "\nTry 'lenvoro-say --help'.\n";
    return kExitUsage;
}

std::string Normalised(std::string_view text) {
    std::string out;
    for (char c : text) {
        if (c != ' ' && c != '_' && c != '-')
            out += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return out;
}

std::optional<long> WholeNumber(const char* text) {
    if (text == nullptr || *text == '\0')
        return std::nullopt;
    errno = 0;
    char* end = nullptr;
    const long value = std::strtol(text, &end, 10);
    if (errno != 0 || *end != '\0')
        return std::nullopt;
    return value;
}

std::string FormatName(int32_t format) {
    static const char* const kRates[] = {"8", "11", "12", "16", "22", "24", "32", "44", "48"};
    return std::string(kRates[format / 4]) + "kHz " + ((format & 2) ? "16" : "8") + " Bit " +
           ((format & 1) ? "Stereo" : "Mono");
}

std::optional<int32_t> ParseFormat(const char* text) {
    if (const auto number = WholeNumber(text)) {
        if (*number >= LENVORO_FORMAT_FIRST && *number <= LENVORO_FORMAT_LAST)
            return static_cast<int32_t>(*number);
        return std::nullopt;
    }
    const std::string wanted = Normalised(text);
    for (int32_t format = LENVORO_FORMAT_FIRST; format <= LENVORO_FORMAT_LAST; ++format) {
        if (Normalised(FormatName(format)) == wanted)
            return format;
    }
    return std::nullopt;
}

std::optional<int32_t> ParseVoice(const char* text, bool mixed) {
    if (const auto number = WholeNumber(text)) {
        if (mixed) {
            for (const PairInfo& pair : kPairs) {
                if (pair.pair == *number)
                    return pair.pair;
            }
            return std::nullopt;
        }
        if (*number >= LENVORO_VOICE_DEFAULT && *number <= LENVORO_VOICE_CHINESE_FEMALE)
            return static_cast<int32_t>(*number);
        return std::nullopt;
    }
    if (mixed)
        return std::nullopt;
    const std::string wanted = Normalised(text);
    if (wanted == "default")
        return LENVORO_VOICE_DEFAULT;
    for (int32_t voice = 0; voice < 5; ++voice) {
        if (wanted == Normalised(kVoiceNames[voice]) || wanted == Normalised(kVoiceShortNames[voice]))
            return voice;
    }
    return std::nullopt;
}

std::optional<int32_t> ParseSetting(const char* text) {
    const auto number = WholeNumber(text);
    if (!number || *number < LENVORO_SETTING_MIN || *number > LENVORO_SETTING_MAX)
        return std::nullopt;
    return static_cast<int32_t>(*number);
}

// A start with a chosen voice says, silently, whether that voice is
// installed (50..90 when it is not); the engine is started again plainly after.
bool VoiceInstalled(int32_t voice) {
    return Lenvoro_InitialAuth(0, voice, LENVORO_KEEP_SETTING, LENVORO_KEEP_SETTING, "", "", "",
                               "") == LENVORO_RESULT_DONE;
}

int ListVoices() {
    std::vector<bool> installed;
    for (int32_t voice = 0; voice < 5; ++voice)
        installed.push_back(VoiceInstalled(voice));
    std::printf("Voices (--voice):\n");
    std::printf("  -1  default             the engine's default voice\n");
    for (int32_t voice = 0; voice < 5; ++voice) {
        std::printf("  %2d  %-18s  %-28s  %s\n", voice, kVoiceShortNames[voice], kVoiceNames[voice],
                    installed[static_cast<size_t>(voice)] ? "installed" : "not installed");
    }
    std::printf("Voice pairs (--mixed --voice):\n");
    for (const PairInfo& pair : kPairs) {
        const bool both = installed[static_cast<size_t>(pair.chineseVoice)] &&
                          installed[static_cast<size_t>(pair.englishVoice)];
        std::printf("  %2d  %s + %s%s\n", pair.pair, kVoiceNames[pair.chineseVoice],
                    kVoiceNames[pair.englishVoice], both ? "" : "  (not installed)");
    }
    std::printf("Wave formats (--format):\n");
    for (int32_t format = LENVORO_FORMAT_FIRST; format <= LENVORO_FORMAT_LAST; ++format)
        std::printf("  %2d  %s\n", format, FormatName(format).c_str());
    return kExitOk;
}

// Where a text may be cut between pieces without changing how it is read:
// after a sentence's end followed by white space (so "3.14" stays whole),
// after a line break, and after the UTF-8 full stops 。！？. The cut points
// are ASCII bytes or whole UTF-8 sequences, which no double-byte code set
// (GBK, Big5) uses as the second byte of a character.
std::vector<std::string> SplitIntoPieces(const std::string& text) {
    std::vector<std::string> pieces;
    std::string piece;
    auto cutHere = [&] {
        if (piece.size() >= kPieceBytes) {
            pieces.push_back(std::move(piece));
            piece.clear();
        }
    };
    for (size_t i = 0; i < text.size(); ++i) {
        piece += text[i];
        const char c = text[i];
        const bool nextIsSpace = i + 1 >= text.size() || std::isspace(static_cast<unsigned char>(text[i + 1]));
        if (c == '\n' || ((c == '.' || c == '!' || c == '?' || c == ';') && nextIsSpace)) {
            cutHere();
        } else if (i >= 2) {
            const std::string_view last(text.data() + i - 2, 3);
            if (last == "\u3002" || last == "\uFF01" || last == "\uFF1F")
                cutHere();
        }
    }
    if (!piece.empty())
        pieces.push_back(std::move(piece));
    return pieces;
}

void DrawProgress(size_t done, size_t total) {
    const int filled = static_cast<int>(done * kProgressBarWidth / total);
    std::fprintf(stderr, "\r[%s%s] %3zu%%", std::string(static_cast<size_t>(filled), '#').c_str(),
                 std::string(static_cast<size_t>(kProgressBarWidth - filled), '-').c_str(),
                 done * 100 / total);
    std::fflush(stderr);
}

// The code set the library reads plain texts in, by the library's own rule:
// the locale named by LC_ALL, LC_CTYPE or LANG; its ".codeset" part, else the
// code set the system's locale of that name uses (zh_CN -> GB2312 where
// installed); UTF-8 for none, "C", "POSIX" and names the system lacks.
std::string LocaleCodeSet() {
    std::string name;
    for (const char* variable : {"LC_ALL", "LC_CTYPE", "LANG"}) {
        const char* value = std::getenv(variable);
        if (value != nullptr && *value != '\0') {
            name = value;
            break;
        }
    }
    if (name.empty() || name == "C" || name == "POSIX")
        return "UTF-8";
    if (const size_t dot = name.find('.'); dot != std::string::npos) {
        const std::string codeSet = name.substr(dot + 1, name.find('@', dot) - dot - 1);
        if (!codeSet.empty())
            return codeSet;
    }
    locale_t locale = newlocale(LC_CTYPE_MASK, name.c_str(), static_cast<locale_t>(nullptr));
    if (locale == static_cast<locale_t>(nullptr))
        return "UTF-8";
    const std::string codeSet = nl_langinfo_l(CODESET, locale);
    freelocale(locale);
    return codeSet.empty() ? "UTF-8" : codeSet;
}

// text, given in the locale's code set, as UTF-8. A text that does not
// convert is taken as it is; the readings turn invalid bytes into U+FFFD.
std::string TextAsUtf8(const std::string& text) {
    const std::string codeSet = LocaleCodeSet();
    if (Normalised(codeSet) == "utf8")
        return text;
    iconv_t converter = iconv_open("UTF-8", codeSet.c_str());
    if (converter == reinterpret_cast<iconv_t>(-1))
        return text;
    std::string out(text.size() * 4 + 16, '\0');
    char* in = const_cast<char*>(text.data());
    size_t inLeft = text.size();
    char* outPtr = out.data();
    size_t outLeft = out.size();
    const size_t converted = iconv(converter, &in, &inLeft, &outPtr, &outLeft);
    iconv_close(converter);
    if (converted == static_cast<size_t>(-1))
        return text;
    out.resize(out.size() - outLeft);
    return out;
}

// --pinyin: the readings of text as a Chinese voice reads it. The syllables
// of a word are joined, those of a number apart; Latin words and punctuation
// stay as written; characters without a reading are left out.
std::string PinyinOf(const std::string& text) {
    const std::u32string characters = mandarin::utf8ToUtf32(TextAsUtf8(text));
    const mandarin::TextReading reading = mandarin::Readings::instance().read(characters);
    std::string out;
    bool afterWord = false;
    auto startWord = [&] {
        if (afterWord)
            out += ' ';
        afterWord = true;
    };
    for (const mandarin::Token& token : reading.tokens) {
        const std::u32string_view written =
            std::u32string_view(characters).substr(token.begin, token.end - token.begin);
        switch (token.kind) {
            case mandarin::TokenKind::Word:
            case mandarin::TokenKind::Number: {
                if (token.syllableCount == 0)
                    break;
                startWord();
                for (uint32_t i = 0; i < token.syllableCount; ++i) {
                    if (i > 0 && token.kind == mandarin::TokenKind::Number)
                        out += ' ';
                    out += mandarin::markTone(reading.syllables[token.firstSyllable + i]);
                }
                break;
            }
            case mandarin::TokenKind::Latin:
                startWord();
                out += mandarin::utf32ToUtf8(written);
                break;
            case mandarin::TokenKind::Punctuation:
                out += mandarin::utf32ToUtf8(written);
                afterWord = false;
                break;
            case mandarin::TokenKind::Space: {
                const bool lineBreak = written.find(U'\n') != std::u32string_view::npos;
                while (!out.empty() && out.back() == ' ')
                    out.pop_back();
                if (!out.empty())
                    out += lineBreak ? '\n' : ' ';
                afterWord = false;
                break;
            }
            case mandarin::TokenKind::Unread:
                break;
        }
    }
    while (!out.empty() && (out.back() == ' ' || out.back() == '\n'))
        out.pop_back();
    return out;
}

// A folder for --phonemes' files, removed with everything in it at the end.
class TemporaryFolder {
public:
    TemporaryFolder() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "lenvoro-say-XXXXXX").string();
        if (mkdtemp(pattern.data()) != nullptr)
            path_ = pattern;
    }
    ~TemporaryFolder() {
        std::error_code error;
        if (!path_.empty())
            std::filesystem::remove_all(path_, error);
    }
    TemporaryFolder(const TemporaryFolder&) = delete;
    TemporaryFolder& operator=(const TemporaryFolder&) = delete;
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

struct Options {
    std::optional<std::string> waveFile;
    std::optional<const char*> formatArgument;
    std::optional<const char*> voiceArgument;
    bool mixed = false;
    int32_t rate = LENVORO_KEEP_SETTING;
    int32_t volume = LENVORO_KEEP_SETTING;
    int32_t punctuation = LENVORO_PUNCTUATION_KEEP;
    bool listVoices = false;
    bool settings = false;
    bool pinyin = false;
    bool phonemes = false;
};

// The library's result as an exit code. missingPairVoice: in the mixed mode a
// 20 means a voice of the pair is missing when one was found missing before.
int ExitCodeFor(int32_t result, bool missingPairVoice) {
    switch (result) {
        case LENVORO_RESULT_DONE:
            return kExitOk;
        case LENVORO_RESULT_REFUSED:
            return kExitUsage;
        case LENVORO_RESULT_ENGINE_FAILED:
            return missingPairVoice ? kExitVoiceMissing : kExitNotWritten;
        case LENVORO_RESULT_NO_MEMORY:
            return kExitNotWritten;
        default:
            return result >= LENVORO_RESULT_NO_SIMPLIFIED_CHINESE &&
                           result <= LENVORO_RESULT_NO_CHINESE_FEMALE
                       ? kExitVoiceMissing
                       : kExitNotWritten;
    }
}

// The library's voice settings dialog, in a window of its own. The engine is
// started first so that the dialog lists the installed voices and acts on a
// voice; OK stores the default voice and rate for every later reading.
int OpenSettings(int argc, char** argv) {
    if (!std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY") &&
        !std::getenv("QT_QPA_PLATFORM")) {
        std::cerr << "lenvoro-say: --settings needs a graphical session (no DISPLAY)\n";
        return kExitUsage;
    }
    QApplication application(argc, argv);
    Lenvoro_InitialAuth(0, LENVORO_VOICE_DEFAULT, LENVORO_KEEP_SETTING, LENVORO_KEEP_SETTING, "", "",
                        "", "");
    const int32_t closed = Lenvoro_SetDialog(0, nullptr);
    Lenvoro_Close();
    if (closed != 1) {
        std::cerr << "lenvoro-say: the voice settings could not be shown\n";
        return kExitNoEngine;
    }
    return kExitOk;
}

// Options without a short form.
constexpr int kPinyinOption = 0x100;
constexpr int kPhonemesOption = 0x101;

int Run(int argc, char** argv) {
    static const option kOptions[] = {
        {"wave", required_argument, nullptr, 'w'},
        {"format", required_argument, nullptr, 'f'},
        {"voice", required_argument, nullptr, 'v'},
        {"mixed", no_argument, nullptr, 'm'},
        {"rate", required_argument, nullptr, 'r'},
        {"volume", required_argument, nullptr, 'a'},
        {"no-punctuation", no_argument, nullptr, 'p'},
        {"list-voices", no_argument, nullptr, 'l'},
        {"help", no_argument, nullptr, 'h'},
        {"settings", no_argument, nullptr, 's'},
        {"pinyin", no_argument, nullptr, kPinyinOption},
        {"phonemes", no_argument, nullptr, kPhonemesOption},
        {nullptr, 0, nullptr, 0},
    };
    Options options;
    opterr = 0;
    int option;
    while ((option = getopt_long(argc, argv, "w:f:v:mr:a:plsh", kOptions, nullptr)) != -1) {
        switch (option) {
            case 'w': options.waveFile = optarg; break;
            case 'f': options.formatArgument = optarg; break;
            case 'v': options.voiceArgument = optarg; break;
            case 'm': options.mixed = true; break;
            case 'p': options.punctuation = LENVORO_PUNCTUATION_AS_SPACE; break;
            case 'l': options.listVoices = true; break;
            case 's': options.settings = true; break;
            case kPinyinOption:
                options.pinyin = true;
                break;
            case kPhonemesOption:
                options.phonemes = true;
                break;
            case 'h': std::cout << kUsage; return kExitOk;
            case 'r':
            case 'a': {
                const auto value = ParseSetting(optarg);
                if (!value)
                    return UsageError(std::string(option == 'r' ? "--rate" : "--volume") +
                                      " takes a number from 0 to 100, not '" + optarg + "'");
                (option == 'r' ? options.rate : options.volume) = *value;
                break;
            }
            default:
                if (optopt != 0 && std::string_view("wfvra").find(static_cast<char>(optopt)) !=
                                       std::string_view::npos)
                    return UsageError(std::string("option -") + static_cast<char>(optopt) +
                                      " needs a value");
                return UsageError(std::string("unknown option '") + argv[optind - 1] + "'");
        }
    }

    if (options.settings) {
        if (optind < argc || options.waveFile || options.listVoices)
            return UsageError("--settings takes no text and no other action");
        return OpenSettings(argc, argv);
    }

    int32_t format = kDefaultFormat;
    if (options.formatArgument) {
        if (!options.waveFile)
            return UsageError("--format applies to a wave file: give -w FILE too");
        const auto parsed = ParseFormat(*options.formatArgument);
        if (!parsed)
            return UsageError(std::string("unknown wave format '") + *options.formatArgument +
                              "' (0..35, or a name such as 22kHz16BitMono; see --list-voices)");
        format = *parsed;
    }
    int32_t voice = options.mixed ? kDefaultPair : LENVORO_VOICE_DEFAULT;
    if (options.voiceArgument) {
        const auto parsed = ParseVoice(*options.voiceArgument, options.mixed);
        if (!parsed)
            return UsageError(std::string("unknown ") + (options.mixed ? "voice pair '" : "voice '") +
                              *options.voiceArgument + "' (see --list-voices)");
        voice = *parsed;
    }

    std::string text;
    if (options.listVoices) {
        // Lists only; any text is not read.
    } else if (optind >= argc || (optind + 1 == argc && std::string_view(argv[optind]) == "-")) {
        text.assign(std::istreambuf_iterator<char>(std::cin), std::istreambuf_iterator<char>());
    } else {
        for (int i = optind; i < argc; ++i) {
            if (i > optind)
                text += ' ';
            text += argv[i];
        }
    }
    if (!options.listVoices && text.find_first_not_of(" \t\r\n") == std::string::npos)
        return UsageError("there is no text to read");
    if (options.pinyin && (options.phonemes || options.listVoices))
        return UsageError("--pinyin takes no other action");
    if (options.phonemes && options.listVoices)
        return UsageError("--phonemes takes no other action");
    if (options.pinyin) {
        std::cout << PinyinOf(text) << '\n';
        return kExitOk;
    }
    // The engine adds what espeak-ng speaks to this file; it reads the name
    // once, when it starts.
    TemporaryFolder phonemeFolder;
    const std::filesystem::path phonemeFile = phonemeFolder.path() / "phonemes.txt";
    if (options.phonemes) {
        if (phonemeFolder.path().empty()) {
            std::cerr << "lenvoro-say: no temporary folder for --phonemes\n";
            return kExitNotWritten;
        }
        setenv("LENVORO_PHONEMES", phonemeFile.c_str(), 1);
        if (!options.waveFile)
            options.waveFile = (phonemeFolder.path() / "speech.wav").string();
    }

    const int32_t start = Lenvoro_InitialAuth(0, LENVORO_VOICE_DEFAULT, LENVORO_KEEP_SETTING,
                                              LENVORO_KEEP_SETTING, "", "", "", "");
    if (start != LENVORO_RESULT_DONE) {
        Lenvoro_Close();
        std::cerr << "lenvoro-say: the speech engine cannot start (no voice is installed?)\n";
        return kExitNoEngine;
    }
    if (options.listVoices) {
        const int code = ListVoices();
        Lenvoro_Close();
        return code;
    }

    // In the mixed mode the library answers 20 both for a missing voice of the
    // pair and for a file it cannot write; asking first tells them apart.
    bool missingPairVoice = false;
    if (options.mixed) {
        for (const PairInfo& pair : kPairs) {
            if (pair.pair == voice)
                missingPairVoice = !VoiceInstalled(pair.chineseVoice) || !VoiceInstalled(pair.englishVoice);
        }
        Lenvoro_InitialAuth(0, LENVORO_VOICE_DEFAULT, LENVORO_KEEP_SETTING, LENVORO_KEEP_SETTING,
                            "", "", "", "");
    }
    const int32_t mode = options.mixed ? LENVORO_MODE_MIXED_SYNC : LENVORO_MODE_SYNC;

    int32_t result = LENVORO_RESULT_DONE;
    if (options.phonemes)
        std::filesystem::remove(phonemeFile);  // nothing read so far belongs to the text
    if (options.waveFile) {
        result = Lenvoro_SpeakToWave(text.c_str(), options.waveFile->c_str(), mode, voice,
                                     options.rate, options.volume, format, options.punctuation,
                                     nullptr);
        if (result == LENVORO_RESULT_ENGINE_FAILED && !missingPairVoice)
            std::cerr << "lenvoro-say: cannot write '" << *options.waveFile << "'\n";
    } else {
        const std::vector<std::string> pieces = text.size() > kProgressThresholdBytes
                                                    ? SplitIntoPieces(text)
                                                    : std::vector<std::string>{text};
        const bool showProgress = pieces.size() > 1 && isatty(STDERR_FILENO);
        for (size_t i = 0; i < pieces.size() && result == LENVORO_RESULT_DONE; ++i) {
            if (showProgress)
                DrawProgress(i, pieces.size());
            result = Lenvoro_Speak(pieces[i].c_str(), mode, voice, options.rate, options.volume,
                                   options.punctuation, nullptr);
        }
        if (showProgress) {
            if (result == LENVORO_RESULT_DONE)
                DrawProgress(pieces.size(), pieces.size());
            std::fputc('\n', stderr);
        }
        if (result == LENVORO_RESULT_ENGINE_FAILED && !missingPairVoice)
            std::cerr << "lenvoro-say: the engine cannot speak\n";
    }
    Lenvoro_Close();
    if (options.phonemes && result == LENVORO_RESULT_DONE) {
        std::ifstream phonemes(phonemeFile);
        std::cout << phonemes.rdbuf();
        std::cout.flush();
    }
    return ExitCodeFor(result, missingPairVoice);
}

}  // namespace

int main(int argc, char** argv) {
    try {
        return Run(argc, argv);
    } catch (const std::exception& error) {
        std::cerr << "lenvoro-say: " << error.what() << '\n';
        return kExitNotWritten;
    }
}
