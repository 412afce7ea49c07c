#pragma once
// The program's own operator new and delete. Blocks up to LargestSmallBlock bytes come from size
// classes carved out of one reserved address range; larger blocks, and small ones once that range is
// used up, come from the system heap. Under Wine every system heap block costs 70-110 ns, which a
// playlist pays for each of its strings. A freed small block waits in its class for the next request
// of that class; the range's pages are not given back while the program runs. The forms for types
// aligned beyond 16 bytes stay the runtime library's, which pair with each other.
#include <cstddef>

namespace MemoryManager {

constexpr size_t LargestSmallBlock = 1024;
// Every small block starts on this boundary.
constexpr size_t SmallBlockAlignment = 16;

// True for a block that the size classes gave out (P must come from operator new).
bool IsSmallBlock(const void* P);

}  // namespace MemoryManager
