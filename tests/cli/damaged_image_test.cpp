// The real quadrix-cli and quadrix carrying a damaged copy of the real
// program image, one field changed per case: each refuses to load with exit
// status 2 and a message naming the field, never a signal or a window.
//
// With QX_DAMAGED_IMAGE_SEEDS set to a directory, each damaged image is also
// written there (the image fuzzer's seeds come from this table).
#include "image/image_format.h"
#include "image/image_reader.h"
#include "program/embedded_image.h"
#include "tests/platform/test_support.h"

#include <sys/wait.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using qx::test::read_file;
using qx::test::TempDir;
using qx::test::write_file;
using Bytes = std::vector<std::uint8_t>;

void put_u32(Bytes &bytes, std::size_t at, std::uint32_t value) {
  ASSERT_LE(at + 4, bytes.size());
  std::memcpy(bytes.data() + at, &value, 4);
}

std::uint32_t get_u32(const Bytes &bytes, std::size_t at) {
  std::uint32_t value = 0;
  std::memcpy(&value, bytes.data() + at, 4);
  return value;
}

// Where the fields the cases change lie in the real image.
struct Layout {
  std::uint32_t first_header = 0; // the const section's header
  std::uint32_t code_header = 0;
  std::uint32_t code_data = 0;
  std::uint32_t link_block = 0; // from the image start
  std::uint32_t names = 0;      // from the image start
  std::uint32_t handler_entry = 0;
  std::uint32_t webpane_name = 0; // the library table's "WebPane"
  std::uint32_t first_handler_name = 0;
};

Bytes pristine() {
  return {qx_program_image_pristine,
          qx_program_image_pristine + qx_program_image_size};
}

Layout layout_of(const Bytes &image) {
  const qx::image::ImageInfo info = qx::image::read_image(image);
  const qx::image::SectionInfo &code = *info.find("code");
  const qx::image::CodeDirectory directory =
      qx::image::read_code_directory(qx::image::section_data(image, code));
  Layout layout;
  layout.first_header = info.first_section;
  layout.code_header = code.header_offset;
  layout.code_data = code.data_offset;
  layout.link_block = code.data_offset + directory.link_offset;
  layout.names = code.data_offset + get_u32(image, code.data_offset + 0x10);
  const auto handler =
      std::ranges::find(directory.routines, std::uint32_t{QX_ROUTINE_HANDLER},
                        &qx::image::DirectoryRoutine::kind);
  layout.handler_entry = code.data_offset + handler->code_offset;
  const std::string name = handler->name;
  const auto found = std::search(image.begin() + layout.names, image.end(),
                                 name.begin(), name.end());
  layout.first_handler_name = static_cast<std::uint32_t>(found - image.begin());
  const std::string webpane = "WebPane\r";
  layout.webpane_name = static_cast<std::uint32_t>(
      std::search(image.begin(), image.end(), webpane.begin(), webpane.end()) -
      image.begin());
  return layout;
}

struct Damage {
  const char *name;
  std::function<void(Bytes &, const Layout &)> change;
  const char *named; // what the message must name
};

