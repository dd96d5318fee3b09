#include "media/value.h"

namespace zimo::media {

Value Value::null() {
    Value v;
    v.type_ = Type::Null;
    return v;
}

Value Value::boolean(bool b) {
    Value v;
    v.type_ = Type::Boolean;
    v.bool_ = b;
    return v;
}

Value Value::number(double n) {
    Value v;
    v.type_ = Type::Number;
    v.number_ = n;
    return v;
}

Value Value::string(QString s) {
    Value v;
    v.type_ = Type::String;
    v.string_ = std::move(s);
    return v;
}

Value Value::date(double milliseconds, int timeZoneMinutes) {
    Value v;
    v.type_ = Type::Date;
    v.number_ = milliseconds;
    v.timeZone_ = timeZoneMinutes;
    return v;
}

Value Value::object() {
    return object(Members{});
}

Value Value::array() {
    return array(Elements{});
}

Value Value::object(Members members) {
    Value v;
    v.type_ = Type::Object;
    for (auto& m : members)
        v.set(m.name, std::move(m.value));
    return v;
}

Value Value::array(Elements elements) {
    Value v;
    v.type_ = Type::Array;
    v.elements_ = std::move(elements);
    return v;
}

const Value* Value::find(const QString& name) const {
    for (const auto& m : members_)
        if (m.name == name) return &m.value;
    return nullptr;
}

void Value::set(const QString& name, Value value) {
    for (auto& m : members_) {
        if (m.name == name) {
            m.value = std::move(value);
            return;
        }
    }
    members_.push_back({name, std::move(value)});
}

void Value::append(Value element) {
    elements_.push_back(std::move(element));
}

bool Value::operator==(const Value& other) const {
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
