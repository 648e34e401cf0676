// Engine results: 32-bit codes, 0 and positive for success, negative for
// failure, with the values callers of the platform's speech interface know.
#pragma once

#include <cstdint>

namespace lenvoro::engine {

using Result = int32_t;

constexpr Result kOk = 0;
constexpr Result kFalse = 1;  // success, but nothing was done or the wait timed out
constexpr Result kFail = static_cast<Result>(0x80004005u);
constexpr Result kPointer = static_cast<Result>(0x80004003u);
constexpr Result kInvalidArg = static_cast<Result>(0x80070057u);
constexpr Result kOutOfMemory = static_cast<Result>(0x8007000Eu);
constexpr Result kAccessDenied = static_cast<Result>(0x80070005u);
constexpr Result kPathNotFound = static_cast<Result>(0x80070003u);
constexpr Result kUninitialized = static_cast<Result>(0x80045001u);
constexpr Result kUnsupportedFormat = static_cast<Result>(0x80045003u);
constexpr Result kInvalidFlags = static_cast<Result>(0x80045004u);
constexpr Result kDeviceBusy = static_cast<Result>(0x80045006u);
constexpr Result kStreamClosed = static_cast<Result>(0x80045007u);
constexpr Result kNotFound = static_cast<Result>(0x8004503Au);
constexpr Result kWrongThread = static_cast<Result>(0x8004500Eu);
constexpr Result kEngineDataMissing = static_cast<Result>(0x80045010u);

constexpr bool succeeded(Result result) {
    return result >= 0;
}
constexpr bool failed(Result result) {
    return result < 0;
}

}  // namespace lenvoro::engine
