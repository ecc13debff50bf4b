#include "host/qt/trace_members.h"

#include <QFont>
#include <QPixmap>
#include <QString>

#include "control/convert.h"
#include "host/qt/qt_values.h"

namespace brelund::qt {

namespace {

bool same_text(const std::string& s) { return QString::fromStdString(s).toStdString() == s; }
bool same_font(const Font& f) { return *from_qfont(to_qfont(f)) == f; }

constexpr const char* kNotUtf8 = "a QString does not carry text that is not UTF-8";
constexpr const char* kFont =
    "a QFont does not carry this font exactly (a character set, or a weight that Bold does not "
    "agree with)";
constexpr const char* kEmptyPicture =
    "a QPixmap has no picture object without an image: a null pixmap is no picture";

// The picture as a pixmap, and whether the widget, which makes a picture of the pixmap's pixels,
// gets these pixels back exactly.
QPixmap pixmap_of(const Picture& p, std::string& not_carried) {
  QPixmap pixmap = QPixmap::fromImage(to_qimage(p));
  const PictureRef back = from_qimage(pixmap.toImage());
  if (back->width != p.width || back->height != p.height || !(back->pixels == p.pixels))
    not_carried = "a QPixmap does not keep the pixels of this picture exactly";
  return pixmap;
}

PictureRef picture_of(const QPixmap& pixmap) {
  if (pixmap.isNull()) return nullptr;
  QImage image = pixmap.toImage();
  // The widget answers a sharper pixmap it was given as it was given; its picture is the
  // pixmap at its device-independent size.
  if (pixmap.devicePixelRatio() != 1)
    image = image.scaled(pixmap.deviceIndependentSize().toSize(), Qt::IgnoreAspectRatio,
                         Qt::SmoothTransformation);
  return from_qimage(image);
}

}  // namespace

WidgetValue to_widget(const Member& member, const Variant& value) {
  WidgetValue out;
  switch (member.type) {
    case ValueType::string: {
      const std::string s = convert::to_string(value);
      if (!same_text(s)) out.not_carried = kNotUtf8;
      out.value = QString::fromStdString(s);
      break;
    }
    case ValueType::boolean:
      out.value = convert::to_bool(value) != 0;
      break;
    case ValueType::int16:
      out.value = static_cast<int>(convert::to_int16(value));
      break;
    case ValueType::int32:
    case ValueType::ole_color:
      out.value = static_cast<int>(convert::to_int32(value));
      break;
    case ValueType::font: {
      const FontRef f = convert::to_font(value);
      if (!same_font(*f)) out.not_carried = kFont;
      out.value = QVariant::fromValue(to_qfont(*f));
      break;
    }
    case ValueType::picture: {
      const PictureRef p = convert::to_picture(value);
      if (!p) {
        out.value = QVariant::fromValue(QPixmap());
      } else if (p->handle == 0) {
        out.not_carried = kEmptyPicture;
      } else {
        out.value = QVariant::fromValue(pixmap_of(*p, out.not_carried));
      }
      break;
    }
    case ValueType::none:
      out.not_carried = "the member takes no value";
      break;
  }
  return out;
}

Variant from_widget(const Member& member, const QVariant& answer, const Variant& control,
                    std::string& not_carried) {
  switch (member.type) {
    case ValueType::string:
      if (const auto* s = std::get_if<std::string>(&control); s && !same_text(*s))
        not_carried = kNotUtf8;
      return answer.toString().toStdString();
    case ValueType::boolean:
      return answer.toBool();
    case ValueType::int16:
      return static_cast<std::int16_t>(answer.toInt());
    case ValueType::int32:
    case ValueType::ole_color:
      return static_cast<std::int32_t>(answer.toInt());
    case ValueType::font: {
      const auto* f = std::get_if<FontRef>(&control);
      if (!f || !*f || !same_font(**f)) not_carried = kFont;
      return from_qfont(answer.value<QFont>());
    }
    case ValueType::picture: {
      const auto* p = std::get_if<PictureRef>(&control);
      if (p && *p && (*p)->handle == 0)
        not_carried = "a null QPixmap does not tell no picture from a picture without an image";
      const PictureRef picture = picture_of(answer.value<QPixmap>());
      return picture;
    }
    case ValueType::none:
      break;
  }
  return {};
}

}  // namespace brelund::qt
