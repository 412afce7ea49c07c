#include "classlib/MemoryManager.h"

#include <windows.h>

#include <array>
#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <new>

namespace {

using MemoryManager::LargestSmallBlock;
using MemoryManager::SmallBlockAlignment;

// Sixteen-byte steps up to 128 bytes, then four steps for each doubling: a block wastes at most a
// quarter of its size.
constexpr std::array<size_t, 20> ClassSizes = {16,  32,  48,  64,  80,  96,  112, 128, 160, 192,
                                               224, 256, 320, 384, 448, 512, 640, 768, 896, 1024};
static_assert(ClassSizes.back() == LargestSmallBlock);

// The class of every size, by the size rounded up to the alignment.
constexpr auto ClassBySteps = [] {
  std::array<uint8_t, LargestSmallBlock / SmallBlockAlignment + 1> Table{};
  size_t Class = 0;
  for (size_t Step = 0; Step < Table.size(); ++Step) {
    while (ClassSizes[Class] < Step * SmallBlockAlignment) ++Class;
    Table[Step] = static_cast<uint8_t>(Class);
  }
  return Table;
}();

// A span is a piece of the range that serves one class; its head names the class. Spans start on
// their own size, since the range starts on the system's 64 KiB allocation boundary.
constexpr size_t SpanSize = 64 * 1024;
constexpr size_t SpanHeadSize = SmallBlockAlignment;
// Address space only: its pages are committed a step at a time as spans are handed out. A busy
// address space gets a smaller range, down to the smallest. A 32-bit process under Wine has about
// 1.9 GB to give out, the largest free piece about 600 MB, and pictures need large blocks of it.
constexpr size_t RangeSize = sizeof(void*) == 8 ? size_t(16) << 30 : size_t(64) << 20;
constexpr size_t SmallestRange = 16 << 20;
constexpr size_t CommitStep = 1 << 20;
static_assert(SmallestRange % CommitStep == 0 && CommitStep % SpanSize == 0);

struct TSpanHead {
  size_t Class;
};

struct TFreeBlock {
  TFreeBlock* Next;
};

// Held for a few instructions at a time, so a waiter spins, and gives up its time slice when the
// holder is not running. Under Wine a pair of SRW lock calls takes 50-100 ns, this one 6-8 ns. A
// waiter that still finds it held sleeps, so that a holder of lower priority on another processor
// gets to run.
class TSpinLock {
 public:
  void Acquire() {
    while (FHeld.exchange(true, std::memory_order_acquire))
      for (int Spins = 0; FHeld.load(std::memory_order_relaxed); ++Spins)
        if (Spins < 64)
          YieldProcessor();
        else if (Spins < 128)
          SwitchToThread();
        else
          Sleep(1);
  }
  void Release() { FHeld.store(false, std::memory_order_release); }

 private:
  std::atomic<bool> FHeld{false};
};

class TLock {
 public:
  explicit TLock(TSpinLock& Lock) : FLock(Lock) { FLock.Acquire(); }
  ~TLock() { FLock.Release(); }
  TLock(const TLock&) = delete;
  TLock& operator=(const TLock&) = delete;

