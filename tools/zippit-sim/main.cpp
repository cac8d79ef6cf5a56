// zippit-sim: runs a character module through the mascot's real behaviour,
// frame tick and frame loop on a simulated screen, and prints each frame.
//
//   zippit-sim MODULE [--seed N] [--frames N] [--support L,T,R,B] [--cursor X,Y]
//              [--char-act-per N] [--sound 0|1] [--start X,Y] [--png DIR] [--gif FILE]
//              [--scale N]
//   zippit-sim --help
//
// Output, one line per frame:
//   frame=N t=MS action=NAME step=S cel=C x=X y=Y w=W h=H sound=K
#include "mascot/behaviour.h"
#include "mascot/frame.h"
#include "mascot/frame_loop.h"
#include "mascot/random.h"
#include "mascot/running_character.h"
#include "mascot/state.h"
#include "modules/character.h"
#include "platform/portable/hooks.h"
#include "platform/graphics.h"
#include "platform/standard_output.h"
#include "settings/settings.h"
#include "tools/common/gif_io.h"
#include "tools/common/png_io.h"

#include <algorithm>
#include <cerrno>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unordered_map>
#include <vector>

namespace {

struct Options {
    const char* module = nullptr;
    uint32_t seed = 1;
    int64_t frames = 100;
    Rect support = {0, 0, 1024, 768};
    Point cursor = {0, 0};
    int32_t charActPer = 550;
    int32_t sound = 1;
    Point start = {0, 0};
    const char* pngDir = nullptr;
    const char* gifPath = nullptr;
    int32_t scale = 1;  // the whole factor a monitor's DPI would give
    bool help = false;  // --help: print the usage and run nothing
};

// The simulated screen.
constexpr int32_t kScreenWidth = 1024;
constexpr int32_t kScreenHeight = 768;

// The animated GIF being recorded. A frame's delay is known only when the
// next frame starts, so each frame waits here until then.
struct GifRecording {
    GifWriter* writer = nullptr;
    std::unordered_map<uint32_t, uint8_t> indexOf;  // 0xRRGGBB -> first palette index of that colour
    uint8_t rgb[768];                                // the character's palette, red, green, blue
    bool pending = false;
    uint32_t left = 0, top = 0, width = 0, height = 0;
    std::vector<uint8_t> pixels;
    int transparent = 0;
    uint32_t startClock = 0;  // clock reading when the waiting frame started
    int64_t startMs = 0;      // its start, counted from the first frame's
};

Options g_options;          // what the command line asked for
int64_t g_frameNumber = 0;  // frames printed so far
SysWindow* g_support = nullptr;  // the one other window on the simulated screen
GifRecording g_gif;              // the --gif recording, when asked for

bool ParseInteger(const char* text, int64_t low, int64_t high, int64_t* value) {
    if (!text || !*text) return false;
    errno = 0;
    char* end = nullptr;
    long long parsed = std::strtoll(text, &end, 10);
    if (errno != 0 || *end != 0 || parsed < low || parsed > high) return false;
    *value = parsed;
    return true;
}

// Parses "A,B" or "A,B,C,D" into `count` signed 32-bit numbers.
bool ParseList(const char* text, int count, int32_t* values) {
    std::string rest = text ? text : "";
    for (int i = 0; i < count; i++) {
        size_t comma = rest.find(',');
        std::string part = i + 1 < count ? rest.substr(0, comma) : rest;
        if ((i + 1 < count) == (comma == std::string::npos)) return false;
        int64_t value = 0;
        if (!ParseInteger(part.c_str(), INT32_MIN, INT32_MAX, &value)) return false;
        values[i] = static_cast<int32_t>(value);
        rest = comma == std::string::npos ? "" : rest.substr(comma + 1);
    }
    return true;
}

// The options, as --help lists them: each with its value, what it does, the
// values it takes (which a bad value's message repeats) and its default.
struct OptionHelp {
    const char* name;
    const char* value;
    const char* meaning;
    const char* takes;
    const char* byDefault;
};
const OptionHelp kOptions[] = {
    {"--seed", "N", "the random generator's seed", "a whole number from 0 to 4294967295", "1"},
    {"--frames", "N", "frames to run and print", "a whole number from 0 to 4611686018427387903", "100"},
    {"--support", "L,T,R,B", "the window the character stands on", "four whole numbers", "0,0,1024,768"},
    {"--cursor", "X,Y", "where the mouse pointer stays", "two whole numbers", "0,0"},
    {"--char-act-per", "N", "the personality, calm to lively", "a whole number from 100 to 1000", "550"},
    {"--sound", "0|1", "sound off or on", "0 or 1", "1"},
    {"--start", "X,Y", "the character window's first top-left corner", "two whole numbers", "0,0"},
    {"--png", "DIR", "also write each frame as DIR/frame-NNNNN.png", "an existing folder", nullptr},
    {"--gif", "FILE", "also write the run as an animated GIF", "a file name", nullptr},
    {"--scale", "N", "the whole factor the character is drawn at", "a whole number from 1 to 8", "1"},
};

void PrintUsage(FILE* out) {
    std::fputs("usage: zippit-sim MODULE [OPTION VALUE]...\n"
               "Runs the character of MODULE on a simulated 1024 x 768 screen and prints one line per frame:\n"
               "  frame=N t=MS action=NAME step=S cel=C x=X y=Y w=W h=H sound=K\n"
               "options:\n",
               out);
    for (const OptionHelp& option : kOptions) {
        std::string word = std::string(option.name) + " " + option.value;
        std::fprintf(out, "  %-20s %s (%s%s%s)\n", word.c_str(), option.meaning, option.takes,
                     option.byDefault ? "; default " : "", option.byDefault ? option.byDefault : "");
    }
    std::fprintf(out, "  %-20s %s\n", "--help, -h", "print this text");
}

int Fail(const char* what, const char* value) {
    std::fprintf(stderr, "zippit-sim: %s%s%s\n", what, value ? ": " : "", value ? value : "");
    std::fputs("(zippit-sim --help lists the options)\n", stderr);
    return 1;
}

// Reads the command line into g_options; returns 0 and reports on a bad option.
bool ParseOptions(int argc, char** argv) {
    for (int i = 1; i < argc; i++) {
        const char* word = argv[i];
        if (std::strcmp(word, "--help") == 0 || std::strcmp(word, "-h") == 0) {
            g_options.help = true;
            return true;
        }
        if (std::strncmp(word, "--", 2) != 0) {
            if (g_options.module) return Fail("more than one module given", word), false;
            g_options.module = word;
            continue;
        }
        const OptionHelp* option = nullptr;
        for (const OptionHelp& known : kOptions)
            if (std::strcmp(word, known.name) == 0) option = &known;
        if (!option) return Fail("unknown option", word), false;
        if (i + 1 >= argc) return Fail("option without a value", word), false;
        const char* value = argv[++i];
        int64_t number = 0;
        int32_t pair[4];
        bool ok = true;
        if (std::strcmp(word, "--seed") == 0) {
            ok = ParseInteger(value, 0, UINT32_MAX, &number);
            g_options.seed = static_cast<uint32_t>(number);
        } else if (std::strcmp(word, "--frames") == 0) {
            ok = ParseInteger(value, 0, INT64_MAX / 2, &g_options.frames);
        } else if (std::strcmp(word, "--support") == 0) {
            ok = ParseList(value, 4, pair);
            g_options.support = Rect{pair[0], pair[1], pair[2], pair[3]};
        } else if (std::strcmp(word, "--cursor") == 0) {
            ok = ParseList(value, 2, pair);
            g_options.cursor = Point{pair[0], pair[1]};
        } else if (std::strcmp(word, "--start") == 0) {
            ok = ParseList(value, 2, pair);
            g_options.start = Point{pair[0], pair[1]};
        } else if (std::strcmp(word, "--char-act-per") == 0) {
            ok = ParseInteger(value, 100, 1000, &number);
            g_options.charActPer = static_cast<int32_t>(number);
        } else if (std::strcmp(word, "--sound") == 0) {
            ok = ParseInteger(value, 0, 1, &number);
            g_options.sound = static_cast<int32_t>(number);
        } else if (std::strcmp(word, "--scale") == 0) {
            ok = ParseInteger(value, 1, 8, &number);
            g_options.scale = static_cast<int32_t>(number);
        } else if (std::strcmp(word, "--png") == 0) {
            g_options.pngDir = value;
        } else {
            g_options.gifPath = value;
        }
        if (!ok) {
            std::string what = std::string("bad value for ") + word;
            std::string given = std::string(value) + " (" + option->takes + ")";
            return Fail(what.c_str(), given.c_str()), false;
        }
    }
    if (!g_options.module) return Fail("no module given", nullptr), false;
    return true;
}

// Calls shown(sx, sy, rgb) for every pixel of the mascot window that its
// shape shows, at screen position sx, sy, within `clip`; nothing when the
// window is hidden or has no shape.
template <typename Shown>
void ForEachShownPixel(const SysTestWindowView& view, const Rect& clip, Shown shown) {
    if (!view.visible || !view.pixels || !view.shape || view.shapeSize < 32) return;
    uint32_t count = 0;
    std::memcpy(&count, view.shape + 8, 4);
    for (uint32_t i = 0; i < count && 32 + (i + 1) * 16 <= view.shapeSize; i++) {
        int32_t r[4];
        std::memcpy(r, view.shape + 32 + i * 16, 16);
        for (int32_t y = std::max(r[1], 0); y < std::min(r[3], view.pixelHeight); y++) {
            for (int32_t x = std::max(r[0], 0); x < std::min(r[2], view.pixelWidth); x++) {
                int32_t sx = view.rect.left + x;
                int32_t sy = view.rect.top + y;
                if (sx < clip.left || sy < clip.top || sx >= clip.right || sy >= clip.bottom) continue;
                shown(sx, sy, view.pixels + (static_cast<size_t>(y) * view.pixelWidth + x) * 3);
            }
        }
    }
}

// The screen as it would look: white, the supporting window grey, the
// character composited through its window shape.
bool WriteFramePng() {
    const int32_t width = kScreenWidth;
    const int32_t height = kScreenHeight;
    RgbaPicture picture;
    picture.width = width;
    picture.height = height;
    picture.rgba.assign(static_cast<size_t>(width) * height * 4, 255);
    std::vector<uint8_t>& screen = picture.rgba;
    auto fill = [&](const Rect& r, uint8_t grey) {
        for (int32_t y = std::max(r.top, 0); y < std::min(r.bottom, height); y++)
            for (int32_t x = std::max(r.left, 0); x < std::min(r.right, width); x++)
                std::memset(&screen[(static_cast<size_t>(y) * width + x) * 4], grey, 3);
    };
    fill(g_options.support, 192);
    Rect edge = {g_options.support.left, g_options.support.top, g_options.support.right, g_options.support.top + 2};
    fill(edge, 96);

    SysTestWindowView view;
    SysTestViewWindow(MainWindow, &view);
    ForEachShownPixel(view, Rect{0, 0, width, height}, [&](int32_t sx, int32_t sy, const uint8_t* rgb) {
        std::memcpy(&screen[(static_cast<size_t>(sy) * width + sx) * 4], rgb, 3);
    });
    char path[4096];
    std::snprintf(path, sizeof path, "%s/frame-%05" PRId64 ".png", g_options.pngDir, g_frameNumber);
    std::string error;
    return WritePng(path, picture, &error);
}

// Starts the GIF with the character's palette as its colour table.
bool OpenGifRecording() {
    uint8_t entries[kColorTableSize];
    if (!SysGetPaletteEntries(RunningCharacter.palette, entries)) return false;
    for (int i = 255; i >= 0; i--) {
        const uint8_t* e = &entries[4 * i];
        std::memcpy(&g_gif.rgb[3 * i], e, 3);
        g_gif.indexOf[(static_cast<uint32_t>(e[0]) << 16) | (e[1] << 8) | e[2]] = static_cast<uint8_t>(i);
    }
    std::string error;
    g_gif.writer = OpenGif(g_options.gifPath, kScreenWidth, kScreenHeight, g_gif.rgb, &error);
    if (!g_gif.writer) std::fprintf(stderr, "zippit-sim: %s: %s\n", g_options.gifPath, error.c_str());
    return g_gif.writer != nullptr;
}

// The palette index that shows `rgb`: the first of that colour, else the
// nearest colour (only the black beyond a short paint can be missing).
uint8_t PaletteIndex(uint32_t rgb) {
    auto found = g_gif.indexOf.find(rgb);
    if (found != g_gif.indexOf.end()) return found->second;
    int best = 0;
    int64_t bestDistance = INT64_MAX;
    for (int i = 0; i < 256; i++) {
        int64_t dr = g_gif.rgb[3 * i] - static_cast<int>(rgb >> 16);
        int64_t dg = g_gif.rgb[3 * i + 1] - static_cast<int>((rgb >> 8) & 0xFF);
        int64_t db = g_gif.rgb[3 * i + 2] - static_cast<int>(rgb & 0xFF);
        int64_t distance = dr * dr + dg * dg + db * db;
        if (distance < bestDistance) best = i, bestDistance = distance;
    }
    g_gif.indexOf[rgb] = static_cast<uint8_t>(best);
    return static_cast<uint8_t>(best);
}

// Picks the index that stands for "not part of the character" in one frame:
// one the frame's shown pixels do not use (0 when free). When a frame shows
// all 256 colours, the rarest one moves to its nearest other colour.
int ChooseTransparent(std::vector<uint8_t>* pixels, const std::vector<uint8_t>& shown) {
    int64_t uses[256] = {};
    for (size_t i = 0; i < pixels->size(); i++)
        if (shown[i]) uses[(*pixels)[i]]++;
    int rarest = 0;
    for (int i = 0; i < 256; i++) {
        if (uses[i] == 0) return i;
        if (uses[i] < uses[rarest]) rarest = i;
    }
    int nearest = rarest == 0 ? 1 : 0;
    int64_t bestDistance = INT64_MAX;
    for (int i = 0; i < 256; i++) {
        if (i == rarest) continue;
        int64_t distance = 0;
        for (int c = 0; c < 3; c++) {
            int64_t d = g_gif.rgb[3 * i + c] - g_gif.rgb[3 * rarest + c];
            distance += d * d;
        }
        if (distance < bestDistance) nearest = i, bestDistance = distance;
    }
    for (size_t i = 0; i < pixels->size(); i++)
        if (shown[i] && (*pixels)[i] == rarest) (*pixels)[i] = static_cast<uint8_t>(nearest);
    return rarest;
}

// Ends the run after a GIF write failed.
[[noreturn]] void FailGif(const std::string& error) {
    std::fprintf(stderr, "zippit-sim: %s: %s\n", g_options.gifPath, error.c_str());
    std::string ignored;
    CloseGif(g_gif.writer, &ignored);
    std::exit(1);
}

// Writes the waiting frame, shown until the clock reading `now`. Delays are
// whole hundredths of a second; each frame's end is rounded from the run's
// start, so the remainders carry and the total stays right. A frame whose
// rounded delay is 0 is never seen and is left out.
void FlushGifFrame(uint32_t now) {
    if (!g_gif.pending) return;
    g_gif.pending = false;
    int64_t endMs = g_gif.startMs + static_cast<uint32_t>(now - g_gif.startClock);
    int64_t delay = (endMs + 5) / 10 - (g_gif.startMs + 5) / 10;
    g_gif.startMs = endMs;
    g_gif.startClock = now;
    std::string error;
    while (delay > 0) {
        uint32_t part = static_cast<uint32_t>(std::min<int64_t>(delay, kLongestGifDelay));
        if (!AddGifFrame(g_gif.writer, g_gif.left, g_gif.top, g_gif.width, g_gif.height, g_gif.pixels.data(),
                         g_gif.transparent, part, &error))
            FailGif(error);
        delay -= part;
    }
}

// Takes the frame just drawn into the recording: the part of the mascot
// window on the screen, the pixels outside its shape transparent. A hidden
// window gives one transparent pixel.
void CaptureGifFrame() {
    SysTestWindowView view;
    SysTestViewWindow(MainWindow, &view);
    int32_t left = std::max(view.rect.left, 0);
    int32_t top = std::max(view.rect.top, 0);
    int32_t right = std::min(view.rect.right, kScreenWidth);
    int32_t bottom = std::min(view.rect.bottom, kScreenHeight);
    bool drawn = view.visible && view.pixels && view.shape && view.shapeSize >= 32 && left < right && top < bottom;
    if (!drawn) left = top = 0, right = bottom = 1;
    uint32_t width = static_cast<uint32_t>(right - left);
    uint32_t height = static_cast<uint32_t>(bottom - top);
    std::vector<uint8_t> shown(static_cast<size_t>(width) * height, 0);
    g_gif.pixels.assign(shown.size(), 0);
    if (drawn)
        ForEachShownPixel(view, Rect{left, top, right, bottom}, [&](int32_t sx, int32_t sy, const uint8_t* p) {
            size_t at = static_cast<size_t>(sy - top) * width + (sx - left);
            shown[at] = 1;
            g_gif.pixels[at] = PaletteIndex((static_cast<uint32_t>(p[0]) << 16) | (p[1] << 8) | p[2]);
        });
    g_gif.transparent = ChooseTransparent(&g_gif.pixels, shown);
    for (size_t i = 0; i < shown.size(); i++)
        if (!shown[i]) g_gif.pixels[i] = static_cast<uint8_t>(g_gif.transparent);
    g_gif.left = static_cast<uint32_t>(left);
    g_gif.top = static_cast<uint32_t>(top);
    g_gif.width = width;
    g_gif.height = height;
    g_gif.pending = true;
}

void PrintFrame() {
    const FrameRecord& f = LastFrame;
    if (g_gif.writer && g_frameNumber == g_options.frames) {
        // The frame after the last one is run only to learn when the last
        // one ends; it is neither printed nor recorded.
        FlushGifFrame(f.time);
        SysTestPostQuit(0);
        return;
    }
    std::printf("frame=%" PRId64 " t=%u action=%s step=%d cel=%d x=%d y=%d w=%d h=%d sound=%d\n", g_frameNumber, f.time,
                f.action, f.step, f.cel, f.window.left, f.window.top, f.window.right - f.window.left,
                f.window.bottom - f.window.top, FrameSound);
    if (g_options.pngDir && !WriteFramePng()) {
        std::fprintf(stderr, "zippit-sim: cannot write a PNG frame into %s\n", g_options.pngDir);
        std::exit(1);
    }
    if (g_gif.writer) {
        if (g_frameNumber == 0) g_gif.startClock = f.time;
        FlushGifFrame(f.time);
        CaptureGifFrame();
    }
    if (++g_frameNumber == g_options.frames && !g_gif.writer) SysTestPostQuit(0);
}

}  // namespace

