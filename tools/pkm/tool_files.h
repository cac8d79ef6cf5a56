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
