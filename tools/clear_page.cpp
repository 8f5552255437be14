// The clear link: OnClearPage empties the edit boxes of the page on show and
// brings the guide back into the hypertext view.
#include "program/const_pool.h"
#include "program/control_ids.h"
#include "program/tool_routines.h"
#include "runtime/sdk/sdk.h"

#include <span>

using namespace qx;

// The pages and their boxes come from the tab control's declaration. A
// page's first edit box is its sentinel: the page is on show when the
// sentinel reads as visible. Pages are tried in tab order and only the first
// on show is cleared; a call with no page on show changes nothing.
QX_IMAGE_ROUTINE void OnClearPage(std::int32_t, std::int32_t, std::int32_t) {
  const char *empty = sdk::const_text(image::konst::kEmptyText);
  for (std::span<const std::uint32_t> boxes : ctl::kPageEditBoxes) {
    if (boxes.empty() || !sdk::read_visible(boxes.front()))
      continue;
    for (std::uint32_t box : boxes)
      sdk::write_text(box, empty);
    // The working on show belonged to boxes that are empty now.
    sdk::show_guide(ctl::超文本浏览框1);
    return;
  }
}