int main(int argc, char** argv) {
    // Frame lines reach a pipe or file the same on every system.
    SysBinaryStandardOutput();
    if (!ParseOptions(argc, argv)) return 1;
    if (g_options.help) {
        PrintUsage(stdout);
        return 0;
    }

    UserSettings.SndUse = g_options.sound;
    UserSettings.CharActPer = g_options.charActPer;
    SeedRandom(g_options.seed);
    SysTestSetClock(0);
    if (!LoadStartingCharacter(&RunningCharacter, g_options.module, g_options.scale)) {
        std::fprintf(stderr, "zippit-sim: %s: the module cannot be loaded (try pkm check)\n", g_options.module);
        return 1;
    }
    if (RunningCharacter.bootSoundCount > 0) NextRandom();  // the splash's boot-sound draw

    g_support = SysTestCreateWindow(g_options.support, "ZippitSimSupport", 1);
    SysTestSetForeground(g_support);
    SysTestSetCursor(g_options.cursor.x, g_options.cursor.y);
    MainWindow = SysTestCreateWindow(Rect{g_options.start.x, g_options.start.y,
                                          g_options.start.x + RunningCharacter.canvasWidth,
                                          g_options.start.y + RunningCharacter.canvasHeight},
                                     "PK32MainWClass", 0);
    BackBufferDC = SysCreateMemoryDC();
    CelDC = SysCreateMemoryDC();
    SysBitmap* defaultBitmap = SysSelectBitmap(BackBufferDC, RunningCharacter.canvas.bitmap);

    int result = 0;
    if (g_options.gifPath && !OpenGifRecording()) result = 1;
    AfterFrame = PrintFrame;
    if (g_options.frames > 0 && result == 0) RunFrameLoop();
    std::string gifError;
    if (g_gif.writer && !CloseGif(g_gif.writer, &gifError)) {
        std::fprintf(stderr, "zippit-sim: %s: %s\n", g_options.gifPath, gifError.c_str());
        result = 1;
    }

    SysSelectBitmap(BackBufferDC, defaultBitmap);
    SysDeleteDC(CelDC);
    SysDeleteDC(BackBufferDC);
    ReleaseCharacter(&RunningCharacter);
    ReleaseSettings();
    return std::fflush(stdout) == 0 ? result : 1;
}
