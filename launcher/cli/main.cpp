// quadrix-cli: runs the program without a window, performing a script of
// user actions read from a file or standard input.
//
//   quadrix-cli [--seed N] [FILE]
//
// Exit status: 0 when every action was performed, 1 when any was refused or
// not understood, 2 for a bad command line or when the runtime or the
// program cannot be loaded, 3 after a runtime error of the program.
#include "image/image_reader.h"
#include "launcher/cli/script.h"
#include "platform/library.h"
#include "program/embedded_image.h"
#include "runtime/basert/headless_api.h"
#include "window/form_io.h"

#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace {

constexpr int kUsageStatus = 2;
constexpr const char *kRuntimeName = "basert.rtp";
constexpr const char *kUsage = "usage: quadrix-cli [--seed N] [FILE]\n";

struct Arguments {
  std::optional<std::uint64_t> seed;
  std::optional<std::string> file;
};

std::optional<std::uint64_t> parse_seed(std::string_view text) {
  std::uint64_t seed = 0;
  const auto [end, error] =
      std::from_chars(text.data(), text.data() + text.size(), seed);
  if (text.empty() || error != std::errc() || end != text.data() + text.size())
    return std::nullopt;
  return seed;
}

// nullopt after reporting a bad command line.
std::optional<Arguments> parse_arguments(int argc, char **argv) {
  Arguments arguments;
  for (int i = 1; i < argc; ++i) {
    const std::string_view argument = argv[i];
    if (argument == "--seed") {
      if (i + 1 >= argc) {
        std::cerr << "quadrix-cli: --seed needs a number\n" << kUsage;
        return std::nullopt;
      }
      arguments.seed = parse_seed(argv[++i]);
      if (!arguments.seed) {
        std::cerr << "quadrix-cli: --seed " << argv[i]
                  << ": not a whole number from 0 to 2^64-1\n";
        return std::nullopt;
      }
    } else if (argument == "--help" || argument == "-h") {
      std::cout << kUsage;
      std::exit(0);
    } else if (argument.size() > 1 && argument.front() == '-') {
      std::cerr << "quadrix-cli: unknown option " << argument << '\n' << kUsage;
      return std::nullopt;
    } else if (arguments.file) {
      std::cerr << "quadrix-cli: only one script file\n" << kUsage;
      return std::nullopt;
    } else {
      arguments.file = std::string(argument);
    }
  }
  return arguments;
}

// The window's facts from the form section of the untouched image (the
// runtime relocates the carried image in place).
qx::cli::FormFacts read_embedded_form() {
  const std::span<const std::uint8_t> image(qx_program_image_pristine,
                                            qx_program_image_size);
  const qx::image::ImageInfo info = qx::image::read_image(image);
  const qx::image::SectionInfo *form = info.find("form");
  if (!form)
    throw qx::FormatError("program image: no form section");
  return qx::cli::read_form_facts(
      qx::form::read_form(qx::image::section_data(image, *form)));
}

struct Context {
  qx::cli::ScriptRunner *runner;
  std::istream *script;
};

void drive(qx::rt::HeadlessSession &session, void *context) {
  auto *c = static_cast<Context *>(context);
  try {
    c->runner->run(session, *c->script);
  } catch (const std::exception &error) {
    std::cerr << "quadrix-cli: " << error.what() << '\n';
  }
}

void print_message(const char *utf8_text, std::uint32_t, void *) {
  std::cout << "message: " << utf8_text << '\n' << std::flush;
}

} // namespace

int main(int argc, char **argv) {
  const std::optional<Arguments> arguments = parse_arguments(argc, argv);
  if (!arguments)
    return kUsageStatus;

  std::ifstream file;
  std::istream *script = &std::cin;
  if (arguments->file) {
    file.open(*arguments->file);
    if (!file) {
      std::cerr << "quadrix-cli: cannot read " << *arguments->file << '\n';
      return kUsageStatus;
    }
    script = &file;
  }

  qx::cli::FormFacts facts;
  try {
    facts = read_embedded_form();
  } catch (const std::exception &error) {
    std::cerr << "quadrix-cli: cannot read the program's window: "
              << error.what() << '\n';
    return QX_HEADLESS_LOAD_ERROR;
  }

  const std::optional<std::filesystem::path> self =
      qx::platform::executable_path();
  qx::platform::Library runtime;
  if (self)
    runtime = qx::platform::Library::load(self->parent_path() / kRuntimeName);
  const auto run = runtime.symbol<QxRunHeadlessFn>(QX_RUN_HEADLESS_NAME);
  if (!run) {
    std::cerr << "quadrix-cli: cannot load " << kRuntimeName
              << " from beside the executable\n";
    return QX_HEADLESS_LOAD_ERROR;
  }

  qx::cli::ScriptRunner runner(facts, std::cout, std::cerr);
  Context context{&runner, script};
  QxHeadlessOptions options{};
  options.size = sizeof options;
  options.fix_seed = arguments->seed ? 1 : 0;
  options.seed = arguments->seed.value_or(0);
  options.driver = &drive;
  options.on_message = &print_message;
  options.context = &context;
  const int status = run(qx_program_image, &options);
  // The runtime stays loaded until the process ends, as in the launcher.
  runtime.detach();
  std::cout.flush();
  if (status != 0)
    return status;
  return runner.failed() ? 1 : 0;
}
