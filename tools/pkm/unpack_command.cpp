// pkm unpack: writes a module's entries into an authoring folder (PNG, WAV, plain text).
#include "modules/container.h"
#include "modules/wave.h"
#include "platform/memory.h"
#include "tools/pkm/authoring.h"
#include "tools/pkm/commands.h"
#include "tools/pkm/module_read.h"
#include "tools/common/png_io.h"

#include <cstdio>
#include <cstring>
#include <map>
#include <set>

namespace {

// What becomes of one entry.
enum class EntryKind { kInfo, kPalette, kCel, kRegion, kSound, kScript, kOther };

struct PlannedEntry {
    std::string name;
    EntryKind kind;
};

int Fail(std::string* error, const std::string& path, const std::string& what) {
    *error = path + ": " + what;
    return 0;
}

bool EndsWith(const std::string& text, const char* suffix) {
    size_t n = std::strlen(suffix);
    return text.size() > n && text.compare(text.size() - n, n, suffix) == 0;
}

std::string Stem(const std::string& name) { return name.substr(0, name.size() - 4); }

// Reads one entry whole (unscrambled when asked); owns nothing on failure.
int ReadModuleEntry(const std::string& modulePath, const std::string& name, bool scrambled, ByteVector* data,
                    std::string* error) {
    uint32_t size = 0;
    ContainerError why = ContainerError::kNone;
    uint8_t* block = scrambled ? ReadScrambledEntry(modulePath.c_str(), name.c_str(), &size, &why)
                               : ReadEntry(modulePath.c_str(), name.c_str(), &size, &why);
    if (!block) return Fail(error, modulePath, "entry '" + name + "': " + ContainerReason(why));
    data->assign(block, block + size);
    SysFree(block);
    return 1;
}

// A cel goes to images/ when it can be drawn as a PNG: a readable image of a
// size a PNG can hold, with a readable region. Its region is made again from
// the shape on the next build; anything else is kept byte for byte in other/.
bool CelUnpacks(const std::string& modulePath, const std::string& stem) {
    ByteVector image, region, shown;
    IndexedPicture picture;
    ColorTable colors;
    std::string ignored;
    return stem.find('%') == std::string::npos &&
           ReadModuleEntry(modulePath, stem + ".tw8", false, &image, &ignored) &&
           ReadModuleEntry(modulePath, stem + ".rgn", false, &region, &ignored) &&
           DecodeTw8(image, &picture, &colors, &ignored) && picture.width > 0 && picture.height > 0 &&
           picture.width <= 4096 && picture.height <= 4096 &&
           RegionMask(region, picture.width, picture.height, &shown, &ignored);
}

// A sound goes to sounds/ when the program plays it, which is what the build accepts.
bool SoundUnpacks(const std::string& modulePath, const std::string& name) {
    ByteVector wave;
    std::string ignored;
    return Stem(name).find('%') == std::string::npos && ReadModuleEntry(modulePath, name, true, &wave, &ignored) &&
           WaveImageIsSound(wave.data(), static_cast<uint32_t>(wave.size()));
}

// Decides where each entry goes. Only the first record of a name counts, as
// for every reader of modules.
int PlanEntries(const std::string& modulePath, std::vector<PlannedEntry>* plan, std::string* error) {
    uint32_t count = 0;
    ContainerError why = ContainerError::kNone;
    DirectoryRecord* records = ReadModuleDirectory(modulePath.c_str(), &count, &why);
    if (!records) return Fail(error, modulePath, ContainerReason(why));
    std::set<std::string> names;
    std::vector<std::string> ordered;
    for (uint32_t i = 0; i < count; i++)
        if (names.insert(records[i].name).second) ordered.push_back(records[i].name);
    SysFree(records);

    for (const std::string& name : ordered) {
        if (name.empty() || name[0] == '.' || name.find('/') != std::string::npos)
            return Fail(error, modulePath, "entry '" + name + "' cannot be a file name");
        EntryKind kind = EntryKind::kOther;
        if (name == "info.txt") {
            kind = EntryKind::kInfo;
        } else if (name == "palette.tw8") {
            kind = EntryKind::kPalette;
        } else if (EndsWith(name, ".tw8") && names.count(Stem(name) + ".rgn") && CelUnpacks(modulePath, Stem(name))) {
            kind = EntryKind::kCel;
        } else if (EndsWith(name, ".rgn") && name != "palette.rgn" && names.count(Stem(name) + ".tw8") &&
                   CelUnpacks(modulePath, Stem(name))) {
            // (palette.tw8 is the palette, never a cel: a palette.rgn stays in other/.)
            kind = EntryKind::kRegion;
        } else if (EndsWith(name, ".snd") && SoundUnpacks(modulePath, name)) {
            kind = EntryKind::kSound;
        } else if (name.find('.') == std::string::npos) {
            kind = EntryKind::kScript;  // action names carry no suffix
        }
        plan->push_back({name, kind});
    }
    return 1;
}

int WriteBytes(const std::string& path, const ByteVector& data, std::string* error) {
    std::string why;
    if (!WriteWholeFile(path, data, &why)) return Fail(error, path, why);
    return 1;
}

int WritePicture(const std::string& path, const RgbaPicture& picture, std::string* error) {
    std::string why;
    if (!WritePng(path, picture, &why)) return Fail(error, path, why);
    return 1;
}

// Makes folder/sub when it is not there yet.
int EnsureFolder(const std::string& folder, const char* sub, std::string* error) {
    std::string path = folder + "/" + sub;
    std::string why;
    if (!IsDirectory(path) && !MakeDirectory(path, &why)) return Fail(error, path, why);
    return 1;
}

// 256 colours as a 16 × 16 picture, pixel i = colour i (the fourth byte of
// each table entry is not a colour and is not kept).
RgbaPicture ColorSwatch(const uint8_t* table) {
    RgbaPicture swatch;
    swatch.width = 16;
    swatch.height = 16;
    swatch.rgba.resize(256 * 4);
    for (int i = 0; i < 256; i++) {
        const uint8_t* color = &table[4 * i];
        uint8_t* pixel = &swatch.rgba[4 * i];
        pixel[0] = color[2];
        pixel[1] = color[1];
        pixel[2] = color[0];
        pixel[3] = 255;
    }
    return swatch;
}

// The colour table a swatch builds again: the fourth bytes 0.
ColorTable SwatchColors(const ColorTable& colors) {
    ColorTable copy = colors;
    for (int i = 0; i < 256; i++) copy[4 * i + 3] = 0;
    return copy;
}

// Writes palette.png, or, when building from palette.png would not give the
// same entry back, the entry itself as other/palette.tw8. *colors receives the
// module palette as the build will have it.
int UnpackPalette(const std::string& modulePath, const std::string& folder, ColorTable* colors, std::string* error) {
    ByteVector entry;
    if (!ReadModuleEntry(modulePath, "palette.tw8", false, &entry, error)) return 0;
    if (entry.size() < kImageHeaderSize) return Fail(error, modulePath, "palette.tw8: shorter than its colour table");
    colors->assign(entry.begin() + 12, entry.begin() + kImageHeaderSize);
    if (EncodePaletteEntry(SwatchColors(*colors)) == entry)
        return WritePicture(folder + "/palette.png", ColorSwatch(colors->data()), error);
    return EnsureFolder(folder, "other", error) && WriteBytes(folder + "/other/palette.tw8", entry, error);
}

// Whether building images/STEM.png alone (with the table the build will use)
// gives back exactly these indices: shown pixels the first entry of their
// colour after the background and not the key colour, the others the background.
bool IndicesFollowColors(const IndexedPicture& picture, const ColorTable& colors, const ByteVector& shown) {
    std::map<uint32_t, uint8_t> lookup = ShownColorLookup(colors);
    for (size_t i = 0; i < shown.size(); i++) {
        uint8_t index = picture.pixels[i];
        if (!shown[i]) {
            if (index != kBackgroundIndex) return false;
            continue;
        }
        uint32_t rgb = (static_cast<uint32_t>(colors[4 * index + 2]) << 16) |
                       (static_cast<uint32_t>(colors[4 * index + 1]) << 8) | colors[4 * index];
        auto found = lookup.find(rgb);
        if (rgb == kKeyColor || found == lookup.end() || found->second != index) return false;
    }
    return true;
}

// Writes images/STEM.png and, where the picture alone cannot say it, the
// cel's own colours (palettes/), its indices (indices/) and its region as
// stored (regions/). `moduleColors` is the palette the build will use;
// empty when the module has none.
int UnpackCel(const std::string& modulePath, const std::string& stem, const std::string& folder,
              const ColorTable& moduleColors, std::string* error) {
    ByteVector image, region, shown;
    IndexedPicture picture;
    ColorTable colors;
    std::string why;
    if (!ReadModuleEntry(modulePath, stem + ".tw8", false, &image, error) ||
        !ReadModuleEntry(modulePath, stem + ".rgn", false, &region, error))
        return 0;
    if (!DecodeTw8(image, &picture, &colors, &why) ||
        !RegionMask(region, picture.width, picture.height, &shown, &why))
        return Fail(error, modulePath, stem + ": " + why);
    RgbaPicture rgba;
    rgba.width = picture.width;
    rgba.height = picture.height;
    rgba.rgba.assign(shown.size() * 4, 0);
    for (size_t i = 0; i < shown.size(); i++) {
        if (!shown[i]) continue;
        const uint8_t* color = &colors[4 * picture.pixels[i]];
        uint8_t* pixel = &rgba.rgba[4 * i];
        pixel[0] = color[2];
        pixel[1] = color[1];
        pixel[2] = color[0];
        pixel[3] = 255;
    }
    if (!WritePicture(folder + "/images/" + stem + ".png", rgba, error)) return 0;

    bool ownColors = colors != moduleColors;
    if (ownColors && (!EnsureFolder(folder, "palettes", error) ||
                      !WritePicture(folder + "/palettes/" + stem + ".png", ColorSwatch(colors.data()), error)))
        return 0;
    if (!IndicesFollowColors(picture, ownColors ? SwatchColors(colors) : moduleColors, shown)) {
        RgbaPicture grey;
        grey.width = picture.width;
        grey.height = picture.height;
        grey.rgba.resize(picture.pixels.size() * 4, 255);
        for (size_t i = 0; i < picture.pixels.size(); i++)
            std::memset(&grey.rgba[4 * i], picture.pixels[i], 3);
        if (!EnsureFolder(folder, "indices", error) ||
            !WritePicture(folder + "/indices/" + stem + ".png", grey, error))
            return 0;
    }
    if (MakeRegionData(picture.width, picture.height, shown) != region &&
        (!EnsureFolder(folder, "regions", error) || !WriteBytes(folder + "/regions/" + stem + ".rgn", region, error)))
        return 0;
    return 1;
}

}  // namespace

