// Finding the known voices among the installed voice tokens, and the
// missing-voice codes and results when some of them are not installed. Voices
// are made missing by pointing the engine at a temporary data folder that
// holds only some of the shipped voice tokens.
#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "engine_state.h"
#include "markup.h"
#include "voice_support.h"
#include "voices.h"

namespace lenvoro {
namespace {

namespace fs = std::filesystem;

// Shipped token files by voice name.
const std::vector<std::pair<std::u16string, std::string>> kShippedTokens = {
    {u"Microsoft Simplified Chinese", "01-simplified-chinese.ini"},
    {u"Chinese Female Voice", "02-chinese-female.ini"},
    {u"Microsoft Sam", "03-sam.ini"},
    {u"Microsoft Mary", "04-mary.ini"},
    {u"Microsoft Mike", "05-mike.ini"},
};

const std::set<std::u16string> kAllVoices = {u"Microsoft Simplified Chinese",
                                             u"Chinese Female Voice", u"Microsoft Sam",
                                             u"Microsoft Mary", u"Microsoft Mike"};

std::vector<int32_t>& raisedPrompts() {
    static std::vector<int32_t> codes;
    return codes;
}
intptr_t lastPromptOwner = 0;

void RecordPrompt(intptr_t owner, int32_t code) {
    // The prompt reads its code from the engine state; it must be there already.
    EXPECT_EQ(engineState().voicePromptCase, code);
    lastPromptOwner = owner;
    raisedPrompts().push_back(code);
}

// Each test runs against its own data folder and records the prompts raised.
class VoiceInventory : public ::testing::Test {
protected:
    void SetUp() override {
        shipped_ = fs::path(std::getenv("LENVORO_DATA_DIR")) / "voices";
        folder_ = test::makeTemporaryFolder("voice-inventory");
        fs::create_directories(folder_ / "voices");
        environment_.set("LENVORO_DATA_DIR", folder_.string());
        previousHandler_ = SetVoicePromptHandler(&RecordPrompt);
        raisedPrompts().clear();
        engineState().voicePromptCase = -1;
    }
    void TearDown() override { SetVoicePromptHandler(previousHandler_); }

    void install(const std::set<std::u16string>& names) {
        for (const auto& [name, file] : kShippedTokens) {
            if (names.count(name) != 0)
                fs::copy_file(shipped_ / file, folder_ / "voices" / file);
        }
    }
    void uninstall(const std::u16string& name) {
        for (const auto& [known, file] : kShippedTokens) {
            if (known == name)
                fs::remove(folder_ / "voices" / file);
        }
    }

    static std::u16string nameOfVoice(engine::Voice& voice) {
        std::shared_ptr<const engine::ObjectToken> token;
        std::u16string name;
        if (voice.getVoice(&token) == engine::kOk)
            token->getAttribute(u"Name", &name);
        return name;
    }

