#pragma once

// The movie's ActionScript compiler: turns the player movie's scripts into SWF action
// records at build time, and lists such records back in readable form.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace zimo::asc {

struct CompileResult {
    bool ok = false;
    // Action records ending with ActionEnd (0x00), ready to be the body of a DoAction tag
    // of a version 8 movie. Empty when compiling failed.
    std::vector<std::uint8_t> actions;
    // "file:line:column: message" for the first error; empty on success.
    std::string error;
};

// Compiles one script. fileName only names the script in error messages.
CompileResult compile(std::string_view source, std::string_view fileName);

// One line per action record: its offset, its name and its operands; function bodies are
// indented under their definition and branch targets are given as offsets. Malformed input
// is listed as far as it can be read and then marked, never read past its end.
std::string disassemble(std::span<const std::uint8_t> actions);

} // namespace zimo::asc