int UnpackModuleToFolder(const std::string& modulePath, const std::string& folder, std::string* error) {
    std::vector<PlannedEntry> plan;
    if (!PlanEntries(modulePath, &plan, error)) return 0;

    std::vector<std::string> present;
    if (PathExists(folder) && (!IsDirectory(folder) || !ListDirectory(folder, &present)))
        return Fail(error, folder, "not a folder");
    if (!present.empty()) return Fail(error, folder, "folder is not empty");
    std::string why;
    if (!MakeDirectory(folder, &why)) return Fail(error, folder, why);
    for (const char* sub : {"actions", "images", "sounds", "other"}) {
        bool needed = false;
        for (const PlannedEntry& entry : plan)
            needed |= (std::strcmp(sub, "actions") == 0 && entry.kind == EntryKind::kScript) ||
                      (std::strcmp(sub, "images") == 0 && entry.kind == EntryKind::kCel) ||
                      (std::strcmp(sub, "sounds") == 0 && entry.kind == EntryKind::kSound) ||
                      (std::strcmp(sub, "other") == 0 && entry.kind == EntryKind::kOther);
        if (needed && !MakeDirectory(folder + "/" + sub, &why)) return Fail(error, folder + "/" + sub, why);
    }

    // The palette first: each cel is compared with it.
    ColorTable moduleColors;
    for (const PlannedEntry& entry : plan)
        if (entry.kind == EntryKind::kPalette && !UnpackPalette(modulePath, folder, &moduleColors, error)) return 0;

    for (const PlannedEntry& entry : plan) {
        ByteVector data;
        switch (entry.kind) {
            case EntryKind::kInfo:
                if (!ReadModuleEntry(modulePath, entry.name, true, &data, error) ||
                    !WriteBytes(folder + "/info.txt", data, error))
                    return 0;
                break;
            case EntryKind::kPalette:
                break;  // written first
            case EntryKind::kCel:
                if (!UnpackCel(modulePath, Stem(entry.name), folder, moduleColors, error)) return 0;
                break;
            case EntryKind::kRegion:
                break;  // written with its cel
            case EntryKind::kSound:
                if (!ReadModuleEntry(modulePath, entry.name, true, &data, error) ||
                    !WriteBytes(folder + "/sounds/" + Stem(entry.name) + ".wav", data, error))
                    return 0;
                break;
            case EntryKind::kScript:
                if (!ReadModuleEntry(modulePath, entry.name, true, &data, error) ||
                    !WriteBytes(folder + "/actions/" + entry.name + ".txt", data, error))
                    return 0;
                break;
            case EntryKind::kOther:
                if (!ReadModuleEntry(modulePath, entry.name, false, &data, error) ||
                    !WriteBytes(folder + "/other/" + entry.name, data, error))
                    return 0;
                break;
        }
    }
    return 1;
}

int PkmUnpack(int argc, char** argv) {
    if (argc != 2) {
        std::fputs("usage: pkm unpack MODULE.Pkm DIR\n", stderr);
        return 2;
    }
    std::string error;
    if (!UnpackModuleToFolder(argv[0], argv[1], &error)) {
        std::fprintf(stderr, "pkm: %s\n", error.c_str());
        return 1;
    }
    return 0;
}
