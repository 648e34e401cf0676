#pragma once

#include <QString>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "interface_language.h"
#include "messages.h"

namespace tukomi {

// The three calls the game makes of the speech library. Texts are in the
// locale's code set, as the library's plain entry points expect them.
class SpeechLibraryApi {
public:
    virtual ~SpeechLibraryApi() = default;
    // Results are the library's codes, or nothing when the library or the
    // function is not there (see errorMessage()).
    virtual std::int32_t InitialAuth(std::intptr_t window, std::int32_t voice, std::int32_t rate,
                                     std::int32_t volume, const std::string& message,
                                     const std::string& caption, const std::string& id1,
                                     const std::string& id2) = 0;
    virtual std::int32_t Speak(const std::string& text, std::int32_t mode, std::int32_t voice,
                               std::int32_t rate, std::int32_t volume, std::int32_t punctuation,
                               const std::string& page) = 0;
    virtual std::int32_t Close() = 0;
    // Why the last call could not reach the library, in `language`; empty
    // when it did.
    virtual QString errorMessage(InterfaceLanguage language) const = 0;
};

// Binds the speech library by name at the first call: "liblenvoro.so.2" from
// the lib folder beside the program first (the build and install layout),
// then wherever the system's loader finds it. A missing library or function
// makes the call return kUnavailable with a message; it never crashes.
class SpeechLibrary : public SpeechLibraryApi {
public:
    static constexpr std::int32_t kUnavailable = -1;
    static constexpr const char* kFileName = "liblenvoro.so.2";

    // `programBinFolder` is the folder of the executable.
    explicit SpeechLibrary(QString programBinFolder);
    ~SpeechLibrary() override;

    std::int32_t InitialAuth(std::intptr_t window, std::int32_t voice, std::int32_t rate,
                             std::int32_t volume, const std::string& message,
                             const std::string& caption, const std::string& id1,
                             const std::string& id2) override;
    std::int32_t Speak(const std::string& text, std::int32_t mode, std::int32_t voice,
                       std::int32_t rate, std::int32_t volume, std::int32_t punctuation,
                       const std::string& page) override;
    std::int32_t Close() override;
    QString errorMessage(InterfaceLanguage language) const override;

private:
    void* bind(const char* name);

    QString binFolder_;
    void* handle_ = nullptr;
    bool triedToOpen_ = false;
    // The last call's problem: none, or the reason with the missing function
    // and the loader's report.
    std::optional<SpeechProblem> problem_;
    QString missingFunction_;
    QString loaderReport_;
};

}  // namespace tukomi
