// The installed list UnInst.lst, kept by Setup in the install folder for the
// uninstaller: sections [Files], [Links], [Folders] and [Parents]
// (description.h), each with keys 1, 2, ... An item (a path, UTF-8 inside
// Setup) that GBK can spell stands in the section itself in GBK, as earlier
// versions wrote every item; one that GBK cannot spell stands in UTF-8 in the
// section of the same name with ".UTF-8" behind it, which earlier readers
// pass over.
#pragma once

#include <string>
#include <vector>

// No list holds this many items in a section; a bound for a list that was tampered with.
constexpr int kMostListItems = 100000;

// The items of `section` of the list file `list`, as UTF-8: those of the GBK
// section, then those of the UTF-8 one, each section read up to its first
// missing or empty key. An item that does not fit a path is passed over.
std::vector<std::string> ReadListSection(const char* list, const char* section);

// Adds `item` to `section` of the list, once: an item already listed
// (compared without regard to ASCII case) is not added again.
void AddListItem(const char* list, const char* section, const char* item);

// Replaces `section` of the list (both its forms) with keys 1, 2, ... for `items`.
void RewriteListSection(const char* list, const char* section, const std::vector<std::string>& items);
