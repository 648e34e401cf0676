#include "speech_engine.h"

#include "engine/text.h"

namespace lenvoro {

Result CreateVoice(std::shared_ptr<engine::Voice>* voice) {
    return engine::Voice::create(voice);
}

void PurgeAndWait(engine::Voice& voice) {
    voice.speak(u"", engine::kSpeakPurgeBeforeSpeak);
    voice.waitUntilDone(-1);
}

Result OpenTokenCategory(std::string_view categoryId, bool createIfMissing,
                         std::shared_ptr<engine::TokenCategory>* category) {
    return engine::TokenCategory::open(categoryId, createIfMissing, category);
}

Result BindFileStream(std::u16string_view path, int32_t formatNumber,
                      std::shared_ptr<engine::FileStream>* stream) {
    if (stream == nullptr)
        return engine::kPointer;
    const auto format = engine::streamFormatFromId(formatNumber);
    if (!format)
        return engine::kUnsupportedFormat;
    return engine::FileStream::create(engine::utf16ToUtf8(path), *format, stream);
}

Result CreateDefaultAudioOutput(std::shared_ptr<engine::AudioDevice>* device) {
    if (device == nullptr)
        return engine::kPointer;
    std::shared_ptr<engine::TokenCategory> category;
    std::string id;
    std::shared_ptr<const engine::ObjectToken> token;
    Result result = engine::TokenCategory::open(engine::kAudioOutputCategoryId, true, &category);
    if (engine::succeeded(result))
        result = category->getDefaultTokenId(&id);
    if (engine::succeeded(result))
        result = category->getToken(id, &token);
    if (engine::succeeded(result))
        result = token->createAudioDevice(device);
    return result;
}

Result InitializeEngineRuntime() {
    return engine::initializeRuntime();
}
Result UninitializeEngineRuntime() {
    return engine::uninitializeRuntime();
}

}  // namespace lenvoro
