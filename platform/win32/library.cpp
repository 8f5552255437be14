// Library loading, module paths and the executable's path on Windows.
#include "platform/library.h"

#include <windows.h>

#include <array>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <mutex>
#include <string_view>
#include <system_error>

// The unwinder of this module's own (static) copy of the C runtime support
// library: registers a table of call frame information, `object` being
// storage it keeps (and reads) for as long as the process runs.
extern "C" void __register_frame_info(const void *table, void *object);

// Exported by every module that carries this platform layer (the
// executables export all their functions, the libraries too): registers
// the unwind tables of `module` with the caller's own unwinder.
extern "C" int qx_platform_register_frames_of(void *module);

namespace qx::platform {
namespace {

// The full file name of `module` (null: the executable), any length.
std::optional<std::filesystem::path> module_file_name(HMODULE module) {
  std::wstring buffer(MAX_PATH, L'\0');
  while (true) {
    const DWORD size = static_cast<DWORD>(buffer.size());
    SetLastError(ERROR_SUCCESS);
    const DWORD length = GetModuleFileNameW(module, buffer.data(), size);
    if (length == 0)
      return std::nullopt;
    // A cut name fills the buffer exactly (and may say so).
    if (length < size && GetLastError() != ERROR_INSUFFICIENT_BUFFER) {
      buffer.resize(length);
      return std::filesystem::path(buffer);
    }
    if (buffer.size() >= 32768)
      return std::nullopt;
    buffer.resize(buffer.size() * 2);
  }
}

HMODULE module_of(const void *address) {
  HMODULE module = nullptr;
  if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                              GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                          static_cast<LPCWSTR>(address), &module))
    return nullptr;
  return module;
}

// The loaded image's headers, checked by the loader when it mapped them.
const IMAGE_NT_HEADERS *nt_headers(HMODULE module) {
  const auto *base = reinterpret_cast<const std::uint8_t *>(module);
  const auto *dos = reinterpret_cast<const IMAGE_DOS_HEADER *>(base);
  return reinterpret_cast<const IMAGE_NT_HEADERS *>(base + dos->e_lfanew);
}

// Whether `address` lies in one of `module`'s code sections.
bool is_in_code_section(HMODULE module, const void *address) {
  const auto *base = reinterpret_cast<const std::uint8_t *>(module);
  const auto at = static_cast<std::uintptr_t>(
      static_cast<const std::uint8_t *>(address) - base);
  const IMAGE_NT_HEADERS *headers = nt_headers(module);
  const IMAGE_SECTION_HEADER *section = IMAGE_FIRST_SECTION(headers);
  for (WORD i = 0; i < headers->FileHeader.NumberOfSections; ++i, ++section) {
    const std::uintptr_t start = section->VirtualAddress;
    const std::uintptr_t size = section->Misc.VirtualSize;
    if ((section->Characteristics & IMAGE_SCN_CNT_CODE) != 0 && at >= start &&
        at - start < size)
      return true;
  }
  return false;
}

template <typename T>
bool read_at(std::ifstream &file, std::uint64_t size, std::uint64_t offset,
             T &out) {
  if (offset > size || sizeof(T) > size - offset)
    return false;
  file.seekg(static_cast<std::streamoff>(offset));
  file.read(reinterpret_cast<char *>(&out), sizeof(T));
  return static_cast<bool>(file);
}

// The full path that `path` names: relative to the working directory when
// it is relative, with the system's separators.
std::optional<std::filesystem::path>
full_path(const std::filesystem::path &path) {
  std::error_code status;
  std::filesystem::path absolute = std::filesystem::absolute(path, status);
  if (status)
    return std::nullopt;
  return absolute.make_preferred();
}

// Keeps the system from showing a dialog of its own while a library loads.
class QuietErrors {
public:
  QuietErrors() {
    SetThreadErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX,
                       &m_previous);
  }
  QuietErrors(const QuietErrors &) = delete;
  QuietErrors &operator=(const QuietErrors &) = delete;
  ~QuietErrors() { SetThreadErrorMode(m_previous, nullptr); }

private:
  DWORD m_previous = 0;
};

constexpr std::string_view kFrameSectionName = ".eh_frame";

