// The control's members as BotonWidget publishes them: a trace value converted to the Qt type of
// the widget's property, and the widget's answer back, for the trace to drive the widget through
// its Q_PROPERTYs as an application does.
#pragma once

#include <QVariant>
#include <string>

#include "brelund/values.h"
#include "control/property_table.h"

namespace brelund::qt {

// A member's value in the widget's type, or why that type cannot carry it exactly (then `value`
// is not to be used).
struct WidgetValue {
  QVariant value;
  std::string not_carried;
};

// The value to assign: converted to the member's type by the control's rules first (a value of
// the wrong kind or out of range throws the control's error, as assigning it would), then to the
// widget's property type.
WidgetValue to_widget(const Member& member, const Variant& value);

// The member's value from the widget's answer `answer`; `control` is the control's own value,
// which says whether the widget's type can carry it at all (a null pixmap stands for both no
// picture and a picture without an image; a QFont has no character set). `not_carried` says why
// when it cannot.
Variant from_widget(const Member& member, const QVariant& answer, const Variant& control,
                    std::string& not_carried);

}  // namespace brelund::qt
