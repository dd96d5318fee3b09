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

// The line of the listing that starts at the given offset ("0033"), without the offset.
inline std::string lineAt(const std::string& listing, const std::string& offset) {
    std::istringstream in(listing);
    for (std::string line; std::getline(in, line);)
        if (line.rfind(offset + "  ", 0) == 0) return line.substr(line.find_first_not_of(' ', 4));
    return "<no line at " + offset + ">";
}

// The target of the first branch whose line contains `what`, e.g. "If".
inline std::string branchTarget(const std::string& listing, const std::string& what) {
    std::istringstream in(listing);
    for (std::string line; std::getline(in, line);) {
        if (line.find(what) == std::string::npos) continue;
        const auto arrow = line.find("-> ");
        if (arrow != std::string::npos) return line.substr(arrow + 3, 4);
    }
    return "<no branch>";
}

} // namespace zimo::asc::test
