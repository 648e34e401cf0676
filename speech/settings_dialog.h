// The voice-setting dialog: the user chooses the voice, rate, volume and audio
// format of the library's current voice, each change taking effect on that
// voice at once (also while it reads); OK in addition stores the chosen voice
// and rate as the user's defaults in the engine settings, which every voice
// created afterwards starts with. A link opens a page where more voices can be
// had.
//
// The dialog works on engineState().voice as it is at each change; without a
// voice it still opens, with the formats listed and nothing else to act on.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "engine/result.h"
#include "engine/stream_format.h"
#include "window_host.h"

class QDialog;

namespace lenvoro {

namespace engine {
class ObjectToken;
}

// Object names of the dialog's controls (the template's identifiers in them).
inline constexpr const char* kVoiceListName = "voiceList10";
inline constexpr const char* kFormatListName = "formatList1007";
inline constexpr const char* kRateTrackbarName = "rateTrackbar1008";
inline constexpr const char* kVolumeTrackbarName = "volumeTrackbar1009";
inline constexpr const char* kVoiceLabelName = "voiceLabel1012";
inline constexpr const char* kLinkName = "link1013";
inline constexpr const char* kRateLabelName = "rateLabel1014";
inline constexpr const char* kVolumeLabelName = "volumeLabel1015";
inline constexpr const char* kFormatLabelName = "formatLabel1016";
inline constexpr const char* kOkButtonName = "okButton";
inline constexpr const char* kCancelButtonName = "cancelButton";

// Engine rate and volume ranges of the trackbars, with their page sizes.
constexpr int kRateTrackbarMinimum = -10;
constexpr int kRateTrackbarMaximum = 10;
constexpr int kRateTrackbarPage = 5;
constexpr int kVolumeTrackbarMinimum = 0;
constexpr int kVolumeTrackbarMaximum = 100;
constexpr int kVolumeTrackbarPage = 10;

// The name shown for a stream format 4..39 ("8kHz 8 Bit Mono" ...
// "48kHz 16 Bit Stereo"); empty for other numbers.
std::u16string StreamFormatName(int32_t formatNumber);

// The stream-format number of a wave format record: 4 + 4 x (index of the
// sample rate) + 2 x (16-bit) + (stereo) for uncompressed PCM with 1 or 2
// channels, 8 or 16 bits and one of the nine rates; std::nullopt for any other
// record (another encoding, rate, width or channel count).
std::optional<int32_t> StreamFormatNumber(const engine::WaveFormat& wave);

// The name a voice is listed under: its display name for the language
// (the token value named by the language identifier in hexadecimal), else its
// default display name; std::nullopt when it has neither (it is left out).
std::optional<std::u16string> VoiceDisplayName(const engine::ObjectToken& token,
                                               uint16_t languageId);

// The default rate stored in the engine settings, -10..10; std::nullopt when
// none (or an unreadable one) is stored.
std::optional<int32_t> StoredDefaultRate();

// Stores rate (clamped to -10..10) as "DefaultTTSRate" in the engine
// settings, replacing the file in one step. A file that exists but cannot be
// read is left alone (kAccessDenied) rather than replaced by one that has lost
// its other settings; a folder that cannot be written gives the engine's
// error, and the old file stays as it was.
engine::Result StoreDefaultRate(int32_t rate);

// The dialog of the current interface language, filled and wired for the
// current voice, not yet shown; nullptr when widgets cannot be made or the
// template is missing. Opening it also opens the default audio output that
// later format choices direct the voice to (kept in the engine state).
std::unique_ptr<QDialog> CreateSettingsDialog();

// The address the "more voices" link opens: the page given to the last
// dialog call, or the interface language's voices help page when none was.
QString MoreVoicesAddress();

// Runs the dialog modally, owned by the window owner names (or by none).
// NotShown, with a line on stderr, when widgets cannot be shown (no
// QApplication on this thread) or the template is missing.
DialogOutcome RunSettingsDialog(intptr_t owner);

}  // namespace lenvoro
