// The speech settings Speech Dispatcher sends before each message (its SET
// block), and how its scales map onto the engine's.
//
// The server's numbers run from -100 to 100 with 0 as the voice's normal
// setting; the engine's rate runs from -10 to 10 (175 words a minute times
// 3^(rate/10)), espeak-ng's pitch and pitch range from 0 to 100 around the
// voice's own baseline, and our output gain from 0 to 1.
#pragma once

#include <string>
#include <string_view>

namespace lenvoro::speechd {

struct SpeechSettings {
    int rate = 0;
    int pitch = 0;
    int pitchRange = 0;
    int volume = 0;
    std::string punctuationMode = "none";  // none, some, most, all
    std::string spellingMode = "off";      // on, off
    std::string capitalLetters = "none";   // none, spell, icon
    std::string voiceType;                 // male1 .. child_female; empty for none
    std::string language;                  // lower case, "zh-cn"; empty for none
    std::string synthesisVoice;            // a voice's name; empty for none

    enum class Change {
        Applied,
        Unknown,  // a name the protocol does not define: nothing changed
        Invalid,  // a known name with a value out of its range: nothing changed
    };
    // Applies one "name=value" line. The value "NULL" clears a text setting.
    Change set(std::string_view name, std::string_view value);
};

// The engine's rate for the server's rate: -100 .. 100 to -10 .. 10, rounded.
int engineRate(int rate);

// espeak-ng's pitch (or pitch range) 0 .. 100 for the server's -100 .. 100:
// 0 keeps the voice's baseline, -100 goes down to 0 and 100 up to 100, in
// proportion on each side, as Speech Dispatcher's own espeak-ng module does.
int espeakLevel(int value, int baseline);

// The output gain for the server's volume. 0 is the voice's normal loudness,
// as for the server's espeak-ng module; below it the gain falls in
// proportion to silence at -100. Above 0 it stays at full scale: louder
// would clip.
float outputGain(int volume);

}  // namespace lenvoro::speechd