const Damage kDamages[] = {
    {"magic", [](Bytes &b, const Layout &) { b[0] = 'X'; }, "magic"},
    {"first_section_far",
     [](Bytes &b, const Layout &) { put_u32(b, 0x24, 0x7FFFFFF0); },
     "first section offset"},
    {"library_table_end_far",
     [](Bytes &b, const Layout &) { put_u32(b, 0x54, 0x7FFFFFF0); },
     "library table end"},
    {"entry_names_a_handler",
     [](Bytes &b, const Layout &l) { put_u32(b, 0x3C, l.handler_entry); },
     "entry routine offset"},
    {"entry_outside_code",
     [](Bytes &b, const Layout &) { put_u32(b, 0x3C, 0x10); },
     "entry routine offset"},
    {"section_cycle",
     [](Bytes &b, const Layout &l) {
       put_u32(b, l.first_header + 4, l.first_header);
     },
     "cycle"},
    {"code_data_offset_far",
     [](Bytes &b, const Layout &l) {
       put_u32(b, l.code_header + 0x2C, 0x7FFFFFF0);
     },
     "data offset"},
    {"code_data_size_huge",
     [](Bytes &b, const Layout &l) {
       put_u32(b, l.code_header + 0x24, 0x7FFFFFF0);
     },
     "data size"},
    {"code_relocation_count_huge",
     [](Bytes &b, const Layout &l) {
       put_u32(b, l.code_header + 0x30, 0x3FFFFFFF);
     },
     "relocation count"},
    {"code_relocation_moved",
     [](Bytes &b, const Layout &l) {
       put_u32(b, l.code_header + 0x38,
               get_u32(b, l.code_header + 0x38) + 8 * 8);
     },
     "code relocations"},
    {"code_relocation_kind",
     [](Bytes &b, const Layout &l) {
       put_u32(b, l.code_header + 0x38,
               get_u32(b, l.code_header + 0x38) + QX_RELOC_CODE);
     },
     "code relocations"},
    {"link_service_operand",
     [](Bytes &b, const Layout &l) { put_u32(b, l.link_block, 0x1000); },
     "service table"},
    {"link_registered_operand",
     [](Bytes &b, const Layout &l) { put_u32(b, l.link_block + 16, 0x18); },
     "registered routine"},
    {"link_const_size",
     [](Bytes &b, const Layout &l) {
       put_u32(b, l.link_block + 24, get_u32(b, l.link_block + 24) + 0x1000);
     },
     "const size"},
    {"link_reserved",
     [](Bytes &b, const Layout &l) { put_u32(b, l.link_block + 28, 1); },
     "reserved word"},
    {"link_offset_far",
     [](Bytes &b, const Layout &l) {
       put_u32(b, l.code_data + 0x0C, 0x7FFFFFF0);
     },
     "link block offset"},
    {"routine_count_huge",
     [](Bytes &b, const Layout &l) {
       put_u32(b, l.code_data + 0x08, 0x7FFFFFF0);
     },
     "routine count"},
    {"handler_kind_unknown",
     [](Bytes &b, const Layout &l) { put_u32(b, l.handler_entry, 9); }, "kind"},
    {"handler_kind_start_up",
     [](Bytes &b, const Layout &l) {
       put_u32(b, l.handler_entry, QX_ROUTINE_BINDER);
     },
     "kind"},
    {"handler_arguments",
     [](Bytes &b, const Layout &l) { put_u32(b, l.handler_entry + 8, 7); },
     "argument words"},
    {"handler_name_offset_far",
     [](Bytes &b, const Layout &l) {
       put_u32(b, l.handler_entry + 4, 0x7FFFFFF0);
     },
     "name offset"},
    {"handler_named_abort",
     [](Bytes &b, const Layout &l) {
       std::memcpy(b.data() + l.first_handler_name, "abort", 6);
     },
     "abort"},
    {"library_name_with_separator",
     [](Bytes &b, const Layout &l) { b[l.webpane_name] = '/'; },
     "plain file name"},
};

// A scratch installation: the executable at `name` carrying `image` in
// place of the real image, beside links to the runtime and its files.
class Installation {
public:
  Installation(const fs::path &executable, const Bytes &image) {
    const fs::path runtime_directory = QX_TEST_RUNTIME_DIR;
    for (const char *file : {"basert.rtp", "WebPane.rtp", "ad1.htm"})
      fs::create_symlink(runtime_directory / file, m_root.path() / file);
    std::string bytes = read_file(executable);
    const Bytes real = pristine();
    std::size_t copies = 0;
    for (std::size_t at = bytes.find(std::string(real.begin(), real.end()));
         at != std::string::npos;
         at = bytes.find(std::string(real.begin(), real.end()), at + 1)) {
      std::copy(image.begin(), image.end(), bytes.begin() + at);
      ++copies;
    }
    EXPECT_GE(copies, 1u) << executable << " does not carry the image";
    m_executable = m_root.path() / executable.filename();
    write_file(m_executable, bytes);
    fs::permissions(m_executable, fs::perms::owner_all);
  }

  const fs::path &executable() const { return m_executable; }
  fs::path file(const char *name) const { return m_root.path() / name; }

private:
  TempDir m_root;
  fs::path m_executable;
};

struct Outcome {
  int status = -1; // -1: killed by a signal or the time limit
  std::string err;
};

Outcome run(const Installation &installation, const std::string &environment) {
  const std::string err = installation.file("stderr.txt").string();
  // A generous limit: a hang shows as a failure, never as a stuck suite.
  const std::string command = "env -u DISPLAY -u WAYLAND_DISPLAY " +
                              environment + " timeout -s KILL 60 '" +
                              installation.executable().string() +
                              "' </dev/null >/dev/null 2>'" + err + "'";
  const int raw = std::system(command.c_str());
  Outcome result;
  if (WIFEXITED(raw) && WEXITSTATUS(raw) < 124)
    result.status = WEXITSTATUS(raw);
  result.err = read_file(err);
  return result;
}

