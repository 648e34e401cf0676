#include "file_stream.h"

#include <fcntl.h>
#include <sndfile.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <random>
#include <string>

#include "format_converter.h"

namespace lenvoro::engine {

namespace {

// A block holds about 0.74 s of audio (about 0.7 ms of synthesis); at most
// 24 s (1 MB) of it waits to be written. The writer sleeps until several
// blocks wait, so that it wakes (and takes a core from synthesis) rarely.
constexpr size_t kBlockSamples = 16384;
constexpr size_t kMaximumQueuedBlocks = 32;
constexpr size_t kWakeWriterBlocks = 8;

Result resultFromErrno(int error) {
    switch (error) {
        case ENOENT:
        case ENOTDIR:
            return kPathNotFound;
        case EACCES:
        case EPERM:
        case EROFS:
        case EISDIR:
            return kAccessDenied;
        case ENOMEM:
            return kOutOfMemory;
        default:
            return kFail;
    }
}

std::atomic<bool> namedTemporariesOnly{false};

// The file a path names once symbolic links are followed: writing through a
// link replaces its target and keeps the link. A link that leads nowhere
// names the file it would create; a loop of links is an error.
Result followLinks(std::filesystem::path path, std::filesystem::path* target) {
    for (int hop = 0; hop < 40; ++hop) {
        std::error_code error;
        if (!std::filesystem::is_symlink(std::filesystem::symlink_status(path, error))) {
            *target = std::move(path);
            return kOk;
        }
        const auto next = std::filesystem::read_symlink(path, error);
        if (error)
            return resultFromErrno(error.value());
        path = next.is_absolute() ? next : path.parent_path() / next;
    }
    return kFail;
}

std::string randomSuffix() {
    static constexpr char kLetters[] =
        "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    thread_local std::mt19937 generator{std::random_device{}()};
    std::uniform_int_distribution<size_t> pick(0, sizeof kLetters - 2);
    std::string suffix(6, ' ');
    for (auto& c : suffix)
        c = kLetters[pick(generator)];
    return suffix;
}

// ".NAME." + six letters: the temporary names of a file being written.
std::string temporaryPrefix(const std::filesystem::path& target) {
    std::string prefix(1, '.');
    prefix.append(target.filename().string());
    prefix.push_back('.');
    return prefix;
}

std::filesystem::path folderOf(const std::filesystem::path& target) {
    return target.has_parent_path() ? target.parent_path() : std::filesystem::path(".");
}

// Creates a file under a new temporary name beside target and returns its
// descriptor, or -errno. The mode is 0666 less the umask, as for any new file.
int createNamed(const std::filesystem::path& target, std::string* name, int flags) {
    const auto stem = (folderOf(target) / temporaryPrefix(target)).string();
    for (int attempt = 0; attempt < 100; ++attempt) {
        *name = stem + randomSuffix();
        const int fd =
            ::open(name->c_str(), O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW | flags, 0666);
        if (fd >= 0 || errno != EEXIST)
            return fd >= 0 ? fd : -errno;
    }
    return -EEXIST;
}

// Where files cannot be created unnamed, a process killed while writing
// leaves its temporary file behind. Each writer holds a lock on its file, so
// one that nobody locks belongs to a writer that is gone and is removed.
void removeAbandonedTemporaries(const std::filesystem::path& target) {
    const std::string prefix = temporaryPrefix(target);
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folderOf(target), error)) {
        const std::string name = entry.path().filename().string();
        if (name.size() != prefix.size() + 6 || name.compare(0, prefix.size(), prefix) != 0)
            continue;
        const int fd = ::open(entry.path().c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
        if (fd < 0)
            continue;
        struct stat status {};
        if (::fstat(fd, &status) == 0 && S_ISREG(status.st_mode) &&
            ::flock(fd, LOCK_EX | LOCK_NB) == 0) {
            ::unlink(entry.path().c_str());
        }
        ::close(fd);
    }
}

}  // namespace

void FileStream::useNamedTemporariesOnly(bool namedOnly) {
    namedTemporariesOnly = namedOnly;
}

