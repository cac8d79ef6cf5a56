// Fuzz target: a .tw8 entry through ReadImageEntry and LoadCelImage. When
// both accept it, the two must agree on every pixel. Input: the entry's bytes.
#include "modules/container.h"
#include "modules/image.h"
#include "platform/memory.h"
#include "tests/fuzz/fuzz_support.h"

#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 0xFFFFFFu) return 0;
    Bytes module = MakeModule({{"x00.tw8", Bytes(data, data + size)}});
    FuzzUseModule(module);

    uint32_t plainSize = 0;
    uint8_t* plain = ReadImageEntry(kFuzzModulePath, "x00.tw8", &plainSize);
    FuzzCheck(plain || plainSize == 0, "a failed ReadImageEntry reports a size");
    if (plain) FuzzCheck(plainSize < 2 || plain[1] != 1, "ReadImageEntry handed back a packed image");

    DibImage image;
    int loaded = LoadCelImage(&image, kFuzzModulePath, "x00.tw8");
    if (loaded) {
        uint32_t width = image.width;
        uint32_t height = image.height;
        FuzzCheck(width > 0 && height > 0 && static_cast<uint64_t>(width) * height <= kMaxImagePixels,
                  "LoadCelImage accepted a picture size it should refuse");
        // Same picture both ways: rows in the entry are `width` bytes, in the
        // bitmap they are padded.
        if (plain && plainSize >= kImageHeaderSize + static_cast<uint64_t>(width) * height) {
            for (uint32_t y = 0; y < height; y++)
                FuzzCheck(std::memcmp(image.bits + static_cast<size_t>(y) * DibStride(width),
                                      plain + kImageHeaderSize + static_cast<size_t>(y) * width, width) == 0,
                          "LoadCelImage and ReadImageEntry unpack different pixels");
        }
        ReleaseDibImage(&image);
    } else {
        FuzzCheck(image.bitmap == nullptr && image.bits == nullptr, "a failed LoadCelImage left a bitmap");
    }
    SysFree(plain);
    FuzzForgetModule();
    FuzzCheckNothingLeft();
    return 0;
}