    test::EnvironmentGuard environment_;
    fs::path shipped_;
    fs::path folder_;
    VoicePromptHandler previousHandler_ = nullptr;
};

TEST_F(VoiceInventory, FindVoicesCountsTheMatchingTokens) {
    install({u"Microsoft Sam", u"Microsoft Mary"});
    std::shared_ptr<engine::TokenEnumeration> found;
    uint32_t count = 99;
    EXPECT_EQ(FindVoices(std::nullopt, &found, &count), engine::kOk);
    EXPECT_EQ(count, 2u);
    EXPECT_EQ(FindVoices(u"Name=Microsoft Mary", &found, &count), engine::kOk);
    EXPECT_EQ(count, 1u);
    EXPECT_EQ(found->count(), 1u);
    EXPECT_EQ(FindVoices(u"Name=Microsoft Mike", &found, &count), engine::kOk);
    EXPECT_EQ(count, 0u);
    count = 99;
    EXPECT_EQ(FindVoices(std::nullopt, nullptr, &count), engine::kPointer);
    EXPECT_EQ(count, 0u);
}

TEST_F(VoiceInventory, NoVoiceFolderAtAllIsNoVoiceNotAFailure) {
    environment_.set("LENVORO_DATA_DIR", (folder_ / "does-not-exist").string());
    std::shared_ptr<engine::TokenEnumeration> found;
    uint32_t count = 99;
    EXPECT_EQ(FindVoices(std::nullopt, &found, &count), engine::kOk);
    EXPECT_EQ(count, 0u);
    auto voice = test::makeVoice();
    ASSERT_TRUE(voice);
    EXPECT_EQ(TakeFirstInstalledVoice(*voice), engine::kNotFound);
    EXPECT_FALSE(IsVoiceInstalled(kSamVoice));
}

TEST_F(VoiceInventory, TakeFirstVoiceSetsTheFirstTokenAndRefusesAnEmptyEnumeration) {
    install(kAllVoices);
    auto voice = test::makeVoice();
    ASSERT_TRUE(voice);
    std::shared_ptr<engine::TokenEnumeration> found;
    std::shared_ptr<const engine::ObjectToken> token;
    ASSERT_EQ(FindVoices(u"Name=Microsoft Mary", &found, nullptr), engine::kOk);
    found->next(&token);  // already read: "first" still means the first
    ASSERT_EQ(TakeFirstVoice(*found, *voice, &token), engine::kOk);
    ASSERT_TRUE(token);
    EXPECT_EQ(nameOfVoice(*voice), u"Microsoft Mary");

    ASSERT_EQ(FindVoices(u"Name=Nobody", &found, nullptr), engine::kOk);
    EXPECT_EQ(TakeFirstVoice(*found, *voice, &token), engine::kNotFound);
    EXPECT_FALSE(token);
    EXPECT_EQ(nameOfVoice(*voice), u"Microsoft Mary")
        << "an empty lookup must not change the voice";
}

// With only "Microsoft Sam" and "Microsoft Simplified Chinese" installed.
TEST_F(VoiceInventory, SpeakingChoiceRaisesThePromptWithTheMissingVoiceCode) {
    install({u"Microsoft Sam", u"Microsoft Simplified Chinese"});
    struct Case {
        int32_t voice;
        int32_t result;  // 0: speaks
        int32_t prompt;  // 0: none raised
        const char16_t* speaksWith;
    };
    const Case cases[] = {
        {-1, 0, 0, nullptr},  // nothing looked up: the default voice stays
        {0, 0, 0, u"Microsoft Simplified Chinese"},
        {1, 0, 0, u"Microsoft Sam"},
        {2, 70, 1, nullptr},
        {3, 80, 1, nullptr},
        {4, 90, 20, nullptr},
        {9, 90, 20, nullptr},
    };
    engineState().window = 4242;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.voice);
        raisedPrompts().clear();
        auto voice = test::makeVoice();
        ASSERT_TRUE(voice);
        std::shared_ptr<const engine::ObjectToken> before;
        voice->getVoice(&before);
        SelectionReferences selection;
        EXPECT_EQ(ChooseSpeakingVoice(c.voice, *voice, selection), c.result);
        EXPECT_FALSE(selection.held()) << "the speaking calls release their selection after use";
        EXPECT_EQ(raisedPrompts(),
                  c.prompt == 0 ? std::vector<int32_t>{} : std::vector<int32_t>{c.prompt});
        if (c.prompt != 0) {
            EXPECT_EQ(lastPromptOwner, 4242);
        }
        std::shared_ptr<const engine::ObjectToken> after;
        voice->getVoice(&after);
        if (c.speaksWith != nullptr) {
            EXPECT_EQ(nameOfVoice(*voice), c.speaksWith);
        } else {
            EXPECT_EQ(after, before) << "a missing voice leaves the voice object as created";
        }
    }
    engineState().window = 0;
}

TEST_F(VoiceInventory, StartChoiceReportsAMissingVoiceSilentlyAndKeepsTheSelectionWhenTaken) {
    install({u"Microsoft Mike"});
    auto voice = test::makeVoice();
    ASSERT_TRUE(voice);
    SelectionReferences selection;

    VoiceChoice choice = ChooseOneVoice(3, *voice, selection);
    EXPECT_EQ(choice.status, VoiceChoice::Status::Taken);
    EXPECT_TRUE(selection.enumeration && selection.token);
    EXPECT_EQ(nameOfVoice(*voice), u"Microsoft Mike");

    choice = ChooseOneVoice(0, *voice, selection);
    EXPECT_EQ(choice.status, VoiceChoice::Status::Missing);
    ASSERT_NE(choice.known, nullptr);
    EXPECT_EQ(choice.known->missingResult, 50);
    EXPECT_FALSE(selection.held()) << "the earlier selection is released before a new lookup";

    choice = ChooseOneVoice(-1, *voice, selection);
    EXPECT_EQ(choice.status, VoiceChoice::Status::DefaultVoice);
    EXPECT_TRUE(raisedPrompts().empty()) << "the start call shows no prompt";
}

