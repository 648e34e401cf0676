#include "reading_plan.h"

#include "spoken_names.h"

namespace lenvoro::speechd {

namespace {

bool blank(std::u32string_view text) {
    return text.find_first_not_of(U" \t\r\n") == std::u32string_view::npos;
}

// Collects the steps of a text, one language run at a time.
class RunWriter {
public:
    RunWriter(const VoiceSelection& voices, bool namePunctuation)
        : voices_(voices), namePunctuation_(namePunctuation) {}

    void add(char32_t c) {
        const CatalogVoice* voice = voiceFor(scriptOf(c));
        if (voice != nullptr && voice != current_) {
            if (current_ != nullptr)
                flush();
            current_ = voice;
        }
        const auto name = namePunctuation_ && c > U' ' ? symbolName(c) : std::nullopt;
        if (!name) {
            text_ += c;
            return;
        }
        // Named in the language of the run it stands in; the name keeps
        // the mark's place in the runs.
        const CatalogVoice* reader = current_ != nullptr ? current_ : voices_.primary;
        const bool chinese = reader->script() == Script::Chinese;
        text_ += U' ' + decodeUtf8(chinese ? name->chinese : name->english) + U' ';
    }

    void mark(std::string name) {
        flush();
        ReadingStep step;
        step.kind = ReadingStep::Kind::Mark;
        step.mark = std::move(name);
        steps_.push_back(std::move(step));
    }

    void silence(uint32_t ms) {
        flush();
        ReadingStep step;
        step.kind = ReadingStep::Kind::Silence;
        step.silenceMs = ms;
        steps_.push_back(std::move(step));
    }

    // The last words of a message end with a sentence's pause.
    std::vector<ReadingStep> finish() {
        flush();
        for (auto step = steps_.rbegin(); step != steps_.rend(); ++step) {
            if (step->kind == ReadingStep::Kind::Speech) {
                step->endPause = true;
                break;
            }
        }
        return std::move(steps_);
    }

private:
    const CatalogVoice* voiceFor(Script script) const {
        const CatalogVoice* voice = script == Script::Chinese   ? voices_.chinese
                                    : script == Script::English ? voices_.english
                                                                : nullptr;
        return voice != nullptr || script == Script::Other ? voice : voices_.primary;
    }

    // Text before the first run, or with no run at all, is the primary voice's.
    void flush() {
        if (!blank(text_)) {
            ReadingStep step;
            step.text = std::move(text_);
            step.voice = (current_ != nullptr ? current_ : voices_.primary)->espeak;
            step.endPause = endsSentence(step.text);
            steps_.push_back(std::move(step));
        }
        text_.clear();
    }

    const VoiceSelection& voices_;
    bool namePunctuation_;
    const CatalogVoice* current_ = nullptr;
    std::u32string text_;
    std::vector<ReadingStep> steps_;
};

}  // namespace

bool endsSentence(std::u32string_view text) {
    const size_t last = text.find_last_not_of(U" \t\r");
    return last != std::u32string_view::npos &&
           std::u32string_view(U".!?;\n。！？；").find(text[last]) != std::u32string_view::npos;
}

Script scriptOf(char32_t c) {
    if ((c >= U'a' && c <= U'z') || (c >= U'A' && c <= U'Z') ||
        (c >= 0xC0 && c <= 0x24F && c != 0xD7 && c != 0xF7))
        return Script::English;
    const bool cjk = (c >= 0x3000 && c <= 0x303F) || (c >= 0x3400 && c <= 0x4DBF) ||
                     (c >= 0x4E00 && c <= 0x9FFF) || (c >= 0xF900 && c <= 0xFAFF) ||
                     (c >= 0xFF01 && c <= 0xFF0F) || c == 0xFF1A || c == 0xFF1B || c == 0xFF1F ||
                     (c >= 0x20000 && c <= 0x3FFFF);
    return cjk ? Script::Chinese : Script::Other;
}

std::vector<ReadingStep> planText(const std::vector<SsmlItem>& items, const VoiceSelection& voices,
                                  bool namePunctuation) {
    if (voices.primary == nullptr)
        return {};
    RunWriter writer(voices, namePunctuation);
    for (const SsmlItem& item : items) {
        switch (item.kind) {
            case SsmlItem::Kind::Text:
                for (char32_t c : item.text)
                    writer.add(c);
                break;
            case SsmlItem::Kind::Mark:
                writer.mark(item.markName);
                break;
            case SsmlItem::Kind::Break:
                writer.silence(item.breakMs);
                break;
        }
    }
    return writer.finish();
}

std::vector<ReadingStep> planCharacter(std::u32string_view character,
                                       const VoiceSelection& voices) {
    if (voices.primary == nullptr || character.empty())
        return {};
    if (character.size() == 1) {
        if (const auto name = symbolName(character[0])) {
            const bool chinese = voices.primary->script() == Script::Chinese;
            const std::string_view words = chinese ? name->chinese : name->english;
            return planText({{SsmlItem::Kind::Text, decodeUtf8(words), {}, 0}}, voices);
        }
    }
    return planText({{SsmlItem::Kind::Text, std::u32string(character), {}, 0}}, voices);
}

std::vector<ReadingStep> planKey(std::string_view key, const VoiceSelection& voices) {
    const std::u32string asCharacter = decodeUtf8(key);
    if (asCharacter.size() == 1)
        return planCharacter(asCharacter, voices);
    return planText({{SsmlItem::Kind::Text, decodeUtf8(keyWords(key)), {}, 0}}, voices);
}

}  // namespace lenvoro::speechd
