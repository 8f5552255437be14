// Tests of the image builder: the routine directory it derives from the
// form and its refusal of inconsistent declarations.
#include "image/image_format.h"
#include "image/image_reader.h"
#include "program/image_builder.h"
#include "tests/image/test_image.h"
#include "window/form_io.h"

#include <gtest/gtest.h>

namespace qx::image {
namespace {

TEST(ImageBuilder, DirectoryListsStartupPiecesThenHandlersOnce) {
  ProgramImage built = test::small_image();
  const std::vector<RoutineDecl> expected = {
      {QX_ROUTINE_BINDER, "qx_program_bind", 0},
      {QX_ROUTINE_ENTRY, "qx_program_entry", 0},
      {QX_ROUTINE_INIT, "qx_program_init", 0},
      {QX_ROUTINE_REGISTERED, "qx_program_registered", 0},
      {QX_ROUTINE_SUBROUTINE, "startup_subroutine", 0},
      {QX_ROUTINE_HANDLER, "OnWindowCreated", 0},
      {QX_ROUTINE_HANDLER, "OnSolve", 0},
      {QX_ROUTINE_HANDLER, "OnClick", 3},
  };
  EXPECT_EQ(built.routines, expected);
}

TEST(ImageBuilder, FormBindsHandlersByTheirEntryOffsets) {
  ProgramImage built = test::small_image();
  ImageInfo info = read_image(built.bytes);
  CodeDirectory directory =
      read_code_directory(section_data(built.bytes, *info.find("code")));
  form::Form form =
      form::read_form(section_data(built.bytes, *info.find("form")));
  auto name_at = [&](std::uint32_t offset) {
    const DirectoryRoutine *r = find_routine(directory, offset);
    return r ? r->name : std::string("(none)");
  };
  const auto &window = std::get<form::ControlRecord>(form.records[0]);
  EXPECT_EQ(name_at(window.events[0].handler), "OnWindowCreated");
  const auto &label = std::get<form::ControlRecord>(form.records[2]);
  EXPECT_EQ(label.events[0].event, -1);
  EXPECT_EQ(name_at(label.events[0].handler), "OnClick");
  const auto &menu = std::get<form::MenuItemRecord>(form.records[3]);
  EXPECT_EQ(name_at(menu.handler), "OnSolve");
}

TEST(ImageBuilder, RefusesInconsistentBindings) {
  EXPECT_THROW(build_program_image([](const HandlerOffsetFn &offset_of) {
                 offset_of({"OnA", 0});
                 offset_of({"OnA", 3});
                 return form::Form{};
               }),
               FormatError);
  EXPECT_THROW(build_program_image([](const HandlerOffsetFn &offset_of) {
                 offset_of({"qx_program_entry", 0});
                 return form::Form{};
               }),
               FormatError);
  EXPECT_THROW(build_program_image([](const HandlerOffsetFn &offset_of) {
                 offset_of({"OnA", 2});
                 return form::Form{};
               }),
               FormatError);
}

} // namespace
} // namespace qx::image
