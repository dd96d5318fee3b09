// Build-time generator: writes the compressed player movie and a C++ source that embeds it.
//   zimo-movie-gen OUT.swf OUT.cpp [--loading FRAME1.actions] [--main FRAME3.actions]
// The optional files hold the compiled action records of the two scripts.
#include "movie_builder.h"

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <iterator>
#include <optional>

namespace {

bool writeFile(const char* path, const void* data, std::size_t size) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(static_cast<const char*>(data), static_cast<std::streamsize>(size));
    return static_cast<bool>(out);
}

constexpr std::size_t kMaxActions = 1 << 20; // far more than any script of the movie

std::optional<zimo::movie::Bytes> readActions(const char* path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    zimo::movie::Bytes b;
    char c;
    while (in.get(c)) {
        if (b.size() == kMaxActions) return std::nullopt;
        b.push_back(static_cast<std::uint8_t>(c));
    }
    return b;
}

std::string embeddingSource(const zimo::movie::Bytes& movie) {
    std::string s = "// Written by the movie generator at build time. Do not edit.\n"
                    "#include <cstddef>\n#include <cstdint>\n\n"
                    "extern const std::uint8_t EmbeddedMovie[];\n"
                    "extern const std::size_t EmbeddedMovieSize;\n\n"
                    "const std::uint8_t EmbeddedMovie[] = {";
    char buf[8];
    for (std::size_t i = 0; i < movie.size(); ++i) {
        if (i % 16 == 0) s += "\n   ";
        std::snprintf(buf, sizeof buf, " 0x%02x,", movie[i]);
        s += buf;
    }
    s += "\n};\nconst std::size_t EmbeddedMovieSize = sizeof EmbeddedMovie;\n";
    return s;
}

int usage() {
    std::cerr << "usage: zimo-movie-gen OUT.swf OUT.cpp [--loading FILE] [--main FILE]\n";
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3 || argc % 2 == 0) return usage();
    zimo::movie::MovieScripts scripts;
    for (int i = 3; i + 1 < argc; i += 2) {
        zimo::movie::Bytes* target = std::strcmp(argv[i], "--loading") == 0 ? &scripts.loading
                                     : std::strcmp(argv[i], "--main") == 0  ? &scripts.main
                                                                            : nullptr;
        if (!target) return usage();
        auto actions = readActions(argv[i + 1]);
        if (!actions) {
            std::cerr << "zimo-movie-gen: cannot read " << argv[i + 1] << "\n";
            return 1;
        }
        *target = std::move(*actions);
    }
    try {
        const auto body = zimo::movie::buildMovieBody(scripts);
        const auto movie = zimo::movie::compressedMovie(zimo::movie::kMovieVersion, body);
        const auto source = embeddingSource(movie);
        if (!writeFile(argv[1], movie.data(), movie.size()) ||
            !writeFile(argv[2], source.data(), source.size())) {
            std::cerr << "zimo-movie-gen: cannot write the output files\n";
            return 1;
        }
        std::cout << "player movie: " << movie.size() << " bytes compressed, " << body.size() + 8
                  << " bytes uncompressed\n";
    } catch (const std::exception& e) {
        std::cerr << "zimo-movie-gen: " << e.what() << "\n";
        return 1;
    }
    return 0;
}
