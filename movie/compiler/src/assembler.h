#pragma once

// Lays generated code out as SWF action records: the constant pool, merged and compactly
// typed pushes, resolved branch offsets and sized function bodies.

#include "code.h"

#include <cstdint>
#include <vector>

namespace zimo::asc {

// The whole script: a ConstantPool record, the code, and ActionEnd. Throws CompileError when
// a body or a branch exceeds what the record format can hold.
std::vector<std::uint8_t> assembleScript(const Code& script);

} // namespace zimo::asc
