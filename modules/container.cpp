// Module container: bounded reads of named entries from *.Pkm files.
#include "modules/container.h"

#include "modules/le_reader.h"
#include "platform/file.h"
#include "platform/memory.h"

#include <cstring>
#include <new>

namespace {

void SetWhy(ContainerError* why, ContainerError value) {
    if (why) *why = value;
}

}  // namespace

// An open module file with its directory read whole, or the reason it is not.
struct ModuleFile {
    SysFile* file = nullptr;
    uint32_t fileSize = 0;
    uint8_t* directory = nullptr;  // count records of 32 bytes
    uint32_t count = 0;
    ContainerError opened = ContainerError::kNone;  // kNoModuleFile: reads take loose files
};

namespace {

void CloseModule(ModuleFile* module) {
    SysFree(module->directory);
    SysFileClose(module->file);
    *module = ModuleFile{};
}

// Opens the module file and reads its header and directory. On failure
// nothing stays open or allocated and `opened` holds the reason;
// kNoModuleFile means the file itself could not be opened (the only case
// that leads to the loose-file fallback).
ContainerError OpenModule(const char* path, ModuleFile* module) {
    auto failed = [module](ContainerError why) {
        CloseModule(module);
        module->opened = why;
        return why;
    };
    *module = ModuleFile{};
    module->file = SysFileOpenRead(path);
    if (!module->file) return failed(ContainerError::kNoModuleFile);

    uint8_t header[kModuleHeaderSize];
    uint32_t got = 0;
    if (!SysFileSize(module->file, &module->fileSize) ||
        !SysFileReadAt(module->file, 0, header, kModuleHeaderSize, &got) || got < kModuleHeaderSize)
        return failed(ContainerError::kNotModuleFile);
    LeReader fields = LeBytes(header, got);
    if (LeU16(&fields, 0) != kModuleMagic) return failed(ContainerError::kNotModuleFile);

    // The directory must lie inside the file; checking first also keeps a
    // count such as 0xFFFFFFFF from asking for gigabytes.
    uint64_t count = LeU32(&fields, 8);
    uint64_t bytes = count * kDirectoryRecordSize;
    if (kModuleHeaderSize + bytes > module->fileSize) return failed(ContainerError::kDamaged);
    module->directory = static_cast<uint8_t*>(SysAlloc(static_cast<size_t>(bytes)));
    if (!module->directory) return failed(ContainerError::kNoMemory);
    if (!SysFileReadAt(module->file, kModuleHeaderSize, module->directory, static_cast<uint32_t>(bytes), &got) ||
        got != bytes)
        return failed(ContainerError::kDamaged);
    module->count = static_cast<uint32_t>(count);
    return ContainerError::kNone;
}

// True when the 22-byte name field holds exactly `name` followed by a NUL.
// A field without a NUL matches no name; the comparison never leaves the field.
bool NameFieldMatches(const uint8_t* field, const char* name) {
    size_t length = std::strlen(name);
    if (length >= kEntryNameField) return false;
    return std::memcmp(field, name, length) == 0 && field[length] == 0;
}

// Turns a packed .tw8 image into a plain one. Takes ownership of `data`:
// returns it unchanged when it is not packed, or a new block (and frees
// `data`), or nullptr (and frees `data`) when the packed image is malformed.
uint8_t* UnpackImage(uint8_t* data, uint32_t size, uint32_t* outSize, ContainerError* why) {
    if (size < 2 || data[1] != 1) {
        *outSize = size;
        return data;
    }
    if (size < kImageHeaderSize) {
        SysFree(data);
        SetWhy(why, ContainerError::kDamaged);
        return nullptr;
    }
    LeReader header = LeBytes(data, size);
    uint32_t storedSize = LeU32(&header, 4);
    uint64_t pixels = static_cast<uint64_t>(LeU16(&header, 8)) * LeU16(&header, 10);
    // The packed bytes must lie inside the entry; pictures beyond any screen's
    // size are refused before a block of that size is asked for.
    if (storedSize < kImageHeaderSize || storedSize > size || pixels > kMaxImagePixels) {
        SysFree(data);
        SetWhy(why, ContainerError::kDamaged);
        return nullptr;
    }
    uint8_t* image = static_cast<uint8_t*>(SysAlloc(static_cast<size_t>(kImageHeaderSize + pixels)));
    if (!image) {
        SysFree(data);
        SetWhy(why, ContainerError::kNoMemory);
        return nullptr;
    }
    std::memcpy(image, data, kImageHeaderSize);
    image[1] = 0;
    uint32_t produced = 0;
    int expanded = ExpandRle(image + kImageHeaderSize, static_cast<uint32_t>(pixels), data + kImageHeaderSize,
                             storedSize - kImageHeaderSize, &produced);
    SysFree(data);
    if (!expanded) {
        SysFree(image);
        SetWhy(why, ContainerError::kDamaged);
        return nullptr;
    }
    // Packed data that ends early leaves the rest of the picture at colour 0,
    // as in a freshly made bitmap, never at whatever the block held before.
    std::memset(image + kImageHeaderSize + produced, 0, static_cast<size_t>(pixels - produced));
    *outSize = static_cast<uint32_t>(kImageHeaderSize + pixels);
    return image;
}

// The loose-file fallback: the entry name opened as a file in the current
// directory, read whole, and unpacked when it is a packed image.
uint8_t* ReadLooseFile(const char* entryName, uint32_t* size, ContainerError* why) {
    SysFile* file = SysFileOpenRead(entryName);
    if (!file) {
        SetWhy(why, ContainerError::kNoModuleFile);
        return nullptr;
    }
    uint32_t length = 0;
    uint8_t* data = nullptr;
    uint32_t got = 0;
    if (!SysFileSize(file, &length)) {
        SysFileClose(file);
        SetWhy(why, ContainerError::kDamaged);
        return nullptr;
    }
    data = static_cast<uint8_t*>(SysAlloc(length));
    if (!data) {
        SysFileClose(file);
        SetWhy(why, ContainerError::kNoMemory);
        return nullptr;
    }
    int read = SysFileReadAt(file, 0, data, length, &got);
    SysFileClose(file);
    if (!read || got != length) {
        SysFree(data);
        SetWhy(why, ContainerError::kDamaged);
        return nullptr;
    }
    return UnpackImage(data, length, size, why);
}

}  // namespace

