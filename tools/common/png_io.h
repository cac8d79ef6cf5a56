// PNG pictures for the authoring commands, read and written with libpng as 8-bit RGBA.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// A true-colour picture: width × height pixels of red, green, blue, alpha,
// top row first, each row exactly width pixels.
struct RgbaPicture {
    uint32_t width = 0;
    uint32_t height = 0;
    std::vector<uint8_t> rgba;  // 4 bytes per pixel
};

// Reads any PNG (palette, grey, true colour, with or without alpha) as RGBA.
// Returns 1, or 0 with *error set to libpng's reason; *picture is then empty.
int ReadPng(const std::string& path, RgbaPicture* picture, std::string* error);

// Writes the picture as an RGBA PNG. The output holds no time stamp, so the
// same picture always gives the same bytes. Returns 1, or 0 with *error set.
int WritePng(const std::string& path, const RgbaPicture& picture, std::string* error);
