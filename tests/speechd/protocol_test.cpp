// The module's conversation with Speech Dispatcher, against a backend that
// only records what it is asked: every exchange gets its replies, bad input
// an error reply, and nothing stops the module but QUIT or closed input.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "protocol.h"

namespace lenvoro::speechd {
namespace {

class RecordingBackend final : public ModuleBackend {
public:
    bool initialize(std::string* status) override {
        *status = initializes ? "ready\twith\nvoices" : "no voices";
        return initializes;
    }
    bool configureAudio(const SettingsBlock& settings) override {
        audio = settings;
        return acceptsAudio;
    }
    std::vector<VoiceListing> listVoices() override { return voices; }
    bool prepare(MessageKind kind, std::string_view data, const SpeechSettings& s) override {
        messages.push_back(std::string(data));
        kinds.push_back(kind);
        settings = s;
        return !busy;
    }
    void start() override { ++starts; }
    void stop() override { calls += "stop;"; }
    void pause() override { calls += "pause;"; }
    void setLogLevel(int level) override { calls += "log" + std::to_string(level) + ";"; }
    bool setDebugFile(bool on, std::string_view path) override {
        calls += (on ? "debug " + std::string(path) : std::string("nodebug")) + ";";
        return path != "/unwritable";
    }
    void quit() override { calls += "quit;"; }

    bool initializes = true;
    bool acceptsAudio = true;
    bool busy = false;
    std::vector<VoiceListing> voices;
    SettingsBlock audio;
    std::vector<std::string> messages;
    std::vector<MessageKind> kinds;
    SpeechSettings settings;
    int starts = 0;
    std::string calls;
};

struct Session {
    RecordingBackend backend;
    std::string replies;
    ModuleProtocol protocol{backend, [this](std::string_view text) { replies += text; }};

