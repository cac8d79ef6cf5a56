// pkm sheet: a contact sheet of an action's cels (or of every action's), so an
// author sees each cel's shape, index and position against the anchor at once.
//
// Per action: a title line (name, base name, anchor), then its cels in rows of
// eight. Each cel stands on a checkerboard as large as the cel, its shape
// drawn in the cel's own colours and outlined in red just outside, the anchor
// marked by a blue cross with dotted blue lines through the cel, and its index
// below. The sheet is drawn at twice the size of the art.
#include "modules/action.h"
#include "modules/container.h"
#include "modules/script.h"
#include "platform/memory.h"
#include "tools/common/png_io.h"
#include "tools/pkm/commands.h"
#include "tools/pkm/module_read.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr int kScale = 2;         // sheet pixels per art pixel
constexpr int kColumns = 8;       // cels per row (a mouse-watching action's eight directions)
constexpr int kGap = 8;           // art pixels between cells and around the sheet
constexpr int kGlyphWidth = 3;    // the built-in font's glyphs, with one pixel between them
constexpr int kGlyphHeight = 5;
constexpr int kCrossArm = 3;      // the anchor cross reaches this far each way

constexpr uint32_t kPaper = 0xFFFFFF;
constexpr uint32_t kInk = 0x000000;
constexpr uint32_t kCheckLight = 0xF0F0F0;
constexpr uint32_t kCheckDark = 0xD8D8D8;
constexpr uint32_t kOutline = 0xFF0000;
constexpr uint32_t kAnchor = 0x0000FF;

// A 3 × 5 font: five rows of three bits per glyph, top row first, high bit left.
struct Glyph {
    char c;
    uint8_t rows[5];
};
const Glyph kFont[] = {
    {'0', {7, 5, 5, 5, 7}}, {'1', {2, 6, 2, 2, 7}}, {'2', {7, 1, 7, 4, 7}}, {'3', {7, 1, 7, 1, 7}},
    {'4', {5, 5, 7, 1, 1}}, {'5', {7, 4, 7, 1, 7}}, {'6', {7, 4, 7, 5, 7}}, {'7', {7, 1, 1, 2, 2}},
    {'8', {7, 5, 7, 5, 7}}, {'9', {7, 5, 7, 1, 7}}, {'a', {2, 5, 7, 5, 5}}, {'b', {6, 5, 6, 5, 6}},
    {'c', {3, 4, 4, 4, 3}}, {'d', {6, 5, 5, 5, 6}}, {'e', {7, 4, 6, 4, 7}}, {'f', {7, 4, 6, 4, 4}},
    {'g', {3, 4, 5, 5, 3}}, {'h', {5, 5, 7, 5, 5}}, {'i', {7, 2, 2, 2, 7}}, {'j', {1, 1, 1, 5, 2}},
    {'k', {5, 5, 6, 5, 5}}, {'l', {4, 4, 4, 4, 7}}, {'m', {5, 7, 7, 5, 5}}, {'n', {6, 5, 5, 5, 5}},
    {'o', {2, 5, 5, 5, 2}}, {'p', {6, 5, 6, 4, 4}}, {'q', {2, 5, 5, 6, 3}}, {'r', {6, 5, 6, 5, 5}},
    {'s', {3, 4, 2, 1, 6}}, {'t', {7, 2, 2, 2, 2}}, {'u', {5, 5, 5, 5, 7}}, {'v', {5, 5, 5, 5, 2}},
    {'w', {5, 5, 7, 7, 5}}, {'x', {5, 5, 2, 5, 5}}, {'y', {5, 5, 2, 2, 2}}, {'z', {7, 1, 2, 4, 7}},
    {',', {0, 0, 0, 2, 4}}, {'.', {0, 0, 0, 0, 2}}, {'-', {0, 0, 7, 0, 0}}, {'_', {0, 0, 0, 0, 7}},
    {'(', {1, 2, 2, 2, 1}}, {')', {4, 2, 2, 2, 4}}, {':', {0, 2, 0, 2, 0}}, {' ', {0, 0, 0, 0, 0}},
};
const uint8_t kUnknownGlyph[5] = {7, 5, 5, 5, 7};  // any other character: a box

// The sheet at art scale; enlarged when written.
struct Sheet {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;  // 0xRRGGBB

    void Put(int x, int y, uint32_t color) {
        if (x >= 0 && y >= 0 && x < width && y < height) pixels[static_cast<size_t>(y) * width + x] = color;
    }
};

int TextWidth(const std::string& text) { return static_cast<int>(text.size()) * (kGlyphWidth + 1); }

