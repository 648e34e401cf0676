// The assistant's character file, for any file content: the header and the
// index are checked against the file's size, then the manifest and the
// frames are read.
#include "character_file.h"
#include "fuzz_support.h"

namespace {

fuzz::ScratchFile& characterFile() {
    static fuzz::ScratchFile file;
    return file;
}

// A character that loads keeps to every limit, draws its frames at the sizes
// it holds, and keeps its manifest for as long as it lives.
void checkCharacter(const tukomi::CharacterFile& character) {
    using tukomi::CharacterFile;
    const QSize size = character.frameSize();
    FUZZ_CHECK(size.width() >= CharacterFile::kMinFramePixels &&
               size.width() <= CharacterFile::kMaxFramePixels);
    FUZZ_CHECK(size.height() >= CharacterFile::kMinFramePixels &&
               size.height() <= CharacterFile::kMaxFramePixels);
    FUZZ_CHECK(!character.name().isEmpty());
    FUZZ_CHECK(character.balloon().background.isValid() && character.balloon().border.isValid() &&
               character.balloon().text.isValid());
    FUZZ_CHECK(character.balloon().fontPixelSize >= CharacterFile::kMinFontPixels &&
               character.balloon().fontPixelSize <= CharacterFile::kMaxFontPixels);
    for (int scale : character.scales())
        FUZZ_CHECK(scale >= 2);
    for (int i = 0; i < tukomi::kCharacterAnimationCount; ++i) {
        const auto animation = static_cast<tukomi::CharacterAnimation>(i);
        const auto& frames = character.frames(animation);
        FUZZ_CHECK(!frames.empty() &&
                   frames.size() <= static_cast<size_t>(CharacterFile::kMaxFramesPerAnimation));
        for (size_t k = 0; k < frames.size(); ++k) {
            FUZZ_CHECK(frames[k].image.size() == size);
            FUZZ_CHECK(frames[k].durationMs >= 1 &&
                       frames[k].durationMs <= CharacterFile::kMaxFrameDurationMs);
            // Drawn for a dense screen: a larger version the file holds, or the frame.
            const QSize drawn = character.frameImage(animation, static_cast<int>(k), 2.0).size();
            bool known = drawn == size;
            for (int scale : character.scales())
                known = known || drawn == size * scale;
            FUZZ_CHECK(known);
        }
    }
    const auto manifest = character.entry(QStringLiteral("manifest.json"));
    FUZZ_CHECK(manifest && !manifest->isEmpty());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    characterFile().write(fuzz::bytesOf(data, size));
    const QString path = QString::fromStdString(characterFile().path());
    tukomi::LoadError error;
    const auto character = tukomi::CharacterFile::Load(path, &error);
    if (!character) {
        FUZZ_CHECK(error.file == path && !error.what.isEmpty());
        return 0;
    }
    checkCharacter(*character);
    return 0;
}
