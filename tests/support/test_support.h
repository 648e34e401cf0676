// Helpers shared by the tests: temporary folders, waiting for a
// condition, environment variables set for a scope, levels of sound, and
// whether AddressSanitizer is in the build. Plain C++ and GoogleTest; the
// engine's helpers are in voice_support.h.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace lenvoro::test {

// A fresh empty folder under the test run's temporary folder.
std::filesystem::path makeTemporaryFolder(const std::string& name);

// Looks at condition every few milliseconds until it holds (true) or limit
// has passed (false). Tests wait with it for what a thread of the library
// does, instead of sleeping for a time that may be too short on a loaded
// machine.
bool waitFor(const std::function<bool()>& condition,
             std::chrono::milliseconds limit = std::chrono::seconds(20));

// Sets and unsets environment variables for as long as it lives: when it
// goes, each variable it touched gets back the value it had before it was
// first touched, or is unset again.
class EnvironmentGuard {
public:
    EnvironmentGuard() = default;
    EnvironmentGuard(const char* name, const std::string& value) { set(name, value); }
    ~EnvironmentGuard();
    EnvironmentGuard(const EnvironmentGuard&) = delete;
    EnvironmentGuard& operator=(const EnvironmentGuard&) = delete;

    EnvironmentGuard& set(const char* name, const std::string& value);
    // nullptr unsets the variable.
    EnvironmentGuard& set(const char* name, const char* value);
    EnvironmentGuard& unset(const char* name);

private:
    void remember(const char* name);
    std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

// The name of the case at index of a parameterised test: the index, then the
// ASCII letters and digits of a text that tells the case apart (at most 32),
// so that test lists show a hint of the case rather than its bytes.
std::string caseName(size_t index, std::string_view text);

// Root-mean-square level of 16-bit samples, 0..32768.
double rmsLevel(const std::vector<int16_t>& samples, size_t from = 0, size_t to = SIZE_MAX);

// True in a build with AddressSanitizer, which slows the engine several times
// and reserves more address space than a limit on the process allows.
#if defined(__SANITIZE_ADDRESS__)
inline constexpr bool kUnderAddressSanitizer = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
inline constexpr bool kUnderAddressSanitizer = true;
#else
inline constexpr bool kUnderAddressSanitizer = false;
#endif
#else
inline constexpr bool kUnderAddressSanitizer = false;
#endif

}  // namespace lenvoro::test
