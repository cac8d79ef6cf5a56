// Benchmarks of the hot paths, each paired with the baseline it is judged
// against in the same run (scripts/bench prints the ratios):
//   ExpandRle of the default character's cels  vs  memcpy of the same output size
//   LoadAction of 32 packed cels   vs  one read of the module file plus expanding the cels
#include "modules/action.h"
#include "modules/container.h"
#include "platform/memory.h"
#include "settings/settings.h"
#include "tests/support/module_writer.h"
#include "tools/pkm/module_write.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

constexpr int kSide = 128;    // the cels are 128 x 128
constexpr int kCels = 32;

// A 128 x 128 picture as characters are drawn: a transparent background
// around an oval body in bands of colour, with an outline, shading speckles
// and a few details, so the packed data mixes long runs, short runs and literals.
std::vector<uint8_t> PictureLike(int variant) {
    std::vector<uint8_t> pixels(kSide * kSide, 0);
    uint32_t noise = 12345u + static_cast<uint32_t>(variant) * 7919u;
    for (int y = 0; y < kSide; y++) {
        for (int x = 0; x < kSide; x++) {
            int dx = x - 64 - (variant % 5);
            int dy = y - 70;
            int d = dx * dx * 4 + dy * dy * 5;
            if (d > 52 * 52 * 4) continue;
            noise = noise * 1103515245u + 12345u;
            uint8_t colour = static_cast<uint8_t>(32 + y / 10);
            if (d > 49 * 49 * 4) colour = 1;                           // outline
            else if ((noise >> 24) < 40) colour = static_cast<uint8_t>(colour + 1);  // shading
            if (y > 40 && y < 48 && (x / 6) % 3 == 0) colour = 200;    // eyes, stripes
            pixels[static_cast<size_t>(y) * kSide + x] = colour;
        }
    }
    return pixels;
}

// The packed pixels of every cel of the default character, as stored.
struct PackedCels {
    std::vector<ByteVector> packed;
    std::vector<uint32_t> pixels;
    size_t totalPixels = 0;
    size_t totalPacked = 0;

    PackedCels() {
        uint32_t count = 0;
        DirectoryRecord* records = ReadModuleDirectory(ZIPPY_MODULE, &count);
        for (uint32_t i = 0; i < count; i++) {
            std::string name = records[i].name;
            if (name.size() < 4 || name.compare(name.size() - 4, 4, ".tw8") != 0) continue;
            uint32_t size = 0;
            uint8_t* entry = ReadEntry(ZIPPY_MODULE, name.c_str(), &size);
            if (entry && size > kImageHeaderSize && entry[1] == 1) {
                uint32_t stored = 0;
                std::memcpy(&stored, entry + 4, 4);
                packed.emplace_back(entry + kImageHeaderSize, entry + std::min(stored, size));
                pixels.push_back(static_cast<uint32_t>(entry[8] | (entry[9] << 8)) * (entry[10] | (entry[11] << 8)));
                totalPixels += pixels.back();
                totalPacked += packed.back().size();
            }
            SysFree(entry);
        }
        SysFree(records);
        if (packed.empty()) std::abort();
    }
};

const PackedCels& TheCels() {
    static PackedCels cels;  // read once per run
    return cels;
}

void BM_Memcpy(benchmark::State& state) {
    const PackedCels& cels = TheCels();
    std::vector<uint8_t> source(cels.totalPixels, 7);
    std::vector<uint8_t> out(cels.totalPixels);
    for (auto _ : state) {
        std::memcpy(out.data(), source.data(), source.size());
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(cels.totalPixels));
}
BENCHMARK(BM_Memcpy);

void BM_ExpandRle(benchmark::State& state) {
    const PackedCels& cels = TheCels();
    std::vector<uint8_t> out(cels.totalPixels);
    for (auto _ : state) {
        uint8_t* at = out.data();
        for (size_t i = 0; i < cels.packed.size(); i++) {
            if (!ExpandRle(at, cels.pixels[i], cels.packed[i].data(), static_cast<uint32_t>(cels.packed[i].size())))
                state.SkipWithError("ExpandRle failed");
            at += cels.pixels[i];
        }
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(cels.totalPixels));
    state.counters["cels"] = static_cast<double>(cels.packed.size());
    state.counters["packed_percent"] = 100.0 * static_cast<double>(cels.totalPacked) / static_cast<double>(cels.totalPixels);
}
BENCHMARK(BM_ExpandRle);

