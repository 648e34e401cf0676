#include "voices.h"

#include <cstdio>
#include <string>

#include "engine/text.h"

namespace lenvoro {

const KnownVoice kSimplifiedChineseVoice{u"Microsoft Simplified Chinese",
                                         u"Name=Microsoft Simplified Chinese", true,
                                         kMissingSimplifiedChinese, 50};
const KnownVoice kSamVoice{u"Microsoft Sam", u"Name=Microsoft Sam", false, kMissingEnglishVoice,
                           60};
const KnownVoice kMaryVoice{u"Microsoft Mary", u"Name=Microsoft Mary", false, kMissingEnglishVoice,
                            70};
const KnownVoice kMikeVoice{u"Microsoft Mike", u"Name=Microsoft Mike", false, kMissingEnglishVoice,
                            80};
const KnownVoice kChineseFemaleVoice{u"Chinese Female Voice", u"Name=Chinese Female Voice", true,
                                     kMissingChineseFemale, 90};

namespace {

// Without a user interface the prompt's message goes where a developer sees it.
void WriteVoicePromptToStderr(intptr_t /*ownerWindow*/, int32_t missingVoiceCode) {
    std::string missing;
    auto add = [&missing](const char* what) {
        if (!missing.empty())
            missing += ", ";
        missing += what;
    };
    const int32_t chinesePart = missingVoiceCode / 10;
    const int32_t englishPart = missingVoiceCode % 10;
    if (missingVoiceCode <= 0 || chinesePart > 3) {
        std::fprintf(stderr, "lenvoro: a voice is not installed (missing-voice code %d)\n",
                     static_cast<int>(missingVoiceCode));
        return;
    }
    if ((chinesePart & 1) != 0)
        add("\"Microsoft Simplified Chinese\"");
    if ((chinesePart & 2) != 0)
        add("\"Chinese Female Voice\"");
    if (englishPart == 1)
        add("an English voice");
    if (englishPart > 1)
        add("English voices");

    const EngineState& state = engineState();
    const FixedText& page =
        state.voicePage.empty() ? state.texts.defaultDownloadPage : state.voicePage;
    std::fprintf(stderr, "lenvoro: not installed: %s. Download and install the voice%s%s.\n",
                 missing.c_str(), page.empty() ? "" : " from ",
                 engine::utf16ToUtf8(page.view()).c_str());
}

VoicePromptHandler& voicePromptHandler() {
    static VoicePromptHandler handler = &WriteVoicePromptToStderr;
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
    voicePromptHandler() = handler != nullptr ? handler : &WriteVoicePromptToStderr;
    return previous;
}

void RaiseVoicePrompt(int32_t missingVoiceCode) {
    EngineState& state = engineState();
    state.voicePromptCase = missingVoiceCode;
    voicePromptHandler()(state.window, missingVoiceCode);
}

}  // namespace lenvoro
