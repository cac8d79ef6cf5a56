// Whole-file reads and writes and folder listings for the module tool's authoring commands.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

using ByteVector = std::vector<uint8_t>;

// Reads a regular file whole into *data. Returns 1, or 0 with *error set to a
// short reason ("missing", "not a file", "cannot read") and *data left empty.
int ReadWholeFile(const std::string& path, ByteVector* data, std::string* error);

// Writes `data` to `path` through a temporary file beside it that is renamed
// into place, so a failed write never leaves a half-written file under the
// final name. Returns 1, or 0 with *error set.
int WriteWholeFile(const std::string& path, const ByteVector& data, std::string* error);

// 1 when `path` names a folder.
int IsDirectory(const std::string& path);

// 1 when `path` names an existing file or folder.
int PathExists(const std::string& path);

// Names in a folder, without "." and ".." and without names that begin with a
// dot (editor and version-control files), sorted bytewise so every listing of
// the same folder gives the same order. Returns 1, or 0 when it cannot be read.
int ListDirectory(const std::string& path, std::vector<std::string>* names);

// Creates a folder (its parent must exist); an existing folder is accepted.
// Returns 1, or 0 with *error set.
int MakeDirectory(const std::string& path, std::string* error);

// What tells one file or folder from every other, whatever path names it.
struct FileId {
    uint64_t volume;
    uint64_t index;
    bool operator==(const FileId& other) const { return volume == other.volume && index == other.index; }
};

// The identity of the existing file or folder at `path` (device and file
// number; on Windows volume serial and file index), following links: two
// spellings of one file (./, .., a link) give the same. Returns 1, or 0 when
// it cannot be found.
int FileIdentity(const std::string& path, FileId* id);

// Writes `data` to a new file in the system's folder for temporary files.
// Returns 1 with *path naming it (the caller removes it with RemoveFile), or
// 0 with *error set.
int WriteTemporaryFile(const ByteVector& data, std::string* path, std::string* error);

// Deletes a file; one that is not there is no error.
void RemoveFile(const std::string& path);
