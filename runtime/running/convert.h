// Values between the script engine, the display list and the media engine.
#pragma once

#include "display/properties.h"
#include "media/amf_value.h"
#include "script/engine.h"
#include "script/text.h"

#include <QString>

namespace zimo::running {

// The engine keeps text as UTF-8 with lone surrogates in their three-byte form, so text
// that is not well-formed UTF-16 (a file name's undecodable bytes, carried as lone
// surrogates) goes through the scripts and back unchanged.
inline QString toQString(const std::string& s) {
    const std::u16string units = script::toUtf16(s);
    return QString(reinterpret_cast<const QChar*>(units.data()), qsizetype(units.size()));
}
// A QString's UTF-16 units, as script::toUtf8 takes them to make the engine's text.
inline std::u16string_view utf16(const QString& s) {
    return {reinterpret_cast<const char16_t*>(s.utf16()), std::size_t(s.size())};
}

script::Value fromProperty(const display::PropertyValue& value);
// A script value as a display property of the given kind: numbers for numeric
// properties, booleans for _visible, text for _name. Nothing for a value the property
// cannot take (a number that is not finite).
std::optional<display::PropertyValue> toProperty(script::Engine& engine, display::Property p,
                                                 const script::Value& value);
// Stream metadata as script objects and arrays.
script::Value fromMedia(script::Engine& engine, const media::AmfValue& value);

} // namespace zimo::running
