// Prints a program image in readable form (UTF-8).
#include "program/tool/dump.h"

#include "base/byte_reader.h"
#include "image/image_format.h"
#include "image/image_reader.h"
#include "platform/gbk.h"
#include "program/const_items.h"
#include "runtime/loader/program_check.h"
#include "window/form_io.h"

#include <algorithm>
#include <bit>
#include <cstdio>
#include <map>
#include <string>

namespace qx::image::tool {
namespace {

using namespace layout;

// A GBK text as a quoted UTF-8 literal with control characters escaped.
std::string quoted(std::string_view gbk) {
  std::string utf8 = platform::gbk_to_utf8(gbk);
  std::string out = "\"";
  for (char c : utf8) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (static_cast<unsigned char>(c) < 0x20) {
      char buffer[8];
      std::snprintf(buffer, sizeof buffer, "\\x%02x",
                    static_cast<unsigned char>(c));
      out += buffer;
    } else {
      out += c;
    }
  }
  return out + "\"";
}

std::string number(double value) {
  char buffer[40];
  std::snprintf(buffer, sizeof buffer, "%.17g", value);
  return buffer;
}

using RoutineNames = std::map<std::uint32_t, std::string>;

std::string routine(const RoutineNames &names, std::uint32_t offset) {
  if (offset == form::kNoHandler)
    return "none";
  auto it = names.find(offset);
  return hex(offset) + " " + (it == names.end() ? "(no routine)" : it->second);
}

void dump_header(const ImageInfo &info, const RoutineNames &names,
                 std::uint32_t code_data, std::ostream &out) {
  out << "header\n"
      << "  first section       " << hex(info.first_section) << "\n"
      << "  stored words        " << hex(info.stored_28) << " "
      << hex(info.stored_2c) << " " << hex(info.stored_34) << "\n"
      << "  entry routine       " << hex(info.entry_offset) << " (code offset "
      << routine(names, info.entry_offset - code_data) << ")\n"
      << "  section headers    ";
  for (std::size_t i = 0; i < kListedSections.size(); ++i)
    out << " " << kListedSections[i] << " " << hex(info.section_headers[i]);
  out << "\n  library table end   " << hex(info.library_table_end) << "\n";
  out << "libraries\n";
  for (std::size_t i = 0; i < info.libraries.size(); ++i) {
    const LibraryEntry &library = info.libraries[i];
    out << "  " << i + 1 << " " << quoted(library.name) << " "
        << library.identifier << " " << library.major << "." << library.minor
        << " " << quoted(library.description) << "\n";
  }
  out << "sections\n"
      << "  name      header    next        flags  data        size      "
         "size2     relocations\n";
  for (const SectionInfo &s : info.sections) {
    char line[160];
    std::snprintf(line, sizeof line,
                  "  %-9s %-9s %-11s %-6s %-11s %-9s %-9s %zu\n",
                  s.name.c_str(), hex(s.header_offset).c_str(),
                  hex(s.next_offset).c_str(), hex(s.flags).c_str(),
                  hex(s.data_offset).c_str(), hex(s.data_size).c_str(),
                  hex(s.data_size_copy).c_str(), s.relocations.size());
    out << line;
  }
}

// The const items as this program declares them, decoded from the image's
// data; an item runs to the next one's offset.
void dump_constants(std::span<const std::uint8_t> data, std::ostream &out) {
  out << "constants (" << hex(data.size()) << " bytes)\n";
  auto items = const_items();
  for (std::size_t i = 0; i < items.size(); ++i) {
    const ConstItem &item = items[i];
    std::size_t end = i + 1 < items.size() ? items[i + 1].offset : data.size();
    out << "  " << hex(item.offset) << " ";
    if (item.offset > data.size() || end > data.size() || end < item.offset) {
      out << "missing\n";
      continue;
    }
    auto bytes = data.subspan(item.offset, end - item.offset);
    switch (item.kind) {
    case ConstKind::Text: {
      auto terminator = std::ranges::find(bytes, std::uint8_t{0});
      out << "text " << quoted(std::string(bytes.begin(), terminator)) << "\n";
      break;
    }
    case ConstKind::Double:
      if (bytes.size() < 8) {
        out << "double (truncated)\n";
        break;
      }
      out << "double " << number(std::bit_cast<double>(load_u64(bytes, 0)))
          << " (" << hex(load_u64(bytes, 0)) << ")\n";
      break;
    case ConstKind::Array:
      out << "array {";
      for (std::size_t w = 0; w + 4 <= bytes.size(); w += 4)
        out << (w ? ", " : "") << load_u32(bytes, w);
      out << "}\n";
      break;
    }
  }
}

void dump_relocations(const ImageInfo &info, std::ostream &out) {
  std::map<std::uint32_t, std::size_t> kinds;
  if (const SectionInfo *code = info.find(kCodeSection))
    for (std::uint32_t entry : code->relocations)
      ++kinds[entry % 8];
  out << "code relocations";
  for (auto [kind, count] : kinds)
    out << "  kind " << kind << ": " << count;
  out << "\n@reloc1 (" << hex(info.identifier_tables.stored_size) << " bytes)";
  for (std::size_t t = 0; t < info.identifier_tables.tables.size(); ++t)
    out << "  table " << t + 1 << ": "
        << info.identifier_tables.tables[t].size();
  out << "\n";
}

void dump_directory(const CodeDirectory &directory, std::ostream &out) {
  out << "code directory (link block at " << hex(directory.link_offset)
      << ")\n";
  static constexpr const char *kKindNames[] = {
      "?", "binder", "entry", "init", "registered", "subroutine", "handler"};
  for (const DirectoryRoutine &r : directory.routines)
    out << "  " << hex(r.code_offset) << " " << kKindNames[r.kind] << " "
        << r.name << (r.arg_words ? " (3 argument words)" : "") << "\n";
}

std::string unit_name(std::uint32_t unit) {
  switch (unit) {
  case QX_UNIT_WINDOW:
    return "window";
  case QX_UNIT_MENU_ITEM:
    return "menu item";
  case QX_UNIT_EDIT_BOX:
    return "edit box";
  case QX_UNIT_LABEL:
    return "label";
  case QX_UNIT_BUTTON:
    return "button";
  case QX_UNIT_CHECK_BOX:
    return "check box";
  case QX_UNIT_COMBO_BOX:
    return "combo box";
  case QX_UNIT_TAB_CONTROL:
    return "tab control";
  case QX_UNIT_HYPERLINK_BOX:
    return "hyperlink box";
  case QX_UNIT_HYPERTEXT_VIEW:
    return "hypertext view";
  default:
    return hex(unit);
  }
}

std::string font_text(const std::optional<form::Font> &font) {
  if (!font)
    return "default";
  auto end = std::ranges::find(font->face_name, std::uint8_t{0});
  return quoted(std::string(font->face_name.begin(), end)) + " height " +
         std::to_string(font->height) + " weight " +
         std::to_string(font->weight) + " charset " +
         std::to_string(font->char_set);
}

void dump_props(const form::Props &props, std::ostream &out) {
  const std::string indent = "      ";
  std::visit(
      [&](const auto &p) {
        using T = std::decay_t<decltype(p)>;
        if constexpr (std::is_same_v<T, form::WindowProps>) {
          out << indent << "title " << quoted(p.title) << ", icon "
              << p.icon.size() << " bytes, background " << hex(p.background)
              << "\n";
        } else if constexpr (std::is_same_v<T, form::EditProps>) {
          out << indent << "input mode " << p.input_mode << ", border "
              << p.border_style << ", text " << hex(p.text_colour)
              << ", background " << hex(p.background) << "\n";
        } else if constexpr (std::is_same_v<T, form::LabelProps>) {
          out << indent << "caption " << quoted(p.caption) << ", text "
              << hex(p.text_colour) << ", attributes A " << p.attr_a << " B "
              << p.attr_b << ", font " << font_text(p.font) << "\n";
        } else if constexpr (std::is_same_v<T, form::ButtonProps>) {
          out << indent << "caption " << quoted(p.caption) << "\n";
        } else if constexpr (std::is_same_v<T, form::CheckBoxProps>) {
          out << indent << "caption " << quoted(p.caption) << ", font "
              << font_text(p.font) << "\n";
        } else if constexpr (std::is_same_v<T, form::ComboProps>) {
          out << indent << "items";
          for (const form::ComboItem &item : p.items)
            out << " " << item.value << "=" << quoted(item.text);
          out << "\n";
        } else if constexpr (std::is_same_v<T, form::TabProps>) {
          out << indent << "pages";
          for (const std::string &page : p.pages)
            out << " " << quoted(page);
          out << ", font " << font_text(p.font) << "\n";
        } else if constexpr (std::is_same_v<T, form::HyperlinkProps>) {
          out << indent << "caption " << quoted(p.caption) << ", target "
              << quoted(p.target) << ", link attribute " << p.attr_18 << "\n";
        } else {
          out << indent << "address " << quoted(p.address) << "\n";
        }
      },
      props);
}

void dump_form(const form::Form &form, const RoutineNames &names,
               std::ostream &out) {
  out << "form: leading word " << form.leading_word << ", window "
      << hex(form.window_id) << ", constant " << hex(form.window_constant)
      << ", " << form.records.size() << " records\n";
  for (std::size_t i = 0; i < form.records.size(); ++i) {
    if (const auto *item =
            std::get_if<form::MenuItemRecord>(&form.records[i])) {
      out << "  " << i << " " << hex(item->id) << " menu item level "
          << item->level << " caption " << quoted(item->caption) << " handler "
          << routine(names, item->handler) << "\n";
      continue;
    }
    const auto &r = std::get<form::ControlRecord>(form.records[i]);
    out << "  " << i << " " << hex(r.id) << " " << unit_name(r.unit_type) << " "
        << quoted(r.name) << " rect (" << r.rect.left << ", " << r.rect.top
        << ", " << r.rect.width << ", " << r.rect.height << ") flags "
        << hex(r.flags) << " parent " << hex(r.parent) << "\n";
    for (std::size_t page = 0; page < r.pages.size(); ++page)
      out << "      page " << page << ": " << r.pages[page].size()
          << " controls\n";
    for (const form::EventBinding &binding : r.events)
      out << "      event " << binding.event << " -> "
          << routine(names, binding.handler) << "\n";
    dump_props(r.props, out);
  }
}

// Runs one part of the dump; prints its error in its place.
template <typename Fn> bool attempt(std::ostream &out, Fn &&part) {
  try {
    part();
    return true;
  } catch (const FormatError &error) {
    out << "error: " << error.what() << "\n";
    return false;
  }
}

} // namespace

bool dump_image(std::span<const std::uint8_t> image, std::ostream &out) {
  out << "image: " << hex(image.size()) << " bytes\n";
  ImageInfo info;
  if (!attempt(out, [&] { info = read_image(image); }))
    return false;
  const SectionInfo &code = *info.find(kCodeSection);
  CodeDirectory directory;
  RoutineNames names;
  bool ok = attempt(out, [&] {
    directory = read_code_directory(section_data(image, code));
    for (const DirectoryRoutine &r : directory.routines)
      names[r.code_offset] = r.name;
  });
  dump_header(info, names, code.data_offset, out);
  dump_constants(section_data(image, *info.find(kConstSection)), out);
  dump_relocations(info, out);
  dump_directory(directory, out);
  ok &= attempt(out, [&] {
    dump_form(form::read_form(section_data(image, *info.find(kFormSection))),
              names, out);
  });
  // What the runtime checks beyond the layout: refused here as there.
  return ok && attempt(out, [&] { read_program(image); });
}

} // namespace qx::image::tool
