// Speech Dispatcher's output-module protocol, as the server speaks it on our
// standard input and output (speech-dispatcher 0.11):
//
//   INIT                       299-status / 299 OK LOADED SUCCESSFULLY
//   AUDIO, name=value..., "."  207 OK RECEIVING AUDIO SETTINGS, then
//                              203 OK AUDIO INITIALIZED (or 303: the server
//                              offers "audio_output_method=server" first and
//                              other methods when that is declined)
//   LOGLEVEL, log_level=N, "." 207 OK RECEIVING LOGLEVEL SETTINGS, 203 OK LOGLEVEL SET
//   SET, name=value..., "."    203 OK RECEIVING SETTINGS, 203 OK SETTINGS RECEIVED
//   SPEAK|CHAR|KEY|SOUND_ICON  202 OK RECEIVING MESSAGE, the data, ".",
//                              200 OK SPEAKING; then the events 701 BEGIN,
//                              700 index marks, 705 audio and one of 702 END,
//                              703 STOP, 704 PAUSE
//   STOP, PAUSE                no reply; the reading ends with 703 or 704
//   LIST VOICES                200-name<TAB>language<TAB>variant ..., 200 OK VOICE LIST SENT
//   DEBUG ON file | DEBUG OFF  200 OK DEBUGGING ON|OFF
//   QUIT                       210 OK QUIT
//
// Data lines that begin with "." come with a second "." in front, which is
// taken away. ModuleProtocol is only this conversation: it answers the
// server and asks a ModuleBackend to act, and knows nothing of audio.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "speech_settings.h"

namespace lenvoro::speechd {

enum class MessageKind { Text, Character, Key, SoundIcon };

struct VoiceListing {
    std::string name;
    std::string language;  // "zh-CN"
    std::string variant;   // "none" when the voice has none
};

using SettingsBlock = std::vector<std::pair<std::string, std::string>>;

class ModuleBackend {
public:
    virtual ~ModuleBackend() = default;

    // Starts the engine. status is one line for the server's log.
    virtual bool initialize(std::string* status) = 0;
    // An AUDIO block. false declines it: the server then offers other methods.
    virtual bool configureAudio(const SettingsBlock& settings) = 0;
    virtual std::vector<VoiceListing> listVoices() = 0;
    // Gets a message ready. false when it cannot be spoken (a reading is
    // still under way, or the message holds nothing we can say).
    virtual bool prepare(MessageKind kind, std::string_view data,
                         const SpeechSettings& settings) = 0;
    // Starts what prepare() accepted, once "200 OK SPEAKING" has been sent.
    virtual void start() = 0;
    virtual void stop() = 0;
    virtual void pause() = 0;
    virtual void setLogLevel(int level) = 0;
    // Copies the log into a file, or stops doing so. false when it cannot be opened.
    virtual bool setDebugFile(bool on, std::string_view path) = 0;
    // The server is gone or asked us to quit: silence and release everything.
    virtual void quit() = 0;
};

class ModuleProtocol {
public:
    // The most a message may hold: hours of speech, where screen readers
    // send a paragraph at a time. The protocol sets no limit; a larger
    // message is read to its end and refused rather than allowed to take
    // all memory (reading it costs about ten times its size).
    static constexpr size_t kMaximumMessageBytes = size_t{4} << 20;

    // send() writes one or more complete reply lines.
    ModuleProtocol(ModuleBackend& backend, std::function<void(std::string_view)> send);

    // One line of input without its line feed; overlong when the line was
    // longer than a message may be and has been cut. Returns false once QUIT
    // has been answered.
    bool handleLine(std::string_view line, bool overlong = false);
    // Our input closed, whatever was under way: the backend quits.
    void handleEndOfInput();

private:
    enum class State { Command, Message, Block };
    enum class BlockKind { Settings, Audio, LogLevel };

    void handleCommand(std::string_view line);
    void handleMessageLine(std::string_view line, bool overlong);
    void finishMessage();
    void handleBlockLine(std::string_view line);
    void finishBlock();
    void handleDebug(std::string_view line);
    void listVoices();

    ModuleBackend& backend_;
    std::function<void(std::string_view)> send_;
    bool initialized_ = false;
    State state_ = State::Command;
    SpeechSettings settings_;

    MessageKind messageKind_ = MessageKind::Text;
    std::string message_;
    size_t messageLines_ = 0;
    bool messageTooLong_ = false;

    BlockKind blockKind_ = BlockKind::Settings;
    SettingsBlock block_;
    std::string blockError_;  // the first error reply the block earned
};

// Cuts a byte stream into lines. A line longer than the limit is delivered
// once, cut to the limit and marked overlong; the rest of it is skipped.
class LineSplitter {
public:
    explicit LineSplitter(size_t maximumLineBytes) : maximum_(maximumLineBytes) {}
    // Calls onLine(line, overlong) for each complete line in order; stops
    // early, and returns false, as soon as onLine returns false.
    bool feed(std::string_view bytes, const std::function<bool(std::string_view, bool)>& onLine);

private:
    size_t maximum_;
    std::string partial_;
    bool overlong_ = false;
};

}  // namespace lenvoro::speechd
