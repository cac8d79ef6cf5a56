// Module container: reading named entries out of a character module file (*.Pkm).
//
// A module file is a 16-byte header (magic 15 0F, entry count at offset 8), a
// directory of 32-byte records (size, offset, 22-byte NUL-terminated name) and
// the entries' bytes anywhere after it. Each of the path readers opens the
// file, reads the header and the whole directory, reads the one entry and
// closes the file, so nothing survives between reads; a caller reading many
// entries opens the module once (OpenModuleFile) and reads them from it. All
// readers are bounded: damaged files yield nothing and never make a read or
// write outside the file or the blocks taken.
#pragma once

#include <cstdint>

constexpr uint16_t kModuleMagic = 0x0F15;
constexpr uint32_t kModuleHeaderSize = 16;
constexpr uint32_t kDirectoryRecordSize = 32;
constexpr uint32_t kEntryNameField = 22;     // bytes of the name field, NUL included
constexpr uint32_t kImageHeaderSize = 1036;  // .tw8 header (12) and colour table (1024)
// Largest picture the readers accept (4096 x 4096): far beyond any screen, and
// it keeps a damaged size field from asking for gigabytes.
constexpr uint64_t kMaxImagePixels = 4096ull * 4096ull;

// Why a read gave nothing; the runtime ignores it, the module tool reports it.
enum class ContainerError {
    kNone,
    kNoModuleFile,   // neither the module file nor a loose file of that name could be opened
    kNotModuleFile,  // short header or wrong magic
    kNoSuchEntry,    // no record of that name (or no name given)
    kDamaged,        // directory or entry reaches past the end of the file, or a packed image is malformed
    kNoMemory,       // a block could not be allocated
};

// One directory record as the module tool lists it.
struct DirectoryRecord {
    uint32_t size;
    uint32_t offset;
    char name[kEntryNameField + 1];  // the name field, always NUL-terminated here
};

// The entry's bytes as stored. Returns a new block (caller frees it with
// SysFree) and its byte count in *size, or nullptr. When the module file
// cannot be opened, the entry name is opened as a loose file in the current
// directory instead, and a loose packed image comes back unpacked.
// `why`, when given, receives the reason for nullptr (kNone on success).
uint8_t* ReadEntry(const char* modulePath, const char* entryName, uint32_t* size, ContainerError* why = nullptr);

// As ReadEntry, with every byte passed through Unscramble (text and sound entries).
uint8_t* ReadScrambledEntry(const char* modulePath, const char* entryName, uint32_t* size,
                            ContainerError* why = nullptr);

// A .tw8 image entry with its pixel data unpacked (byte 1 set to 0). A plain
// image comes back as stored. Packed data that ends before the picture is
// full leaves the remaining pixels at 0; packed data that overruns the
// picture or the entry, or a picture of more than kMaxImagePixels, fails.
// Returns a new block and its size, or nullptr.
uint8_t* ReadImageEntry(const char* modulePath, const char* entryName, uint32_t* size,
                        ContainerError* why = nullptr);

// A module opened once for many reads: the file kept open and its directory
// read whole. A module file that cannot be opened gives a handle whose reads
// take loose files of the entry names instead, as the path readers do; one
// that is not a module or whose directory is damaged gives a handle whose
// reads all fail for that reason. Reads through the handle give the same
// bytes and reasons as the path readers gave at the time of the open.
struct ModuleFile;

// Opens `modulePath` for reads. Returns the handle (release it with
// CloseModuleFile), or nullptr only when no memory was left for it.
ModuleFile* OpenModuleFile(const char* modulePath);

// Releases the handle and closes its file; nullptr is allowed.
void CloseModuleFile(ModuleFile* module);

// ReadEntry, ReadScrambledEntry and ReadImageEntry on an open module.
uint8_t* ReadModuleEntry(const ModuleFile* module, const char* entryName, uint32_t* size,
                         ContainerError* why = nullptr);
uint8_t* ReadScrambledModuleEntry(const ModuleFile* module, const char* entryName, uint32_t* size,
                                  ContainerError* why = nullptr);
uint8_t* ReadImageModuleEntry(const ModuleFile* module, const char* entryName, uint32_t* size,
                              ContainerError* why = nullptr);

// Unpacks run-length-coded bytes: a control byte with the top bit set is
// followed by (c & 0x7F) literal bytes; otherwise the next byte is repeated c
// times. Returns 1 when the input was consumed exactly; 0 when a run's operands
// lie past the input or its output would pass `capacity`. `produced`, when
// given, receives the number of output bytes written. Bytes of `out` past
// `produced` (and within `capacity`) are left as they were or set to 0.
int ExpandRle(uint8_t* out, uint32_t capacity, const uint8_t* in, uint32_t inLength, uint32_t* produced = nullptr);

// Swaps the two 4-bit halves of a byte and complements it; its own inverse.
constexpr uint8_t Unscramble(uint8_t b) { return static_cast<uint8_t>(~((b << 4) | (b >> 4))); }

// The whole directory of a module file, for listing. Returns a new block of
// *count records (caller frees it with SysFree), or nullptr with `why` set.
// An empty directory gives a valid block and a count of 0.
DirectoryRecord* ReadModuleDirectory(const char* modulePath, uint32_t* count, ContainerError* why = nullptr);
