// Fuzz target: ExpandRle on any packed bytes and output capacity, checked
// against a plain byte-at-a-time decoder. Input: capacity (2 bytes, little
// endian), then the packed bytes.
#include "modules/container.h"
#include "tests/fuzz/fuzz_support.h"

#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

// The same coding decoded one byte at a time, with every bound checked
// before the byte is written.
int ReferenceExpand(uint8_t* out, uint32_t capacity, const uint8_t* in, uint32_t length, uint32_t* produced) {
    uint32_t i = 0;
    uint32_t j = 0;
    *produced = 0;
    while (i < length) {
        uint8_t control = in[i++];
        uint32_t run = control & 0x7Fu;
        if (control & 0x80u) {
            if (length - i < run || capacity - j < run) return *produced = j, 0;
            for (uint32_t k = 0; k < run; k++) out[j++] = in[i++];
        } else {
            if (i >= length || capacity - j < control) return *produced = j, 0;
            uint8_t value = in[i++];
            for (uint32_t k = 0; k < control; k++) out[j++] = value;
        }
    }
    *produced = j;
    return 1;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    uint32_t capacity = static_cast<uint32_t>(data[0] | (data[1] << 8));
    const uint8_t* in = data + 2;
    uint32_t length = static_cast<uint32_t>(size - 2);
    // Exactly `capacity` bytes each, so a write past the end is caught.
    uint8_t* out = static_cast<uint8_t*>(std::malloc(capacity ? capacity : 1));
    uint8_t* expected = static_cast<uint8_t*>(std::malloc(capacity ? capacity : 1));
    std::memset(out, 0xEE, capacity);
    uint32_t produced = 0xFFFFFFFFu;
    uint32_t expectedProduced = 0;
    int ok = ExpandRle(out, capacity, in, length, &produced);
    int expectedOk = ReferenceExpand(expected, capacity, in, length, &expectedProduced);
    FuzzCheck(ok == expectedOk, "ExpandRle's verdict differs from the reference decoder");
    FuzzCheck(produced <= capacity, "ExpandRle reports more output than its capacity");
    for (uint32_t k = produced; k < capacity; k++)
        FuzzCheck(out[k] == 0xEE || out[k] == 0, "ExpandRle left stray bytes past its output");
    if (ok) {
        FuzzCheck(produced == expectedProduced, "ExpandRle's output length differs from the reference decoder");
        FuzzCheck(std::memcmp(out, expected, produced) == 0, "ExpandRle's output differs from the reference decoder");
    }
    std::free(expected);
    std::free(out);
    return 0;
}
