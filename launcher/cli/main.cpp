// quadrix-cli: runs the program without a window, performing a script of
// user actions read from a file or standard input.
//
//   quadrix-cli [--seed N] [FILE]
//
// Exit status: 0 when every action was performed, 1 when any was refused or
// not understood, 2 for a bad command line or when the runtime or the
// program cannot be loaded, 3 after a runtime error of the program.
#include "launcher/cli/script.h"
#include "platform/library.h"
#include "platform/standard_streams.h"
#include "program/embedded_image.h"
#include "runtime/basert/headless_api.h"

#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>

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

struct Context {
  std::istream *script;
  bool failed = false;
};

// The script runs on the window the runtime has loaded, with the facts it
// declares; the image is read once, by the runtime.
void drive(qx::rt::HeadlessSession &session, void *context) {
  auto *c = static_cast<Context *>(context);
  try {
    const qx::form::Form *form = session.form();
    if (!form) {
      std::cerr << "quadrix-cli: the program has no window\n";
      c->failed = true;
      return;
    }
    const qx::cli::FormFacts facts = qx::cli::read_form_facts(*form);
    qx::cli::ScriptRunner runner(facts, std::cout, std::cerr);
    runner.run(session, *c->script);
    c->failed = runner.failed();
  } catch (const std::exception &error) {
    std::cerr << "quadrix-cli: " << error.what() << '\n';
    c->failed = true;
  }
}

void print_message(const char *utf8_text, std::uint32_t, void *) {
  std::cout << "message: " << utf8_text << '\n' << std::flush;
}

} // namespace

int main(int argc, char **argv) {
  // The same bytes in and out on every system: a script's line ends are
  // its own, and output lines end in LF.
  qx::platform::use_binary_standard_streams();
  const std::optional<Arguments> arguments = parse_arguments(argc, argv);
  if (!arguments)
    return kUsageStatus;

  std::ifstream file;
  std::istream *script = &std::cin;
  if (arguments->file) {
    std::error_code status;
    if (std::filesystem::is_directory(*arguments->file, status)) {
      std::cerr << "quadrix-cli: " << *arguments->file
                << " is a directory, not a script\n";
      return kUsageStatus;
    }
    file.open(*arguments->file, std::ios::binary);
    if (!file) {
      std::cerr << "quadrix-cli: cannot read " << *arguments->file << '\n';
      return kUsageStatus;
    }
    script = &file;
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

  Context context{script};
  QxHeadlessOptions options{};
  options.size = sizeof options;
  options.fix_seed = arguments->seed ? 1 : 0;
  options.seed = arguments->seed.value_or(0);
  options.driver = &drive;
  options.on_message = &print_message;
  options.context = &context;
  options.image_size = qx_program_image_size;
  const int status = run(qx_program_image, &options);
  // The runtime stays loaded until the process ends, as in the launcher.
  runtime.detach();
  std::cout.flush();
  if (status != 0)
    return status;
  return context.failed ? 1 : 0;
}
