#include "asc/compiler.h"

#include "assembler.h"
#include "codegen.h"
#include "lexer.h"
#include "parser.h"

namespace zimo::asc {

CompileResult compile(std::string_view source, std::string_view fileName) {
    CompileResult result;
    try {
        const Script script = parse(tokenize(source));
        result.actions = assembleScript(generate(script));
        result.ok = true;
    } catch (const CompileError& e) {
        result.error = std::string(fileName) + ":" + std::to_string(e.pos().line) + ":" +
                       std::to_string(e.pos().column) + ": " + e.what();
    } catch (const std::exception& e) { // out of memory and the like
        result.error = std::string(fileName) + ":1:1: " + e.what();
    }
    if (!result.ok) result.actions.clear();
    return result;
}

} // namespace zimo::asc
