// Library loading, module paths and the executable's path on POSIX.
#include "platform/library.h"

#include <dlfcn.h>
#include <elf.h>
#include <fcntl.h>
#include <link.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cstring>
#include <string>
#include <system_error>
#include <vector>

namespace qx::platform {

std::optional<std::filesystem::path> executable_path() {
  std::error_code status;
  std::filesystem::path path =
      std::filesystem::read_symlink("/proc/self/exe", status);
  if (status || path.empty())
    return std::nullopt;
  return path;
}

std::optional<std::filesystem::path> module_directory(const void *address) {
  Dl_info info{};
  link_map *module = nullptr;
  if (dladdr1(address, &info, reinterpret_cast<void **>(&module),
              RTLD_DL_LINKMAP) == 0 ||
      module == nullptr)
    return std::nullopt;
  // The main program's entry has an empty name; its path comes from the
  // system instead of argv[0], which may be relative or made up.
  std::filesystem::path file;
  if (module->l_name != nullptr && module->l_name[0] != '\0') {
    file = module->l_name;
  } else if (auto own = executable_path()) {
    file = *own;
  } else {
    return std::nullopt;
  }
  std::error_code status;
  std::filesystem::path absolute = std::filesystem::absolute(file, status);
  if (status)
    return std::nullopt;
  return absolute.parent_path();
}

namespace {

// Closes a descriptor when it goes out of scope.
class Descriptor {
public:
  explicit Descriptor(int fd) : m_fd(fd) {}
  Descriptor(const Descriptor &) = delete;
  Descriptor &operator=(const Descriptor &) = delete;
  ~Descriptor() {
    if (m_fd >= 0)
      close(m_fd);
  }
  int get() const { return m_fd; }

private:
  int m_fd;
};

bool read_at(int fd, void *buffer, std::size_t size, std::uint64_t offset) {
  auto *bytes = static_cast<char *>(buffer);
  while (size > 0) {
    const ssize_t got = pread(fd, bytes, size, static_cast<off_t>(offset));
    if (got <= 0)
      return false;
    bytes += got;
    size -= static_cast<std::size_t>(got);
    offset += static_cast<std::uint64_t>(got);
  }
  return true;
}

// The module whose link map holds `address`, or null.
const link_map *module_of(const void *address) {
  Dl_info info{};
  link_map *module = nullptr;
  if (dladdr1(address, &info, reinterpret_cast<void **>(&module),
              RTLD_DL_LINKMAP) == 0)
    return nullptr;
  return module;
}

} // namespace

std::optional<std::string>
library_file_problem(const std::filesystem::path &path) {
  // O_NONBLOCK: opening a FIFO must not wait for a writer.
  const Descriptor file(open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
  if (file.get() < 0)
    return "cannot be opened: " + std::string(std::strerror(errno));
  struct stat status {};
  if (fstat(file.get(), &status) != 0 || !S_ISREG(status.st_mode))
    return std::string("is not a regular file");
  const auto size = static_cast<std::uint64_t>(status.st_size);
  ElfW(Ehdr) header{};
  if (size < sizeof header || !read_at(file.get(), &header, sizeof header, 0))
    return std::string("is too short for a shared object");
  if (std::memcmp(header.e_ident, ELFMAG, SELFMAG) != 0 ||
      header.e_ident[EI_CLASS] !=
          (sizeof(void *) == 8 ? ELFCLASS64 : ELFCLASS32) ||
      header.e_type != ET_DYN || header.e_phentsize != sizeof(ElfW(Phdr)) ||
      header.e_phnum == 0)
    return std::string("is not a shared object of this machine");
  const std::uint64_t table_size =
      std::uint64_t{header.e_phnum} * sizeof(ElfW(Phdr));
  if (header.e_phoff > size || table_size > size - header.e_phoff)
    return std::string("has program headers beyond its end");
  std::vector<ElfW(Phdr)> segments(header.e_phnum);
  if (!read_at(file.get(), segments.data(), table_size, header.e_phoff))
    return std::string("cannot be read");
  for (const ElfW(Phdr) & segment : segments)
    if (segment.p_type == PT_LOAD &&
        (segment.p_offset > size || segment.p_filesz > size - segment.p_offset))
      return std::string("is truncated: a segment lies beyond its end");
  return std::nullopt;
}

LibraryHandle program_library() {
  static LibraryHandle handle = dlopen(nullptr, RTLD_NOW);
  return handle;
}

void *find_own_function(LibraryHandle library, const char *name) {
  if (library == nullptr || name == nullptr)
    return nullptr;
  void *address = dlsym(library, name);
  if (address == nullptr)
    return nullptr;
  link_map *own = nullptr;
  if (dlinfo(library, RTLD_DI_LINKMAP, &own) != 0 || own == nullptr)
    return nullptr;
  Dl_info info{};
  ElfW(Sym) *symbol = nullptr;
  if (dladdr1(address, &info, reinterpret_cast<void **>(&symbol),
              RTLD_DL_SYMENT) == 0 ||
      symbol == nullptr)
    return nullptr;
  const unsigned type = ELF64_ST_TYPE(symbol->st_info);
  if (type != STT_FUNC && type != STT_GNU_IFUNC)
    return nullptr;
  return module_of(address) == own ? address : nullptr;
}

LibraryHandle load_library(const std::filesystem::path &path) {
  if (path.empty() || library_file_problem(path))
    return nullptr;
  // dlopen searches the library path for a name without a slash; a file
  // name here always means a file relative to the working directory.
  std::string file = path.string();
  if (file.find('/') == std::string::npos)
    file = "./" + file;
  return dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
}

void *find_symbol(LibraryHandle library, const char *name) {
  if (library == nullptr || name == nullptr)
    return nullptr;
  return dlsym(library, name);
}

bool share_exception_frames(LibraryHandle other) {
  // One unwinder, in the shared C++ runtime, sees every module's tables.
  return other != nullptr;
}

void release_library(LibraryHandle library) {
  if (library != nullptr)
    dlclose(library);
}

} // namespace qx::platform