TEST_F(VoiceInventory, MixedModesStartFromTheFirstInstalledVoice) {
    install({u"Microsoft Mary", u"Microsoft Mike"});
    auto voice = test::makeVoice();
    ASSERT_TRUE(voice);
    std::shared_ptr<engine::TokenEnumeration> all;
    std::shared_ptr<const engine::ObjectToken> first, mike, current;
    FindVoices(std::nullopt, &all, nullptr);
    all->next(&first);
    ASSERT_TRUE(first);
    FindVoices(kMikeVoice.attributeQuery, &all, nullptr);
    all->next(&mike);
    ASSERT_TRUE(mike);
    ASSERT_NE(first->id(), mike->id()) << "the engine's order should put Mary first here";
    ASSERT_EQ(voice->setVoice(mike), engine::kOk);

    EXPECT_EQ(TakeFirstInstalledVoice(*voice), engine::kOk);
    voice->getVoice(&current);
    ASSERT_TRUE(current);
    EXPECT_EQ(current->id(), first->id());
}

TEST_F(VoiceInventory, VoiceDroppedInOrTakenAwayIsNoticedByTheNextCall) {
    auto voice = test::makeVoice();
    ASSERT_TRUE(voice);
    SelectionReferences selection;
    EXPECT_EQ(ChooseSpeakingVoice(3, *voice, selection), 80);
    EXPECT_FALSE(CheckMarkupVoices(std::u16string(kMarkupHeader) +
                                   u"<VOICE REQUIRED=\"NAME=Microsoft Mike\">Hi"));

    install({u"Microsoft Mike"});
    EXPECT_EQ(ChooseSpeakingVoice(3, *voice, selection), 0);
    EXPECT_EQ(nameOfVoice(*voice), u"Microsoft Mike");
    EXPECT_TRUE(CheckMarkupVoices(std::u16string(kMarkupHeader) +
                                  u"<VOICE REQUIRED=\"NAME=Microsoft Mike\">Hi"));

    uninstall(u"Microsoft Mike");
    EXPECT_FALSE(IsVoiceInstalled(kMikeVoice));
    EXPECT_EQ(ChooseSpeakingVoice(3, *voice, selection), 80);
    EXPECT_EQ(raisedPrompts(), (std::vector<int32_t>{1, 1, 1}));
}

