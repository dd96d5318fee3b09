#include "convert.h"

#include <cmath>

namespace zimo::running {

script::Value fromProperty(const display::PropertyValue& value) {
    if (const auto* n = std::get_if<double>(&value)) return script::Value(*n);
    if (const auto* b = std::get_if<bool>(&value)) return script::Value(*b);
    if (const auto* s = std::get_if<QString>(&value))
        return script::Value(script::toUtf8(utf16(*s)));
    return {};
}

std::optional<display::PropertyValue> toProperty(script::Engine& engine, display::Property p,
                                                 const script::Value& value) {
    switch (p) {
    case display::Property::Visible:
        return display::PropertyValue(script::toBoolean(engine.toPrimitive(value)));
    case display::Property::Name:
        return display::PropertyValue(toQString(engine.toString(value)));
    default: {
        const double n = engine.toNumber(value);
        if (!std::isfinite(n)) return std::nullopt; // the item keeps its place
        return display::PropertyValue(n);
    }
    }
}

script::Value fromMedia(script::Engine& engine, const media::AmfValue& value) {
    using T = media::AmfValue::Type;
    switch (value.type()) {
    case T::Undefined:
        return {};
    case T::Null:
        return script::Value::null();
    case T::Boolean:
        return script::Value(value.toBool());
    case T::Number:
    case T::Date:
        return script::Value(value.toNumber());
    case T::String:
        return script::Value(script::toUtf8(utf16(value.toString())));
    case T::Object: {
        script::Object* object = engine.newObject();
        for (const auto& member : value.members())
            engine.set(object, script::toUtf8(utf16(member.name)), fromMedia(engine, member.value));
        return script::Value(object);
    }
    case T::Array: {
        std::vector<script::Value> elements;
        for (const auto& element : value.elements())
            elements.push_back(fromMedia(engine, element));
        return script::Value(engine.newArray(std::move(elements)));
    }
    }
    return {};
}

} // namespace zimo::running
