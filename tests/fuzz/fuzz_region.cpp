// Fuzz target: region data, as the cel loader checks it and as the window
// system would walk it. Input: the bytes of a .rgn entry.
#include "modules/action.h"
#include "modules/image.h"
#include "platform/memory.h"
#include "tests/fuzz/fuzz_support.h"

#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 0xFFFFFFu) return 0;
    uint32_t length = static_cast<uint32_t>(size);
    if (RegionDataIsSound(data, length)) {
        // Read every rectangle the header announces, as the window system does.
        uint32_t count = 0;
        std::memcpy(&count, data + 8, 4);
        volatile int64_t sum = 0;
        for (uint32_t i = 0; i < count; i++) {
            int32_t rect[4];
            std::memcpy(rect, data + kRegionHeaderSize + static_cast<size_t>(i) * kRegionRectSize, sizeof rect);
            sum = sum + (rect[0] ^ rect[3]);
        }
    }

    // The same bytes as the region of a one-cel action.
    TestCharacter character;
    character.AddCels("r", 1);
    character.Put("r00.rgn", Bytes(data, data + size));
    Bytes module = MakeModule(character.entries);
    FuzzUseModule(module);
    Cel* cels = LoadCels(kFuzzModulePath, "r", 1);
    FuzzCheck((cels != nullptr) == RegionDataIsSound(data, length), "LoadCels disagrees with RegionDataIsSound");
    if (cels) {
        FuzzCheck(cels[0].regionSize == length, "the loaded region is not the entry");
        ReleaseDibImage(&cels[0].image);
        SysFree(cels[0].regionData);
        SysFree(cels);
    }
    FuzzForgetModule();
    FuzzCheckNothingLeft();
    return 0;
}
