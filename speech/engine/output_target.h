// What a voice can speak into: an audio device object or a file stream.
#pragma once

#include "stream_format.h"

namespace lenvoro::engine {

class OutputTarget {
public:
    virtual ~OutputTarget() = default;
    virtual StreamFormat format() const = 0;
};

}  // namespace lenvoro::engine
