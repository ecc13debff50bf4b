// Conversions between the control's value types and Qt's: fonts, pictures, colours, the mask.
#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QRegion>

#include "brelund/host.h"
#include "brelund/mask.h"

namespace brelund::qt {

QFont to_qfont(const Font& f);
FontRef from_qfont(const QFont& f);
// The same, one object for the same font asked for again: the buttons of a window start in its
// font, and each need not hold a copy of its own. (The control's values are never changed in
// place, so an object may be shared.)
FontRef shared_from_qfont(const QFont& f);
// The font a caption is drawn in, shared by the captions in the same font (Qt shares a copied
// QFont's data): glyphs fitted to whole pixels, advances included, and no kerning.
QFont caption_qfont(const Font& f);

// An empty picture object (handle 0) becomes a null image and back; nothing stays nothing.
QImage to_qimage(const Picture& p);
PictureRef from_qimage(const QImage& img);

// An OLE colour, system references resolved through the platform, as a QColor.
QColor to_qcolor(host::Platform& platform, OleColor c);

// The opaque part of the mask: its runs.
QRegion mask_region(const MaskShape& mask);

}  // namespace brelund::qt
