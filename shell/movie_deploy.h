// The player movie travels inside the program and is handed to the control once.
#pragma once

#include <QString>

#include <cstddef>
#include <cstdint>

extern const std::uint8_t EmbeddedMovie[];
extern const std::size_t EmbeddedMovieSize;
extern const char MovieSignature[3];

// Writes the movie to a fresh temporary file, has the control load it and deletes the
// file. Nothing is left in the temporary folder, whatever happens.
bool DeployMovie();
void LoadMovieFile(const QString& path);
