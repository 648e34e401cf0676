#include "voices.h"

#include <cstdio>
#include <string>

#include "engine/text.h"
#include "lenvoro.h"

namespace lenvoro {

const KnownVoice kSimplifiedChineseVoice{
    u"Microsoft Simplified Chinese", u"Name=Microsoft Simplified Chinese", true,
    kMissingSimplifiedChinese, LENVORO_RESULT_NO_SIMPLIFIED_CHINESE};
const KnownVoice kSamVoice{u"Microsoft Sam", u"Name=Microsoft Sam", false, kMissingEnglishVoice,
                           LENVORO_RESULT_NO_SAM};
const KnownVoice kMaryVoice{u"Microsoft Mary", u"Name=Microsoft Mary", false, kMissingEnglishVoice,
                            LENVORO_RESULT_NO_MARY};
const KnownVoice kMikeVoice{u"Microsoft Mike", u"Name=Microsoft Mike", false, kMissingEnglishVoice,
                            LENVORO_RESULT_NO_MIKE};
const KnownVoice kChineseFemaleVoice{u"Chinese Female Voice", u"Name=Chinese Female Voice", true,
                                     kMissingChineseFemale, LENVORO_RESULT_NO_CHINESE_FEMALE};

namespace {

// The voice a one-voice call is raising the prompt for, while it does.
thread_local const KnownVoice* voiceAskedFor = nullptr;

class AskingFor {
public:
    explicit AskingFor(const KnownVoice& voice) { voiceAskedFor = &voice; }
    ~AskingFor() { voiceAskedFor = nullptr; }
    AskingFor(const AskingFor&) = delete;
    AskingFor& operator=(const AskingFor&) = delete;
};

// The words of the line that stands in for the prompt, in one language.
struct MissingVoiceWords {
    const char* separator;
    const char* oneEnglishVoice;
    const char* severalEnglishVoices;
    const char* withPage;     // "{voices}", "{page}"
    const char* withoutPage;  // "{voices}"
    const char* unknownCode;  // "{code}"
};

constexpr MissingVoiceWords kEnglishWords{
    ", ",
    "an English voice",
    "English voices",
    "lenvoro: not installed: {voices}. Download and install the voice from {page}.",
    "lenvoro: not installed: {voices}. Download and install the voice.",
    "lenvoro: a voice is not installed (missing-voice code {code})",
};
constexpr MissingVoiceWords kSimplifiedChineseWords{
    "、",
    "一个英文语音库",
    "几个英文语音库",
    "lenvoro: 没有安装语音库 {voices}。请从 {page} 下载并安装。",
    "lenvoro: 没有安装语音库 {voices}。请下载并安装。",
    "lenvoro: 有语音库没有安装（缺少语音代码 {code}）",
};
constexpr MissingVoiceWords kTraditionalChineseWords{
    "、",
    "一個英文語音庫",
    "幾個英文語音庫",
    "lenvoro: 沒有安裝語音庫 {voices}。請從 {page} 下載並安裝。",
    "lenvoro: 沒有安裝語音庫 {voices}。請下載並安裝。",
    "lenvoro: 有語音庫沒有安裝（缺少語音代碼 {code}）",
};

const MissingVoiceWords& wordsFor(InterfaceLanguage language) {
    switch (language) {
        case InterfaceLanguage::CN:
            return kSimplifiedChineseWords;
        case InterfaceLanguage::TW:
            return kTraditionalChineseWords;
        case InterfaceLanguage::ENG:
            break;
    }
    return kEnglishWords;
}

std::string replaced(std::string text, std::string_view field, const std::string& value) {
    const size_t at = text.find(field);
    if (at != std::string::npos)
        text.replace(at, field.size(), value);
    return text;
}

std::string quoted(std::u16string_view name) {
    return "\"" + engine::utf16ToUtf8(name) + "\"";
}

void writeMissingVoiceLineToStderr(intptr_t /*ownerWindow*/, int32_t missingVoiceCode) {
    WriteMissingVoiceLine(missingVoiceCode);
}

VoicePromptHandler& voicePromptHandler() {
    static VoicePromptHandler handler = &writeMissingVoiceLineToStderr;
    return handler;
}

}  // namespace

const KnownVoice* VoiceForChoice(int32_t voice) {
    switch (voice) {
        case 0:
            return &kSimplifiedChineseVoice;
        case 1:
            return &kSamVoice;
        case 2:
            return &kMaryVoice;
        case 3:
            return &kMikeVoice;
        default:
            return voice < 0 ? nullptr : &kChineseFemaleVoice;
    }
}

Result FindVoices(std::optional<std::u16string_view> requiredAttributes,
                  std::shared_ptr<engine::TokenEnumeration>* enumeration, uint32_t* count) {
    if (count != nullptr)
        *count = 0;
    if (enumeration == nullptr)
        return engine::kPointer;
    enumeration->reset();
    std::shared_ptr<engine::TokenCategory> category;
    Result result = OpenTokenCategory(engine::kVoicesCategoryId, false, &category);
    if (engine::failed(result))
        return result;
    if (!category)
        return engine::kFail;
    // An empty query asks for every installed voice, as "none" does.
    result = category->enumTokens(requiredAttributes.value_or(u""), u"", enumeration);
    if (engine::failed(result)) {
        enumeration->reset();
        return result;
    }
    if (!*enumeration)
        return engine::kFail;
    if (count != nullptr)
        *count = static_cast<uint32_t>((*enumeration)->count());
    return result;
}

Result TakeFirstVoice(engine::TokenEnumeration& enumeration, engine::Voice& voice,
                      std::shared_ptr<const engine::ObjectToken>* token) {
    if (token != nullptr)
        token->reset();
    enumeration.reset();
    std::shared_ptr<const engine::ObjectToken> first;
    const Result next = enumeration.next(&first);
    if (engine::failed(next))
        return next;
    if (!first)
        return engine::kNotFound;
    const Result result = voice.setVoice(first);
    if (engine::succeeded(result) && token != nullptr)
        *token = std::move(first);
    return result;
}

VoiceChoice ChooseOneVoice(int32_t voice, engine::Voice& voiceObject,
                           SelectionReferences& selection) {
    selection.release();
    VoiceChoice choice;
    choice.known = VoiceForChoice(voice);
    if (choice.known == nullptr)
        return choice;

    uint32_t count = 0;
    std::shared_ptr<engine::TokenEnumeration> found;
    choice.engineResult = FindVoices(choice.known->attributeQuery, &found, &count);
    if (engine::failed(choice.engineResult)) {
        choice.status = VoiceChoice::Status::Failed;
        return choice;
    }
    if (count == 0) {
        choice.status = VoiceChoice::Status::Missing;
        return choice;
    }
    std::shared_ptr<const engine::ObjectToken> token;
    choice.engineResult = TakeFirstVoice(*found, voiceObject, &token);
    if (engine::failed(choice.engineResult)) {
        choice.status = VoiceChoice::Status::Failed;
        return choice;
    }
    selection.enumeration = std::move(found);
    selection.token = std::move(token);
    choice.status = VoiceChoice::Status::Taken;
    return choice;
}

int32_t ChooseSpeakingVoice(int32_t voice, engine::Voice& voiceObject,
                            SelectionReferences& selection) {
    const VoiceChoice choice = ChooseOneVoice(voice, voiceObject, selection);
    selection.release();
    if (choice.status == VoiceChoice::Status::Missing ||
        choice.status == VoiceChoice::Status::Failed) {
        const AskingFor asking(*choice.known);
        RaiseVoicePrompt(choice.known->missingVoiceCode);
        return choice.known->missingResult;
    }
    return 0;
}

Result TakeFirstInstalledVoice(engine::Voice& voiceObject) {
    std::shared_ptr<engine::TokenEnumeration> all;
    const Result result = FindVoices(std::nullopt, &all, nullptr);
    if (engine::failed(result))
        return result;
    return TakeFirstVoice(*all, voiceObject, nullptr);
}

bool IsVoiceInstalled(const KnownVoice& known) {
    uint32_t count = 0;
    std::shared_ptr<engine::TokenEnumeration> found;
    return engine::succeeded(FindVoices(known.attributeQuery, &found, &count)) && count > 0;
}

VoicePromptHandler SetVoicePromptHandler(VoicePromptHandler handler) {
    VoicePromptHandler previous = voicePromptHandler();
    voicePromptHandler() = handler != nullptr ? handler : &writeMissingVoiceLineToStderr;
    return previous;
}

void RaiseVoicePrompt(int32_t missingVoiceCode) {
    EngineState& state = engineState();
    state.voicePromptCase = missingVoiceCode;
    voicePromptHandler()(state.window, missingVoiceCode);
}

std::string MissingVoiceLine(int32_t code, InterfaceLanguage language, const KnownVoice* askedFor,
                             std::u16string_view page) {
    const MissingVoiceWords& words = wordsFor(language);
    const int32_t chinesePart = code / 10;
    const int32_t englishPart = code % 10;
    if (code <= 0 || chinesePart > 3 || englishPart > 3)
        return replaced(words.unknownCode, "{code}", std::to_string(code));

    std::string missing;
    auto add = [&](const std::string& what) {
        if (!missing.empty())
            missing += words.separator;
        missing += what;
    };
    if ((chinesePart & 1) != 0)
        add(quoted(kSimplifiedChineseVoice.name));
    if ((chinesePart & 2) != 0)
        add(quoted(kChineseFemaleVoice.name));
    if (askedFor != nullptr && englishPart == 1 && !askedFor->chinese)
        add(quoted(askedFor->name));
    else if (englishPart == 1)
        add(words.oneEnglishVoice);
    else if (englishPart > 1)
        add(words.severalEnglishVoices);

    if (page.empty())
        return replaced(words.withoutPage, "{voices}", missing);
    return replaced(replaced(words.withPage, "{voices}", missing), "{page}",
                    engine::utf16ToUtf8(page));
}

void WriteMissingVoiceLine(int32_t code) {
    EnsureInterfaceTexts();
    const EngineState& state = engineState();
    const FixedText& page =
        state.voicePage.empty() ? state.texts.defaultDownloadPage : state.voicePage;
    const KnownVoice* askedFor = voiceAskedFor != nullptr && voiceAskedFor->missingVoiceCode == code
                                     ? voiceAskedFor
                                     : nullptr;
    const std::string line =
        MissingVoiceLine(code, CurrentInterfaceLanguage(), askedFor, page.view()) + "\n";
    std::fputs(line.c_str(), stderr);
    std::fflush(stderr);
}

}  // namespace lenvoro
