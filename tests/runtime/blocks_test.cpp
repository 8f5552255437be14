// Tests of the block registry: slot and separate storage on either side of
// the slot size, refusal of pointers that are not live blocks (inside a
// slot, past a slab, freed, never handed out), reuse of freed slots, and the
// accounting through many slabs and after releasing everything.
#include "runtime/core/blocks.h"
#include "runtime/core/errors.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <random>
#include <vector>

namespace qx::rt {
namespace {

constexpr std::size_t kSlot = BlockRegistry::kSlotBytes;

// The error code a call raises, or -1 when it returns normally.
template <typename Call> std::int32_t error_of(const Call &call) {
  try {
    call();
  } catch (const RuntimeFault &fault) {
    return fault.code;
  }
  return -1;
}

bool all_zero(const void *block, std::size_t size) {
  const auto *bytes = static_cast<const unsigned char *>(block);
  return std::all_of(bytes, bytes + size,
                     [](unsigned char b) { return b == 0; });
}

TEST(BlockRegistry, SizesAroundTheSlotSizeAreZeroedAndCounted) {
  const std::size_t sizes[] = {0,     1,         kSlot - 2, kSlot - 1,
                               kSlot, kSlot + 1, 4096};
  BlockRegistry blocks;
  std::size_t bytes = 0;
  std::vector<void *> live;
  for (std::size_t size : sizes) {
    SCOPED_TRACE(size);
    void *block = blocks.allocate(size);
    // The byte past the end is there and zero too.
    EXPECT_TRUE(all_zero(block, size + 1));
    EXPECT_TRUE(blocks.owns(block));
    EXPECT_EQ(blocks.size_of(block), size);
    EXPECT_EQ(std::count(live.begin(), live.end(), block), 0);
    std::memset(block, 0x5A, size + 1);
    live.push_back(block);
    bytes += size;
    EXPECT_EQ(blocks.outstanding_blocks(), live.size());
    EXPECT_EQ(blocks.outstanding_bytes(), bytes);
  }
  for (void *block : live)
    blocks.free(block);
  EXPECT_EQ(blocks.outstanding_blocks(), 0u);
  EXPECT_EQ(blocks.outstanding_bytes(), 0u);
  // A slot handed out again is zero again, not what its last owner wrote.
  for (std::size_t size : sizes) {
    SCOPED_TRACE(size);
    void *block = blocks.allocate(size);
    EXPECT_TRUE(all_zero(block, size + 1));
    blocks.free(block);
  }
}

TEST(BlockRegistry, PointersThatAreNotLiveBlocksAreRefused) {
  BlockRegistry blocks;
  auto *small = static_cast<std::byte *>(blocks.allocate(10));
  auto *large = static_cast<std::byte *>(blocks.allocate(kSlot * 4));
  auto *freed_small = static_cast<std::byte *>(blocks.allocate(3));
  auto *freed_large = static_cast<std::byte *>(blocks.allocate(kSlot * 2));
  blocks.free(freed_small);
  blocks.free(freed_large);
  int local = 0;
  const void *not_blocks[] = {
      small + 1, // inside a slot
      small + kSlot - 1,
      large + 1,   // inside separate storage
      freed_small, // freed already
      freed_large,
      &local, // never handed out
  };
  for (const void *pointer : not_blocks) {
    SCOPED_TRACE(pointer);
    void *block = const_cast<void *>(pointer);
    EXPECT_FALSE(blocks.owns(block));
    EXPECT_EQ(blocks.size_of(block), 0u);
    EXPECT_EQ(error_of([&] { blocks.free(block); }), kErrorBadBlock);
    EXPECT_EQ(error_of([&] { blocks.reallocate(block, 4); }), kErrorBadBlock);
  }
  // The refusals changed nothing.
  EXPECT_EQ(blocks.outstanding_blocks(), 2u);
  EXPECT_EQ(blocks.outstanding_bytes(), 10u + kSlot * 4);
  EXPECT_EQ(
      error_of([&] { blocks.allocate(BlockRegistry::kMaxBlockSize + 1); }),
      kErrorOutOfMemory);
  blocks.free(nullptr);
  blocks.free(small);
  blocks.free(large);
  EXPECT_EQ(blocks.outstanding_blocks(), 0u);
}

TEST(BlockRegistry, ReallocateAcrossTheSlotSizeKeepsContents) {
  const std::size_t steps[] = {5, kSlot - 1, kSlot, 3 * kSlot, kSlot - 1, 2, 0};
  BlockRegistry blocks;
  auto *block = static_cast<unsigned char *>(blocks.reallocate(nullptr, 4));
  std::size_t size = 4;
  for (std::size_t i = 0; i < size; ++i)
    block[i] = static_cast<unsigned char>(i + 1);
  for (std::size_t next : steps) {
    SCOPED_TRACE(next);
    block = static_cast<unsigned char *>(blocks.reallocate(block, next));
    for (std::size_t i = 0; i < std::min(size, next); ++i)
      ASSERT_EQ(block[i], (i + 1) & 0xFF);
    EXPECT_TRUE(all_zero(block + std::min(size, next),
                         next + 1 - std::min(size, next)));
    for (std::size_t i = 0; i < next; ++i)
      block[i] = static_cast<unsigned char>(i + 1);
    size = next;
    EXPECT_EQ(blocks.outstanding_blocks(), 1u);
    EXPECT_EQ(blocks.outstanding_bytes(), size);
  }
  blocks.free(block);
}

TEST(BlockRegistry, ManySlabsFreedInAnyOrder) {
  // More blocks than a few slabs hold, freed in a shuffled order, some
  // taken again in between: every live block stays distinct and owned.
  const std::size_t count = BlockRegistry::kSlotsPerSlab * 5 + 17;
  BlockRegistry blocks;
  std::vector<void *> live;
  for (std::size_t i = 0; i < count; ++i)
    live.push_back(blocks.allocate(i % kSlot));
  std::vector<void *> sorted = live;
  std::sort(sorted.begin(), sorted.end());
  EXPECT_EQ(std::adjacent_find(sorted.begin(), sorted.end()), sorted.end());

  std::mt19937 random(5);
  std::shuffle(live.begin(), live.end(), random);
  for (std::size_t i = 0; i < count / 2; ++i) {
    blocks.free(live.back());
    live.pop_back();
  }
  for (std::size_t i = 0; i < count / 4; ++i)
    live.push_back(blocks.allocate(7));
  EXPECT_EQ(blocks.outstanding_blocks(), live.size());
  for (void *block : live)
    ASSERT_TRUE(blocks.owns(block));
  std::shuffle(live.begin(), live.end(), random);
  for (void *block : live)
    blocks.free(block);
  EXPECT_EQ(blocks.outstanding_blocks(), 0u);
  EXPECT_EQ(blocks.outstanding_bytes(), 0u);

  void *kept = blocks.allocate(1);
  blocks.allocate(kSlot * 2);
  blocks.release_all();
  EXPECT_EQ(blocks.outstanding_blocks(), 0u);
  EXPECT_EQ(blocks.outstanding_bytes(), 0u);
  EXPECT_EQ(error_of([&] { blocks.free(kept); }), kErrorBadBlock);
  // Usable again after releasing everything.
  blocks.free(blocks.allocate(3));
}

} // namespace
} // namespace qx::rt
