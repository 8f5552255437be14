// The registry of memory blocks handed to the program, with accounting.
//
// Every block the program gets from allocate, reallocate or a command is
// registered here until it is freed, so the runtime can tell how many blocks
// and bytes are outstanding and can refuse to free a pointer it never handed
// out (or one already freed) instead of corrupting memory.
//
// Small blocks (most texts) live in slots of fixed-size slabs, reused
// through a free list: handing one out or taking it back allocates nothing
// and costs a search among the few slabs, not a map node. Larger blocks have
// storage of their own, registered by address.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

namespace qx::rt {

class BlockRegistry {
public:
  // Largest block size; a request beyond it is runtime error 100.
  static constexpr std::size_t kMaxBlockSize = 0x7FFFFFFF;

  // A fresh zero-filled block of `size` bytes (a zero size still gives a
  // distinct block). Raises kErrorOutOfMemory when it cannot be had.
  void *allocate(std::size_t size);
  // Grows or shrinks `block`, keeping its contents up to the smaller size;
  // new bytes are zero. A null block allocates. Raises kErrorBadBlock for a
  // pointer that is not a live block.
  void *reallocate(void *block, std::size_t size);
  // Frees a live block; null is ignored. Raises kErrorBadBlock for a pointer
  // that is not a live block (never handed out, or freed already).
  void free(void *block);

  // A fresh block holding `bytes` and a terminating zero.
  char *copy_text(std::string_view bytes);

  // True when `block` is the start of a live block.
  bool owns(const void *block) const;
  // The size of a live block; 0 for an unknown pointer.
  std::size_t size_of(const void *block) const;

  std::size_t outstanding_blocks() const {
    return m_blocks.size() + m_live_slots;
  }
  std::size_t outstanding_bytes() const { return m_bytes; }

  // Frees every live block (when the runtime shuts down).
  void release_all();

  // Bytes of one slot: blocks of up to kSlotBytes - 1 bytes take a slot
  // (the extra byte keeps a zero size distinct).
  static constexpr std::size_t kSlotBytes = 64;
  static constexpr std::size_t kSlotsPerSlab = 256;

private:
  struct Entry {
    std::unique_ptr<std::byte[]> storage;
    std::size_t size = 0;
  };
  // The slot a pointer starts, or kNoSlot.
  static constexpr std::size_t kNoSlot = static_cast<std::size_t>(-1);
  // The size recorded for a slot that is not handed out.
  static constexpr std::uint32_t kFreeSlot = 0xFFFFFFFF;

  std::size_t slot_of(const void *block) const;
  std::byte *slot_bytes(std::size_t slot) const;
  void *take_slot(std::size_t size);
  void add_slab();

  std::unordered_map<const void *, Entry> m_blocks;
  // Slabs in the order they were made; slot s lies in slab s / kSlotsPerSlab.
  std::vector<std::unique_ptr<std::byte[]>> m_slabs;
  // (start address, slab index), sorted by address, for slot_of.
  std::vector<std::pair<std::uintptr_t, std::size_t>> m_slab_starts;
  // Per slot: the size handed out, or kFreeSlot.
  std::vector<std::uint32_t> m_slot_sizes;
  std::vector<std::size_t> m_free_slots;
  std::size_t m_live_slots = 0;
  std::size_t m_bytes = 0;
};

} // namespace qx::rt
