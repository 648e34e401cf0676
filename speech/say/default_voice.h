// Which voice reads when lenvoro-say is asked for none (voice -1), and why.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "engine/voice_files.h"
#include "say_texts.h"

namespace lenvoro::say {

struct DefaultVoice {
    std::string name;  // the voice's Name attribute
    engine::DefaultTokenReason reason;
};

// The library names no default voice, so lenvoro-say works it out by the
// engine's own rule from the same files: the voice tokens of the data
// folders, the choice stored by the voice settings and the locale. A token
// needs a name and an espeak-ng voice; whether espeak-ng has that voice is
// not asked, as that would start a second espeak-ng beside the library's.
// Nothing when no voice is installed.
std::optional<DefaultVoice> FindDefaultVoice();

// One line in the interface language: the voice and why it is the default.
// locale is the user's locale name ("" for none).
std::string DescribeDefaultVoice(const std::optional<DefaultVoice>& voice, const Texts& texts,
                                 std::string_view locale);

}  // namespace lenvoro::say
