#include "file_stream.h"

#include <sndfile.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

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
        case ENOENT: case ENOTDIR: return kPathNotFound;
        case EACCES: case EPERM: case EROFS: return kAccessDenied;
        default: return kFail;
    }
}

}  // namespace

Result FileStream::create(const std::filesystem::path& path, const StreamFormat& format,
                          std::shared_ptr<FileStream>* stream) {
    if (stream == nullptr) return kPointer;
    *stream = nullptr;
    if (path.empty() || !path.has_filename()) return kInvalidArg;
    const auto checked = streamFormatFromId(format.id);
    if (!checked || !(*checked == format)) return kUnsupportedFormat;
    std::error_code error;
    if (std::filesystem::is_directory(path, error)) return kAccessDenied;

    std::string temporary = (path.parent_path() / ("." + path.filename().string() + ".XXXXXX")).string();
    if (!path.has_parent_path()) temporary = "." + path.filename().string() + ".XXXXXX";
    const int fd = mkstemp(temporary.data());
    if (fd < 0) return resultFromErrno(errno);
    fchmod(fd, 0644);

    SF_INFO info{};
    info.samplerate = format.sampleRate;
    info.channels = format.channels;
    info.format = SF_FORMAT_WAV | (format.bitsPerSample == 8 ? SF_FORMAT_PCM_U8 : SF_FORMAT_PCM_16);
    SNDFILE* file = sf_open_fd(fd, SFM_WRITE, &info, SF_TRUE);
    if (file == nullptr) {
        ::close(fd);
        ::unlink(temporary.c_str());
        return kFail;
    }
    stream->reset(new FileStream(path, std::move(temporary), format, file));
    return kOk;
}

FileStream::FileStream(std::filesystem::path path, std::string temporary, const StreamFormat& format,
                       void* file)
    : path_(std::move(path)), temporary_(std::move(temporary)), format_(format), file_(file) {
    writer_ = std::thread([this] { run(); });
}

FileStream::~FileStream() {
    stopWriter();
    std::lock_guard lock(mutex_);
    if (!closed_) {
        // Never closed: the text was not finished, so the old file stays.
        sf_close(static_cast<SNDFILE*>(file_));
        ::unlink(temporary_.c_str());
    }
}

Result FileStream::write(const int16_t* samples, size_t count, float gain) {
    if (count == 0) return kOk;
    if (samples == nullptr) return kPointer;
    std::unique_lock lock(mutex_);
    if (finishing_ || closed_) return kStreamClosed;
    if (failed(writeResult_)) return writeResult_;
    if (gain != filling_.gain && !filling_.samples.empty()) queueFilling(lock);
    if (finishing_) return kStreamClosed;
    if (filling_.samples.capacity() == 0 && !spare_.empty()) {
        filling_.samples = std::move(spare_.back());
        spare_.pop_back();
    }
    filling_.gain = gain;
    filling_.samples.insert(filling_.samples.end(), samples, samples + count);
    if (filling_.samples.size() >= kBlockSamples) queueFilling(lock);
    return finishing_ ? kStreamClosed : kOk;
}

void FileStream::queueFilling(std::unique_lock<std::mutex>& lock) {
    changed_.wait(lock, [this] { return queue_.size() < kMaximumQueuedBlocks || finishing_; });
    if (finishing_) return;  // the writer takes what is still filling as it finishes
    queue_.push_back(std::move(filling_));
    filling_ = Block{};
    if (queue_.size() == kWakeWriterBlocks) changed_.notify_all();  // the writer may be asleep
}

void FileStream::run() {
    FormatConverter converter(format_);
    auto* file = static_cast<SNDFILE*>(file_);
    const auto writeFrames = [&](std::span<const int16_t> frames) {
        const auto channels = static_cast<size_t>(format_.channels);
        const auto count = static_cast<sf_count_t>(frames.size() / channels);
        if (count > 0 && sf_writef_short(file, frames.data(), count) != count) {
            std::lock_guard lock(mutex_);
            if (succeeded(writeResult_)) writeResult_ = kFail;  // disk full, I/O error
        }
    };
    std::unique_lock lock(mutex_);
    for (;;) {
        if (queue_.empty()) {
            changed_.wait(lock, [this] { return queue_.size() >= kWakeWriterBlocks || finishing_; });
        }
        Block block;
        if (!queue_.empty()) {
            block = std::move(queue_.front());
            queue_.pop_front();
            if (queue_.size() == kMaximumQueuedBlocks - 1) changed_.notify_all();  // room again
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
        if (spare_.size() < kMaximumQueuedBlocks) spare_.push_back(std::move(block.samples));
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
    if (writer_.joinable()) writer_.join();
}

Result FileStream::close() {
    stopWriter();
    std::lock_guard lock(mutex_);
    if (closed_) return closeResult_;
    closed_ = true;
    Result result = writeResult_;
    if (sf_close(static_cast<SNDFILE*>(file_)) != 0 && succeeded(result)) result = kFail;
    if (succeeded(result) && ::rename(temporary_.c_str(), path_.c_str()) != 0) {
        result = resultFromErrno(errno);
    }
    if (failed(result)) ::unlink(temporary_.c_str());
    return closeResult_ = result;
}

}  // namespace lenvoro::engine