Result FileStream::create(const std::filesystem::path& path, const StreamFormat& format,
                          std::shared_ptr<FileStream>* stream) {
    if (stream == nullptr)
        return kPointer;
    *stream = nullptr;
    if (path.empty() || !path.has_filename())
        return kInvalidArg;
    const auto checked = streamFormatFromId(format.id);
    if (!checked || !(*checked == format))
        return kUnsupportedFormat;

    std::filesystem::path target;
    if (const Result result = followLinks(path, &target); failed(result))
        return result;
    if (!target.has_filename())
        return kAccessDenied;
    // Only a regular file is replaced: a device, a pipe or a folder at the
    // path is refused, and an existing file keeps its permissions and owner.
    struct stat existing {};
    const bool exists = ::stat(target.c_str(), &existing) == 0;
    if (!exists && errno != ENOENT)
        return resultFromErrno(errno);
    if (exists && !S_ISREG(existing.st_mode))
        return kAccessDenied;

    std::string temporary;
    int fd = -1;
    if (!namedTemporariesOnly) {
        // An unnamed file vanishes with the process, however it ends; it gets
        // its name only once complete.
        fd = ::open(folderOf(target).c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL)
            return resultFromErrno(errno);
    }
    if (fd < 0) {
        removeAbandonedTemporaries(target);
        fd = createNamed(target, &temporary, O_WRONLY);
        if (fd < 0)
            return resultFromErrno(-fd);
        ::flock(fd, LOCK_EX);
    }
    if (exists) {
        ::fchmod(fd, existing.st_mode & 0777);
        if (::fchown(fd, existing.st_uid, existing.st_gid) != 0) {
            // Only root may give a file away; the file stays the caller's.
        }
    }

    SF_INFO info{};
    info.samplerate = format.sampleRate;
    info.channels = format.channels;
    info.format = SF_FORMAT_WAV | (format.bitsPerSample == 8 ? SF_FORMAT_PCM_U8 : SF_FORMAT_PCM_16);
    SNDFILE* file = sf_open_fd(fd, SFM_WRITE, &info, SF_FALSE);
    if (file == nullptr) {
        if (!temporary.empty())
            ::unlink(temporary.c_str());
        ::close(fd);
        return kFail;
    }
    stream->reset(new FileStream(std::move(target), std::move(temporary), fd, format, file));
    return kOk;
}

FileStream::FileStream(std::filesystem::path path, std::string temporary, int fd,
                       const StreamFormat& format, void* file)
    : path_(std::move(path)),
      temporary_(std::move(temporary)),
      fd_(fd),
      format_(format),
      file_(file) {
    writer_ = std::thread([this] { run(); });
}

FileStream::~FileStream() {
    stopWriter();
    std::lock_guard lock(mutex_);
    if (!closed_) {
        // Never closed: the text was not finished, so the old file stays.
        sf_close(static_cast<SNDFILE*>(file_));
        if (!temporary_.empty())
            ::unlink(temporary_.c_str());
        ::close(fd_);
    }
}

Result FileStream::write(const int16_t* samples, size_t count, float gain) {
    if (count == 0)
        return kOk;
    if (samples == nullptr)
        return kPointer;
    std::unique_lock lock(mutex_);
    if (finishing_ || closed_)
        return kStreamClosed;
    if (failed(writeResult_))
        return writeResult_;
    if (gain != filling_.gain && !filling_.samples.empty())
        queueFilling(lock);
    if (finishing_)
        return kStreamClosed;
    if (filling_.samples.capacity() == 0 && !spare_.empty()) {
        filling_.samples = std::move(spare_.back());
        spare_.pop_back();
    }
    filling_.gain = gain;
    filling_.samples.insert(filling_.samples.end(), samples, samples + count);
    if (filling_.samples.size() >= kBlockSamples)
        queueFilling(lock);
    return finishing_ ? kStreamClosed : kOk;
}

