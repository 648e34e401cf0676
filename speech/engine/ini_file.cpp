#include "ini_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <fstream>
#include <sstream>

#include "text.h"

namespace lenvoro::engine {

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

std::string_view trim(std::string_view text) {
    const auto isSpace = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!text.empty() && isSpace(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isSpace(text.back()))
        text.remove_suffix(1);
    return text;
}

Result resultFromErrno(int error) {
    switch (error) {
        case ENOENT:
        case ENOTDIR:
            return kPathNotFound;
        case EACCES:
        case EPERM:
        case EROFS:
            return kAccessDenied;
        case ENOMEM:
            return kOutOfMemory;
        default:
            return kFail;
    }
}

}  // namespace

IniFile IniFile::parse(std::string_view text) {
    IniFile ini;
    if (text.starts_with(kByteOrderMark))
        text.remove_prefix(kByteOrderMark.size());
    std::string section;
    while (!text.empty()) {
        const size_t end = text.find('\n');
        std::string_view line = trim(text.substr(0, end));
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (line.empty() || line[0] == ';' || line[0] == '#')
            continue;
        if (line.front() == '[') {
            if (line.back() == ']')
                section = asciiLower(trim(line.substr(1, line.size() - 2)));
            continue;
        }
        const size_t equals = line.find('=');
        if (equals == std::string_view::npos || equals == 0)
            continue;
        const std::string key = asciiLower(trim(line.substr(0, equals)));
        if (key.empty())
            continue;
        ini.sections_[section][key] = std::string(trim(line.substr(equals + 1)));
    }
    return ini;
}

IniFile IniFile::load(const std::filesystem::path& path, bool* found) {
    if (found)
        *found = false;
    std::error_code error;
    const auto size = std::filesystem::file_size(path, error);
    if (error || size > kMaximumIniFileBytes || !std::filesystem::is_regular_file(path, error)) {
        return {};
    }
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return {};
    std::ostringstream content;
    content << in.rdbuf();
    if (found)
        *found = true;
    return parse(content.str());
}

std::optional<std::string> IniFile::value(std::string_view section, std::string_view key) const {
    const auto* entries = this->section(section);
    if (entries == nullptr)
        return std::nullopt;
    const auto it = entries->find(asciiLower(key));
    if (it == entries->end())
        return std::nullopt;
    return it->second;
}

const std::map<std::string, std::string>* IniFile::section(std::string_view name) const {
    const auto it = sections_.find(asciiLower(name));
    return it == sections_.end() ? nullptr : &it->second;
}

void IniFile::set(std::string_view section, std::string_view key, std::string_view value) {
    // A line break in a value would start a new entry when the file is read back.
    std::string clean(value);
    for (char& c : clean) {
        if (c == '\n' || c == '\r')
            c = ' ';
    }
    sections_[asciiLower(section)][asciiLower(key)] = clean;
}

std::string IniFile::serialize() const {
    std::string out;
    for (const auto& [name, entries] : sections_) {
        if (!name.empty())
            out += "[" + name + "]\n";
        for (const auto& [key, value] : entries)
            out += key + "=" + value + "\n";
        out += "\n";
    }
    // A reader drops one byte-order mark at the start of a file; when the first
    // key itself begins with one, an extra mark keeps it through the round trip.
    if (out.starts_with(kByteOrderMark))
        out.insert(0, kByteOrderMark);
    return out;
}

Result IniFile::saveAtomically(const std::filesystem::path& path) const {
    return writeFileAtomically(path, serialize());
}

Result writeFileAtomically(const std::filesystem::path& path, std::string_view content) {
    std::error_code error;
    if (path.has_parent_path())
        std::filesystem::create_directories(path.parent_path(), error);
    std::string temporary = path.string() + ".XXXXXX";
    const int fd = mkstemp(temporary.data());
    if (fd < 0)
        return resultFromErrno(errno);
    size_t written = 0;
    while (written < content.size()) {
        const ssize_t n = ::write(fd, content.data() + written, content.size() - written);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            const int saved = errno;
            ::close(fd);
            ::unlink(temporary.c_str());
            return resultFromErrno(saved);
        }
        written += static_cast<size_t>(n);
    }
    fchmod(fd, 0644);
    const bool synced = ::fsync(fd) == 0;
    const int syncError = errno;
    const bool closed = ::close(fd) == 0;
    if (!synced || !closed) {
        const int saved = !synced ? syncError : errno;
        ::unlink(temporary.c_str());
        return resultFromErrno(saved);
    }
    if (::rename(temporary.c_str(), path.c_str()) != 0) {
        const int saved = errno;
        ::unlink(temporary.c_str());
        return resultFromErrno(saved);
    }
    return kOk;
}

}  // namespace lenvoro::engine