 private:
  TSpinLock& FLock;
};

// Every class has its own lock, so threads that ask for different sizes do not wait for each other,
// and its own cache line.
struct alignas(64) TSizeClass {
  TSpinLock Lock;
  TFreeBlock* Free = nullptr;
  char* Next = nullptr;  // the untouched rest of the class's newest span
  char* End = nullptr;
};

struct TRange {
  TSpinLock Lock;
  // Set once: End before Begin, so that a reader that sees Begin sees End too.
  std::atomic<uintptr_t> Begin{0};
  std::atomic<uintptr_t> End{0};
  bool Reserved = false;
  char* Next = nullptr;       // the first span not handed out
  char* Committed = nullptr;  // the end of the committed pages
};

// Constant-initialised: blocks are made before any constructor of the program has run.
constinit TRange Range;
constinit std::array<TSizeClass, ClassSizes.size()> Classes;

bool InRange(const void* P) {
  const uintptr_t Begin = Range.Begin.load(std::memory_order_acquire);
  const auto Address = reinterpret_cast<uintptr_t>(P);
  return Begin != 0 && Address >= Begin && Address < Range.End.load(std::memory_order_relaxed);
}

void Reserve() {
  Range.Reserved = true;
  for (size_t Size = RangeSize; Size >= SmallestRange; Size /= 2) {
    if (void* P = VirtualAlloc(nullptr, Size, MEM_RESERVE, PAGE_NOACCESS)) {
      Range.Next = Range.Committed = static_cast<char*>(P);
      Range.End.store(reinterpret_cast<uintptr_t>(Range.Next + Size), std::memory_order_relaxed);
      Range.Begin.store(reinterpret_cast<uintptr_t>(Range.Next), std::memory_order_release);
      return;
    }
  }
}

// A fresh span for Class; nullptr when the range is used up.
char* NewSpan(size_t Class) {
  TLock Guard(Range.Lock);
  if (!Range.Reserved) Reserve();
  if (Range.End.load(std::memory_order_relaxed) - reinterpret_cast<uintptr_t>(Range.Next) < SpanSize)
    return nullptr;
  if (Range.Next == Range.Committed) {
    if (!VirtualAlloc(Range.Committed, CommitStep, MEM_COMMIT, PAGE_READWRITE)) return nullptr;
    Range.Committed += CommitStep;
  }
  char* Span = Range.Next;
  Range.Next += SpanSize;
  reinterpret_cast<TSpanHead*>(Span)->Class = Class;
  return Span;
}

// A freed block of the size's class, else the next one of the class's newest span.
void* AllocateSmall(size_t Size) {
  const size_t Class = ClassBySteps[(Size + SmallBlockAlignment - 1) / SmallBlockAlignment];
  TSizeClass& C = Classes[Class];
  TLock Guard(C.Lock);
  if (TFreeBlock* Block = C.Free) {
    C.Free = Block->Next;
    return Block;
  }
  const size_t BlockSize = ClassSizes[Class];
  if (static_cast<size_t>(C.End - C.Next) < BlockSize) {
    char* Span = NewSpan(Class);
    if (!Span) return nullptr;
    C.Next = Span + SpanHeadSize;
    C.End = Span + SpanSize;
  }
  void* Block = C.Next;
  C.Next += BlockSize;
  return Block;
}

void FreeSmall(void* P) {
  const auto* Head = reinterpret_cast<const TSpanHead*>(reinterpret_cast<uintptr_t>(P) & ~(SpanSize - 1));
  TSizeClass& C = Classes[Head->Class];
  TLock Guard(C.Lock);
  auto* Block = static_cast<TFreeBlock*>(P);
  Block->Next = C.Free;
  C.Free = Block;
}

void* Allocate(size_t Size) {
  if (Size <= LargestSmallBlock)
    if (void* P = AllocateSmall(Size)) return P;
  return std::malloc(Size != 0 ? Size : 1);
}

void* NewBlock(size_t Size) {
  for (;;) {
    if (void* P = Allocate(Size)) return P;
    const std::new_handler Handler = std::get_new_handler();
    if (!Handler) throw std::bad_alloc();
    Handler();
  }
}

void* NewBlockOrNull(size_t Size) noexcept {
  try {
    return NewBlock(Size);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

void DeleteBlock(void* P) noexcept {
  if (InRange(P))
    FreeSmall(P);
  else
    std::free(P);
}

}  // namespace

bool MemoryManager::IsSmallBlock(const void* P) {
  return InRange(P);
}

void* operator new(size_t Size) {
  return NewBlock(Size);
}

void* operator new[](size_t Size) {
  return NewBlock(Size);
}

void* operator new(size_t Size, const std::nothrow_t&) noexcept {
  return NewBlockOrNull(Size);
}

void* operator new[](size_t Size, const std::nothrow_t&) noexcept {
  return NewBlockOrNull(Size);
}

void operator delete(void* P) noexcept {
  DeleteBlock(P);
}

void operator delete[](void* P) noexcept {
  DeleteBlock(P);
}

void operator delete(void* P, size_t) noexcept {
  DeleteBlock(P);
}

void operator delete[](void* P, size_t) noexcept {
  DeleteBlock(P);
}

void operator delete(void* P, const std::nothrow_t&) noexcept {
  DeleteBlock(P);
}

void operator delete[](void* P, const std::nothrow_t&) noexcept {
  DeleteBlock(P);
}
