// A wave file that a voice speaks into.
//
// The file is written to an unnamed file in the same folder and put in place
// when the stream is closed, so the path holds either what was there before
// or a complete, valid file, never a half-written one, and a process killed
// while writing leaves nothing behind. (Where the file system cannot create
// unnamed files, a hidden ".NAME.XXXXXX" file is used, locked while in use;
// the next stream for that name removes ones whose writer is gone.)
//
// Only regular files are replaced, keeping their permissions and owner; a
// symbolic link is followed, and its target is replaced. Conversion and writing
// run on a thread of their own, overlapping synthesis; the queue between them
// is bounded, so memory stays flat however long the text.
//
// espeak-ng hands over about a thousand samples at a time, a thousand times
// faster than real time. Passing each of those to the writer thread cost a
// wake-up and a write() each, and a queue of such small blocks filled within
// a millisecond, stalling synthesis whenever the writer waited for a core.
// Samples are therefore gathered into large blocks first.
#pragma once

#include <condition_variable>
#include <deque>
#include <filesystem>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "output_target.h"
#include "result.h"

namespace lenvoro::engine {

class FileStream : public OutputTarget {
public:
    // Prepares the file (the temporary one exists from now on). kPathNotFound
    // for a missing folder, kAccessDenied for an unwritable one or a path that
    // names something other than a regular file (a folder, a device, a pipe),
    // kUnsupportedFormat for a format outside the 36.
    static Result create(const std::filesystem::path& path, const StreamFormat& format,
                         std::shared_ptr<FileStream>* stream);
    ~FileStream() override;

    StreamFormat format() const override { return format_; }
    const std::filesystem::path& path() const { return path_; }

    // Queues 22.05 kHz mono samples scaled by gain; blocks while the queue is
    // full. kStreamClosed after close(). Samples may wait in a part-filled
    // block until close().
    Result write(const int16_t* samples, size_t count, float gain);

    // Writes what is queued, completes the file and renames it into place.
    // A failure removes the temporary file and leaves the path untouched.
    // Closing again returns the first result.
    Result close();

    // Tests: always use the named temporary files, as where the file system
    // cannot create unnamed ones.
    static void useNamedTemporariesOnly(bool namedOnly);

private:
    struct Block {
        std::vector<int16_t> samples;
        float gain = 1.0f;
    };

    FileStream(std::filesystem::path path, std::string temporary, int fd,
               const StreamFormat& format, void* file);
    // Gives the unnamed file a temporary name beside the path.
    Result nameUnnamedFile();
    void run();
    void writeQueued();
    void stopWriter();
    // Queues the block being filled; waits while the queue is full.
    void queueFilling(std::unique_lock<std::mutex>& lock);

    std::filesystem::path path_;
    std::string temporary_;  // empty while the file has no name
    int fd_;
    StreamFormat format_;
    void* file_;  // SNDFILE*, kept out of this header

    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<Block> queue_;
    Block filling_;                            // gathers samples until it is large
    std::vector<std::vector<int16_t>> spare_;  // written blocks' storage, for reuse
    bool finishing_ = false;
    bool closed_ = false;
    Result writeResult_ = kOk;
    Result closeResult_ = kOk;
    std::thread writer_;
};

}  // namespace lenvoro::engine
