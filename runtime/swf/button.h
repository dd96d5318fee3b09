// Buttons (DefineButton, DefineButton2): state records and condition actions.
#pragma once

#include "swf/reader.h"
#include "swf/types.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace zimo::swf {

enum ButtonStateFlag : std::uint8_t {
    kButtonUp = 0x01,
    kButtonOver = 0x02,
    kButtonDown = 0x04,
    kButtonHitTest = 0x08,
};

struct ButtonRecord {
    std::uint8_t states = 0; // ButtonStateFlag bits
    std::uint16_t characterId = 0;
    std::uint16_t depth = 0;
    Matrix matrix;
    ColorTransform colorTransform;
};

// Condition bits of a button action, the first record byte in the low byte.
enum ButtonCondition : std::uint16_t {
    kCondIdleToOverUp = 0x0001,
    kCondOverUpToIdle = 0x0002,
    kCondOverUpToOverDown = 0x0004, // press
    kCondOverDownToOverUp = 0x0008, // release
    kCondOverDownToOutDown = 0x0010,
    kCondOutDownToOverDown = 0x0020,
    kCondOutDownToIdle = 0x0040, // release outside
    kCondIdleToOverDown = 0x0080,
    kCondOverDownToIdle = 0x0100,
};

struct ButtonAction {
    std::uint16_t conditions = 0;
    std::vector<std::uint8_t> actions;
};

struct ButtonDef {
    std::uint16_t id = 0;
    int version = 2;
    bool trackAsMenu = false;
    std::vector<ButtonRecord> records;
    std::vector<ButtonAction> actions;

    bool hasHitArea() const {
        for (const auto& rec : records)
            if (rec.states & kButtonHitTest) return true;
        return false;
    }
};

std::optional<ButtonDef> parseDefineButton(Reader& r, int buttonVersion, std::string& error);

// Skips a FILTERLIST record; false when it is malformed.
bool skipFilterList(Reader& r);

} // namespace zimo::swf