// The action module on disk: 32 packed cels with their regions and the script "act".
struct ActionFile {
    std::string path;
    std::vector<std::pair<uint32_t, uint32_t>> packedCels;  // offset and length of each cel's packed pixels

    ActionFile() {
        char folder[] = "/tmp/zippit-bench-XXXXXX";
        if (!mkdtemp(folder)) std::abort();
        path = std::string(folder) + "/action.Pkm";
        TestCharacter module;
        std::string script = "c,32,64,127,\r\n0,\r\n0,\r\n32,0,31,-1,\r\n";
        for (int i = 0; i < kCels; i++) {
            std::vector<uint8_t> picture = PictureLike(i);
            ByteVector packed = PackRle(picture.data(), picture.size());
            char name[16];
            std::snprintf(name, sizeof name, "c%02d", i);
            module.Put(std::string(name) + ".tw8", MakeImage(kSide, kSide, Bytes(packed.begin(), packed.end()), true));
            // One rectangle per row: the outline of the oval.
            std::vector<TestRect> rects;
            for (int y = 0; y < kSide; y++) rects.push_back({10, y, 118, y + 1});
            module.Put(std::string(name) + ".rgn", MakeRegion(rects));
            script += std::to_string(i) + ",1,0,100,\r\n";
        }
        script += "1,\r\nact,100,\r\n";
        module.PutText("act", script);
        Bytes bytes = MakeModule(module.entries);
        if (!WriteFileBytes(path, bytes)) std::abort();
        // Where each cel's packed pixels lie in the file, for the baseline.
        for (int i = 0; i < kCels; i++) {
            size_t record = kModuleHeaderSize + static_cast<size_t>(2 * i) * kDirectoryRecordSize;
            uint32_t size = 0, offset = 0;
            std::memcpy(&size, &bytes[record], 4);
            std::memcpy(&offset, &bytes[record + 4], 4);
            packedCels.emplace_back(offset + kImageHeaderSize, size - kImageHeaderSize);
        }
    }
    ~ActionFile() {
        std::remove(path.c_str());
        std::remove(path.substr(0, path.rfind('/')).c_str());
    }
};

const ActionFile& TheActionFile() {
    static ActionFile file;  // made once per run
    return file;
}

void BM_LoadAction(benchmark::State& state) {
    const ActionFile& file = TheActionFile();
    UserSettings.SndUse = 0;
    for (auto _ : state) {
        Action* action = LoadAction(file.path.c_str(), "act", UserSettings.SndUse);
        if (!action) state.SkipWithError("LoadAction failed");
        benchmark::DoNotOptimize(action);
        ReleaseAction(action);
    }
}
BENCHMARK(BM_LoadAction)->Unit(benchmark::kMicrosecond);

// The least any loader must do: the file's bytes from the page cache in one
// read, and every cel expanded.
void BM_ReadAndExpand(benchmark::State& state) {
    const ActionFile& file = TheActionFile();
    std::vector<uint8_t> cel(kSide * kSide);
    for (auto _ : state) {
        int fd = open(file.path.c_str(), O_RDONLY);
        off_t size = lseek(fd, 0, SEEK_END);
        std::vector<uint8_t> bytes(static_cast<size_t>(size));
        if (pread(fd, bytes.data(), bytes.size(), 0) != size) state.SkipWithError("read failed");
        close(fd);
        for (const auto& [offset, length] : file.packedCels) {
            ExpandRle(cel.data(), static_cast<uint32_t>(cel.size()), &bytes[offset], length);
            benchmark::DoNotOptimize(cel.data());
        }
    }
}
BENCHMARK(BM_ReadAndExpand)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
