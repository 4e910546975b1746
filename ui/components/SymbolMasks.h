#pragma once

#include <QImage>
#include <QString>

// Where one of the program's own symbols inks its square at a size: an 8-bit coverage mask. The
// drawings are black on transparent, with white where a filled shape is cut through (the tick
// inside a disc): white counts as no ink, so the cut shows whatever lies behind, in any tint.
//
// Drawing the first frame's symbols from their SVG cost every start several milliseconds: each
// mask is drawn once and kept in the user's cache folder, under a name made of a digest of the
// drawing and the size, so that a changed drawing is drawn anew. A kept file of the wrong length,
// or anything but a regular file, is drawn again; a folder that cannot be written costs only the
// time.
namespace SymbolMasks {

QImage mask(const QString &resource, const QSize &size);
// The same, drawn from the SVG every time.
QImage draw(const QString &resource, const QSize &size);

} // namespace SymbolMasks