void DrawText(Sheet* sheet, int x, int y, const std::string& text) {
    for (char raw : text) {
        char c = raw >= 'A' && raw <= 'Z' ? static_cast<char>(raw - 'A' + 'a') : raw;
        const uint8_t* rows = kUnknownGlyph;
        for (const Glyph& glyph : kFont)
            if (glyph.c == c) rows = glyph.rows;
        for (int gy = 0; gy < kGlyphHeight; gy++)
            for (int gx = 0; gx < kGlyphWidth; gx++)
                if (rows[gy] & (4 >> gx)) sheet->Put(x + gx, y + gy, kInk);
        x += kGlyphWidth + 1;
    }
}

// One cel as read from the module; `error` set when it cannot be shown.
struct SheetCel {
    IndexedPicture picture;
    ColorTable colors;
    ByteVector shown;
    std::string error;
};

// One action's script fields that the sheet shows, and its cels.
struct SheetAction {
    std::string name;
    std::string base;
    int32_t anchorX = 0;
    int32_t anchorY = 0;
    std::vector<SheetCel> cels;
    // The cell every cel of the action is drawn in, relative to the cels'
    // top-left corner: the largest cel and the anchor cross.
    int boxLeft = 0, boxTop = 0, boxRight = 0, boxBottom = 0;
};

bool ReadWhole(const std::string& module, const std::string& entry, bool image, ByteVector* data,
               std::string* error) {
    uint32_t size = 0;
    ContainerError why = ContainerError::kNone;
    uint8_t* block = image ? ReadImageEntry(module.c_str(), entry.c_str(), &size, &why)
                           : ReadEntry(module.c_str(), entry.c_str(), &size, &why);
    if (!block) {
        *error = entry + ": " + ContainerReason(why);
        return false;
    }
    data->assign(block, block + size);
    SysFree(block);
    return true;
}

void ReadSheetCel(const std::string& module, const std::string& base, int32_t index, SheetCel* cel) {
    char image[kMaxActionName + 16], region[kMaxActionName + 16];
    ByteVector imageData, regionData;
    std::string why;
    if (!AssetEntryName(image, sizeof image, base.c_str(), index, ".tw8") ||
        !AssetEntryName(region, sizeof region, base.c_str(), index, ".rgn")) {
        cel->error = base + ": base name too long";
    } else if (ReadWhole(module, image, true, &imageData, &cel->error) &&
               ReadWhole(module, region, false, &regionData, &cel->error)) {
        if (!DecodeTw8(imageData, &cel->picture, &cel->colors, &why))
            cel->error = std::string(image) + ": " + why;
        else if (cel->picture.width > 4096 || cel->picture.height > 4096)
            cel->error = std::string(image) + ": larger than 4096 pixels";
        else if (!RegionMask(regionData, cel->picture.width, cel->picture.height, &cel->shown, &why))
            cel->error = std::string(region) + ": " + why;
    }
    if (!cel->error.empty()) cel->picture = IndexedPicture{};
}

// Reads an action's base name, cel count and anchor, then its cels. Returns
// false when the entry is not an action script with at least one cel.
bool ReadSheetAction(const std::string& module, const std::string& name, SheetAction* action) {
    uint32_t size = 0;
    uint8_t* script = ReadScrambledEntry(module.c_str(), name.c_str(), &size);
    if (!script) return false;
    ScriptCursor cursor;
    bool ok = ScriptAtComma(&cursor, script, size, 1) && cursor.position > 0 && cursor.position <= kMaxActionName;
    int32_t count = 0;
    if (ok) {
        action->base.assign(reinterpret_cast<char*>(script), cursor.position);
        count = ReadNumber(&cursor);
        action->anchorX = ReadNumber(&cursor);
        action->anchorY = ReadNumber(&cursor);
        ok = !cursor.failed && count >= 1 && count <= kMaxCels;
    }
    SysFree(script);
    if (!ok) return false;
    action->name = name;
    action->cels.resize(static_cast<size_t>(count));
    int maxWidth = 1, maxHeight = 1;
    for (int32_t i = 0; i < count; i++) {
        ReadSheetCel(module, action->base, i, &action->cels[i]);
        maxWidth = std::max(maxWidth, static_cast<int>(action->cels[i].picture.width));
        maxHeight = std::max(maxHeight, static_cast<int>(action->cels[i].picture.height));
    }
    // Anchors far outside every cel are drawn at the cell's edge instead of
    // making the cell huge.
    int ax = std::clamp(action->anchorX, -64, maxWidth + 64);
    int ay = std::clamp(action->anchorY, -64, maxHeight + 64);
    action->boxLeft = std::min(0, ax - kCrossArm);
    action->boxTop = std::min(0, ay - kCrossArm);
    action->boxRight = std::max(maxWidth, ax + kCrossArm + 1);
    action->boxBottom = std::max(maxHeight, ay + kCrossArm + 1);
    return true;
}