class DamagedImage : public ::testing::TestWithParam<Damage> {};

TEST_P(DamagedImage, IsRefusedByTheToolTheCliAndTheLauncher) {
  const Damage &damage = GetParam();
  Bytes image = pristine();
  damage.change(image, layout_of(image));
  ASSERT_NE(image, pristine());
  if (const char *seeds = std::getenv("QX_DAMAGED_IMAGE_SEEDS"))
    write_file(fs::path(seeds) / (std::string(damage.name) + ".img"),
               std::string(image.begin(), image.end()));

  const struct {
    const char *executable;
    const char *environment;
  } programs[] = {
      {QX_TEST_CLI, ""},
      {QX_TEST_QUADRIX, "QT_QPA_PLATFORM=offscreen QUADRIX_EXIT_AFTER_SHOW=1"},
  };
  for (const auto &program : programs) {
    Installation installation(program.executable, image);
    const Outcome result = run(installation, program.environment);
    EXPECT_EQ(result.status, 2) << program.executable << "\n" << result.err;
    EXPECT_NE(result.err.find("cannot load the program: "), std::string::npos)
        << program.executable << "\n"
        << result.err;
    EXPECT_NE(result.err.find(damage.named), std::string::npos)
        << program.executable << "\n"
        << result.err;
  }
}

INSTANTIATE_TEST_SUITE_P(Fields, DamagedImage, ::testing::ValuesIn(kDamages),
                         [](const auto &info) {
                           return std::string(info.param.name);
                         });

// The untouched image in the same installation starts and ends cleanly, so
// the refusals above come from the damage alone.
TEST(UndamagedImage, RunsInTheSameInstallation) {
  Installation installation(QX_TEST_CLI, pristine());
  const Outcome result = run(installation, "");
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(result.err, "");
}

// quadrix with nowhere to show its window says so and fails, instead of
// running unseen and reporting success; a platform without a display works.
TEST(NoDisplay, IsAnErrorNotSuccess) {
  const struct {
    const char *environment;
    int status;
  } cases[] = {
      {"-u QT_QPA_PLATFORM", 4},
      {"QT_QPA_PLATFORM=xcb", 4}, // would abort inside Qt without a display
      {"QT_QPA_PLATFORM=wayland", 4},
      {"QT_QPA_PLATFORM=offscreen QUADRIX_EXIT_AFTER_SHOW=1", 0},
      {"QT_QPA_PLATFORM='xcb;offscreen' QUADRIX_EXIT_AFTER_SHOW=1", 0},
  };
  Installation installation(QX_TEST_QUADRIX, pristine());
  for (const auto &c : cases) {
    const Outcome result = run(installation, c.environment);
    EXPECT_EQ(result.status, c.status) << c.environment << "\n" << result.err;
    EXPECT_EQ(result.err.find("no display") != std::string::npos, c.status != 0)
        << c.environment << "\n"
        << result.err;
  }
}

// The tool refuses what the runtime refuses: dump and embed of a damaged
// image that the layout reader alone would accept. (Whether a routine name
// resolves is known only to a running program.)
TEST(DamagedImageTool, DumpAndEmbedRefuseWhatTheRuntimeRefuses) {
  for (const char *name :
       {"link_const_size", "code_relocation_moved", "link_registered_operand",
        "entry_names_a_handler", "library_name_with_separator"}) {
    const auto damage = std::ranges::find_if(kDamages, [&](const Damage &d) {
      return std::strcmp(d.name, name) == 0;
    });
    ASSERT_NE(damage, std::end(kDamages)) << name;
    Bytes image = pristine();
    damage->change(image, layout_of(image));
    TempDir scratch;
    const fs::path file = scratch.path() / "damaged.img";
    write_file(file, std::string(image.begin(), image.end()));
    for (const std::string command : {"dump", "embed"}) {
      const std::string line =
          std::string("'") + QX_TEST_IMAGE_TOOL + "' " + command + " '" +
          file.string() + "' " +
          (command == "embed"
               ? "'" + (scratch.path() / "out.cpp").string() + "'"
               : std::string()) +
          " >/dev/null 2>&1";
      const int raw = std::system(line.c_str());
      EXPECT_TRUE(WIFEXITED(raw) && WEXITSTATUS(raw) == 1)
          << command << " " << name;
    }
  }
}

} // namespace
