#include "classlib/MemoryManager.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <new>
#include <random>
#include <set>
#include <string>
#include <thread>
#include <vector>

using MemoryManager::IsSmallBlock;
using MemoryManager::LargestSmallBlock;
using MemoryManager::SmallBlockAlignment;

namespace {

bool AlignedTo(const void* P, size_t Alignment) {
  return reinterpret_cast<uintptr_t>(P) % Alignment == 0;
}

// A block filled over its whole size with bytes of its own, so that two blocks that overlap, or a
// block smaller than asked, spoil one of the two fillings.
struct TFilled {
  unsigned char* P;
  size_t Size;
  unsigned Seed;
};

unsigned char ByteAt(unsigned Seed, size_t I) {
  return static_cast<unsigned char>(Seed * 131 + I * 7 + (I >> 8));
}

TFilled NewFilled(size_t Size, unsigned Seed) {
  auto* P = static_cast<unsigned char*>(::operator new(Size));
  for (size_t I = 0; I < Size; ++I) P[I] = ByteAt(Seed, I);
  return {P, Size, Seed};
}

bool Intact(const TFilled& B) {
  for (size_t I = 0; I < B.Size; ++I)
    if (B.P[I] != ByteAt(B.Seed, I)) return false;
  return true;
}

// Checks and frees the blocks; gives how many were spoilt.
int DeleteAll(const std::vector<TFilled>& Blocks) {
  int Spoilt = 0;
  for (const TFilled& B : Blocks) {
    Spoilt += !Intact(B);
    ::operator delete(B.P);
  }
  return Spoilt;
}

struct TCounted {
  static inline int Alive = 0;
  int Value = 7;
  TCounted() { ++Alive; }
  ~TCounted() { --Alive; }
};

}  // namespace

TEST(MemoryManager, EverySmallSizeGetsAWholeAlignedBlockOfItsOwn) {
  std::vector<TFilled> Blocks;
  unsigned Seed = 0;
  for (size_t Size = 0; Size <= LargestSmallBlock; ++Size) {
    for (int Copy = 0; Copy < 3; ++Copy) {
      Blocks.push_back(NewFilled(Size, ++Seed));
      EXPECT_TRUE(IsSmallBlock(Blocks.back().P)) << Size;
      EXPECT_TRUE(AlignedTo(Blocks.back().P, SmallBlockAlignment)) << Size;
    }
  }
  EXPECT_EQ(DeleteAll(Blocks), 0);
}

TEST(MemoryManager, FreedBlocksServeLaterRequestsOfTheirSizeClassOnly) {
  void* A = ::operator new(40);
  ::operator delete(A);
  void* B = ::operator new(48);  // 40 and 48 bytes share a class
  EXPECT_EQ(B, A);
  void* C = ::operator new(40);
  EXPECT_NE(C, A);
  ::operator delete(B, 48);
  void* D = ::operator new(64);
  EXPECT_NE(D, A);
  ::operator delete(C);
  ::operator delete(D);

  // A hundred thousand blocks freed and asked for again come back, not new ones.
  std::vector<void*> First(100000);
  for (void*& P : First) P = ::operator new(24);
  const std::set<void*> Known(First.begin(), First.end());
  EXPECT_EQ(Known.size(), First.size());
  for (void* P : First) ::operator delete(P);
  int Fresh = 0;
  for (void*& P : First) {
    P = ::operator new(30);
    Fresh += !Known.count(P);
  }
  EXPECT_EQ(Fresh, 0);
  for (void* P : First) ::operator delete(P);
}

TEST(MemoryManager, LargerBlocksComeWholeFromTheSystem) {
  std::vector<TFilled> Blocks;
  for (const size_t Size : {LargestSmallBlock + 1, size_t(4096), size_t(65536 + 3), size_t(16) << 20}) {
    Blocks.push_back(NewFilled(Size, static_cast<unsigned>(Size)));
    EXPECT_FALSE(IsSmallBlock(Blocks.back().P)) << Size;
    EXPECT_TRUE(AlignedTo(Blocks.back().P, 2 * sizeof(void*))) << Size;
  }
  EXPECT_EQ(DeleteAll(Blocks), 0);
  ::operator delete(::operator new(LargestSmallBlock + 1), LargestSmallBlock + 1);
}

TEST(MemoryManager, ObjectsArraysAndLibraryStringsUseIt) {
  for (const size_t Count : {0, 1, 5, 100, 10000}) {
    TCounted* A = new TCounted[Count];
    EXPECT_EQ(TCounted::Alive, static_cast<int>(Count));
    if (Count > 0) {
      EXPECT_EQ(A[Count - 1].Value, 7);
    }
    EXPECT_EQ(IsSmallBlock(A), Count <= 100) << Count;
    delete[] A;
    EXPECT_EQ(TCounted::Alive, 0);
  }
  int* One = new int(5);
  EXPECT_TRUE(IsSmallBlock(One));
  delete One;
  char* NoThrow = new (std::nothrow) char[100];
  ASSERT_NE(NoThrow, nullptr);
  EXPECT_TRUE(IsSmallBlock(NoThrow));
  delete[] NoThrow;
  const std::wstring Text(100, L'x');
  EXPECT_TRUE(IsSmallBlock(Text.data()));
  delete static_cast<int*>(nullptr);
}

