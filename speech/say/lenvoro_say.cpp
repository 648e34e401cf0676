// lenvoro-say: reads a text aloud, or into a wave file, through liblenvoro.
//
//   lenvoro-say [OPTIONS] [TEXT...]
//
// The text comes from the arguments, or from standard input when there are
// none (or the only one is "-"). It is handed to the library as it came, in
// the code set of the user's locale, which is what the library's plain
// entry points read; a long text is read in pieces, cut between characters of
// the decoded text and handed over in UTF-16. What the program says is in the
// library's interface language. Texts are read through the public interface
// of lenvoro.h alone; besides it come the Mandarin readings for --pinyin and
// the engine's voice files, which tell which voice is the default.
#include <getopt.h>
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

#include "codeset/codeset.h"
#include "default_voice.h"
#include "lenvoro.h"
#include "locale_text.h"
#include "mandarin/readings.h"
#include "say_texts.h"

namespace {

using lenvoro::say::Fill;

// Exit codes: what a shell script needs to tell apart.
enum ExitCode {
    kExitOk = 0,
    kExitNotWritten = 1,    // the file could not be written, or the engine could not speak
    kExitUsage = 2,         // a wrong option or argument; nothing was read
    kExitVoiceMissing = 3,  // a voice asked for is not installed
    kExitNoEngine = 4,      // the speech engine cannot start (no voice at all)
};

constexpr int32_t kDefaultFormat = LENVORO_FORMAT_22KHZ_16BIT_MONO;
constexpr int32_t kDefaultPair = LENVORO_PAIR_SIMPLIFIED_CHINESE_SAM;
// Texts longer than this (in UTF-16 units) are read piece by piece, with a
// progress bar when standard error is a terminal.
constexpr size_t kProgressThresholdUnits = 200;
constexpr size_t kPieceUnits = 100;
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

// What the program says, in the interface language of the user's locale.
const lenvoro::say::Texts& texts() {
    static const lenvoro::say::Texts& chosen = lenvoro::say::TextsFor(
        lenvoro::say::LanguageForLocale(codeset::userLocaleName(codeset::processEnvironment())));
    return chosen;
}

void PrintError(const std::string& message) {
    std::cerr << "lenvoro-say: " << message << '\n';
}

std::string Quoted(const char* name) {
    return std::string("\"") + name + "\"";
}

int UsageError(const std::string& message) {
    std::cerr << "lenvoro-say: " << message << '\n' << texts().tryHelp << '\n';
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
        if (wanted == Normalised(kVoiceNames[voice]) ||
            wanted == Normalised(kVoiceShortNames[voice]))
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

std::string DefaultVoiceDescription() {
    return lenvoro::say::DescribeDefaultVoice(
        lenvoro::say::FindDefaultVoice(), texts(),
        codeset::userLocaleName(codeset::processEnvironment()));
}

// --help, with the voice that reads when none is asked for.
int ShowHelp() {
    std::cout << Fill(texts().usage, {{"default", DefaultVoiceDescription()}});
    return kExitOk;
}

int ListVoices() {
    const lenvoro::say::Texts& t = texts();
    std::vector<bool> installed;
    for (int32_t voice = 0; voice < 5; ++voice)
        installed.push_back(VoiceInstalled(voice));
    std::printf("%s\n", t.voicesHeading);
    std::printf("  -1  default             %s\n", DefaultVoiceDescription().c_str());
    for (int32_t voice = 0; voice < 5; ++voice) {
        std::printf("  %2d  %-18s  %-28s  %s\n", voice, kVoiceShortNames[voice], kVoiceNames[voice],
                    installed[static_cast<size_t>(voice)] ? t.installed : t.notInstalled);
    }
    std::printf("%s\n", t.pairsHeading);
    for (const PairInfo& pair : kPairs) {
        const bool both = installed[static_cast<size_t>(pair.chineseVoice)] &&
                          installed[static_cast<size_t>(pair.englishVoice)];
        std::printf("  %2d  %s + %s%s%s\n", pair.pair, kVoiceNames[pair.chineseVoice],
                    kVoiceNames[pair.englishVoice], both ? "" : "  ",
                    both ? "" : t.pairNotInstalled);
    }
    std::printf("%s\n", t.formatsHeading);
    for (int32_t format = LENVORO_FORMAT_FIRST; format <= LENVORO_FORMAT_LAST; ++format)
        std::printf("  %2d  %s\n", format, FormatName(format).c_str());
    return kExitOk;
}

void DrawProgress(size_t done, size_t total) {
    const int filled = static_cast<int>(done * kProgressBarWidth / total);
    std::fprintf(stderr, "\r[%s%s] %3zu%%", std::string(static_cast<size_t>(filled), '#').c_str(),
                 std::string(static_cast<size_t>(kProgressBarWidth - filled), '-').c_str(),
                 done * 100 / total);
    std::fflush(stderr);
}

// --pinyin: the readings of text as a Chinese voice reads it. The syllables
// of a word are joined, those of a number apart; Latin words and punctuation
// stay as written; characters without a reading are left out.
std::string PinyinOf(const std::string& text) {
    const std::u32string characters =
        lenvoro::say::Utf16ToUtf32(codeset::toUtf16(text, codeset::localeCodeSet()));
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
    bool help = false;
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
        PrintError(texts().noDisplay);
        return kExitUsage;
    }
    QApplication application(argc, argv);
    Lenvoro_InitialAuth(0, LENVORO_VOICE_DEFAULT, LENVORO_KEEP_SETTING, LENVORO_KEEP_SETTING, "",
                        "", "", "");
    const int32_t closed = Lenvoro_SetDialog(0, nullptr);
    Lenvoro_Close();
    if (closed != 1) {
        PrintError(texts().settingsNotShown);
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
            case 'w':
                options.waveFile = optarg;
                break;
            case 'f':
                options.formatArgument = optarg;
                break;
            case 'v':
                options.voiceArgument = optarg;
                break;
            case 'm':
                options.mixed = true;
                break;
            case 'p':
                options.punctuation = LENVORO_PUNCTUATION_AS_SPACE;
                break;
            case 'l':
                options.listVoices = true;
                break;
            case 's':
                options.settings = true;
                break;
            case kPinyinOption:
                options.pinyin = true;
                break;
            case kPhonemesOption:
                options.phonemes = true;
                break;
            case 'h':
                options.help = true;
                break;
            case 'r':
            case 'a': {
                const auto value = ParseSetting(optarg);
                if (!value)
                    return UsageError(Fill(
                        texts().settingOutOfRange,
                        {{"option", option == 'r' ? "--rate" : "--volume"}, {"value", optarg}}));
                (option == 'r' ? options.rate : options.volume) = *value;
                break;
            }
            default:
                if (optopt != 0 && std::string_view("wfvra").find(static_cast<char>(optopt)) !=
                                       std::string_view::npos)
                    return UsageError(
                        Fill(texts().optionNeedsValue,
                             {{"option", std::string(1, static_cast<char>(optopt))}}));
                return UsageError(Fill(texts().unknownOption, {{"option", argv[optind - 1]}}));
        }
    }

