// The start of a program: reads the image, loads its support libraries,
// relocates the code section, resolves the routine directory, binds the
// program to the service table, installs the form and binds its events.
#pragma once

#include "base/qx_abi.h"
#include "platform/library.h"

#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

namespace qx::rt {

class Runtime;

// Why a program could not be started: a malformed image, a missing support
// library, an unresolved routine, a refused binding, a bad form.
class LoadError : public std::runtime_error {
public:
  explicit LoadError(const std::string &what) : std::runtime_error(what) {}
};

// The image of at most this many bytes is accepted.
inline constexpr std::uint32_t kMaxImageSize = 64u << 20;

struct LoadedProgram {
  QxRoutineFn entry = nullptr;
  // The support libraries the library table named. They stay loaded until
  // the process ends, also after a load error: a library built on a toolkit
  // may leave exit handlers behind that must find its code.
  std::vector<platform::LibraryHandle> libraries;
};

// Loads the image at `image` into `runtime`, relocating it in place. Support
// libraries are looked for as NAME.rtp in `library_directory` ("basert" is
// the runtime itself). Routines are looked up by name among the exports of
// the running executable. Throws LoadError naming the problem.
LoadedProgram load_program(Runtime &runtime, void *image,
                           const std::filesystem::path &library_directory);

} // namespace qx::rt
