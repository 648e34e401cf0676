// Speaks a text into one wave file per installed voice:
//   lenvoro_speak_to_wave FOLDER [TEXT] [FORMAT 4..39]
// Prints "file<TAB>voice name" per file written; exits non-zero on failure.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "engine/file_stream.h"
#include "engine/text.h"
#include "engine/voice.h"

using namespace lenvoro::engine;

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s FOLDER [TEXT] [FORMAT]\n", argv[0]);
        return 2;
    }
    const std::string folder = argv[1];
    const std::u16string text = utf8ToUtf16(argc > 2 ? argv[2] : "你好，世界。Hello world.");
    const int32_t formatId = argc > 3 ? std::atoi(argv[3]) : kEngineNativeFormat;
    const auto format = streamFormatFromId(formatId);
    if (!format) {
        std::fprintf(stderr, "format %d is not one of 4..39\n", formatId);
        return 2;
    }
    std::shared_ptr<TokenCategory> category;
    std::shared_ptr<TokenEnumeration> voices;
    if (failed(TokenCategory::open(kVoicesCategoryId, false, &category)) ||
        failed(category->enumTokens(u"", u"", &voices)) || voices->count() == 0) {
        std::fprintf(stderr, "no voices installed\n");
        return 1;
    }
    std::shared_ptr<const ObjectToken> token;
    int index = 0;
    while (voices->next(&token) == kOk) {
        std::u16string name;
        token->getAttribute(u"Name", &name);
        const std::string path = folder + "/voice" + std::to_string(++index) + ".wav";
        std::shared_ptr<FileStream> stream;
        std::shared_ptr<Voice> voice;
        Result result = FileStream::create(path, *format, &stream);
        if (succeeded(result))
            result = Voice::create(&voice);
        if (succeeded(result))
            result = voice->setVoice(token);
        if (succeeded(result))
            result = voice->setOutput(stream, false);
        if (succeeded(result))
            result = voice->speak(text, kSpeakSync);
        if (succeeded(result))
            result = stream->close();
        if (failed(result)) {
            std::fprintf(stderr, "%s: failed with 0x%08x\n", path.c_str(),
                         static_cast<unsigned>(result));
            return 1;
        }
        std::printf("%s\t%s\n", path.c_str(), utf16ToUtf8(name).c_str());
    }
    return 0;
}
