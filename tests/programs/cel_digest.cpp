// cel_digest: loads a character and every action reachable from its start
// list through the platform layer it is built with, and prints a digest of
// each picture and of the palette. Built natively and for Windows, so a test
// can compare what the Win32 layer (real DIB sections and palettes) holds
// with what the portable layer holds.
//
// usage: cel_digest MODULE.Pkm        one line per palette, canvas and cel
#include "mascot/running_character.h"
#include "modules/action.h"
#include "modules/character.h"
#include "platform/graphics.h"
#include "settings/settings.h"

#include <cstdio>
#include <cstring>
#include <set>
#include <string>
#include <vector>

namespace {

uint64_t Fnv1a(uint64_t hash, const uint8_t* bytes, size_t length) {
    for (size_t i = 0; i < length; i++) hash = (hash ^ bytes[i]) * 1099511628211ull;
    return hash;
}

// The picture's rows top first, without the padding at the end of each row.
uint64_t PictureDigest(const DibImage& image) {
    uint64_t hash = 14695981039346656037ull;
    for (int32_t y = image.height - 1; y >= 0; y--)
        hash = Fnv1a(hash, image.bits + static_cast<size_t>(y) * DibStride(image.width), image.width);
    return hash;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fputs("usage: cel_digest MODULE.Pkm\n", stderr);
        return 2;
    }
    UserSettings.SndUse = 1;
    Character character;
    std::memset(&character, 0, sizeof character);
    if (!LoadStartingCharacter(&character, argv[1])) {
        std::fprintf(stderr, "cel_digest: %s does not load\n", argv[1]);
        return 1;
    }
    uint8_t entries[kColorTableSize];
    SysGetPaletteEntries(character.palette, entries);
    std::printf("palette %016llx\n", static_cast<unsigned long long>(Fnv1a(14695981039346656037ull, entries, sizeof entries)));
    std::printf("canvas %dx%d\n", character.canvas.width, character.canvas.height);

    std::vector<std::string> queue;
    for (int32_t i = 0; i < character.startActions.count; i++) queue.push_back(character.startActions.entries[i].name);
    std::set<std::string> seen;
    for (size_t at = 0; at < queue.size(); at++) {
        if (!seen.insert(queue[at]).second) continue;
        Action* action = LoadAction(argv[1], queue[at].c_str(), UserSettings.SndUse);
        if (!action) {
            std::printf("%s does-not-load\n", queue[at].c_str());
            continue;
        }
        for (int32_t i = 0; i < action->celCount; i++) {
            const DibImage& image = action->cels[i].image;
            std::printf("%s cel %d %dx%d %016llx region %u\n", action->name, i, image.width, image.height,
                        static_cast<unsigned long long>(PictureDigest(image)), action->cels[i].regionSize);
        }
        for (int32_t i = 0; i < action->nextCount; i++) queue.push_back(action->nextActions[i].name);
        ReleaseAction(action);
    }
    ReleaseCharacter(&character);
    return std::fflush(stdout) == 0 ? 0 : 1;
}
