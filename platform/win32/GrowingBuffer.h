#pragma once
// The two-call dance of the spooler's enumerations and sized reads: ask for
// the size, allocate, call again. Between the two calls the list can grow (a
// printer added meanwhile), and the second call then fails with 122 and the
// new size; the dance starts over a few times before it gives up, so that
// such a race never aborts a setup program. Free of <windows.h>, so that it
// is tested natively.
#include <cstdint>
#include <vector>

#include "platform/ports/WinCodes.h"

namespace kvt::win32 {

inline constexpr int kBufferAttempts = 5;

// `call(data, size, needed, returned)` makes the Windows call with a buffer
// of `size` bytes at `data` (null for none) and returns 0 or the error it
// left; `needed` and `returned` are the call's out parameters. The first call
// gets a buffer of `initialSize` bytes (none for 0). On success `buffer`
// holds the records and `returned` their number.
template <typename Call>
std::uint32_t CallWithGrowingBuffer(Call call, std::vector<std::uint8_t>& buffer, std::uint32_t& returned,
                                    std::uint32_t initialSize = 0) {
    buffer.assign(initialSize, 0);
    std::uint32_t error = err::Success;
    for (int attempt = 0; attempt < kBufferAttempts; ++attempt) {
        std::uint32_t needed = 0;
        returned = 0;
        error =
            call(buffer.empty() ? nullptr : buffer.data(), static_cast<std::uint32_t>(buffer.size()), needed, returned);
        if (error == err::Success) return error;
        // A size that would not change the buffer cannot help.
        if (error != err::InsufficientBuffer || needed <= buffer.size()) return error;
        buffer.assign(needed, 0);
    }
    return error;
}

}  // namespace kvt::win32
