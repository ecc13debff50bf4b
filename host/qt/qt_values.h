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

// An empty picture object (handle 0) becomes a null image and back; nothing stays nothing.
QImage to_qimage(const Picture& p);
PictureRef from_qimage(const QImage& img);

// An OLE colour, system references resolved through the platform, as a QColor.
QColor to_qcolor(host::Platform& platform, OleColor c);

// The opaque part of the mask: its runs.
QRegion mask_region(const MaskShape& mask);

}  // namespace brelund::qt
