// The module's side of the protocol: our engine's voices behind Speech
// Dispatcher's commands.
#pragma once

#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "module_config.h"
#include "protocol.h"
#include "reader.h"
#include "voice_catalog.h"

namespace lenvoro::speechd {

class LenvoroBackend final : public ModuleBackend {
public:
    // config.serverAudio: accept the server's offer to play our audio.
    LenvoroBackend(ModuleConfig config, Send send);
    ~LenvoroBackend() override;

    bool initialize(std::string* status) override;
    bool configureAudio(const SettingsBlock& settings) override;
    std::vector<VoiceListing> listVoices() override;
    bool prepare(MessageKind kind, std::string_view data, const SpeechSettings& settings) override;
    void start() override;
    void stop() override { reader_.stop(); }
    void pause() override { reader_.pause(); }
    void setLogLevel(int level) override { logLevel_ = level; }
    bool setDebugFile(bool on, std::string_view path) override;
    void quit() override { reader_.shutdown(); }

    // Writes to standard error (which the server keeps in its log) and to
    // the debug file, if any.
    void log(int level, const std::string& message);

private:
    std::vector<ReadingStep> soundIcon(std::string_view name, const VoiceSelection& voices);

    ModuleConfig config_;
    std::vector<CatalogVoice> catalog_;
    Reader reader_;
    std::optional<Reading> prepared_;
    int logLevel_ = 3;
    std::unique_ptr<FILE, int (*)(FILE*)> debugFile_{nullptr, &std::fclose};
};

}  // namespace lenvoro::speechd