TEST(MemoryManager, ThreadsAllocateAndFreeEachOthersBlocks) {
  constexpr int Threads = 8;
  constexpr int PerThread = 10000;
  // Sizes across every class and a few above, so that the system's blocks mix in.
  const auto MakeBlocks = [](std::vector<TFilled>& Blocks, unsigned Seed) {
    std::mt19937 Rng(Seed);
    std::uniform_int_distribution<size_t> Size(0, LargestSmallBlock + 200);
    for (int I = 0; I < PerThread; ++I) Blocks.push_back(NewFilled(Size(Rng), Seed * PerThread + I));
  };
  std::vector<std::vector<TFilled>> First(Threads), Second(Threads);
  std::vector<int> Spoilt(Threads);
  std::vector<std::thread> Workers;
  for (int T = 0; T < Threads; ++T) Workers.emplace_back([&, T] { MakeBlocks(First[T], T + 1); });
  for (std::thread& W : Workers) W.join();
  Workers.clear();
  // Each thread frees its neighbour's blocks while all of them make new ones.
  for (int T = 0; T < Threads; ++T) {
    Workers.emplace_back([&, T] {
      const std::vector<TFilled>& Neighbour = First[(T + 1) % Threads];
      for (int I = 0; I < PerThread; ++I) {
        Spoilt[T] += !Intact(Neighbour[I]);
        ::operator delete(Neighbour[I].P);
        Second[T].push_back(NewFilled(Neighbour[I].Size, (Threads + T + 1) * PerThread + I));
      }
    });
  }
  for (std::thread& W : Workers) W.join();
  for (int T = 0; T < Threads; ++T) {
    EXPECT_EQ(Spoilt[T], 0) << T;
    EXPECT_EQ(DeleteAll(Second[T]), 0) << T;
  }
}

namespace {

struct alignas(64) TCacheLine {
  char Bytes[64];
};

struct alignas(4096) TPage {
  char Bytes[100];
};

// Asks for Size bytes so that the compiler cannot see the size.
void* NewOfUnknownSize(size_t Size) {
  volatile size_t Hidden = Size;
  return ::operator new(Hidden);
}

}  // namespace

TEST(MemoryManager, OverAlignedObjectsKeepTheirAlignment) {
  for (int Round = 0; Round < 100; ++Round) {
    auto* Line = new TCacheLine;
    auto* Lines = new TCacheLine[Round + 1];
    auto* Page = new (std::nothrow) TPage;
    ASSERT_NE(Page, nullptr);
    EXPECT_TRUE(AlignedTo(Line, 64));
    EXPECT_TRUE(AlignedTo(Lines, 64));
    EXPECT_TRUE(AlignedTo(Page, 4096));
    Lines[Round].Bytes[63] = 1;
    Page->Bytes[99] = 1;
    delete Line;
    delete[] Lines;
    delete Page;
  }
}

TEST(MemoryManager, ExhaustedMemoryRaisesOrGivesNull) {
  const size_t Huge = SIZE_MAX / 2;
  EXPECT_THROW(NewOfUnknownSize(Huge), std::bad_alloc);
  volatile size_t HiddenHuge = Huge;
  EXPECT_EQ(::operator new(HiddenHuge, std::nothrow), nullptr);
  EXPECT_EQ(::operator new[](HiddenHuge, std::nothrow), nullptr);

  // The new handler is asked before each retry until it gives up by removing itself.
  static int Calls = 0;
  Calls = 0;
  std::set_new_handler([] {
    if (++Calls == 3) std::set_new_handler(nullptr);
  });
  EXPECT_THROW(NewOfUnknownSize(Huge), std::bad_alloc);
  EXPECT_EQ(Calls, 3);
  EXPECT_EQ(std::get_new_handler(), nullptr);
}

TEST(MemoryManager, SmallBlocksComeFromTheSystemWhenTheRangeIsUsedUp) {
  if (sizeof(void*) == 8) GTEST_SKIP() << "the 64-bit range is larger than a test can fill";
  // The 32-bit range is a few dozen MiB: fill it with the largest small blocks until one is not in it.
  std::vector<void*> Blocks;
  while (Blocks.empty() || IsSmallBlock(Blocks.back())) {
    ASSERT_LT(Blocks.size(), 256u * 1024) << "the range never ran out";
    Blocks.push_back(::operator new(LargestSmallBlock));
  }
  std::vector<TFilled> Beyond;
  for (unsigned Seed = 0; Seed < 1000; ++Seed) {
    Beyond.push_back(NewFilled(16 + Seed % LargestSmallBlock, Seed));
    EXPECT_TRUE(AlignedTo(Beyond.back().P, 2 * sizeof(void*)));
  }
  EXPECT_EQ(DeleteAll(Beyond), 0);
  for (void* P : Blocks) ::operator delete(P);
  // Freed blocks of the range serve again.
  void* Again = ::operator new(LargestSmallBlock);
  EXPECT_TRUE(IsSmallBlock(Again));
  ::operator delete(Again);
}