TEST_F(VoiceInventory, MarkupCheckSumsTheMissingVoicesItNames) {
    struct Case {
        std::set<std::u16string> installed;
        int32_t voice;
        std::u16string text;
        int32_t code;
    };
    const std::set<std::u16string> samAndChinese = {u"Microsoft Sam",
                                                    u"Microsoft Simplified Chinese"};
    const std::u16string mikeTag = u"<VOICE REQUIRED=\"NAME=Microsoft Mike\">";
    const Case cases[] = {
        {samAndChinese, 1, u"Hi 你好", 0},
        {samAndChinese, 5, u"你好", 20},
        {samAndChinese, 5, u"Hi 你好", 20},
        {{u"Microsoft Simplified Chinese"}, 5, u"Hi 你好", 21},
        {{}, 2, u"Hi 你好", 11},
        {{u"Microsoft Simplified Chinese"}, 2, u"Hi 你好", 1},
        {{u"Microsoft Simplified Chinese"}, 2, u"你好", 0},  // the English voice is not named
        {{}, 3, u" \r\n ", 0},                               // no tag: nothing is looked up
        {kAllVoices, 7, u"Hi 你好", 0},
        {{}, 7, u"Hi 你好", 21},
        {{}, 6, u"Hi 你好", 21},
        // Tags the caller wrote into the text count as well.
        {samAndChinese, 1, u"Hi " + mikeTag + u"you", 1 + 0},
        {{},
         1,
         u"你 " + mikeTag + u"<VOICE REQUIRED=\"NAME=Chinese Female Voice\">",
         10 + 1 + 20 + 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("voice " + std::to_string(c.voice) + " case with code " +
                     std::to_string(c.code));
        for (const auto& name : kAllVoices)
            uninstall(name);
        install(c.installed);
        raisedPrompts().clear();
        std::u16string markup = c.text;
        ASSERT_EQ(BuildVoiceMarkup(markup, c.voice), MarkupBuild::Built);
        EXPECT_EQ(MissingMarkupVoicesCode(markup), c.code);
        EXPECT_EQ(CheckMarkupVoices(markup), c.code == 0);
        EXPECT_EQ(engineState().voicePromptCase, c.code);
        EXPECT_EQ(raisedPrompts(),
                  c.code == 0 ? std::vector<int32_t>{} : std::vector<int32_t>{c.code});
    }
}

TEST_F(VoiceInventory, DefaultPromptWithoutAUserInterfaceWritesTheMessageToStderr) {
    SetVoicePromptHandler(nullptr);
    const std::u16string page = u"https://example.org/voices";
    engineState().voicePage.assign(page);
    struct Case {
        int32_t code;
        std::vector<std::string> mentions;
    };
    const Case cases[] = {
        {1, {"English voice", "https://example.org/voices"}},
        {10, {"Microsoft Simplified Chinese"}},
        {21, {"Chinese Female Voice", "English voice"}},
        {30, {"Microsoft Simplified Chinese", "Chinese Female Voice"}},
        {-7, {"-7"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.code);
        ::testing::internal::CaptureStderr();
        RaiseVoicePrompt(c.code);
        const std::string written = ::testing::internal::GetCapturedStderr();
        EXPECT_EQ(engineState().voicePromptCase, c.code);
        for (const auto& mention : c.mentions)
            EXPECT_NE(written.find(mention), std::string::npos) << written;
    }
    engineState().voicePage.clear();
}

TEST(MissingVoiceLine, NamesTheVoicesAndThePageInTheInterfaceLanguage) {
    const std::u16string page = u"https://example.org/v";
    struct Case {
        int32_t code;
        InterfaceLanguage language;
        const KnownVoice* askedFor;
        std::u16string_view page;
        std::string line;
    };
    const Case cases[] = {
        {1, InterfaceLanguage::ENG, &kMaryVoice, page,
         "lenvoro: not installed: \"Microsoft Mary\". Download and install the voice from "
         "https://example.org/v."},
        {1, InterfaceLanguage::CN, nullptr, page,
         "lenvoro: 没有安装语音库 一个英文语音库。请从 https://example.org/v 下载并安装。"},
        {10, InterfaceLanguage::CN, &kSimplifiedChineseVoice, page,
         "lenvoro: 没有安装语音库 \"Microsoft Simplified Chinese\"。请从 https://example.org/v "
         "下载并安装。"},
        {21, InterfaceLanguage::TW, nullptr, u"",
         "lenvoro: 沒有安裝語音庫 \"Chinese Female Voice\"、一個英文語音庫。請下載並安裝。"},
        {31, InterfaceLanguage::ENG, nullptr, u"",
         "lenvoro: not installed: \"Microsoft Simplified Chinese\", \"Chinese Female Voice\", "
         "an English voice. Download and install the voice."},
        {-7, InterfaceLanguage::TW, nullptr, page, "lenvoro: 有語音庫沒有安裝（缺少語音代碼 -7）"},
        {34, InterfaceLanguage::ENG, &kSamVoice, page,
         "lenvoro: a voice is not installed (missing-voice code 34)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.code);
        EXPECT_EQ(MissingVoiceLine(c.code, c.language, c.askedFor, c.page), c.line);
    }
}

TEST_F(VoiceInventory, OneVoiceCallWithoutAUserInterfaceNamesTheVoiceItAskedFor) {
    SetVoicePromptHandler(nullptr);
    install({u"Microsoft Simplified Chinese", u"Microsoft Sam"});
    auto voice = test::makeVoice();
    ASSERT_TRUE(voice);
    SelectionReferences selection;
    for (const auto& [choice, name] :
         {std::pair{2, "\"Microsoft Mary\""}, std::pair{3, "\"Microsoft Mike\""},
          std::pair{4, "\"Chinese Female Voice\""}}) {
        ::testing::internal::CaptureStderr();
        ChooseSpeakingVoice(choice, *voice, selection);
        const std::string written = ::testing::internal::GetCapturedStderr();
        EXPECT_NE(written.find(name), std::string::npos) << written;
    }
    // Outside such a call the code alone cannot tell which English voice it was.
    ::testing::internal::CaptureStderr();
    RaiseVoicePrompt(kMissingEnglishVoice);
    const std::string written = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(written.find("Microsoft"), std::string::npos) << written;
}

}  // namespace
}  // namespace lenvoro