namespace {

// One entry from a module opened (or not) by OpenModule: the first record of
// that name, or the loose file when the module file could not be opened.
uint8_t* ReadOpenEntry(const ModuleFile& module, const char* entryName, uint32_t* size, ContainerError* why) {
    *size = 0;
    SetWhy(why, ContainerError::kNone);
    if (!entryName) {
        SetWhy(why, ContainerError::kNoSuchEntry);
        return nullptr;
    }
    if (module.opened == ContainerError::kNoModuleFile) return ReadLooseFile(entryName, size, why);
    if (module.opened != ContainerError::kNone) {
        SetWhy(why, module.opened);
        return nullptr;
    }

    // The first record of that name wins; later ones are never reached.
    uint32_t found = 0;
    while (found < module.count &&
           !NameFieldMatches(module.directory + static_cast<uint64_t>(found) * kDirectoryRecordSize + 10, entryName))
        found++;
    if (found == module.count) {
        SetWhy(why, ContainerError::kNoSuchEntry);
        return nullptr;
    }
    LeReader directory = LeBytes(module.directory, static_cast<uint64_t>(module.count) * kDirectoryRecordSize);
    uint64_t record = static_cast<uint64_t>(found) * kDirectoryRecordSize;
    uint32_t length = LeU32(&directory, record);
    uint32_t offset = LeU32(&directory, record + 4);
    if (static_cast<uint64_t>(offset) + length > module.fileSize) {
        SetWhy(why, ContainerError::kDamaged);
        return nullptr;
    }
    uint8_t* data = static_cast<uint8_t*>(SysAlloc(length));
    if (!data) {
        SetWhy(why, ContainerError::kNoMemory);
        return nullptr;
    }
    uint32_t got = 0;
    if (!SysFileReadAt(module.file, offset, data, length, &got) || got != length) {
        SysFree(data);
        SetWhy(why, ContainerError::kDamaged);
        return nullptr;
    }
    *size = length;
    return data;
}

void UnscrambleBytes(uint8_t* data, uint32_t size) {
    for (uint32_t i = 0; i < size; i++) data[i] = Unscramble(data[i]);
}

uint8_t* UnpackOpenEntry(uint8_t* data, uint32_t length, uint32_t* size, ContainerError* why) {
    if (!data) {
        *size = 0;
        return nullptr;
    }
    uint8_t* image = UnpackImage(data, length, size, why);
    if (!image) *size = 0;
    return image;
}

}  // namespace

uint8_t* ReadEntry(const char* modulePath, const char* entryName, uint32_t* size, ContainerError* why) {
    if (!entryName) return ReadOpenEntry(ModuleFile{}, entryName, size, why);
    ModuleFile module;
    OpenModule(modulePath, &module);
    uint8_t* data = ReadOpenEntry(module, entryName, size, why);
    CloseModule(&module);
    return data;
}

uint8_t* ReadScrambledEntry(const char* modulePath, const char* entryName, uint32_t* size, ContainerError* why) {
    uint8_t* data = ReadEntry(modulePath, entryName, size, why);
    if (data) UnscrambleBytes(data, *size);
    return data;
}

uint8_t* ReadImageEntry(const char* modulePath, const char* entryName, uint32_t* size, ContainerError* why) {
    uint32_t length = 0;
    uint8_t* data = ReadEntry(modulePath, entryName, &length, why);
    return UnpackOpenEntry(data, length, size, why);
}