int CellWidth(const SheetAction& a) { return std::max(a.boxRight - a.boxLeft, TextWidth("0000")); }
int CellHeight(const SheetAction& a) { return a.boxBottom - a.boxTop + 2 + kGlyphHeight; }
int TitleHeight() { return kGlyphHeight + 4; }

int SectionWidth(const SheetAction& a) {
    int columns = std::min(kColumns, static_cast<int>(a.cels.size()));
    return std::max(columns * (CellWidth(a) + kGap) - kGap, TextWidth(a.name) + TextWidth(" (" + a.base + ") anchor -0000,-0000"));
}

int SectionHeight(const SheetAction& a) {
    int rows = (static_cast<int>(a.cels.size()) + kColumns - 1) / kColumns;
    return TitleHeight() + rows * (CellHeight(a) + kGap);
}

uint32_t TableColor(const ColorTable& colors, int index) {
    return (static_cast<uint32_t>(colors[4 * index + 2]) << 16) | (static_cast<uint32_t>(colors[4 * index + 1]) << 8) |
           colors[4 * index];
}

// Draws cel `index` with its top-left corner at x, y.
void DrawCel(Sheet* sheet, const SheetAction& action, const SheetCel& cel, int x, int y) {
    int w = static_cast<int>(cel.picture.width);
    int h = static_cast<int>(cel.picture.height);
    auto shown = [&](int cx, int cy) {
        return cx >= 0 && cy >= 0 && cx < w && cy < h && cel.shown[static_cast<size_t>(cy) * w + cx];
    };
    for (int cy = 0; cy < h; cy++)
        for (int cx = 0; cx < w; cx++)
            sheet->Put(x + cx, y + cy, ((cx / 4 + cy / 4) % 2) ? kCheckDark : kCheckLight);
    // The anchor's lines run behind the art, dotted, across the whole cell.
    for (int cx = action.boxLeft; cx < action.boxRight; cx += 2)
        if (!shown(cx, action.anchorY)) sheet->Put(x + cx, y + action.anchorY, kAnchor);
    for (int cy = action.boxTop; cy < action.boxBottom; cy += 2)
        if (!shown(action.anchorX, cy)) sheet->Put(x + action.anchorX, y + cy, kAnchor);
    for (int cy = -1; cy <= h; cy++) {
        for (int cx = -1; cx <= w; cx++) {
            if (shown(cx, cy)) {
                sheet->Put(x + cx, y + cy, TableColor(cel.colors, cel.picture.pixels[static_cast<size_t>(cy) * w + cx]));
            } else if (shown(cx - 1, cy) || shown(cx + 1, cy) || shown(cx, cy - 1) || shown(cx, cy + 1)) {
                sheet->Put(x + cx, y + cy, kOutline);
            }
        }
    }
    for (int d = -kCrossArm; d <= kCrossArm; d++) {
        sheet->Put(x + action.anchorX + d, y + action.anchorY, kAnchor);
        sheet->Put(x + action.anchorX, y + action.anchorY + d, kAnchor);
    }
}

void DrawSection(Sheet* sheet, const SheetAction& action, int top) {
    DrawText(sheet, kGap, top, action.name + " (" + action.base + ") anchor " + std::to_string(action.anchorX) + "," +
                                   std::to_string(action.anchorY));
    for (size_t i = 0; i < action.cels.size(); i++) {
        int cellX = kGap + static_cast<int>(i % kColumns) * (CellWidth(action) + kGap);
        int cellY = top + TitleHeight() + static_cast<int>(i / kColumns) * (CellHeight(action) + kGap);
        int celX = cellX - action.boxLeft;
        int celY = cellY - action.boxTop;
        if (action.cels[i].error.empty()) {
            DrawCel(sheet, action, action.cels[i], celX, celY);
        } else {
            // A cel that cannot be read: a red cross over its cell.
            for (int d = 0; d < action.boxBottom - action.boxTop; d++) {
                int across = d * (action.boxRight - action.boxLeft - 1) / std::max(1, action.boxBottom - action.boxTop - 1);
                sheet->Put(cellX + across, cellY + d, kOutline);
                sheet->Put(cellX + action.boxRight - action.boxLeft - 1 - across, cellY + d, kOutline);
            }
        }
        char label[16];
        std::snprintf(label, sizeof label, "%02d", static_cast<int>(i));
        DrawText(sheet, cellX, cellY + action.boxBottom - action.boxTop + 2, label);
    }
}