    // Feeds lines (separated by "\n") and returns what was answered to them.
    std::string run(std::string_view lines) {
        replies.clear();
        LineSplitter splitter(ModuleProtocol::kMaximumMessageBytes + 2);
        splitter.feed(lines, [this](std::string_view line, bool overlong) {
            return protocol.handleLine(line, overlong);
        });
        return replies;
    }
    Session() { run("INIT\n"); }
};

struct Exchange {
    const char* name;
    const char* input;
    const char* replies;
};

class Exchanges : public testing::TestWithParam<Exchange> {};

TEST_P(Exchanges, AnswerAsTheServerExpects) {
    Session session;
    EXPECT_EQ(session.run(GetParam().input), GetParam().replies) << GetParam().name;
}

INSTANTIATE_TEST_SUITE_P(
    Protocol, Exchanges,
    testing::Values(
        Exchange{"settings", "SET\nrate=20\npitch=-10\nlanguage=zh\nsynthesis_voice=NULL\n.\n",
                 "203 OK RECEIVING SETTINGS\n203 OK SETTINGS RECEIVED\n"},
        Exchange{"unknown setting", "SET\nloudness=3\n.\n",
                 "203 OK RECEIVING SETTINGS\n303 ERROR INVALID PARAMETER OR VALUE\n"},
        Exchange{"out of range", "SET\nrate=101\n.\n",
                 "203 OK RECEIVING SETTINGS\n303 ERROR INVALID PARAMETER OR VALUE\n"},
        Exchange{"no value", "SET\nrate=\nnoequals\n=5\n.\n",
                 "203 OK RECEIVING SETTINGS\n302 ERROR BAD SYNTAX\n"},
        Exchange{"audio", "AUDIO\naudio_output_method=server\n.\n",
                 "207 OK RECEIVING AUDIO SETTINGS\n203 OK AUDIO INITIALIZED\n"},
        Exchange{"log level", "LOGLEVEL\nlog_level=5\n.\n",
                 "207 OK RECEIVING LOGLEVEL SETTINGS\n203 OK LOGLEVEL SET\n"},
        Exchange{"bad log level", "LOGLEVEL\nlog_level=loud\n.\n",
                 "207 OK RECEIVING LOGLEVEL SETTINGS\n303 ERROR INVALID PARAMETER OR VALUE\n"},
        Exchange{"speak", "SPEAK\n<speak>hi</speak>\n.\n",
                 "202 OK RECEIVING MESSAGE\n200 OK SPEAKING\n"},
        Exchange{"empty message", "SPEAK\n.\n", "202 OK RECEIVING MESSAGE\n301 ERROR CANT SPEAK\n"},
        Exchange{"two-line char", "CHAR\na\nb\n.\n",
                 "202 OK RECEIVING MESSAGE\n305 DATA MORE THAN ONE LINE\n"},
        Exchange{"stop and pause", "STOP\nPAUSE\n", ""},
        Exchange{"unknown command", "SPEAK NOW\nspeak\n\n",
                 "300 ERR UNKNOWN COMMAND\n300 ERR UNKNOWN COMMAND\n300 ERR UNKNOWN COMMAND\n"},
        Exchange{"no voices", "LIST VOICES\n", "304 CANT LIST VOICES\n"},
        Exchange{"debug", "DEBUG ON /tmp/log\nDEBUG OFF\n",
                 "200 OK DEBUGGING ON\n200 OK DEBUGGING OFF\n"},
        Exchange{"debug refused", "DEBUG ON /unwritable\nDEBUG\nDEBUG MAYBE x\n",
                 "303 CANT OPEN CUSTOM DEBUG FILE\n302 ERROR BAD SYNTAX\n302 ERROR BAD SYNTAX\n"},
        Exchange{"quit", "QUIT\nSPEAK\n", "210 OK QUIT\n"}),
    [](const testing::TestParamInfo<Exchange>& info) {
        std::string name = info.param.name;
        for (char& c : name)
            c = std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
        return name;
    });

TEST(Protocol, StartsOnlyAfterInitAndReportsWhyItCannot) {
    RecordingBackend backend;
    backend.initializes = false;
    std::string replies;
    ModuleProtocol protocol(backend, [&](std::string_view text) { replies += text; });
    protocol.handleLine("SPEAK");
    protocol.handleLine("INIT");
    EXPECT_EQ(replies, "300 ERR MODULE NOT INITIALIZED\n399-no voices\n399 ERR CANT INIT MODULE\n");
}

TEST(Protocol, StatusAndVoiceNamesStayOnTheirLine) {
    RecordingBackend backend;
    backend.voices = {{"Mary\tTwo", "en-US", ""}, {"", "zh", "x"}};
    std::string replies;
    ModuleProtocol protocol(backend, [&](std::string_view text) { replies += text; });
    protocol.handleLine("INIT");
    protocol.handleLine("LIST VOICES");
    EXPECT_EQ(replies,
              "299-ready with voices\n299 OK LOADED SUCCESSFULLY\n"
              "200-Mary Two\ten-US\tnone\n200 OK VOICE LIST SENT\n");
}

TEST(Protocol, MessageReachesTheBackendAsSentWithTheSettingsInForce) {
    Session session;
    session.run("SET\nrate=30\nvoice=female2\nbogus=1\n.\n");
    session.run("SPEAK\nfirst\n..leading dot\n\n.\n");
    session.run("CHAR\nspace\n.\nKEY\nshift_a\n.\n");
    ASSERT_EQ(session.backend.messages.size(), 3u);
    EXPECT_EQ(session.backend.messages[0], "first\n.leading dot\n");
    EXPECT_EQ(session.backend.messages[1], " ");
    EXPECT_EQ(session.backend.messages[2], "shift_a");
    EXPECT_EQ(session.backend.kinds[2], MessageKind::Key);
    // Good lines of a block with a bad one still apply.
    EXPECT_EQ(session.backend.settings.rate, 30);
    EXPECT_EQ(session.backend.settings.voiceType, "female2");
    EXPECT_EQ(session.backend.starts, 3);
}

TEST(Protocol, BackendRefusalsAreErrorReplies) {
    Session session;
    session.backend.busy = true;
    session.backend.acceptsAudio = false;
    // A declined audio method makes the server offer its next one.
    EXPECT_EQ(session.run("SPEAK\nhi\n.\nAUDIO\naudio_output_method=server\n.\n"),
              "202 OK RECEIVING MESSAGE\n301 ERROR CANT SPEAK\n"
              "207 OK RECEIVING AUDIO SETTINGS\n303 ERROR INVALID PARAMETER OR VALUE\n");
    EXPECT_EQ(session.backend.starts, 0);
    ASSERT_EQ(session.backend.audio.size(), 1u);
    EXPECT_EQ(session.backend.audio[0].second, "server");
}

TEST(Protocol, HugeMessageIsReadToItsEndAndRefused) {
    Session session;
    const std::string megabyte(size_t{1} << 20, 'x');
    std::string input = "SPEAK\n";
    for (int i = 0; i < 5; ++i)
        input += megabyte + "\n";
    input += ".\nLIST VOICES\n";
    EXPECT_EQ(session.run(input),
              "202 OK RECEIVING MESSAGE\n301 ERROR CANT SPEAK\n304 CANT LIST VOICES\n");
    EXPECT_TRUE(session.backend.messages.empty());
}

TEST(Protocol, OverlongLineIsRefusedWithoutKeepingIt) {
    Session session;
    const std::string line(ModuleProtocol::kMaximumMessageBytes + 100, 'y');
    EXPECT_EQ(session.run("SPEAK\n" + line + "\n.\n" + line + "\nSTOP\n"),
              "202 OK RECEIVING MESSAGE\n301 ERROR CANT SPEAK\n300 ERR UNKNOWN COMMAND\n");
}

TEST(Protocol, ServerGoneMidMessageQuitsWithoutAnswer) {
    Session session;
    session.run("SPEAK\nhalf a mes");
    session.protocol.handleEndOfInput();
    EXPECT_EQ(session.replies, "202 OK RECEIVING MESSAGE\n");
    EXPECT_EQ(session.backend.calls, "quit;");
    EXPECT_TRUE(session.backend.messages.empty());
}

TEST(LineSplitter, CutsLinesAcrossChunksAndMarksOverlongOnes) {
    LineSplitter splitter(4);
    std::vector<std::pair<std::string, bool>> lines;
    const auto collect = [&](std::string_view line, bool overlong) {
        lines.emplace_back(line, overlong);
        return line != "stop";
    };
    for (std::string_view chunk : {"ab", "c\nabcdefgh", "ij\n\nxy", "z\nstop\nnever\n"})
        if (!splitter.feed(chunk, collect))
            break;
    const std::vector<std::pair<std::string, bool>> expected = {
        {"abc", false}, {"abcd", true}, {"", false}, {"xyz", false}, {"stop", false}};
    EXPECT_EQ(lines, expected);
}

}  // namespace
}  // namespace lenvoro::speechd
