// The registry of memory blocks handed to the program, with accounting.
//
// Every block the program gets from allocate, reallocate or a command is
// registered here until it is freed, so the runtime can tell how many blocks
// and bytes are outstanding and can refuse to free a pointer it never handed
// out (or one already freed) instead of corrupting memory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <unordered_map>

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

  std::size_t outstanding_blocks() const { return m_blocks.size(); }
  std::size_t outstanding_bytes() const { return m_bytes; }

  // Frees every live block (when the runtime shuts down).
  void release_all();

private:
  struct Entry {
    std::unique_ptr<std::byte[]> storage;
    std::size_t size = 0;
  };
  std::unordered_map<const void *, Entry> m_blocks;
  std::size_t m_bytes = 0;
};

} // namespace qx::rt
