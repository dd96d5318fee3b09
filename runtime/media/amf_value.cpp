#include "media/amf_value.h"

namespace zimo::media {

AmfValue AmfValue::null() {
    AmfValue v;
    v.type_ = Type::Null;
    return v;
}

AmfValue AmfValue::boolean(bool b) {
    AmfValue v;
    v.type_ = Type::Boolean;
    v.bool_ = b;
    return v;
}

AmfValue AmfValue::number(double n) {
    AmfValue v;
    v.type_ = Type::Number;
    v.number_ = n;
    return v;
}

AmfValue AmfValue::string(QString s) {
    AmfValue v;
    v.type_ = Type::String;
    v.string_ = std::move(s);
    return v;
}

AmfValue AmfValue::date(double milliseconds, int timeZoneMinutes) {
    AmfValue v;
    v.type_ = Type::Date;
    v.number_ = milliseconds;
    v.timeZone_ = timeZoneMinutes;
    return v;
}

AmfValue AmfValue::object() {
    return object(Members{});
}

AmfValue AmfValue::array() {
    return array(Elements{});
}

AmfValue AmfValue::object(Members members) {
    AmfValue v;
    v.type_ = Type::Object;
    for (auto& m : members)
        v.set(m.name, std::move(m.value));
    return v;
}

AmfValue AmfValue::array(Elements elements) {
    AmfValue v;
    v.type_ = Type::Array;
    v.elements_ = std::move(elements);
    return v;
}

const AmfValue* AmfValue::find(const QString& name) const {
    for (const auto& m : members_)
        if (m.name == name) return &m.value;
    return nullptr;
}

void AmfValue::set(const QString& name, AmfValue value) {
    for (auto& m : members_) {
        if (m.name == name) {
            m.value = std::move(value);
            return;
        }
    }
    members_.push_back({name, std::move(value)});
}

void AmfValue::append(AmfValue element) {
    elements_.push_back(std::move(element));
}

bool AmfValue::operator==(const AmfValue& other) const {
    if (type_ != other.type_) return false;
    switch (type_) {
    case Type::Undefined:
    case Type::Null:
        return true;
    case Type::Boolean:
        return bool_ == other.bool_;
    case Type::Number:
        return number_ == other.number_;
    case Type::String:
        return string_ == other.string_;
    case Type::Date:
        return number_ == other.number_ && timeZone_ == other.timeZone_;
    case Type::Object:
        return members_ == other.members_;
    case Type::Array:
        return elements_ == other.elements_;
    }
    return false;
}

} // namespace zimo::media
