// Build-time generator: writes the compressed player movie and a C++ source that embeds it.
//   zimo-movie-gen OUT.swf OUT.cpp
#include "movie_builder.h"

#include <cstdio>
#include <fstream>
#include <iostream>

namespace {

bool writeFile(const char* path, const void* data, std::size_t size) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(static_cast<const char*>(data), static_cast<std::streamsize>(size));
    return static_cast<bool>(out);
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

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: zimo-movie-gen OUT.swf OUT.cpp\n";
        return 2;
    }
    try {
        const auto body = zimo::movie::buildMovieBody();
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
