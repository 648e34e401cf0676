#include "speech_library.h"

#include <dlfcn.h>

namespace tukomi {
namespace {

using InitialAuthFunction = std::int32_t (*)(std::intptr_t, std::int32_t, std::int32_t,
                                             std::int32_t, const char*, const char*, const char*,
                                             const char*);
using SpeakFunction = std::int32_t (*)(const char*, std::int32_t, std::int32_t, std::int32_t,
                                       std::int32_t, std::int32_t, const char*);
using CloseFunction = std::int32_t (*)();

}  // namespace

SpeechLibrary::SpeechLibrary(QString programBinFolder) : binFolder_(std::move(programBinFolder)) {}

SpeechLibrary::~SpeechLibrary() {
    // The library stays loaded to the end of the program: it may still own
    // threads and windows' event filters that point into it.
}

void* SpeechLibrary::bind(const char* name) {
    if (!triedToOpen_) {
        triedToOpen_ = true;
        const QByteArray beside =
            (binFolder_ + QStringLiteral("/../lib/") + kFileName).toLocal8Bit();
        handle_ = dlopen(beside.constData(), RTLD_NOW | RTLD_LOCAL);
        if (!handle_)
            handle_ = dlopen(kFileName, RTLD_NOW | RTLD_LOCAL);
        if (!handle_) {
            problem_ = SpeechProblem::LibraryMissing;
            loaderReport_ = QString::fromLocal8Bit(dlerror());
            return nullptr;
        }
    }
    if (!handle_)
        return nullptr;
    dlerror();
    void* function = dlsym(handle_, name);
    if (!function) {
        problem_ = SpeechProblem::FunctionMissing;
        missingFunction_ = QString::fromLatin1(name);
        return nullptr;
    }
    problem_.reset();
    return function;
}

QString SpeechLibrary::errorMessage(InterfaceLanguage language) const {
    if (!problem_)
        return {};
    return speechProblemText(*problem_, QString::fromLatin1(kFileName), missingFunction_,
                             loaderReport_, language);
}

std::int32_t SpeechLibrary::InitialAuth(std::intptr_t window, std::int32_t voice, std::int32_t rate,
                                        std::int32_t volume, const std::string& message,
                                        const std::string& caption, const std::string& id1,
                                        const std::string& id2) {
    auto function = reinterpret_cast<InitialAuthFunction>(bind("Lenvoro_InitialAuth"));
    if (!function)
        return kUnavailable;
    return function(window, voice, rate, volume, message.c_str(), caption.c_str(), id1.c_str(),
                    id2.c_str());
}

std::int32_t SpeechLibrary::Speak(const std::string& text, std::int32_t mode, std::int32_t voice,
                                  std::int32_t rate, std::int32_t volume, std::int32_t punctuation,
                                  const std::string& page) {
    auto function = reinterpret_cast<SpeakFunction>(bind("Lenvoro_Speak"));
    if (!function)
        return kUnavailable;
    return function(text.c_str(), mode, voice, rate, volume, punctuation, page.c_str());
}

std::int32_t SpeechLibrary::Close() {
    auto function = reinterpret_cast<CloseFunction>(bind("Lenvoro_Close"));
    if (!function)
        return kUnavailable;
    return function();
}

}  // namespace tukomi