// The name of `section`: its eight bytes, or for a longer name the entry of
// the file's string table that "/offset" points to (read from the module's
// file, whose headers the loader has checked).
std::string section_name(HMODULE module, const IMAGE_SECTION_HEADER &section) {
  const auto *bytes = reinterpret_cast<const char *>(section.Name);
  const std::string_view shown(bytes, strnlen(bytes, IMAGE_SIZEOF_SHORT_NAME));
  if (shown.size() < 2 || shown.front() != '/')
    return std::string(shown);
  std::uint32_t offset = 0;
  const auto [end, error] =
      std::from_chars(shown.data() + 1, shown.data() + shown.size(), offset);
  if (error != std::errc() || end != shown.data() + shown.size())
    return {};
  const IMAGE_NT_HEADERS *headers = nt_headers(module);
  const std::optional<std::filesystem::path> file_name =
      module_file_name(module);
  if (!file_name || headers->FileHeader.PointerToSymbolTable == 0)
    return {};
  std::ifstream file(*file_name, std::ios::binary);
  const std::uint64_t strings =
      std::uint64_t{headers->FileHeader.PointerToSymbolTable} +
      std::uint64_t{headers->FileHeader.NumberOfSymbols} * 18;
  std::array<char, 16> name{};
  file.seekg(static_cast<std::streamoff>(strings + offset));
  file.read(name.data(), name.size() - 1);
  if (file.gcount() <= 0)
    return {};
  return std::string(name.data(), strnlen(name.data(), name.size()));
}

// The start of `module`'s call frame information: its .eh_frame section,
// whose name an image without debugging information cuts to eight bytes.
const void *frame_table(HMODULE module) {
  const auto *base = reinterpret_cast<const std::uint8_t *>(module);
  const IMAGE_NT_HEADERS *headers = nt_headers(module);
  const IMAGE_SECTION_HEADER *section = IMAGE_FIRST_SECTION(headers);
  for (WORD i = 0; i < headers->FileHeader.NumberOfSections; ++i, ++section) {
    const std::string name = section_name(module, *section);
    if (name == kFrameSectionName ||
        name == kFrameSectionName.substr(0, IMAGE_SIZEOF_SHORT_NAME))
      return section->Misc.VirtualSize > 0 ? base + section->VirtualAddress
                                           : nullptr;
  }
  return nullptr;
}

// Storage the unwinder keeps for each table it is given: larger than its
// record of a table on any release of it.
struct alignas(16) FrameObject {
  std::array<unsigned char, 128> bytes;
};
struct SharedTable {
  HMODULE module;
  FrameObject object;
};

// The unwinder links each record into its lists and walks them up to the
// very end of the process, when this module's own table is taken off them:
// the records must outlive every destructor and exit handler. So they lie in
// static storage without a destructor, never on the heap.
constexpr std::size_t kMaxSharedTables = 8;
std::array<SharedTable, kMaxSharedTables> g_shared_tables{};
std::size_t g_shared_count = 0;

// Registers `module`'s tables with this module's unwinder, once.
bool register_frames_of(HMODULE module) {
  static std::mutex lock;
  if (module == nullptr)
    return false;
  const std::lock_guard<std::mutex> guard(lock);
  for (std::size_t i = 0; i < g_shared_count; ++i)
    if (g_shared_tables[i].module == module)
      return true;
  if (g_shared_count == kMaxSharedTables)
    return false;
  const void *table = frame_table(module);
  if (table == nullptr)
    return false;
  SharedTable &entry = g_shared_tables[g_shared_count++];
  entry.module = module;
  __register_frame_info(table, entry.object.bytes.data());
  return true;
}

} // namespace

std::optional<std::filesystem::path> executable_path() {
  return module_file_name(nullptr);
}

std::optional<std::filesystem::path> module_directory(const void *address) {
  const HMODULE module = module_of(address);
  if (module == nullptr)
    return std::nullopt;
  std::optional<std::filesystem::path> file = module_file_name(module);
  if (!file)
    return std::nullopt;
  return file->parent_path();
}

