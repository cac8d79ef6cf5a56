// The installed list's sections in their two forms.
#include "setup/installed_list.h"

#include "setup/profile.h"
#include "setup/setup_system.h"
#include "setup/text.h"

#include <cstdio>

namespace {

std::string Utf8Section(const char* section) { return std::string(section) + ".UTF-8"; }

// Keys of a section are their index in decimal.
void IndexKey(size_t index, char (&key)[16]) { std::snprintf(key, sizeof key, "%zu", index); }

// Appends the items of one section form to `items`; `gbk` converts them.
// Returns how many keys it holds, 1 up to its first missing or empty key.
size_t ReadForm(const char* list, const std::string& section, bool gbk, std::vector<std::string>* items) {
    char key[16];
    std::string value;
    char converted[kPathSize];
    size_t index = 1;
    for (; index < static_cast<size_t>(kMostListItems); index++) {
        IndexKey(index, key);
        if (!ReadProfileValue(list, section.c_str(), key, &value) || value.empty()) break;
        if (value.size() >= kPathSize) continue;
        if (!gbk)
            items->push_back(value);
        else if (SysGbkToUtf8(value.c_str(), converted, sizeof converted))
            items->push_back(converted);
    }
    return index - 1;
}

// Writes `item` as the next key of the form its spelling needs: GBK when GBK
// can spell it, else UTF-8. `counts` are the keys used so far in each form.
void WriteItem(const char* list, const char* section, const std::string& item, size_t (&counts)[2]) {
    char gbk[kPathSize];
    char key[16];
    int inGbk = SysUtf8ToGbk(item.c_str(), gbk, sizeof gbk);
    std::string value = inGbk ? gbk : item;
    // The reader takes one pair of quotes around a value away: a name in
    // quotes gets another pair.
    if (value.size() >= 2 && (value[0] == '"' || value[0] == '\'') && value.back() == value[0])
        value = value[0] + value + value[0];
    IndexKey(++counts[inGbk ? 0 : 1], key);
    WriteProfile(list, inGbk ? section : Utf8Section(section).c_str(), key, value.c_str());
}

}  // namespace

std::vector<std::string> ReadListSection(const char* list, const char* section) {
    std::vector<std::string> items;
    ReadForm(list, section, true, &items);
    ReadForm(list, Utf8Section(section), false, &items);
    return items;
}

void AddListItem(const char* list, const char* section, const char* item) {
    std::vector<std::string> items;
    size_t counts[2] = {ReadForm(list, section, true, &items), ReadForm(list, Utf8Section(section), false, &items)};
    for (const std::string& listed : items)
        if (SameTextIgnoringCase(listed.c_str(), item)) return;
    WriteItem(list, section, item, counts);
}

void RewriteListSection(const char* list, const char* section, const std::vector<std::string>& items) {
    DeleteProfileSection(list, section);
    DeleteProfileSection(list, Utf8Section(section).c_str());
    size_t counts[2] = {0, 0};
    for (const std::string& item : items) WriteItem(list, section, item, counts);
}
