// Values between the script engine, the display list and the media engine.
#pragma once

#include "display/properties.h"
#include "media/value.h"
#include "script/engine.h"

#include <QString>

namespace zimo::bindings {

inline QString toQString(const std::string& s) {
    return QString::fromUtf8(s.data(), qsizetype(s.size()));
}
inline std::string toUtf8(const QString& s) {
    return s.toStdString();
}

script::Value fromProperty(const display::PropertyValue& value);
// A script value as a display property of the given kind: numbers for numeric
// properties, booleans for _visible, text for _name. Nothing for a value the property
// cannot take (a number that is not finite).
std::optional<display::PropertyValue> toProperty(script::Engine& engine, display::Property p,
                                                 const script::Value& value);
// Stream metadata as script objects and arrays.
script::Value fromMedia(script::Engine& engine, const media::Value& value);

} // namespace zimo::bindings
