// PNG pictures through libpng's simplified interface (no hand-made decoding).
#include "tools/common/png_io.h"

#include <png.h>

#include <cstring>

namespace {

// Pictures beyond this are not character art; refusing them early keeps a
// damaged header from asking for gigabytes. The .tw8 format stops at 65535.
constexpr uint32_t kLargestSide = 4096;

}  // namespace

int ReadPng(const std::string& path, RgbaPicture* picture, std::string* error) {
    *picture = RgbaPicture{};
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str())) {
        *error = std::string("not a readable PNG (") + image.message + ")";
        png_image_free(&image);
        return 0;
    }
    if (image.width == 0 || image.height == 0 || image.width > kLargestSide || image.height > kLargestSide) {
        *error = "picture size " + std::to_string(image.width) + "x" + std::to_string(image.height) +
                 " is outside 1..4096 pixels";
        png_image_free(&image);
        return 0;
    }
    image.format = PNG_FORMAT_RGBA;
    std::vector<uint8_t> pixels(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr)) {
        *error = std::string("damaged PNG (") + image.message + ")";
        png_image_free(&image);
        return 0;
    }
    picture->width = image.width;
    picture->height = image.height;
    picture->rgba.swap(pixels);
    return 1;
}

int WritePng(const std::string& path, const RgbaPicture& picture, std::string* error) {
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    image.width = picture.width;
    image.height = picture.height;
    image.format = PNG_FORMAT_RGBA;
    if (!png_image_write_to_file(&image, path.c_str(), 0, picture.rgba.data(), 0, nullptr)) {
        *error = std::string("cannot write PNG (") + image.message + ")";
        png_image_free(&image);
        return 0;
    }
    return 1;
}
