// Writing RGB pictures as PNG files, for the native tools.
#pragma once

#include <cstdint>

// Writes width x height RGB pixels (top row first, 3 bytes each) to `path`.
// Returns 1, or 0 when the file cannot be written.
int WritePngRgb(const char* path, int32_t width, int32_t height, const uint8_t* rgb);
