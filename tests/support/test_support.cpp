#include "test_support.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <thread>

namespace lenvoro::test {

std::filesystem::path makeTemporaryFolder(const std::string& name) {
    static const std::filesystem::path root = [] {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "lenvoro-tests-XXXXXX").string();
        return std::filesystem::path(mkdtemp(pattern.data()));
    }();
    static int counter = 0;
    auto folder = root / (name + "-" + std::to_string(++counter));
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    return folder;
}

bool waitFor(const std::function<bool()>& condition, std::chrono::milliseconds limit) {
    const auto until = std::chrono::steady_clock::now() + limit;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > until)
            return condition();
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

EnvironmentGuard::~EnvironmentGuard() {
    for (auto it = saved_.rbegin(); it != saved_.rend(); ++it) {
        if (it->second)
            setenv(it->first.c_str(), it->second->c_str(), 1);
        else
            unsetenv(it->first.c_str());
    }
}

void EnvironmentGuard::remember(const char* name) {
    const bool known = std::any_of(saved_.begin(), saved_.end(),
                                   [&](const auto& saved) { return saved.first == name; });
    if (known)
        return;
    const char* value = std::getenv(name);
    saved_.emplace_back(name, value ? std::optional<std::string>(value) : std::nullopt);
}

EnvironmentGuard& EnvironmentGuard::set(const char* name, const std::string& value) {
    remember(name);
    setenv(name, value.c_str(), 1);
    return *this;
}

EnvironmentGuard& EnvironmentGuard::set(const char* name, const char* value) {
    return value != nullptr ? set(name, std::string(value)) : unset(name);
}

EnvironmentGuard& EnvironmentGuard::unset(const char* name) {
    remember(name);
    unsetenv(name);
    return *this;
}

std::string caseName(size_t index, std::string_view text) {
    std::string name = std::to_string(index);
    size_t kept = 0;
    for (char c : text) {
        const bool alphanumeric =
            (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
        if (!alphanumeric)
            continue;
        if (kept++ == 0)
            name += '_';
        name += c;
        if (kept == 32)
            break;
    }
    return name;
}

double rmsLevel(const std::vector<int16_t>& samples, size_t from, size_t to) {
    to = std::min(to, samples.size());
    if (from >= to)
        return 0.0;
    double sum = 0.0;
    for (size_t i = from; i < to; ++i)
        sum += static_cast<double>(samples[i]) * samples[i];
    return std::sqrt(sum / static_cast<double>(to - from));
}

}  // namespace lenvoro::test
