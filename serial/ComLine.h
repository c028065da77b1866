#pragma once

#include <cstdint>

// The three line operations that an exchange with the analyzer needs. The
// serial port implements them over a real device; tests implement them over
// a scripted fake line. Failures of the line are thrown (EComPort); a read
// that times out is no failure and returns fewer bytes.
class IComLine {
public:
    virtual ~IComLine() = default;

    // Discards what is pending in the input queue, the output queue, or both.
    virtual void ClearBuffer(bool Input, bool Output) = 0;
    // Writes Count bytes; returns how many went out before the write time-out.
    virtual int32_t Write(const void *Buffer, int32_t Count) = 0;
    // Reads up to Count bytes under the port's read time-outs; returns 0..Count.
    virtual int32_t Read(void *Buffer, int32_t Count) = 0;
};
