#pragma once
// Heap use of the benchmark process, counted by the replaced global
// operators new and delete: the bytes alive now and the most alive at once
// since the last reset. A benchmark resets the peak before the work it
// measures and reads it afterwards, which gives the memory that one run
// needs on top of what was alive before it (ru_maxrss only ever grows, so it
// cannot tell one run from another).
#include <cstddef>

namespace kvt::bench {

std::size_t LiveHeapBytes();
std::size_t PeakHeapBytes();
// The peak starts again from what is alive now.
void ResetHeapPeak();

// The process's peak resident set (getrusage ru_maxrss), in bytes.
std::size_t PeakResidentBytes();

}  // namespace kvt::bench
