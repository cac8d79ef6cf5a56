// pkm build: makes a module file from a character's authoring folder.
#include "modules/wave.h"
#include "tools/pkm/authoring.h"
#include "tools/pkm/commands.h"
#include "tools/pkm/module_read.h"
#include "tools/common/png_io.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <set>

namespace {

// One picture of images/, with its shape and what the optional files beside
// it say about it.
struct SourceCel {
    std::string path;  // as the author names it, for messages
    std::string stem;
    RgbaPicture picture;
    ByteVector shown;  // 1 where the pixel is part of the character
    bool ownColors = false;  // palettes/STEM.png gives the cel's colour table
    ColorTable colors;
    bool hinted = false;  // indices/STEM.png gives the cel's colour indices
    RgbaPicture hint;
    bool keptRegion = false;  // regions/STEM.rgn gives the cel's region data
    ByteVector region;
};

uint32_t PixelColor(const uint8_t* rgba) {
    return (static_cast<uint32_t>(rgba[0]) << 16) | (static_cast<uint32_t>(rgba[1]) << 8) | rgba[2];
}

bool IsBackground(const uint8_t* rgba) { return rgba[3] < kOpaqueAlpha || PixelColor(rgba) == kKeyColor; }

void SetTableColor(ColorTable* colors, int index, uint32_t rgb) {
    (*colors)[4 * index] = static_cast<uint8_t>(rgb);
    (*colors)[4 * index + 1] = static_cast<uint8_t>(rgb >> 8);
    (*colors)[4 * index + 2] = static_cast<uint8_t>(rgb >> 16);
    (*colors)[4 * index + 3] = 0;
}

uint32_t TableColor(const ColorTable& colors, int index) {
    return (static_cast<uint32_t>(colors[4 * index + 2]) << 16) | (static_cast<uint32_t>(colors[4 * index + 1]) << 8) |
           colors[4 * index];
}

std::string HexColor(uint32_t rgb) {
    char text[8];
    std::snprintf(text, sizeof text, "#%06X", rgb);
    return text;
}

int Fail(std::string* error, const std::string& path, const std::string& what) {
    *error = path + ": " + what;
    return 0;
}

bool EndsWith(const std::string& text, const char* suffix) {
    size_t n = std::strlen(suffix);
    return text.size() >= n && text.compare(text.size() - n, n, suffix) == 0;
}

// Checks a base name taken from a file name; `suffix` is what the entry adds.
int CheckStem(const std::string& path, const std::string& stem, const char* suffix, bool baseName,
              std::string* error) {
    if (stem.empty()) return Fail(error, path, "empty name");
    for (unsigned char c : stem)
        if (c < 0x20 || c == 0x7F) return Fail(error, path, "control character in the name");
    // Base names are put into entry names as they stand; a '%' would still be
    // read as a format directive by a reader that formats names in two steps.
    if (baseName && stem.find('%') != std::string::npos) return Fail(error, path, "'%' in a base name");
    std::string entry = stem + suffix;
    if (!EntryNameFits(entry))
        return Fail(error, path,
                    "entry name '" + entry + "' is " + std::to_string(entry.size()) + " bytes, at most 21 fit");
    return 1;
}

// The files of one subfolder whose names end with `extension`; a missing
// subfolder gives none. Other files there are an error.
int ListSources(const std::string& folder, const char* subfolder, const char* extension,
                std::vector<std::string>* stems, std::string* error) {
    stems->clear();
    std::string path = folder + "/" + subfolder;
    if (!PathExists(path)) return 1;
    std::vector<std::string> names;
    if (!IsDirectory(path) || !ListDirectory(path, &names)) return Fail(error, path, "cannot read the folder");
    for (const std::string& name : names) {
        if (!EndsWith(name, extension) || name.size() == std::strlen(extension))
            return Fail(error, path + "/" + name, std::string("expected a NAME") + extension + " file");
        stems->push_back(name.substr(0, name.size() - std::strlen(extension)));
    }
    return 1;
}

// The palette from palette.png: its pixels in reading order are colours 0, 1, ...
int ReadGivenPalette(const std::string& path, ColorTable* colors, std::string* error) {
    RgbaPicture picture;
    std::string why;
    if (!ReadPng(path, &picture, &why)) return Fail(error, path, why);
    size_t count = static_cast<size_t>(picture.width) * picture.height;
    if (count > 256) return Fail(error, path, "more than 256 pixels (one pixel per palette colour)");
    for (size_t i = 0; i < count; i++) SetTableColor(colors, static_cast<int>(i), PixelColor(&picture.rgba[4 * i]));
    return 1;
}

int ReadCel(const std::string& folder, const std::string& stem, SourceCel* cel, std::string* error) {
    cel->path = folder + "/images/" + stem + ".png";
    cel->stem = stem;
    if (!CheckStem(cel->path, stem, ".tw8", true, error)) return 0;
    std::string why;
    if (!ReadPng(cel->path, &cel->picture, &why)) return Fail(error, cel->path, why);

    std::string palettePath = folder + "/palettes/" + stem + ".png";
    cel->ownColors = PathExists(palettePath);
    cel->colors.assign(kColorTableBytes, 0);
    if (cel->ownColors && !ReadGivenPalette(palettePath, &cel->colors, error)) return 0;
    std::string hintPath = folder + "/indices/" + stem + ".png";
    cel->hinted = PathExists(hintPath);
    if (cel->hinted) {
        if (!ReadPng(hintPath, &cel->hint, &why)) return Fail(error, hintPath, why);
        if (cel->hint.width != cel->picture.width || cel->hint.height != cel->picture.height)
            return Fail(error, hintPath, "not the size of images/" + stem + ".png");
    }
    std::string regionPath = folder + "/regions/" + stem + ".rgn";
    cel->keptRegion = PathExists(regionPath);
    if (cel->keptRegion && !ReadWholeFile(regionPath, &cel->region, &why)) return Fail(error, regionPath, why);

    size_t count = static_cast<size_t>(cel->picture.width) * cel->picture.height;
    cel->shown.resize(count);
    for (size_t i = 0; i < count; i++) {
        // With an index picture the shape is the opaque pixels alone: the
        // key colour can be a colour of the character there.
        const uint8_t* rgba = &cel->picture.rgba[4 * i];
        cel->shown[i] = (cel->hinted ? rgba[3] < kOpaqueAlpha : IsBackground(rgba)) ? 0 : 1;
    }
    return 1;
}

// The region data of a cel: the kept regions/STEM.rgn while it covers
// exactly the picture's shape, else made from the shape.
ByteVector CelRegion(const SourceCel& cel) {
    ByteVector mask;
    std::string ignored;
    if (cel.keptRegion && RegionMask(cel.region, cel.picture.width, cel.picture.height, &mask, &ignored) &&
        mask == cel.shown)
        return cel.region;
    return MakeRegionData(cel.picture.width, cel.picture.height, cel.shown);
}

// The files of a folder beside images/ (palettes/, indices/, regions/): each
// must belong to a picture of images/.
int CheckCelCompanions(const std::string& folder, const char* subfolder, const char* extension,
                       const std::vector<std::string>& celStems, std::string* error) {
    std::vector<std::string> stems;
    if (!ListSources(folder, subfolder, extension, &stems, error)) return 0;
    for (const std::string& stem : stems)
        if (std::find(celStems.begin(), celStems.end(), stem) == celStems.end())
            return Fail(error, folder + "/" + subfolder + "/" + stem + extension,
                        "no images/" + stem + ".png for it");
    return 1;
}

// The palette made from the pictures: the background first, then every
// colour the character shows, in ascending order of its RGB value.
int DerivePalette(const std::vector<SourceCel>& cels, const std::string& folder, ColorTable* colors,
                  std::string* error) {
    std::set<uint32_t> used;
    for (const SourceCel& cel : cels) {
        if (cel.ownColors) continue;  // its colours are in palettes/
        for (size_t i = 0; i < cel.shown.size(); i++)
            if (cel.shown[i]) used.insert(PixelColor(&cel.picture.rgba[4 * i]));
    }
    if (used.size() > 255)
        return Fail(error, folder + "/images",
                    "too many colours: " + std::to_string(used.size()) +
                        " (at most 255 besides the background; reduce the colours or give a palette.png)");
    SetTableColor(colors, kBackgroundIndex, kKeyColor);
    int index = 1;
    for (uint32_t rgb : used) SetTableColor(colors, index++, rgb);
    return 1;
}

// The cel's colour indices. An index picture decides where it agrees with the
// picture: every pixel outside the shape, and a shown pixel whose colour is
// the colour of its index there; other shown pixels take the first entry of
// their colour after the background, the rest the background.
int IndexCel(const SourceCel& cel, const ColorTable& colors, const std::map<uint32_t, uint8_t>& lookup,
             const std::string& paletteName, IndexedPicture* indexed, std::string* error) {
    indexed->width = cel.picture.width;
    indexed->height = cel.picture.height;
    indexed->pixels.assign(cel.shown.size(), kBackgroundIndex);
    for (size_t i = 0; i < cel.shown.size(); i++) {
        int hint = cel.hinted ? cel.hint.rgba[4 * i] : -1;
        uint32_t rgb = PixelColor(&cel.picture.rgba[4 * i]);
        if (hint >= 0 && (!cel.shown[i] || TableColor(colors, hint) == rgb)) {
            indexed->pixels[i] = static_cast<uint8_t>(hint);
            continue;
        }
        if (!cel.shown[i]) continue;
        auto found = lookup.find(rgb);
        if (found == lookup.end())
            return Fail(error, cel.path,
                        "colour " + HexColor(rgb) + " at " + std::to_string(i % cel.picture.width) + "," +
                            std::to_string(i / cel.picture.width) + " is not in " + paletteName);
        indexed->pixels[i] = found->second;
    }
    return 1;
}

// Adds an entry unless its name is taken already.
int AddEntry(std::vector<ModuleEntry>* entries, std::map<std::string, std::string>* sources,
             const std::string& name, ByteVector data, const std::string& path, std::string* error) {
    auto taken = sources->find(name);
    if (taken != sources->end())
        return Fail(error, path, "entry '" + name + "' is made by " + taken->second + " already");
    (*sources)[name] = path;
    entries->push_back({name, std::move(data)});
    return 1;
}

}  // namespace

