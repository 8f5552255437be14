// Memory blocks with accounting.
#include "runtime/core/blocks.h"

#include "runtime/core/errors.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <new>
#include <string>

// Under AddressSanitizer a slot that is not handed out, and the bytes of a
// slot beyond its block, are marked unaddressable, so that a use after free
// or an overrun of a small block is still reported although the slot's
// memory stays allocated.
#if defined(__SANITIZE_ADDRESS__)
#define QX_BLOCKS_MARK_SLOTS 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define QX_BLOCKS_MARK_SLOTS 1
#endif
#endif
#if defined(QX_BLOCKS_MARK_SLOTS)
#include <sanitizer/asan_interface.h>
#endif

namespace qx::rt {
namespace {

std::string describe_pointer(const void *block) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%p", block);
  return buffer;
}

std::string describe_size(std::size_t size) {
  return "block of " + std::to_string(size) + " bytes requested";
}

void mark_unaddressable([[maybe_unused]] void *bytes,
                        [[maybe_unused]] std::size_t size) {
#if defined(QX_BLOCKS_MARK_SLOTS)
  ASAN_POISON_MEMORY_REGION(bytes, size);
#endif
}

void mark_addressable([[maybe_unused]] void *bytes,
                      [[maybe_unused]] std::size_t size) {
#if defined(QX_BLOCKS_MARK_SLOTS)
  ASAN_UNPOISON_MEMORY_REGION(bytes, size);
#endif
}

} // namespace

void *BlockRegistry::allocate(std::size_t size) {
  if (size > kMaxBlockSize)
    fail(kErrorOutOfMemory, describe_size(size));
  try {
    if (size < kSlotBytes)
      return take_slot(size);
    Entry entry;
    // One byte more than asked, like a slot, so that every block has one
    // zero byte past its end.
    entry.storage = std::make_unique<std::byte[]>(size + 1);
    entry.size = size;
    void *block = entry.storage.get();
    m_blocks.emplace(block, std::move(entry));
    m_bytes += size;
    return block;
  } catch (const std::bad_alloc &) {
    fail(kErrorOutOfMemory, describe_size(size));
  }
}

void *BlockRegistry::reallocate(void *block, std::size_t size) {
  if (!block)
    return allocate(size);
  if (!owns(block))
    fail(kErrorBadBlock, "reallocate of " + describe_pointer(block) +
                             ", which is not a live block");
  const std::size_t old_size = size_of(block);
  if (size == old_size)
    return block;
  void *fresh = allocate(size);
  std::memcpy(fresh, block, std::min(size, old_size));
  free(block);
  return fresh;
}

void BlockRegistry::free(void *block) {
  if (!block)
    return;
  if (const std::size_t slot = slot_of(block); slot != kNoSlot) {
    m_bytes -= m_slot_sizes[slot];
    m_slot_sizes[slot] = kFreeSlot;
    --m_live_slots;
    // Room for every slot was reserved with its slab: this cannot throw.
    m_free_slots.push_back(slot);
    mark_unaddressable(slot_bytes(slot), kSlotBytes);
    return;
  }
  auto found = m_blocks.find(block);
  if (found == m_blocks.end())
    fail(kErrorBadBlock,
         "free of " + describe_pointer(block) + ", which is not a live block");
  m_bytes -= found->second.size;
  m_blocks.erase(found);
}

char *BlockRegistry::copy_text(std::string_view bytes) {
  auto *text = static_cast<char *>(allocate(bytes.size() + 1));
  if (!bytes.empty())
    std::memcpy(text, bytes.data(), bytes.size());
  return text;
}

bool BlockRegistry::owns(const void *block) const {
  return slot_of(block) != kNoSlot || m_blocks.contains(block);
}

std::size_t BlockRegistry::size_of(const void *block) const {
  if (const std::size_t slot = slot_of(block); slot != kNoSlot)
    return m_slot_sizes[slot];
  auto found = m_blocks.find(block);
  return found == m_blocks.end() ? 0 : found->second.size;
}

void BlockRegistry::release_all() {
  m_blocks.clear();
  for (const auto &slab : m_slabs)
    mark_addressable(slab.get(), kSlotBytes * kSlotsPerSlab);
  m_slabs.clear();
  m_slab_starts.clear();
  m_slot_sizes.clear();
  m_free_slots.clear();
  m_live_slots = 0;
  m_bytes = 0;
}

std::size_t BlockRegistry::slot_of(const void *block) const {
  // Addresses compared as integers: the block may belong to no slab.
  const auto address = reinterpret_cast<std::uintptr_t>(block);
  auto after =
      std::upper_bound(m_slab_starts.begin(), m_slab_starts.end(), address,
                       [](std::uintptr_t value, const auto &start) {
                         return value < start.first;
                       });
  if (after == m_slab_starts.begin())
    return kNoSlot;
  const auto &[start, slab] = *std::prev(after);
  const std::uintptr_t offset = address - start;
  if (offset >= kSlotBytes * kSlotsPerSlab || offset % kSlotBytes != 0)
    return kNoSlot;
  const std::size_t slot = slab * kSlotsPerSlab + offset / kSlotBytes;
  return m_slot_sizes[slot] == kFreeSlot ? kNoSlot : slot;
}

std::byte *BlockRegistry::slot_bytes(std::size_t slot) const {
  return m_slabs[slot / kSlotsPerSlab].get() +
         slot % kSlotsPerSlab * kSlotBytes;
}

void *BlockRegistry::take_slot(std::size_t size) {
  if (m_free_slots.empty())
    add_slab();
  const std::size_t slot = m_free_slots.back();
  m_free_slots.pop_back();
  std::byte *bytes = slot_bytes(slot);
  mark_addressable(bytes, size + 1);
  std::memset(bytes, 0, size + 1);
  m_slot_sizes[slot] = static_cast<std::uint32_t>(size);
  ++m_live_slots;
  m_bytes += size;
  return bytes;
}

void BlockRegistry::add_slab() {
  // Every allocation first, so that a failure leaves the registry as it was.
  const std::size_t slots = m_slot_sizes.size() + kSlotsPerSlab;
  auto slab = std::make_unique<std::byte[]>(kSlotBytes * kSlotsPerSlab);
  m_slabs.reserve(m_slabs.size() + 1);
  m_slab_starts.reserve(m_slab_starts.size() + 1);
  m_slot_sizes.reserve(slots);
  m_free_slots.reserve(slots);

  const std::size_t index = m_slabs.size();
  const auto start = reinterpret_cast<std::uintptr_t>(slab.get());
  m_slab_starts.insert(std::upper_bound(m_slab_starts.begin(),
                                        m_slab_starts.end(),
                                        std::pair{start, index}),
                       {start, index});
  m_slot_sizes.resize(slots, kFreeSlot);
  // Handed out from the slab's start up.
  for (std::size_t i = kSlotsPerSlab; i-- > 0;)
    m_free_slots.push_back(index * kSlotsPerSlab + i);
  mark_unaddressable(slab.get(), kSlotBytes * kSlotsPerSlab);
  m_slabs.push_back(std::move(slab));
}

} // namespace qx::rt
