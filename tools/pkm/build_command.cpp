// pkm build: makes a module file from a character's authoring folder.
#include "modules/script.h"
#include "modules/wave.h"
#include "tools/pkm/authoring.h"
#include "tools/pkm/commands.h"
#include "tools/pkm/module_read.h"
#include "tools/common/png_io.h"

#include <algorithm>
#include <cctype>
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

bool SameLetters(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); i++)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

// Files the system puts into folders of pictures on its own.
bool IsSystemFile(const std::string& name) {
    return SameLetters(name, "Thumbs.db") || SameLetters(name, "desktop.ini");
}

// One file of an input subfolder: its name there, and the name it gives its entry.
struct SourceFile {
    std::string name;
    std::string stem;
};

// The files of one subfolder whose names end with `extension`, in any case
// (a picture saved as WALK00.PNG is taken like walk00.png); a missing
// subfolder gives none. Anything else there (other files, subfolders, the
// system's Thumbs.db and desktop.ini) is left out, each with a warning. Two
// files that differ only in the suffix's case are an error.
int ListSources(const std::string& folder, const char* subfolder, const char* extension,
                std::vector<SourceFile>* files, std::vector<std::string>* warnings, std::string* error) {
    files->clear();
    std::string path = folder + "/" + subfolder;
    if (!PathExists(path)) return 1;
    std::vector<std::string> names;
    if (!IsDirectory(path) || !ListDirectory(path, &names)) return Fail(error, path, "cannot read the folder");
    size_t suffix = std::strlen(extension);
    std::map<std::string, std::string> taken;  // stem -> file name
    for (const std::string& name : names) {
        std::string file = path + "/" + name;
        if (IsDirectory(file)) {
            warnings->push_back(file + ": a folder, not used");
            continue;
        }
        if (IsSystemFile(name) || name.size() <= suffix || !SameLetters(name.substr(name.size() - suffix), extension)) {
            warnings->push_back(file + ": not used (" + subfolder + "/ takes " +
                                (suffix ? std::string("NAME") + extension : std::string("the entries' files")) + ")");
            continue;
        }
        std::string stem = name.substr(0, name.size() - suffix);
        auto [at, added] = taken.emplace(stem, name);
        if (!added) return Fail(error, file, "gives the same entry as " + at->second);
        files->push_back({name, stem});
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

// The files beside images/ (palettes/, indices/, regions/), each by the stem
// of the picture it belongs to.
using Companions = std::map<std::string, std::string>;  // stem -> path

int ReadCel(const std::string& folder, const SourceFile& source, const Companions& palettes,
            const Companions& indices, const Companions& regions, SourceCel* cel, std::string* error) {
    const std::string& stem = source.stem;
    cel->path = folder + "/images/" + source.name;
    cel->stem = stem;
    if (!CheckStem(cel->path, stem, ".tw8", true, error)) return 0;
    std::string why;
    if (!ReadPng(cel->path, &cel->picture, &why)) return Fail(error, cel->path, why);

    auto palette = palettes.find(stem);
    cel->ownColors = palette != palettes.end();
    cel->colors.assign(kColorTableBytes, 0);
    if (cel->ownColors && !ReadGivenPalette(palette->second, &cel->colors, error)) return 0;
    auto hint = indices.find(stem);
    cel->hinted = hint != indices.end();
    if (cel->hinted) {
        if (!ReadPng(hint->second, &cel->hint, &why)) return Fail(error, hint->second, why);
        if (cel->hint.width != cel->picture.width || cel->hint.height != cel->picture.height)
            return Fail(error, hint->second, "not the size of images/" + source.name);
    }
    auto region = regions.find(stem);
    cel->keptRegion = region != regions.end();
    if (cel->keptRegion && !ReadWholeFile(region->second, &cel->region, &why)) return Fail(error, region->second, why);

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
int ListCelCompanions(const std::string& folder, const char* subfolder, const char* extension,
                      const std::vector<SourceFile>& cels, Companions* companions, std::vector<std::string>* warnings,
                      std::string* error) {
    std::vector<SourceFile> files;
    if (!ListSources(folder, subfolder, extension, &files, warnings, error)) return 0;
    for (const SourceFile& file : files) {
        std::string path = folder + "/" + subfolder + "/" + file.name;
        auto sameStem = [&](const SourceFile& cel) { return cel.stem == file.stem; };
        if (std::find_if(cels.begin(), cels.end(), sameStem) == cels.end())
            return Fail(error, path, "no images/" + file.stem + ".png for it");
        (*companions)[file.stem] = path;
    }
    return 1;
}

// A script saved with a byte-order mark or as UTF-16 (as some editors do by
// default) would give the program a first field it cannot read.
int CheckScriptText(const std::string& path, const ByteVector& text, std::string* error) {
    if (StartsWithByteOrderMark(text.data(), static_cast<uint32_t>(std::min<size_t>(text.size(), 3))))
        return Fail(error, path, "starts with a UTF-8 byte-order mark; save it without one (the program would read "
                                 "the mark as part of the first field)");
    if (text.size() >= 2 && ((text[0] == 0xFF && text[1] == 0xFE) || (text[0] == 0xFE && text[1] == 0xFF)))
        return Fail(error, path, "is UTF-16 text; save it in the system code page (GBK) or plain ASCII");
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

int BuildModuleFromFolder(const std::string& given, ByteVector* module, std::string* error,
                          std::vector<std::string>* warnings, AuthorFiles* files) {
    module->clear();
    // "mochi/" names the folder "mochi" does: its files are named one way.
    std::string folder = given;
    while (folder.size() > 1 && (folder.back() == '/' || folder.back() == '\\') && folder[folder.size() - 2] != ':')
        folder.pop_back();
    std::vector<std::string> ignoredWarnings;
    if (!warnings) warnings = &ignoredWarnings;
    AuthorFiles ignoredFiles;
    if (!files) files = &ignoredFiles;
    *files = AuthorFiles{folder, {}, {}};
    std::map<std::string, std::string>& sources = files->sources;
    if (!IsDirectory(folder)) return Fail(error, folder, "not a folder");
    std::vector<ModuleEntry> entries;
    std::string why;
    // Reads a file of the folder, keeping it among the inputs.
    auto read = [&](const std::string& path, ByteVector* data) {
        files->inputs.push_back(path);
        return ReadWholeFile(path, data, &why) ? 1 : Fail(error, path, why);
    };

    ByteVector info;
    std::string infoPath = folder + "/info.txt";
    if (!read(infoPath, &info) || !CheckScriptText(infoPath, info, error)) return 0;

    std::vector<SourceFile> actionFiles, celFiles, soundFiles, others;
    Companions palettes, indices, regions;
    if (!ListSources(folder, "actions", ".txt", &actionFiles, warnings, error) ||
        !ListSources(folder, "images", ".png", &celFiles, warnings, error) ||
        !ListSources(folder, "sounds", ".wav", &soundFiles, warnings, error) ||
        !ListSources(folder, "other", "", &others, warnings, error) ||
        !ListCelCompanions(folder, "palettes", ".png", celFiles, &palettes, warnings, error) ||
        !ListCelCompanions(folder, "indices", ".png", celFiles, &indices, warnings, error) ||
        !ListCelCompanions(folder, "regions", ".rgn", celFiles, &regions, warnings, error))
        return 0;
    for (const Companions* companions : {&palettes, &indices, &regions})
        for (const auto& companion : *companions) files->inputs.push_back(companion.second);

    std::vector<SourceCel> cels(celFiles.size());
    for (size_t i = 0; i < celFiles.size(); i++) {
        files->inputs.push_back(folder + "/images/" + celFiles[i].name);
        if (!ReadCel(folder, celFiles[i], palettes, indices, regions, &cels[i], error)) return 0;
    }

    ColorTable colors(kColorTableBytes, 0);
    std::string palettePath = folder + "/palette.png";
    std::string keptPalettePath = folder + "/other/palette.tw8";
    bool givenPalette = PathExists(palettePath);
    bool keptPalette = PathExists(keptPalettePath);
    if (givenPalette && keptPalette) return Fail(error, keptPalettePath, "palette.png gives the palette already");
    if (givenPalette) files->inputs.push_back(palettePath);
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

    for (const SourceFile& file : actionFiles) {
        std::string path = folder + "/actions/" + file.name;
        ByteVector script;
        if (!CheckStem(path, file.stem, "", false, error) || !read(path, &script) ||
            !CheckScriptText(path, script, error) ||
            !AddEntry(&entries, &sources, file.stem, ScrambleBytes(script), path, error))
            return 0;
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

    for (const SourceFile& file : soundFiles) {
        std::string path = folder + "/sounds/" + file.name;
        ByteVector wave;
        if (!CheckStem(path, file.stem, ".snd", true, error) || !read(path, &wave)) return 0;
        const char* reason = "larger than 4 GiB";
        if (wave.size() > UINT32_MAX || !WaveImageIsSound(wave.data(), static_cast<uint32_t>(wave.size()), &reason))
            return Fail(error, path, std::string("not a sound the program plays: ") + reason);
        if (!AddEntry(&entries, &sources, file.stem + ".snd", ScrambleBytes(wave), path, error)) return 0;
    }

    for (const SourceFile& file : others) {
        std::string path = folder + "/other/" + file.name;
        ByteVector data;
        if (!CheckStem(path, file.name, "", false, error) || !read(path, &data) ||
            !AddEntry(&entries, &sources, file.name, std::move(data), path, error))
            return 0;
    }

    *module = LayOutModule(entries);
    return 1;
}

std::string AuthorFileOf(const AuthorFiles& files, const std::string& entry, std::string* hint) {
    auto found = files.sources.find(entry);
    if (found != files.sources.end()) return found->second;
    std::string stem = entry.size() > 4 ? entry.substr(0, entry.size() - 4) : entry;
    std::string path;
    if (entry == "info.txt")
        path = files.folder + "/info.txt";
    else if (entry == "palette.tw8")
        path = files.folder + "/palette.png";
    else if (entry.size() > 4 && (EndsWith(entry, ".tw8") || EndsWith(entry, ".rgn")))
        path = files.folder + "/images/" + stem + ".png";
    else if (entry.size() > 4 && EndsWith(entry, ".snd"))
        path = files.folder + "/sounds/" + stem + ".wav";
    else if (entry.find('.') == std::string::npos)
        path = files.folder + "/actions/" + entry + ".txt";
    else
        path = files.folder + "/other/" + entry;
    for (const auto& source : files.sources)
        if (hint && SameLetters(source.second, path)) *hint = " (" + source.second + " differs in case)";
    return path;
}

namespace {

// Whether writing `output` would overwrite a file the build of the folder
// read, or put a file where the next build reads (an input subfolder), under
// any spelling of its path. *which names what it would hit.
bool OutputAmongInputs(const AuthorFiles& files, const std::string& output, std::string* which) {
    FileId target{};
    if (FileIdentity(output, &target)) {
        for (const std::string& input : files.inputs) {
            FileId id{};
            if (FileIdentity(input, &id) && id == target) return *which = input, true;
        }
    }
    size_t slash = output.find_last_of("/\\");
    std::string parent = slash == std::string::npos ? "." : slash == 0 ? "/" : output.substr(0, slash);
    FileId parentId{};
    if (!FileIdentity(parent, &parentId)) return false;
    for (const char* sub : {"actions", "images", "sounds", "other", "palettes", "indices", "regions"}) {
        FileId id{};
        std::string folder = files.folder + "/" + sub;
        if (FileIdentity(folder, &id) && id == parentId) return *which = folder + "/", true;
    }
    return false;
}

}  // namespace

int PkmBuild(int argc, char** argv) {
    if (argc != 3 || std::strcmp(argv[1], "-o") != 0) {
        std::fputs("usage: pkm build FOLDER -o MODULE.Pkm\n", stderr);
        return 2;
    }
    ByteVector module;
    std::string error;
    std::vector<std::string> warnings;
    AuthorFiles files;
    int built = BuildModuleFromFolder(argv[0], &module, &error, &warnings, &files);
    for (const std::string& warning : warnings) std::fprintf(stderr, "pkm: warning: %s\n", warning.c_str());
    if (!built) {
        std::fprintf(stderr, "pkm: %s\n", error.c_str());
        return 1;
    }
    std::string input;
    if (OutputAmongInputs(files, argv[2], &input)) {
        std::fprintf(stderr, "pkm: %s: the module would %s %s; write it outside the folder's inputs\n", argv[2],
                     input.back() == '/' ? "go into" : "overwrite", input.c_str());
        return 1;
    }
    if (!WriteWholeFile(argv[2], module, &error)) {
        std::fprintf(stderr, "pkm: %s: %s\n", argv[2], error.c_str());
        return 1;
    }
    return 0;
}
