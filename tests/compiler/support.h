#pragma once

// Helpers for the compiler's tests: compile a snippet and read its listing.

#include "asc/compiler.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace zimo::asc::test {

inline std::vector<std::uint8_t> bytesOf(std::string_view source) {
    const auto result = compile(source, "t.as");
    EXPECT_TRUE(result.ok) << result.error;
    return result.actions;
}

inline std::string listingOf(std::string_view source) {
    return disassemble(bytesOf(source));
}

inline std::string errorOf(std::string_view source) {
    const auto result = compile(source, "t.as");
    EXPECT_FALSE(result.ok);
    EXPECT_TRUE(result.actions.empty());
    return result.error;
}

// The listing's lines without offsets and indentation: just the actions and operands.
inline std::vector<std::string> opsOf(std::string_view source) {
    std::vector<std::string> ops;
    std::istringstream in(listingOf(source));
    for (std::string line; std::getline(in, line);) {
        const auto start = line.find_first_not_of(' ', line.find(' '));
        ops.push_back(line.substr(start));
    }
    return ops;
}

} // namespace zimo::asc::test