    if (options.help)
        return ShowHelp();
    if (options.settings) {
        if (optind < argc || options.waveFile || options.listVoices)
            return UsageError(texts().settingsAlone);
        return OpenSettings(argc, argv);
    }

    int32_t format = kDefaultFormat;
    if (options.formatArgument) {
        if (!options.waveFile)
            return UsageError(texts().formatNeedsWave);
        const auto parsed = ParseFormat(*options.formatArgument);
        if (!parsed)
            return UsageError(Fill(texts().unknownFormat, {{"value", *options.formatArgument}}));
        format = *parsed;
    }
    int32_t voice = options.mixed ? kDefaultPair : LENVORO_VOICE_DEFAULT;
    if (options.voiceArgument) {
        const auto parsed = ParseVoice(*options.voiceArgument, options.mixed);
        if (!parsed)
            return UsageError(Fill(options.mixed ? texts().unknownPair : texts().unknownVoice,
                                   {{"value", *options.voiceArgument}}));
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
        return UsageError(texts().noText);
    if (options.pinyin && (options.phonemes || options.listVoices))
        return UsageError(texts().pinyinAlone);
    if (options.phonemes && options.listVoices)
        return UsageError(texts().phonemesAlone);
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
            PrintError(texts().noTemporaryFolder);
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
        PrintError(texts().engineCannotStart);
        return kExitNoEngine;
    }
    if (options.listVoices) {
        const int code = ListVoices();
        Lenvoro_Close();
        return code;
    }