std::map<uint32_t, uint8_t> ShownColorLookup(const ColorTable& colors) {
    std::map<uint32_t, uint8_t> lookup;
    for (int i = 255; i >= 0; i--)
        if (i != kBackgroundIndex) lookup[TableColor(colors, i)] = static_cast<uint8_t>(i);
    return lookup;
}

int BuildModuleFromFolder(const std::string& folder, ByteVector* module, std::string* error) {
    module->clear();
    if (!IsDirectory(folder)) return Fail(error, folder, "not a folder");
    std::vector<ModuleEntry> entries;
    std::map<std::string, std::string> sources;  // entry name -> file it came from
    std::string why;

    ByteVector info;
    std::string infoPath = folder + "/info.txt";
    if (!ReadWholeFile(infoPath, &info, &why)) return Fail(error, infoPath, why);

    std::vector<std::string> actionStems, celStems, soundStems, others;
    if (!ListSources(folder, "actions", ".txt", &actionStems, error) ||
        !ListSources(folder, "images", ".png", &celStems, error) ||
        !ListSources(folder, "sounds", ".wav", &soundStems, error) || !ListSources(folder, "other", "", &others, error) ||
        !CheckCelCompanions(folder, "palettes", ".png", celStems, error) ||
        !CheckCelCompanions(folder, "indices", ".png", celStems, error) ||
        !CheckCelCompanions(folder, "regions", ".rgn", celStems, error))
        return 0;

    std::vector<SourceCel> cels(celStems.size());
    for (size_t i = 0; i < celStems.size(); i++)
        if (!ReadCel(folder, celStems[i], &cels[i], error)) return 0;

    ColorTable colors(kColorTableBytes, 0);
    std::string palettePath = folder + "/palette.png";
    std::string keptPalettePath = folder + "/other/palette.tw8";
    bool givenPalette = PathExists(palettePath);
    bool keptPalette = PathExists(keptPalettePath);
    if (givenPalette && keptPalette) return Fail(error, keptPalettePath, "palette.png gives the palette already");
    if (keptPalette) {
        // A palette entry kept byte for byte (other/palette.tw8) is the module
        // palette; it is stored with the other entries.
        ByteVector kept;
        if (!ReadWholeFile(keptPalettePath, &kept, &why)) return Fail(error, keptPalettePath, why);
        if (kept.size() < kImageHeaderSize) return Fail(error, keptPalettePath, "shorter than its colour table");
        colors.assign(kept.begin() + 12, kept.begin() + kImageHeaderSize);
    } else if (givenPalette ? !ReadGivenPalette(palettePath, &colors, error)
                            : !DerivePalette(cels, folder, &colors, error)) {
        return 0;
    }
    std::map<uint32_t, uint8_t> lookup = ShownColorLookup(colors);

    if (!AddEntry(&entries, &sources, "info.txt", ScrambleBytes(info), infoPath, error) ||
        (!keptPalette && !AddEntry(&entries, &sources, "palette.tw8", EncodePaletteEntry(colors),
                                   givenPalette ? palettePath : folder + "/images", error)))
        return 0;

    for (const std::string& stem : actionStems) {
        std::string path = folder + "/actions/" + stem + ".txt";
        ByteVector script;
        if (!CheckStem(path, stem, "", false, error)) return 0;
        if (!ReadWholeFile(path, &script, &why)) return Fail(error, path, why);
        if (!AddEntry(&entries, &sources, stem, ScrambleBytes(script), path, error)) return 0;
    }

    for (const SourceCel& cel : cels) {
        IndexedPicture indexed;
        const ColorTable& celColors = cel.ownColors ? cel.colors : colors;
        bool indexedOk = cel.ownColors ? IndexCel(cel, celColors, ShownColorLookup(celColors),
                                                  "palettes/" + cel.stem + ".png", &indexed, error)
                                       : IndexCel(cel, colors, lookup, "palette.png", &indexed, error);
        if (!indexedOk) return 0;
        if (!AddEntry(&entries, &sources, cel.stem + ".tw8", EncodeTw8(indexed, celColors), cel.path, error) ||
            !AddEntry(&entries, &sources, cel.stem + ".rgn", CelRegion(cel), cel.path, error))
            return 0;
    }

    for (const std::string& stem : soundStems) {
        std::string path = folder + "/sounds/" + stem + ".wav";
        ByteVector wave;
        if (!CheckStem(path, stem, ".snd", true, error)) return 0;
        if (!ReadWholeFile(path, &wave, &why)) return Fail(error, path, why);
        const char* reason = "larger than 4 GiB";
        if (wave.size() > UINT32_MAX || !WaveImageIsSound(wave.data(), static_cast<uint32_t>(wave.size()), &reason))
            return Fail(error, path, std::string("not a sound the program plays: ") + reason);
        if (!AddEntry(&entries, &sources, stem + ".snd", ScrambleBytes(wave), path, error)) return 0;
    }

    for (const std::string& name : others) {
        std::string path = folder + "/other/" + name;
        ByteVector data;
        if (!CheckStem(path, name, "", false, error)) return 0;
        if (!ReadWholeFile(path, &data, &why)) return Fail(error, path, why);
        if (!AddEntry(&entries, &sources, name, std::move(data), path, error)) return 0;
    }

    *module = LayOutModule(entries);
    return 1;
}

int PkmBuild(int argc, char** argv) {
    if (argc != 3 || std::strcmp(argv[1], "-o") != 0) {
        std::fputs("usage: pkm build SOURCE_DIR -o MODULE.Pkm\n", stderr);
        return 2;
    }
    ByteVector module;
    std::string error;
    if (!BuildModuleFromFolder(argv[0], &module, &error)) {
        std::fprintf(stderr, "pkm: %s\n", error.c_str());
        return 1;
    }
    if (!WriteWholeFile(argv[2], module, &error)) {
        std::fprintf(stderr, "pkm: %s: %s\n", argv[2], error.c_str());
        return 1;
    }
    return 0;
}
