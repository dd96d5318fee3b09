// zimo-asc: compiles one movie script into action records at build time.
//
//   zimo-asc IN.as OUT.bin      writes the DoAction body; on an error prints
//                               "file:line:column: message" and exits with 1
//   zimo-asc -d IN.as           prints the compiled script's listing instead

#include "asc/compiler.h"

#include <cstdio>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>
#include <string>
#include <string_view>

namespace {

constexpr std::streamsize kMaxSourceBytes = 16 * 1024 * 1024;

bool readFile(const std::string& path, std::string& text) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::ostringstream buffer;
    buffer << in.rdbuf();
    text = std::move(buffer).str();
    return !in.bad() && static_cast<std::streamsize>(text.size()) <= kMaxSourceBytes;
}

int usage() {
    std::cerr << "usage: zimo-asc IN.as OUT.bin\n       zimo-asc -d IN.as\n";
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) return usage();
    const std::string_view first = argv[1];
    const bool listing = first == "-d";
    const std::string input = listing ? argv[2] : argv[1];

    std::string source;
    if (!readFile(input, source)) {
        std::cerr << input << ": cannot read the script\n";
        return 1;
    }
    const auto result = zimo::asc::compile(source, input);
    if (!result.ok) {
        std::cerr << result.error << '\n';
        return 1;
    }
    if (listing) {
        std::cout << zimo::asc::disassemble(result.actions);
        return 0;
    }

    // Written beside the target and renamed, so a failed write leaves no half file behind.
    const std::string output = argv[2];
    const std::string partial = output + ".part";
    {
        std::ofstream out(partial, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(result.actions.data()),
                  static_cast<std::streamsize>(result.actions.size()));
        out.close();
        if (!out) {
            std::remove(partial.c_str());
            std::cerr << output << ": cannot write the compiled script\n";
            return 1;
        }
    }
    if (std::rename(partial.c_str(), output.c_str()) != 0) {
        std::remove(partial.c_str());
        std::cerr << output << ": cannot write the compiled script\n";
        return 1;
    }
    return 0;
}
