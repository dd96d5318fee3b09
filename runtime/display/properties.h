// Item properties by the names the scripts use (_x, _alpha, _currentframe, ...).
#pragma once

#include "display/display_object.h"

#include <QString>
#include <QStringView>

#include <optional>
#include <variant>

namespace zimo::display {

enum class Property {
    X,
    Y,
    XScale,
    YScale,
    Rotation,
    Width,
    Height,
    Alpha,
    Visible,
    CurrentFrame,
    TotalFrames,
    FramesLoaded,
    Name,
    XMouse,
    YMouse,
};

// The property for a name such as "_alpha" (case-insensitive), or nothing.
std::optional<Property> propertyByName(QStringView name);

// A property value: a number, a boolean or a string; monostate when the item has no
// such property (e.g. _currentframe of a shape).
using PropertyValue = std::variant<std::monostate, double, bool, QString>;

// `stageMouse` is the pointer on the stage, for _xmouse and _ymouse.
PropertyValue getProperty(const DisplayObject& item, Property p, QPointF stageMouse = {});

// Sets a property from a number (booleans from non-zero, names from text). Returns false
// for a read-only property or a value that does not fit it.
bool setProperty(DisplayObject& item, Property p, const PropertyValue& value);

// Sets the box width or height in the parent's units by scaling the item; an item
// without content keeps its scale.
void setBoxWidth(DisplayObject& item, double width);
void setBoxHeight(DisplayObject& item, double height);

// A value as the scripts print it: integers without a fraction, others with up to 15
// significant digits; "true"/"false"; "NaN", "Infinity", "-Infinity".
QString formatValue(const PropertyValue& value);
QString formatNumber(double n);

} // namespace zimo::display
