// Library loading, module paths and the executable's path on POSIX.
#include "platform/library.h"

#include <dlfcn.h>
#include <link.h>

#include <string>
#include <system_error>

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

LibraryHandle load_library(const std::filesystem::path &path) {
  if (path.empty())
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

void release_library(LibraryHandle library) {
  if (library != nullptr)
    dlclose(library);
}

} // namespace qx::platform
