#include "test_support.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

#include "engine/voice_tokens.h"

namespace lenvoro::test {

std::filesystem::path makeTemporaryFolder(const std::string& name) {
    static const std::filesystem::path root = [] {
        std::string pattern = (std::filesystem::temp_directory_path() / "lenvoro-tests-XXXXXX").string();
        return std::filesystem::path(mkdtemp(pattern.data()));
    }();
    static int counter = 0;
    auto folder = root / (name + "-" + std::to_string(++counter));
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    return folder;
}

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
    EXPECT_EQ(engine::TokenCategory::open(engine::kVoicesCategoryId, false, &category), engine::kOk);
    if (category) category->enumTokens(u"Name=" + name, u"", &found);
    if (found) found->next(&token);
    EXPECT_NE(token, nullptr);
    return token;
}

double rmsLevel(const std::vector<int16_t>& samples, size_t from, size_t to) {
    to = std::min(to, samples.size());
    if (from >= to) return 0.0;
    double sum = 0.0;
    for (size_t i = from; i < to; ++i) sum += static_cast<double>(samples[i]) * samples[i];
    return std::sqrt(sum / static_cast<double>(to - from));
}

}  // namespace lenvoro::test
