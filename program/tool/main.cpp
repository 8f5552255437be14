// quadrix-image: writes, embeds, dumps and extracts the program image.
#include "base/byte_reader.h"
#include "image/image_reader.h"
#include "program/const_items.h"
#include "program/image_builder.h"
#include "program/tool/declared_headers.h"
#include "program/tool/dump.h"
#include "program/tool/embed.h"
#include "program/tool/executable_image.h"
#include "runtime/loader/program_check.h"
#include "window/form_io.h"

#if QX_HAVE_WINDOW_DECL
#include "program/main_window.h"
#endif

#include <cstdio>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

using namespace qx::image;

constexpr std::size_t kMaxInputSize = std::size_t{1} << 30;

constexpr const char *kUsage =
    "usage: quadrix-image write OUT          write the program image\n"
    "       quadrix-image embed IMAGE OUT    C++ source carrying IMAGE\n"
    "       quadrix-image dump FILE          print an image, or the image\n"
    "                                        an executable carries\n"
    "       quadrix-image extract FILE OUT   write the image FILE carries\n"
    "       quadrix-image section FILE NAME OUT\n"
    "                                        write one section's data\n"
    "       quadrix-image consts OUT         header of the const offsets\n"
    "       quadrix-image ids OUT            header of the main window's\n"
    "                                        control and menu identifiers\n";

std::vector<std::uint8_t> read_file(const std::string &path) {
  std::ifstream in(path, std::ios::binary);
  if (!in)
    throw std::runtime_error("cannot open " + path);
  in.seekg(0, std::ios::end);
  auto size = static_cast<std::size_t>(in.tellg());
  if (size > kMaxInputSize)
    throw std::runtime_error(path + " is larger than 1 GiB");
  in.seekg(0);
  std::vector<std::uint8_t> bytes(size);
  in.read(reinterpret_cast<char *>(bytes.data()),
          static_cast<std::streamsize>(size));
  if (!in)
    throw std::runtime_error("cannot read " + path);
  return bytes;
}

// Writes through a temporary file, so a failed run leaves no partial output
// for the build to pick up.
void write_file(const std::string &path, std::span<const std::uint8_t> bytes) {
  std::string temporary = path + ".tmp";
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char *>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    if (!out)
      throw std::runtime_error("cannot write " + temporary);
  }
  if (std::rename(temporary.c_str(), path.c_str()) != 0)
    throw std::runtime_error("cannot rename " + temporary + " to " + path);
}

// Writes `text` unless the file already holds it, so that the build does
// not recompile what includes an unchanged header.
void write_text_file(const std::string &path, const std::string &text) {
  {
    std::ifstream in(path, std::ios::binary);
    if (in && std::string(std::istreambuf_iterator<char>(in), {}) == text)
      return;
  }
  write_file(path,
             std::span(reinterpret_cast<const std::uint8_t *>(text.data()),
                       text.size()));
}

int write_const_offsets(const std::string &path) {
  std::ostringstream header;
  qx::image::tool::write_const_offsets_header(const_items(),
                                              classic_item_count(), header);
  write_text_file(path, header.str());
  return 0;
}

int write_control_ids(const std::string &path) {
#if QX_HAVE_WINDOW_DECL
  // Identifiers do not depend on where the routines' code lies.
  qx::form::Form form = qx::window::main_window_form(
      [](const qx::window::HandlerRef &) { return 0u; });
  std::vector<qx::image::tool::NamedId> menu;
  for (const qx::window::MenuEntry &entry : qx::window::tools_menu())
    menu.push_back({entry.name, entry.id});
  std::ostringstream header;
  qx::image::tool::write_control_ids_header(form, menu, header);
  write_text_file(path, header.str());
  return 0;
#else
  (void)path;
  std::cerr << "quadrix-image: ids: this build has no main window "
               "declaration (target qx_window_decl)\n";
  return 1;
#endif
}

int write_program_image(const std::string &path) {
#if QX_HAVE_WINDOW_DECL
  ProgramImage image = build_program_image([](const HandlerOffsetFn &offset) {
    return qx::window::main_window_form([&](const qx::window::HandlerRef &ref) {
      return offset({ref.routine, ref.arg_words});
    });
  });
  write_file(path, image.bytes);
  return 0;
#else
  (void)path;
  std::cerr << "quadrix-image: write: this build has no main window "
               "declaration (target qx_window_decl), so there is no program "
               "to write\n";
  return 1;
#endif
}

int embed(const std::string &image_path, const std::string &out_path) {
  std::vector<std::uint8_t> image = read_file(image_path);
  read_program(image);
  std::ostringstream source;
  qx::image::tool::write_embedded_source(image, source);
  std::string text = source.str();
  write_file(out_path,
             std::span(reinterpret_cast<const std::uint8_t *>(text.data()),
                       text.size()));
  return 0;
}

int dump(const std::string &path) {
  std::vector<std::uint8_t> file = read_file(path);
  return qx::image::tool::dump_image(qx::image::tool::find_image(file),
                                     std::cout)
             ? 0
             : 1;
}

int extract(const std::string &path, const std::string &out_path) {
  std::vector<std::uint8_t> file = read_file(path);
  write_file(out_path, qx::image::tool::find_image(file));
  return 0;
}

int section(const std::string &path, const std::string &name,
            const std::string &out_path) {
  std::vector<std::uint8_t> file = read_file(path);
  auto image = qx::image::tool::find_image(file);
  ImageInfo info = read_image(image);
  const SectionInfo *found = info.find(name);
  if (!found)
    throw qx::FormatError("the image has no section " + name);
  write_file(out_path, section_data(image, *found));
  return 0;
}

int run(const std::vector<std::string> &args) {
  if (args.size() == 2 && args[0] == "write")
    return write_program_image(args[1]);
  if (args.size() == 3 && args[0] == "embed")
    return embed(args[1], args[2]);
  if (args.size() == 2 && args[0] == "dump")
    return dump(args[1]);
  if (args.size() == 3 && args[0] == "extract")
    return extract(args[1], args[2]);
  if (args.size() == 2 && args[0] == "consts")
    return write_const_offsets(args[1]);
  if (args.size() == 2 && args[0] == "ids")
    return write_control_ids(args[1]);
  if (args.size() == 4 && args[0] == "section")
    return section(args[1], args[2], args[3]);
  std::cerr << kUsage;
  return 2;
}

} // namespace

int main(int argc, char **argv) {
  try {
    return run(std::vector<std::string>(argv + 1, argv + argc));
  } catch (const std::exception &error) {
    std::cerr << "quadrix-image: " << error.what() << "\n";
    return 1;
  }
}
