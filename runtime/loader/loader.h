// The start of a program: reads the image, loads its support libraries,
// relocates the code section, resolves the routine directory, binds the
// program to the service table, installs the form and binds its events.
#pragma once

#include "base/qx_abi.h"
#include "platform/library.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
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

struct LoadedProgram {
  QxRoutineFn entry = nullptr;
  // The support libraries the library table named. They stay loaded until
  // the process ends, also after a load error: a library built on a toolkit
  // may leave exit handlers behind that must find its code.
  std::vector<platform::LibraryHandle> libraries;
};

// Loads the image `image` (its bytes, padding included) into `runtime`,
// relocating it in place. Nothing of the image is followed before it has
// been read and checked as a whole (runtime/loader/program_check.h). Support
// libraries are looked for as NAME.rtp in `library_directory` ("basert" is
// the runtime itself). Routines are looked up by name among the functions
// the running executable itself defines. Throws LoadError naming the
// problem.
LoadedProgram load_program(Runtime &runtime, std::span<std::uint8_t> image,
                           const std::filesystem::path &library_directory);

// The size the running executable exports beside its image
// (qx_program_image_size) when `image` is the image it exports
// (qx_program_image); nullopt otherwise.
std::optional<std::uint32_t> exported_image_size(const void *image);

} // namespace qx::rt