// The names of the module's action scripts: entries without a suffix, first
// record of each name, sorted.
bool ListActionNames(const std::string& module, std::vector<std::string>* names) {
    uint32_t count = 0;
    ContainerError why = ContainerError::kNone;
    DirectoryRecord* records = ReadModuleDirectory(module.c_str(), &count, &why);
    if (!records) {
        std::fprintf(stderr, "pkm: %s: %s\n", module.c_str(), ContainerReason(why));
        return false;
    }
    for (uint32_t i = 0; i < count; i++)
        if (records[i].name[0] && !std::strchr(records[i].name, '.')) names->push_back(records[i].name);
    SysFree(records);
    std::sort(names->begin(), names->end());
    names->erase(std::unique(names->begin(), names->end()), names->end());
    return true;
}

}  // namespace

int PkmSheet(int argc, char** argv) {
    std::vector<std::string> words(argv, argv + argc);
    std::string output;
    auto dash = std::find(words.begin(), words.end(), "-o");
    if (dash != words.end() && dash + 1 != words.end()) {
        output = *(dash + 1);
        words.erase(dash, dash + 2);
    }
    if (output.empty() || words.empty() || words.size() > 2) {
        std::fputs("usage: pkm sheet MODULE [ACTION] -o FILE.png\n", stderr);
        return 2;
    }
    const std::string& module = words[0];
    std::vector<SheetAction> actions;
    if (words.size() == 2) {
        actions.emplace_back();
        if (!ReadSheetAction(module, words[1], &actions.back())) {
            std::fprintf(stderr, "pkm: %s: %s: no action script with a base name, a cel count and an anchor\n",
                         module.c_str(), words[1].c_str());
            return 1;
        }
    } else {
        std::vector<std::string> names;
        if (!ListActionNames(module, &names)) return 1;
        for (const std::string& name : names) {
            SheetAction action;
            if (ReadSheetAction(module, name, &action)) actions.push_back(std::move(action));
        }
        if (actions.empty()) {
            std::fprintf(stderr, "pkm: %s: no action scripts\n", module.c_str());
            return 1;
        }
    }

    Sheet sheet;
    sheet.width = 0;
    sheet.height = kGap;
    for (const SheetAction& action : actions) {
        sheet.width = std::max(sheet.width, SectionWidth(action) + 2 * kGap);
        sheet.height += SectionHeight(action);
    }
    if (static_cast<int64_t>(sheet.width) * kScale > 16384 || static_cast<int64_t>(sheet.height) * kScale > 65535) {
        std::fprintf(stderr, "pkm: %s: the sheet would be too large; give one action\n", module.c_str());
        return 1;
    }
    sheet.pixels.assign(static_cast<size_t>(sheet.width) * sheet.height, kPaper);
    int top = kGap;
    int unreadable = 0;
    for (const SheetAction& action : actions) {
        DrawSection(&sheet, action, top);
        top += SectionHeight(action);
        for (const SheetCel& cel : action.cels) {
            if (cel.error.empty()) continue;
            std::fprintf(stderr, "%s: %s\n", action.name.c_str(), cel.error.c_str());
            unreadable++;
        }
    }

    RgbaPicture picture;
    picture.width = static_cast<uint32_t>(sheet.width * kScale);
    picture.height = static_cast<uint32_t>(sheet.height * kScale);
    picture.rgba.resize(static_cast<size_t>(picture.width) * picture.height * 4);
    for (uint32_t y = 0; y < picture.height; y++) {
        for (uint32_t x = 0; x < picture.width; x++) {
            uint32_t color = sheet.pixels[static_cast<size_t>(y / kScale) * sheet.width + x / kScale];
            uint8_t* p = &picture.rgba[(static_cast<size_t>(y) * picture.width + x) * 4];
            p[0] = static_cast<uint8_t>(color >> 16);
            p[1] = static_cast<uint8_t>(color >> 8);
            p[2] = static_cast<uint8_t>(color);
            p[3] = 255;
        }
    }
    std::string error;
    if (!WritePng(output, picture, &error)) {
        std::fprintf(stderr, "pkm: %s: %s\n", output.c_str(), error.c_str());
        return 1;
    }
    return unreadable ? 1 : 0;
}
