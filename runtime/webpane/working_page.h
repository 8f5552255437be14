// The working of a calculation as the hypertext view shows it: each
// paragraph of the document as a block of rich text in the guide's style,
// text as text, and every fraction and root laid out here into boxes and
// painted as an image that sits on the text's baseline.
#pragma once

#include "document/document.h"

#include <QColor>
#include <QFont>
#include <QImage>

class QTextDocument;

namespace qx::webpane {

// The address of the return link, which brings the guide back.
inline constexpr const char *kReturnLinkAddress = "qx-return:guide";

// One formula node painted in `ink` on a transparent image, its baseline
// exactly in the middle of the image's height (so that an image centred on
// the text's baseline sits on it). A fraction is its numerator over a bar
// over its denominator; a root is the radical sign with a bar over the
// radicand; raised and lowered spans are smaller. Nodes the document model
// does not allow (a fraction without two parts) paint as nothing.
QImage renderFormula(const doc::Node &node, const QFont &font,
                     const QColor &ink);

// Replaces the content of `target` with `working`, in `font` (the view's
// font) and `ink`. Formula images are added to `target` as resources.
void writeWorking(QTextDocument &target, const doc::Document &working,
                  const QFont &font, const QColor &ink);

} // namespace qx::webpane