std::optional<std::string>
library_file_problem(const std::filesystem::path &path) {
  std::error_code status;
  if (!std::filesystem::is_regular_file(path, status))
    return std::string(std::filesystem::exists(path, status)
                           ? "is not a regular file"
                           : "cannot be opened: no such file");
  const std::uintmax_t file_size = std::filesystem::file_size(path, status);
  if (status)
    return "cannot be opened: " + status.message();
  std::ifstream file(path, std::ios::binary);
  if (!file)
    return std::string("cannot be opened");
  const auto size = static_cast<std::uint64_t>(file_size);
  IMAGE_DOS_HEADER dos{};
  if (!read_at(file, size, 0, dos) || dos.e_magic != IMAGE_DOS_SIGNATURE ||
      dos.e_lfanew < 0)
    return std::string("is not a library of this machine (no DOS header)");
  IMAGE_NT_HEADERS headers{};
  const auto nt_offset = static_cast<std::uint64_t>(dos.e_lfanew);
  if (!read_at(file, size, nt_offset, headers) ||
      headers.Signature != IMAGE_NT_SIGNATURE)
    return std::string("is not a library of this machine (no PE header)");
  if (headers.FileHeader.Machine != IMAGE_FILE_MACHINE_I386 ||
      headers.OptionalHeader.Magic != IMAGE_NT_OPTIONAL_HDR32_MAGIC ||
      (headers.FileHeader.Characteristics & IMAGE_FILE_DLL) == 0)
    return std::string("is not a 32-bit library of this machine");
  // The section table follows the optional header, whose size the file
  // header gives.
  const std::uint64_t table = nt_offset +
                              offsetof(IMAGE_NT_HEADERS, OptionalHeader) +
                              headers.FileHeader.SizeOfOptionalHeader;
  for (WORD i = 0; i < headers.FileHeader.NumberOfSections; ++i) {
    IMAGE_SECTION_HEADER section{};
    if (!read_at(file, size, table + std::uint64_t{i} * sizeof section,
                 section))
      return std::string("has section headers beyond its end");
    const std::uint64_t start = section.PointerToRawData;
    if (start > size || section.SizeOfRawData > size - start)
      return std::string("is truncated: a section lies beyond its end");
  }
  return std::nullopt;
}

LibraryHandle load_library(const std::filesystem::path &path) {
  if (path.empty() || library_file_problem(path))
    return nullptr;
  // Only ever the file named, by its full path: never the system's search.
  const std::optional<std::filesystem::path> file = full_path(path);
  if (!file)
    return nullptr;
  const QuietErrors quiet;
  return LoadLibraryExW(file->c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

void *find_symbol(LibraryHandle library, const char *name) {
  if (library == nullptr || name == nullptr)
    return nullptr;
  return reinterpret_cast<void *>(
      GetProcAddress(static_cast<HMODULE>(library), name));
}

void *find_own_function(LibraryHandle library, const char *name) {
  void *address = find_symbol(library, name);
  if (address == nullptr)
    return nullptr;
  // A forwarded export lands in another module; a data export outside the
  // code sections.
  const auto module = static_cast<HMODULE>(library);
  if (module_of(address) != module || !is_in_code_section(module, address))
    return nullptr;
  return address;
}

LibraryHandle program_library() { return GetModuleHandleW(nullptr); }

bool share_exception_frames(LibraryHandle other) {
  static const char marker = 0;
  const HMODULE own = module_of(&marker);
  const auto module = static_cast<HMODULE>(other);
  if (own == nullptr || module == nullptr)
    return false;
  if (module == own)
    return true;
  // Their frames to our unwinder, ours to theirs: each module's code may
  // resume an unwinding that the other's began.
  if (!register_frames_of(module))
    return false;
  using RegisterFn = int (*)(void *);
  const auto theirs = reinterpret_cast<RegisterFn>(
      find_own_function(other, "qx_platform_register_frames_of"));
  return theirs != nullptr && theirs(own) != 0;
}

void release_library(LibraryHandle library) {
  if (library != nullptr)
    FreeLibrary(static_cast<HMODULE>(library));
}

} // namespace qx::platform

extern "C" int qx_platform_register_frames_of(void *module) {
  // Called from another module's code: nothing may unwind out of here.
  try {
    return qx::platform::register_frames_of(static_cast<HMODULE>(module)) ? 1
                                                                          : 0;
  } catch (...) {
    return 0;
  }
}