void FileStream::queueFilling(std::unique_lock<std::mutex>& lock) {
    changed_.wait(lock, [this] { return queue_.size() < kMaximumQueuedBlocks || finishing_; });
    if (finishing_)
        return;  // the writer takes what is still filling as it finishes
    queue_.push_back(std::move(filling_));
    filling_ = Block{};
    if (queue_.size() == kWakeWriterBlocks)
        changed_.notify_all();  // the writer may be asleep
}

void FileStream::run() {
    try {
        writeQueued();
    } catch (const std::exception&) {
        // Out of memory: the file fails, and whoever waits for room in the
        // queue is let go.
        std::lock_guard lock(mutex_);
        if (succeeded(writeResult_))
            writeResult_ = kOutOfMemory;
        queue_.clear();
        changed_.notify_all();
    }
}

void FileStream::writeQueued() {
    FormatConverter converter(format_);
    auto* file = static_cast<SNDFILE*>(file_);
    const auto writeFrames = [&](std::span<const int16_t> frames) {
        const auto channels = static_cast<size_t>(format_.channels);
        const auto count = static_cast<sf_count_t>(frames.size() / channels);
        if (count > 0 && sf_writef_short(file, frames.data(), count) != count) {
            std::lock_guard lock(mutex_);
            if (succeeded(writeResult_))
                writeResult_ = kFail;  // disk full, I/O error
        }
    };
    std::unique_lock lock(mutex_);
    for (;;) {
        if (queue_.empty()) {
            changed_.wait(lock,
                          [this] { return queue_.size() >= kWakeWriterBlocks || finishing_; });
        }
        Block block;
        if (!queue_.empty()) {
            block = std::move(queue_.front());
            queue_.pop_front();
            if (queue_.size() == kMaximumQueuedBlocks - 1)
                changed_.notify_all();  // room again
        } else if (!filling_.samples.empty()) {
            block = std::move(filling_);  // finishing: nothing more will be added
            filling_ = Block{};
        } else {
            break;  // finishing, and everything is written
        }
        lock.unlock();
        writeFrames(converter.convert(block.samples.data(), block.samples.size(), block.gain));
        block.samples.clear();
        lock.lock();
        if (spare_.size() < kMaximumQueuedBlocks)
            spare_.push_back(std::move(block.samples));
    }
    lock.unlock();
    writeFrames(converter.flush());
}

void FileStream::stopWriter() {
    {
        std::lock_guard lock(mutex_);
        finishing_ = true;
    }
    changed_.notify_all();
    if (writer_.joinable())
        writer_.join();
}

Result FileStream::close() {
    stopWriter();
    std::lock_guard lock(mutex_);
    if (closed_)
        return closeResult_;
    closed_ = true;
    Result result = writeResult_;
    if (sf_close(static_cast<SNDFILE*>(file_)) != 0 && succeeded(result))
        result = kFail;
    if (succeeded(result) && temporary_.empty())
        result = nameUnnamedFile();
    if (succeeded(result) && ::rename(temporary_.c_str(), path_.c_str()) != 0) {
        result = resultFromErrno(errno);
    }
    if (failed(result) && !temporary_.empty())
        ::unlink(temporary_.c_str());
    ::close(fd_);
    return closeResult_ = result;
}

Result FileStream::nameUnnamedFile() {
    // A name cannot replace an existing file, so the complete file gets a
    // temporary name first and is then renamed over the old one at once.
    const auto folder = folderOf(path_).string();
    const std::string stem = (folderOf(path_) / temporaryPrefix(path_)).string();
    const std::string self = "/proc/self/fd/" + std::to_string(fd_);
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string name = stem + randomSuffix();
        int linked = ::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW);
        if (linked != 0 && errno == ENOENT) {  // no /proc: needs the right to open by descriptor
            linked = ::linkat(fd_, "", AT_FDCWD, name.c_str(), AT_EMPTY_PATH);
        }
        if (linked == 0) {
            temporary_ = std::move(name);
            return kOk;
        }
        if (errno != EEXIST)
            return resultFromErrno(errno);
    }
    return kFail;
}

}  // namespace lenvoro::engine
