#include "voice_support.h"

#include <gtest/gtest.h>

#include "engine/voice_tokens.h"

namespace lenvoro::test {

std::shared_ptr<engine::Voice> makeVoice(double paceFactor) {
    std::shared_ptr<engine::Voice> voice;
    EXPECT_EQ(engine::Voice::create(&voice), engine::kOk);
    if (voice) {
        voice->setOutputFactory([paceFactor](const audio::AudioFormat& format) {
            return audio::openNullOutput(format, paceFactor);
        });
    }
    return voice;
}

std::shared_ptr<const engine::ObjectToken> voiceNamed(const std::u16string& name) {
    std::shared_ptr<engine::TokenCategory> category;
    std::shared_ptr<engine::TokenEnumeration> found;
    std::shared_ptr<const engine::ObjectToken> token;
    EXPECT_EQ(engine::TokenCategory::open(engine::kVoicesCategoryId, false, &category),
              engine::kOk);
    if (category)
        category->enumTokens(u"Name=" + name, u"", &found);
    if (found)
        found->next(&token);
    EXPECT_NE(token, nullptr);
    return token;
}

}  // namespace lenvoro::test
