// Loading shared libraries and finding the files that belong to a module.
#ifndef QUADRIX_PLATFORM_LIBRARY_H
#define QUADRIX_PLATFORM_LIBRARY_H

#include <filesystem>
#include <optional>
#include <string>

namespace qx::platform {

/// An opaque handle of a loaded library; null means "not loaded".
using LibraryHandle = void *;

/// The full path of the running executable, or nullopt when the system
/// cannot tell. Any length works.
std::optional<std::filesystem::path> executable_path();

/// The directory of the module (executable or shared library) that contains
/// `address`, for finding files shipped beside it. Pass the address of a
/// function or object defined in the module you ask about. nullopt when no
/// loaded module contains the address.
std::optional<std::filesystem::path> module_directory(const void *address);

/// Loads the library file at `path` with all its symbols resolved at once.
/// A relative path is taken relative to the working directory; the system's
/// library search path is never consulted. Returns null when the file is
/// missing or is not a loadable library (library_file_problem says why).
LibraryHandle load_library(const std::filesystem::path &path);

/// The address of the exported symbol `name`, or null when the library has
/// no such export (or `library` is null).
void *find_symbol(LibraryHandle library, const char *name);

/// The address of the function `name` that `library` itself defines, or
/// null: a symbol found in one of its dependencies, or one that is not a
/// function (a data object), does not count. `library` may be the handle of
/// program_library().
void *find_own_function(LibraryHandle library, const char *name);

/// The running executable as a library handle (its exports), or null.
LibraryHandle program_library();

/// Why the file at `path` cannot be a library this process may load, or
/// nullopt when it may: it must be a regular file holding a shared object
/// of this machine whose program headers and loaded segments lie within the
/// file (a truncated library would fault on first touch).
std::optional<std::string>
library_file_problem(const std::filesystem::path &path);

/// Lets exceptions pass between the frames of this module (the one that
/// contains the platform layer's copy making the call) and those of `other`
/// in both directions: a routine of the executable called by the runtime
/// library may be left by an exception the runtime throws and catches.
/// Needed where every module carries its own unwinder (Windows, with the
/// C++ runtime linked statically); elsewhere there is nothing to do. Safe to
/// call again for the same module. `other` must stay loaded until the
/// process ends: the unwinders read its tables up to then. Returns false
/// when `other` is null, its unwind tables cannot be found, or eight
/// modules already share their tables with this one.
bool share_exception_frames(LibraryHandle other);

/// Releases a library loaded by load_library; null is ignored.
void release_library(LibraryHandle library);

/// Owns one loaded library and releases it when it goes out of scope.
class Library {
public:
  Library() = default;
  explicit Library(LibraryHandle handle) : m_handle(handle) {}
  Library(const Library &) = delete;
  Library &operator=(const Library &) = delete;
  Library(Library &&other) noexcept : m_handle(other.detach()) {}
  Library &operator=(Library &&other) noexcept {
    if (this != &other) {
      release();
      m_handle = other.detach();
    }
    return *this;
  }
  ~Library() { release(); }

  /// Loads `path` as load_library does; an empty Library on failure.
  static Library load(const std::filesystem::path &path) {
    return Library(load_library(path));
  }

  bool loaded() const { return m_handle != nullptr; }
  explicit operator bool() const { return loaded(); }
  LibraryHandle handle() const { return m_handle; }

  /// The export `name` converted to the function or object pointer type
  /// `T`, or null when it is missing.
  template <typename T> T symbol(const char *name) const {
    return reinterpret_cast<T>(find_symbol(m_handle, name));
  }

  /// Releases the library now; the Library is empty afterwards.
  void release() {
    release_library(m_handle);
    m_handle = nullptr;
  }

  /// Gives up ownership: the library stays loaded until the process ends.
  LibraryHandle detach() {
    LibraryHandle handle = m_handle;
    m_handle = nullptr;
    return handle;
  }

private:
  LibraryHandle m_handle = nullptr;
};

} // namespace qx::platform

#endif // QUADRIX_PLATFORM_LIBRARY_H
