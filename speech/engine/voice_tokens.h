// Voice and audio-output tokens, found in categories.
//
// A voice token is a small INI file in the voices/ folder of a lenvoro data
// folder (data_folders.h):
//
//   [Token]
//   Default=Chinese Female Voice      ; display name when no language matches
//   804=中文女声                       ; display names by hexadecimal language id
//   [Attributes]
//   Name=Chinese Female Voice
//   Gender=Female
//   Language=804                      ; hexadecimal LCIDs, ";" between several
//   Vendor=Lenvoro
//   [Espeak]
//   Voice=cmn-latn-pinyin             ; the espeak-ng voice that speaks it; a
//                                     ; Mandarin one reads Chinese as pinyin
//   Variant=f2                        ; optional
//   Pitch=62                          ; optional, 0..100
//
// Files that lack a name or name a voice espeak-ng cannot speak are ignored.
// A file in an earlier folder hides one of the same name in a later folder,
// so a user can replace a shipped voice. Audio-output tokens are built in.
#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "audio_device.h"
#include "result.h"
#include "synthesizer.h"
#include "voice_files.h"

namespace lenvoro::engine {

constexpr std::string_view kAudioOutputCategoryId =
    "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Speech\\AudioOutput";

class ObjectToken {
public:
    enum class Kind { Voice, AudioOutput };

    // Reads a voice token file; nothing when it is not a usable voice.
    static std::shared_ptr<const ObjectToken> loadVoice(const std::filesystem::path& file,
                                                        std::string id);
    static std::shared_ptr<const ObjectToken> audioOutput(std::string id, std::u16string name,
                                                          AudioDevice::Kind device);

    Kind kind() const { return kind_; }
    const std::string& id() const { return id_; }

    // The token's string values: "" is the default display name, "804" the
    // display name for language 0x804. kNotFound when there is no such value.
    Result getStringValue(std::u16string_view name, std::u16string* value) const;
    // An attribute such as "Name" or "Gender"; kNotFound when absent.
    Result getAttribute(std::u16string_view name, std::u16string* value) const;

    // True when every "Key=Value" of a ";"-separated query holds (names and
    // values ignore ASCII case; "Key" alone asks only that the attribute exists).
    bool matches(std::u16string_view requiredAttributes) const;
    // How many conditions of a query hold; used to order by optional attributes.
    size_t matchCount(std::u16string_view attributes) const;

    const EspeakVoice& espeakVoice() const { return espeak_; }

    // Creates the audio output object of an audio-output token.
    Result createAudioDevice(std::shared_ptr<AudioDevice>* device) const;

private:
    ObjectToken() = default;
    bool holds(std::u16string_view condition) const;

    Kind kind_ = Kind::Voice;
    std::string id_;
    std::vector<std::pair<std::u16string, std::u16string>> values_;      // lower-case names
    std::vector<std::pair<std::u16string, std::u16string>> attributes_;  // lower-case names
    EspeakVoice espeak_;
    AudioDevice::Kind device_ = AudioDevice::Kind::Default;
};

// The tokens a query found, taken one at a time.
class TokenEnumeration {
public:
    explicit TokenEnumeration(std::vector<std::shared_ptr<const ObjectToken>> tokens)
        : tokens_(std::move(tokens)) {}

    size_t count() const { return tokens_.size(); }
    // The next token, or kFalse (and nullptr) when none is left.
    Result next(std::shared_ptr<const ObjectToken>* token);
    void reset() { position_ = 0; }

private:
    std::vector<std::shared_ptr<const ObjectToken>> tokens_;
    size_t position_ = 0;
};

class TokenCategory {
public:
    // Opens the voices or the audio-output category by its identifier
    // (ignoring case). Other identifiers: kNotFound, even with create.
    static Result open(std::string_view categoryId, bool createIfMissing,
                       std::shared_ptr<TokenCategory>* category);

    const std::string& id() const { return id_; }

    // Tokens matching the required attributes, the default token first, then
    // those matching more optional attributes. Files are read afresh each
    // time, so a voice added while a program runs is found by the next call.
    Result enumTokens(std::u16string_view requiredAttributes,
                      std::u16string_view optionalAttributes,
                      std::shared_ptr<TokenEnumeration>* enumeration) const;

    // The user's default token: the one stored in the engine settings when it
    // still exists; else, for voices, the first that speaks the language of
    // the user's locale (defaultVoiceLanguage of voice_files.h); else the
    // first token. kNotFound when there are none.
    Result getDefaultTokenId(std::string* id) const;
    // Stores the default (kNotFound for a token that does not exist).
    Result setDefaultTokenId(std::string_view id) const;

    Result getToken(std::string_view id, std::shared_ptr<const ObjectToken>* token) const;

private:
    explicit TokenCategory(std::string id, bool voices) : id_(std::move(id)), voices_(voices) {}
    std::vector<std::shared_ptr<const ObjectToken>> allTokens() const;
    std::string settingsSection() const { return voices_ ? "Voices" : "AudioOutput"; }

    std::string id_;
    bool voices_;
};

}  // namespace lenvoro::engine