ModuleFile* OpenModuleFile(const char* modulePath) {
    ModuleFile* module = static_cast<ModuleFile*>(SysAlloc(sizeof(ModuleFile)));
    if (!module) return nullptr;
    new (module) ModuleFile{};
    OpenModule(modulePath, module);
    return module;
}

void CloseModuleFile(ModuleFile* module) {
    if (!module) return;
    CloseModule(module);
    SysFree(module);
}

uint8_t* ReadModuleEntry(const ModuleFile* module, const char* entryName, uint32_t* size, ContainerError* why) {
    return ReadOpenEntry(*module, entryName, size, why);
}

uint8_t* ReadScrambledModuleEntry(const ModuleFile* module, const char* entryName, uint32_t* size,
                                  ContainerError* why) {
    uint8_t* data = ReadOpenEntry(*module, entryName, size, why);
    if (data) UnscrambleBytes(data, *size);
    return data;
}

uint8_t* ReadImageModuleEntry(const ModuleFile* module, const char* entryName, uint32_t* size, ContainerError* why) {
    uint32_t length = 0;
    uint8_t* data = ReadOpenEntry(*module, entryName, &length, why);
    return UnpackOpenEntry(data, length, size, why);
}

int ExpandRle(uint8_t* out, uint32_t capacity, const uint8_t* in, uint32_t inLength, uint32_t* produced) {
    uint32_t i = 0;
    uint32_t j = 0;
    int ok = 1;

    // Pictures are mostly runs of a few bytes, where a call to memcpy or
    // memset per run costs more than the bytes. While at least one longest
    // run (127 bytes, rounded up to whole chunks) fits in both the input and
    // the output, every run is copied in whole 16-byte chunks with no bound
    // checks: a run may write up to 16 bytes past its end, which the next
    // runs overwrite; whatever is left past the end is zeroed below.
    constexpr uint32_t kChunk = 16;
    constexpr uint32_t kLongestRun = 128;  // 127 rounded up to whole chunks
    bool chunked = false;
    while (inLength - i > kLongestRun && capacity - j >= kLongestRun) {
        chunked = true;
        uint8_t control = in[i++];
        uint32_t run = control & 0x7Fu;
        if (control & 0x80u) {
            std::memcpy(out + j, in + i, kChunk);
            for (uint32_t k = kChunk; k < run; k += kChunk) std::memcpy(out + j + k, in + i + k, kChunk);
            i += run;
        } else {
            uint8_t fill[kChunk];
            std::memset(fill, in[i++], kChunk);
            std::memcpy(out + j, fill, kChunk);
            for (uint32_t k = kChunk; k < run; k += kChunk) std::memcpy(out + j + k, fill, kChunk);
        }
        j += run;
    }
    const uint32_t fastEnd = j;  // output position where the chunked copies stopped

    while (i < inLength) {
        uint8_t control = in[i++];
        uint32_t run = control & 0x7Fu;
        if (control & 0x80u) {
            if (run > inLength - i || run > capacity - j) {
                ok = 0;
                break;
            }
            std::memcpy(out + j, in + i, run);
            i += run;
        } else {
            if (i >= inLength || control > capacity - j) {
                ok = 0;
                break;
            }
            std::memset(out + j, in[i++], control);
            run = control;
        }
        j += run;
    }
    // The chunked copies wrote at most one chunk past where they stopped.
    if (chunked) {
        uint32_t reach = capacity - fastEnd < kChunk ? capacity : fastEnd + kChunk;
        if (reach > j) std::memset(out + j, 0, reach - j);
    }
    if (produced) *produced = j;
    return ok;
}

DirectoryRecord* ReadModuleDirectory(const char* modulePath, uint32_t* count, ContainerError* why) {
    *count = 0;
    SetWhy(why, ContainerError::kNone);
    ModuleFile module;
    ContainerError opened = OpenModule(modulePath, &module);
    if (opened != ContainerError::kNone) {
        SetWhy(why, opened);
        return nullptr;
    }
    DirectoryRecord* records =
        static_cast<DirectoryRecord*>(SysAlloc(static_cast<size_t>(module.count) * sizeof(DirectoryRecord)));
    if (!records) {
        CloseModule(&module);
        SetWhy(why, ContainerError::kNoMemory);
        return nullptr;
    }
    LeReader directory = LeBytes(module.directory, static_cast<uint64_t>(module.count) * kDirectoryRecordSize);
    for (uint32_t i = 0; i < module.count; i++) {
        uint64_t record = static_cast<uint64_t>(i) * kDirectoryRecordSize;
        records[i].size = LeU32(&directory, record);
        records[i].offset = LeU32(&directory, record + 4);
        std::memcpy(records[i].name, module.directory + record + 10, kEntryNameField);
        records[i].name[kEntryNameField] = 0;
    }
    *count = module.count;
    CloseModule(&module);
    return records;
}
