// The authoring folder of a character and the two commands that convert
// between it and a module file (pkm build, pkm unpack). docs/authoring.md
// describes the folder for authors.
//
//   info.txt            the description script, stored scrambled as info.txt
//   actions/NAME.txt    one action script per action, stored scrambled as NAME
//   images/NAME.png     one cel: NAME.tw8 and its shape NAME.rgn
//   sounds/NAME.wav     one sound the program plays (WaveImageIsSound), stored
//                       scrambled as NAME.snd
//   palette.png         optional: the module's 256 colours, pixel i = colour i
//   other/NAME          optional: any other entry, stored byte for byte
//                       (other/palette.tw8 instead of palette.png: the palette
//                       entry as it stands)
//   palettes/NAME.png   optional: cel NAME's own colours, pixel i = colour i
//   indices/NAME.png    optional: cel NAME's colour indices as grey levels, used
//                       where they agree with images/NAME.png
//   regions/NAME.rgn    optional: cel NAME's region data, kept while it covers
//                       exactly the picture's shape
// pkm unpack writes the optional files only where the module needs them, so
// that folders without them build as they always did.
#pragma once

#include "tools/pkm/module_write.h"

#include <map>
#include <string>
#include <vector>

// Index of the transparent background in every palette the build makes.
constexpr uint8_t kBackgroundIndex = 0;
// Pixels of this colour (0xRRGGBB) are background even when they are opaque.
constexpr uint32_t kKeyColor = 0xFF00FF;
// Pixels whose alpha is below this are background.
constexpr uint8_t kOpaqueAlpha = 128;

// The index a shown pixel of colour 0xRRGGBB takes without an index picture:
// the first entry of that colour after the background.
std::map<uint32_t, uint8_t> ShownColorLookup(const ColorTable& colors);

// Which files of an authoring folder a build read, and which made each entry.
struct AuthorFiles {
    std::string folder;
    std::map<std::string, std::string> sources;  // entry name -> the file it was made from
    std::vector<std::string> inputs;             // every file the build read
};

// The file of the folder that made `entry`, or, for an entry the folder
// lacks, the file that would make it (actions/NAME.txt, images/STEM.png,
// sounds/STEM.wav, ...). For such a file `hint`, when given, receives a word
// on a file whose name differs from it only in case (the program tells names
// by case), else stays as it was.
std::string AuthorFileOf(const AuthorFiles& files, const std::string& entry, std::string* hint = nullptr);

// Makes a module's bytes from an authoring folder. Entries come in a fixed
// order (info.txt, palette.tw8, actions, images with their regions, sounds,
// other entries; each group sorted by name), so the same folder always gives
// the same bytes. Files the build does not use (a subfolder, Thumbs.db, a
// file without the expected suffix) are left out, each with one line in
// `warnings`. Returns 1, or 0 with *error set to one line naming the file
// and what is wrong with it. `files`, when given, receives what was read.
int BuildModuleFromFolder(const std::string& folder, ByteVector* module, std::string* error,
                          std::vector<std::string>* warnings = nullptr, AuthorFiles* files = nullptr);

// Writes a module's entries into a new or empty authoring folder, so that
// building that folder again gives the same module. Returns 1, or 0 with
// *error set to one line.
int UnpackModuleToFolder(const std::string& modulePath, const std::string& folder, std::string* error);
