#pragma once

#include <QtGlobal>

// Bytes read a stretch at a time from wherever they are kept (a stream inside
// a container file), so that a large input is never held whole.
class ByteSource {
public:
    virtual ~ByteSource() = default;
    virtual qint64 size() const = 0;
    // Copies `count` bytes from `position` into `into`; raises QuarrixError
    // when they lie outside the source or cannot be read.
    virtual void read(qint64 position, char* into, qint64 count) const = 0;
};
