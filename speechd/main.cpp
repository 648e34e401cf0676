// sd_lenvoro: a Speech Dispatcher output module that reads with our engine.
//
// Speech Dispatcher starts it as "sd_lenvoro CONFIG_FILE" and talks to it
// on standard input and output (protocol.h); standard error goes to the
// server's log.
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <mutex>
#include <sstream>
#include <string>

#include "module_backend.h"
#include "module_config.h"
#include "protocol.h"

namespace {

using lenvoro::speechd::ModuleProtocol;

// Replies and events come from two threads; each goes out whole.
class ServerPipe {
public:
    void send(std::string_view text) {
        std::lock_guard lock(mutex_);
        while (!text.empty() && !broken_) {
            const ssize_t written = ::write(STDOUT_FILENO, text.data(), text.size());
            if (written < 0 && errno == EINTR)
                continue;
            if (written <= 0)
                broken_ = true;  // the server is gone; our input closes next
            else
                text.remove_prefix(static_cast<size_t>(written));
        }
    }

private:
    std::mutex mutex_;
    bool broken_ = false;
};

// Installed, the module lives in Speech Dispatcher's module folder, not
// beside our data: the data folder of our installation joins the ones the
// engine searches, after any the environment names.
void findInstalledVoices() {
#ifdef LENVORO_SPEECHD_DATA_DIR
    const char* current = std::getenv("XDG_DATA_DIRS");
    std::string dirs =
        current != nullptr && *current != '\0' ? current : "/usr/local/share:/usr/share";
    if ((":" + dirs + ":").find(":" LENVORO_SPEECHD_DATA_DIR ":") == std::string::npos) {
        dirs += ":" LENVORO_SPEECHD_DATA_DIR;
        setenv("XDG_DATA_DIRS", dirs.c_str(), 1);
    }
#endif
}

lenvoro::speechd::ModuleConfig loadConfig(int argc, char** argv) {
    std::string text;
    if (argc >= 2) {
        std::ifstream file(argv[1]);
        std::stringstream contents;
        contents << file.rdbuf();
        text = contents.str();
    }
    lenvoro::speechd::ModuleConfig config = lenvoro::speechd::readModuleConfig(text);
    // The test outputs (null, capture:FILE) and a chosen device are ours to play.
    const char* audio = std::getenv("LENVORO_AUDIO");
    if (audio != nullptr && *audio != '\0')
        config.serverAudio = false;
    return config;
}

}  // namespace

int main(int argc, char** argv) {
    std::signal(SIGPIPE, SIG_IGN);
    findInstalledVoices();

    ServerPipe pipe;
    const auto send = [&pipe](std::string_view text) { pipe.send(text); };
    lenvoro::speechd::LenvoroBackend backend(loadConfig(argc, argv), send);
    ModuleProtocol protocol(backend, send);
    lenvoro::speechd::LineSplitter splitter(ModuleProtocol::kMaximumMessageBytes + 2);

    std::string buffer(size_t{64} << 10, '\0');
    for (;;) {
        const ssize_t got = ::read(STDIN_FILENO, buffer.data(), buffer.size());
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0) {
            protocol.handleEndOfInput();
            return got == 0 ? 0 : 1;
        }
        const bool goOn = splitter.feed(std::string_view(buffer.data(), static_cast<size_t>(got)),
                                        [&protocol](std::string_view line, bool overlong) {
                                            return protocol.handleLine(line, overlong);
                                        });
        if (!goOn)
            return 0;
    }
}
