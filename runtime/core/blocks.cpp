// Memory blocks with accounting.
#include "runtime/core/blocks.h"

#include "runtime/core/errors.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <new>

namespace qx::rt {
namespace {

std::string describe_pointer(const void *block) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%p", block);
  return buffer;
}

} // namespace

void *BlockRegistry::allocate(std::size_t size) {
  if (size > kMaxBlockSize)
    fail(kErrorOutOfMemory,
         "block of " + std::to_string(size) + " bytes requested");
  Entry entry;
  try {
    // One byte more than asked, so that a zero size is a distinct block.
    entry.storage = std::make_unique<std::byte[]>(size + 1);
  } catch (const std::bad_alloc &) {
    fail(kErrorOutOfMemory,
         "block of " + std::to_string(size) + " bytes requested");
  }
  entry.size = size;
  void *block = entry.storage.get();
  m_blocks.emplace(block, std::move(entry));
  m_bytes += size;
  return block;
}

void *BlockRegistry::reallocate(void *block, std::size_t size) {
  if (!block)
    return allocate(size);
  auto found = m_blocks.find(block);
  if (found == m_blocks.end())
    fail(kErrorBadBlock, "reallocate of " + describe_pointer(block) +
                             ", which is not a live block");
  if (size == found->second.size)
    return block;
  void *fresh = allocate(size);
  // `allocate` may rehash the map, so look the old block up again.
  found = m_blocks.find(block);
  std::memcpy(fresh, block, std::min(size, found->second.size));
  m_bytes -= found->second.size;
  m_blocks.erase(found);
  return fresh;
}

void BlockRegistry::free(void *block) {
  if (!block)
    return;
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
  return m_blocks.contains(block);
}

std::size_t BlockRegistry::size_of(const void *block) const {
  auto found = m_blocks.find(block);
  return found == m_blocks.end() ? 0 : found->second.size;
}

void BlockRegistry::release_all() {
  m_blocks.clear();
  m_bytes = 0;
}

} // namespace qx::rt