    // In the mixed mode the library answers 20 both for a missing voice of the
    // pair and for a file it cannot write; asking first tells them apart.
    std::string missingPairVoices;
    if (options.mixed) {
        for (const PairInfo& pair : kPairs) {
            if (pair.pair != voice)
                continue;
            for (int32_t member : {pair.chineseVoice, pair.englishVoice}) {
                if (VoiceInstalled(member))
                    continue;
                if (!missingPairVoices.empty())
                    missingPairVoices += texts().listSeparator;
                missingPairVoices += Quoted(kVoiceNames[member]);
            }
        }
        Lenvoro_InitialAuth(0, LENVORO_VOICE_DEFAULT, LENVORO_KEEP_SETTING, LENVORO_KEEP_SETTING,
                            "", "", "", "");
    }
    const bool missingPairVoice = !missingPairVoices.empty();
    const int32_t mode = options.mixed ? LENVORO_MODE_MIXED_SYNC : LENVORO_MODE_SYNC;

    int32_t result = LENVORO_RESULT_DONE;
    if (options.phonemes)
        std::filesystem::remove(phonemeFile);  // nothing read so far belongs to the text
    if (options.waveFile) {
        result =
            Lenvoro_SpeakToWave(text.c_str(), options.waveFile->c_str(), mode, voice, options.rate,
                                options.volume, format, options.punctuation, nullptr);
        if (result == LENVORO_RESULT_ENGINE_FAILED && !missingPairVoice)
            PrintError(Fill(texts().cannotWrite, {{"file", *options.waveFile}}));
    } else {
        // A long text is decoded first and cut between characters: a cut in
        // its bytes could fall inside a character of a double-byte code set.
        const std::u16string wide = codeset::toUtf16(text, codeset::localeCodeSet());
        if (wide.size() <= kProgressThresholdUnits) {
            result = Lenvoro_Speak(text.c_str(), mode, voice, options.rate, options.volume,
                                   options.punctuation, nullptr);
        } else {
            const std::vector<std::u16string> pieces =
                lenvoro::say::SplitIntoPieces(wide, kPieceUnits);
            const bool showProgress = pieces.size() > 1 && isatty(STDERR_FILENO);
            for (size_t i = 0; i < pieces.size() && result == LENVORO_RESULT_DONE; ++i) {
                if (showProgress)
                    DrawProgress(i, pieces.size());
                result = Dll_Lenvoro_SpeakW(pieces[i].c_str(), mode, voice, options.rate,
                                            options.volume, options.punctuation, nullptr);
            }
            if (showProgress) {
                if (result == LENVORO_RESULT_DONE)
                    DrawProgress(pieces.size(), pieces.size());
                std::fputc('\n', stderr);
            }
        }
        if (result == LENVORO_RESULT_ENGINE_FAILED && !missingPairVoice)
            PrintError(texts().cannotSpeak);
    }
    if (result == LENVORO_RESULT_ENGINE_FAILED && missingPairVoice) {
        PrintError(Fill(texts().pairVoicesMissing,
                        {{"pair", std::to_string(voice)}, {"voices", missingPairVoices}}));
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
