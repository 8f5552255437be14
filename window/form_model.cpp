// Equality of form model values that the defaulted operators cannot express.
#include "window/form_model.h"

#include <algorithm>
#include <span>

namespace qx::form {
namespace {

// The face name up to (not including) its terminator.
std::span<const std::uint8_t> meaningful_face(const Font &font) {
  auto end =
      std::find(font.face_name.begin(), font.face_name.end(), std::uint8_t{0});
  return {font.face_name.begin(), end};
}

} // namespace

bool Font::operator==(const Font &other) const {
  auto face = meaningful_face(*this);
  auto other_face = meaningful_face(other);
  return height == other.height && width == other.width &&
         escapement == other.escapement && orientation == other.orientation &&
         weight == other.weight && italic == other.italic &&
         underline == other.underline && strike_out == other.strike_out &&
         char_set == other.char_set && out_precision == other.out_precision &&
         clip_precision == other.clip_precision && quality == other.quality &&
         pitch_and_family == other.pitch_and_family &&
         std::ranges::equal(face, other_face);
}

} // namespace qx::form
