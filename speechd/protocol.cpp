#include "protocol.h"

#include <charconv>

namespace lenvoro::speechd {

namespace {

constexpr std::string_view kBadSyntax = "302 ERROR BAD SYNTAX\n";
constexpr std::string_view kBadValue = "303 ERROR INVALID PARAMETER OR VALUE\n";
constexpr std::string_view kCantSpeak = "301 ERROR CANT SPEAK\n";

// Replies are single lines: a voice name or status with a line feed or tab
// in it would break the server's reading of them.
std::string oneLine(std::string_view text) {
    std::string result(text);
    for (char& c : result) {
        if (c == '\n' || c == '\r' || c == '\t')
            c = ' ';
    }
    return result;
}

}  // namespace

ModuleProtocol::ModuleProtocol(ModuleBackend& backend, std::function<void(std::string_view)> send)
    : backend_(backend), send_(std::move(send)) {}

bool ModuleProtocol::handleLine(std::string_view line, bool overlong) {
    switch (state_) {
        case State::Message:
            handleMessageLine(line, overlong);
            return true;
        case State::Block:
            handleBlockLine(overlong ? std::string_view() : line);
            return true;
        case State::Command:
            break;
    }
    if (line == "QUIT") {
        backend_.quit();
        send_("210 OK QUIT\n");
        return false;
    }
    if (overlong) {
        send_("300 ERR UNKNOWN COMMAND\n");
        return true;
    }
    handleCommand(line);
    return true;
}

void ModuleProtocol::handleEndOfInput() {
    backend_.quit();
}

void ModuleProtocol::handleCommand(std::string_view line) {
    if (line == "INIT") {
        std::string status;
        initialized_ = backend_.initialize(&status);
        send_(initialized_ ? "299-" + oneLine(status) + "\n299 OK LOADED SUCCESSFULLY\n"
                           : "399-" + oneLine(status) + "\n399 ERR CANT INIT MODULE\n");
        return;
    }
    if (!initialized_) {
        send_("300 ERR MODULE NOT INITIALIZED\n");
        return;
    }
    const std::pair<std::string_view, MessageKind> messages[] = {
        {"SPEAK", MessageKind::Text},
        {"CHAR", MessageKind::Character},
        {"KEY", MessageKind::Key},
        {"SOUND_ICON", MessageKind::SoundIcon},
    };
    for (const auto& [command, kind] : messages) {
        if (line == command) {
            state_ = State::Message;
            messageKind_ = kind;
            message_.clear();
            messageLines_ = 0;
            messageTooLong_ = false;
            send_("202 OK RECEIVING MESSAGE\n");
            return;
        }
    }
    const std::pair<std::string_view, BlockKind> blocks[] = {
        {"SET", BlockKind::Settings},
        {"AUDIO", BlockKind::Audio},
        {"LOGLEVEL", BlockKind::LogLevel},
    };
    for (const auto& [command, kind] : blocks) {
        if (line == command) {
            state_ = State::Block;
            blockKind_ = kind;
            block_.clear();
            blockError_.clear();
            send_(kind == BlockKind::Settings ? "203 OK RECEIVING SETTINGS\n"
                  : kind == BlockKind::Audio  ? "207 OK RECEIVING AUDIO SETTINGS\n"
                                              : "207 OK RECEIVING LOGLEVEL SETTINGS\n");
            return;
        }
    }
    if (line == "STOP") {
        backend_.stop();
    } else if (line == "PAUSE") {
        backend_.pause();
    } else if (line == "LIST VOICES") {
        listVoices();
    } else if (line.starts_with("DEBUG")) {
        handleDebug(line);
    } else {
        send_("300 ERR UNKNOWN COMMAND\n");
    }
}

void ModuleProtocol::handleMessageLine(std::string_view line, bool overlong) {
    if (line == "." && !overlong) {
        state_ = State::Command;
        finishMessage();
        return;
    }
    if (line.starts_with('.'))
        line.remove_prefix(1);
    // Lines are joined with the line feeds between them; the last line's
    // feed belongs to the terminating ".".
    const size_t added = line.size() + (messageLines_ > 0 ? 1 : 0);
    if (overlong || messageTooLong_ || message_.size() + added > kMaximumMessageBytes) {
        messageTooLong_ = true;
        message_.clear();
        message_.shrink_to_fit();
        return;
    }
    if (messageLines_ > 0)
        message_ += '\n';
    message_ += line;
    ++messageLines_;
}

void ModuleProtocol::finishMessage() {
    const bool oneLineOnly = messageKind_ != MessageKind::Text;
    std::string message = std::move(message_);
    message_.clear();
    if (messageTooLong_ || message.empty()) {
        send_(kCantSpeak);
        return;
    }
    if (oneLineOnly && messageLines_ > 1) {
        send_("305 DATA MORE THAN ONE LINE\n");
        return;
    }
    if (messageKind_ == MessageKind::Character && message == "space")
        message = " ";
    if (!backend_.prepare(messageKind_, message, settings_)) {
        send_(kCantSpeak);
        return;
    }
    send_("200 OK SPEAKING\n");
    backend_.start();
}

void ModuleProtocol::handleBlockLine(std::string_view line) {
    if (line == ".") {
        state_ = State::Command;
        finishBlock();
        return;
    }
    const size_t equals = line.find('=');
    if (equals == std::string_view::npos || equals == 0 || equals + 1 == line.size()) {
        if (blockError_.empty())
            blockError_ = kBadSyntax;
        return;
    }
    const std::string_view name = line.substr(0, equals);
    const std::string_view value = line.substr(equals + 1);
    if (blockKind_ == BlockKind::Settings) {
        // Each good line takes effect even when another one is refused.
        if (settings_.set(name, value) != SpeechSettings::Change::Applied && blockError_.empty())
            blockError_ = kBadValue;
        return;
    }
    block_.emplace_back(name, value);
}

void ModuleProtocol::finishBlock() {
    if (!blockError_.empty()) {
        send_(blockError_);
        return;
    }
    switch (blockKind_) {
        case BlockKind::Settings:
            send_("203 OK SETTINGS RECEIVED\n");
            return;
        case BlockKind::Audio:
            send_(backend_.configureAudio(block_) ? "203 OK AUDIO INITIALIZED\n" : kBadValue);
            return;
        case BlockKind::LogLevel:
            for (const auto& [name, value] : block_) {
                int level = 0;
                const auto [end, error] =
                    std::from_chars(value.data(), value.data() + value.size(), level);
                if (name != "log_level" || error != std::errc() ||
                    end != value.data() + value.size()) {
                    send_(kBadValue);
                    return;
                }
                backend_.setLogLevel(level);
            }
            send_("203 OK LOGLEVEL SET\n");
            return;
    }
}

void ModuleProtocol::handleDebug(std::string_view line) {
    // "DEBUG ON <file>" or "DEBUG OFF", with any spaces around the words.
    std::vector<std::string_view> words;
    for (size_t at = 0; at < line.size();) {
        const size_t begin = line.find_first_not_of(' ', at);
        if (begin == std::string_view::npos)
            break;
        const size_t end = std::min(line.find(' ', begin), line.size());
        words.push_back(line.substr(begin, end - begin));
        at = end;
    }
    const bool on = words.size() == 3 && words[1] == "ON";
    const bool off = words.size() == 2 && words[1] == "OFF";
    if (words.empty() || words[0] != "DEBUG" || (!on && !off)) {
        send_(kBadSyntax);
        return;
    }
    if (!backend_.setDebugFile(on, on ? words[2] : std::string_view())) {
        send_("303 CANT OPEN CUSTOM DEBUG FILE\n");
        return;
    }
    send_(on ? "200 OK DEBUGGING ON\n" : "200 OK DEBUGGING OFF\n");
}

void ModuleProtocol::listVoices() {
    std::string reply;
    for (const VoiceListing& voice : backend_.listVoices()) {
        if (voice.name.empty())
            continue;
        reply += "200-" + oneLine(voice.name) + '\t' +
                 oneLine(voice.language.empty() ? "none" : voice.language) + '\t' +
                 oneLine(voice.variant.empty() ? "none" : voice.variant) + '\n';
    }
    send_(reply.empty() ? "304 CANT LIST VOICES\n" : reply + "200 OK VOICE LIST SENT\n");
}

bool LineSplitter::feed(std::string_view bytes,
                        const std::function<bool(std::string_view, bool)>& onLine) {
    while (!bytes.empty()) {
        const size_t newline = bytes.find('\n');
        const std::string_view piece = bytes.substr(0, newline);
        if (!overlong_) {
            const size_t room = maximum_ - partial_.size();
            if (piece.size() > room) {
                partial_.append(piece.substr(0, room));
                overlong_ = true;
            } else {
                partial_.append(piece);
            }
        }
        if (newline == std::string_view::npos)
            return true;
        bytes.remove_prefix(newline + 1);
        const bool overlong = overlong_;
        overlong_ = false;
        std::string line = std::move(partial_);
        partial_.clear();
        if (!onLine(line, overlong))
            return false;
    }
    return true;
}

}  // namespace lenvoro::speechd
