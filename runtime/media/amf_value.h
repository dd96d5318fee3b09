// An AMF0 value as a stream's metadata carries it: the types a Flash Video file can
// hold, in a small self-contained value type (the script engine has its own Value).
#pragma once

#include <QString>

#include <cstdint>
#include <vector>

namespace zimo::media {

class AmfValue {
public:
    enum class Type { Undefined, Null, Boolean, Number, String, Date, Object, Array };
    struct Member;
    using Members = std::vector<Member>;
    using Elements = std::vector<AmfValue>;

    AmfValue() = default; // undefined
    static AmfValue null();
    static AmfValue boolean(bool b);
    static AmfValue number(double n);
    static AmfValue string(QString s);
    // Milliseconds since 1970-01-01 UTC, and the writer's time-zone offset in minutes.
    static AmfValue date(double milliseconds, int timeZoneMinutes = 0);
    // (No default arguments: the member types are not complete here.)
    static AmfValue object();
    static AmfValue object(Members members);
    static AmfValue array();
    static AmfValue array(Elements elements);

    Type type() const { return type_; }
    bool isUndefined() const { return type_ == Type::Undefined; }
    bool isNull() const { return type_ == Type::Null; }
    bool isNumber() const { return type_ == Type::Number; }
    bool isObject() const { return type_ == Type::Object; }
    bool isArray() const { return type_ == Type::Array; }

    bool toBool() const { return bool_; }
    // The number for numbers and dates (milliseconds); 0 otherwise.
    double toNumber() const { return number_; }
    const QString& toString() const { return string_; }
    int timeZoneMinutes() const { return timeZone_; }

    // Object members in the order the file gave them (a repeated name keeps
    // its first place and takes the last value).
    const Members& members() const { return members_; }
    const Elements& elements() const { return elements_; }

    // The member of an object with this name, or null when absent.
    const AmfValue* find(const QString& name) const;
    // Adds or replaces a member of an object.
    void set(const QString& name, AmfValue value);
    void append(AmfValue element);

    bool operator==(const AmfValue& other) const;

private:
    Type type_ = Type::Undefined;
    bool bool_ = false;
    double number_ = 0;
    int timeZone_ = 0;
    QString string_;
    Members members_;
    Elements elements_;
};

struct AmfValue::Member {
    QString name;
    AmfValue value;
    bool operator==(const Member& other) const = default;
};

} // namespace zimo::media
