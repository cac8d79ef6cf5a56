// Script tokenizer and weighted lists: bounded field reading over script bytes.
#include "modules/script.h"

#include "platform/memory.h"

#include <cstring>

namespace {

// Finds the field after the cursor's comma: [*start, *end) and the comma at *end.
// Returns 0, and marks the cursor failed, when there is no ending comma.
int NextField(ScriptCursor* cursor, uint32_t* start, uint32_t* end) {
    if (cursor->failed || !cursor->text) {
        cursor->failed = 1;
        return 0;
    }
    uint32_t at = cursor->position + 1;
    while (at < cursor->length && (cursor->text[at] == '\r' || cursor->text[at] == '\n')) at++;
    cursor->fieldStart = at;
    uint32_t comma = at;
    while (comma < cursor->length && cursor->text[comma] != ',') comma++;
    if (comma >= cursor->length) {
        cursor->failed = 1;
        return 0;
    }
    *start = at;
    *end = comma;
    cursor->position = comma;
    return 1;
}

bool IsSpace(uint8_t c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

// ParseNumber, also telling whether the text is one number with nothing but
// white space around it.
int32_t ParseNumberAlone(const uint8_t* text, uint32_t length, bool* alone) {
    uint32_t at = 0;
    while (at < length && IsSpace(text[at])) at++;
    bool negative = false;
    if (at < length && (text[at] == '+' || text[at] == '-')) negative = text[at++] == '-';
    int64_t value = 0;
    uint32_t digits = at;
    for (; at < length && text[at] >= '0' && text[at] <= '9'; at++) {
        if (value <= 2147483648LL) value = value * 10 + (text[at] - '0');
    }
    *alone = at > digits;
    for (; at < length && *alone; at++) *alone = IsSpace(text[at]);
    if (negative) value = -value;
    if (value > 2147483647LL) value = 2147483647LL;
    if (value < -2147483648LL) value = -2147483648LL;
    return static_cast<int32_t>(value);
}

}  // namespace

int ScriptAtComma(ScriptCursor* cursor, const uint8_t* script, uint32_t size, int n) {
    *cursor = ScriptCursor{};
    cursor->text = script;
    cursor->failed = 1;
    if (!script || n < 1) return 0;
    const void* nul = std::memchr(script, 0, size);
    cursor->length = nul ? static_cast<uint32_t>(static_cast<const uint8_t*>(nul) - script) : size;
    int seen = 0;
    for (uint32_t i = 0; i < cursor->length; i++) {
        if (script[i] == ',' && ++seen == n) {
            cursor->position = i;
            cursor->failed = 0;
            return 1;
        }
    }
    return 0;
}

int StartsWithByteOrderMark(const uint8_t* text, uint32_t size) {
    return size >= 3 && text[0] == 0xEF && text[1] == 0xBB && text[2] == 0xBF;
}

int32_t ParseNumber(const uint8_t* text, uint32_t length) {
    bool alone = false;
    return ParseNumberAlone(text, length, &alone);
}

int32_t ReadNumber(ScriptCursor* cursor) {
    uint32_t start = 0;
    uint32_t end = 0;
    if (!NextField(cursor, &start, &end)) return 0;
    bool alone = false;
    int32_t value = ParseNumberAlone(cursor->text + start, end - start, &alone);
    if (!alone && !cursor->loose) {
        cursor->loose = 1;
        cursor->looseStart = start;
        cursor->looseEnd = end;
    }
    return value;
}

int32_t ScriptLine(const ScriptCursor* cursor, uint32_t position) {
    int32_t line = 1;
    for (uint32_t i = 0; i < position && i < cursor->length; i++) {
        uint8_t c = cursor->text[i];
        if (c == '\n' || (c == '\r' && (i + 1 >= cursor->length || cursor->text[i + 1] != '\n'))) line++;
    }
    return line;
}

char* ReadText(ScriptCursor* cursor) {
    uint32_t start = 0;
    uint32_t end = 0;
    if (!NextField(cursor, &start, &end)) return nullptr;
    char* text = static_cast<char*>(SysAlloc(end - start + 1));
    if (!text) {
        cursor->failed = 1;
        return nullptr;
    }
    std::memcpy(text, cursor->text + start, end - start);
    text[end - start] = 0;
    return text;
}

int ReadTextInto(ScriptCursor* cursor, char* buffer, uint32_t capacity) {
    uint32_t start = 0;
    uint32_t end = 0;
    if (!NextField(cursor, &start, &end)) return 0;
    if (capacity == 0 || end - start > capacity - 1) {
        cursor->failed = 1;
        return 0;
    }
    std::memcpy(buffer, cursor->text + start, end - start);
    buffer[end - start] = 0;
    return 1;
}

int ReadWeightedList(ScriptCursor* cursor, WeightedList* list, uint32_t maxNameLength, ListProblem* problem) {
    list->count = 0;
    list->entries = nullptr;
    auto fail = [&](ListProblem why) {
        cursor->failed = 1;
        ReleaseWeightedList(list);
        if (problem) *problem = why;
        return 0;
    };
    if (problem) *problem = ListProblem::kNone;
    int32_t count = ReadNumber(cursor);
    if (cursor->failed) return fail(ListProblem::kNoCount);
    if (count < 0) return fail(ListProblem::kNegative);
    // Each pair needs two commas, so a count beyond half the text cannot be
    // real; refusing it first keeps a hostile count from a huge allocation.
    if (static_cast<uint32_t>(count) > cursor->length / 2) return fail(ListProblem::kTooMany);
    if (count == 0) return 1;
    WeightedName* entries = static_cast<WeightedName*>(SysAlloc(sizeof(WeightedName) * static_cast<size_t>(count)));
    if (!entries) return fail(ListProblem::kNoMemory);
    std::memset(entries, 0, sizeof(WeightedName) * static_cast<size_t>(count));
    list->entries = entries;
    list->count = count;
    for (int32_t i = 0; i < count; i++) {
        uint32_t before = cursor->position;
        entries[i].name = ReadText(cursor);
        if (!entries[i].name)
            return fail(cursor->position != before ? ListProblem::kNoMemory : ListProblem::kCutShort);
        if (std::strlen(entries[i].name) > maxNameLength) return fail(ListProblem::kNameTooLong);
        entries[i].weight = ReadNumber(cursor);
        if (cursor->failed) return fail(ListProblem::kCutShort);
    }
    return 1;
}

void ReleaseWeightedList(WeightedList* list) {
    for (int32_t i = 0; i < list->count; i++) SysFree(list->entries[i].name);
    SysFree(list->entries);
    list->count = 0;
    list->entries = nullptr;
}

int32_t PickWeighted(const WeightedList* list, int32_t r) { return PickWeightedFrom(list, 0, r); }

int32_t PickWeightedFrom(const WeightedList* list, int32_t start, int32_t r) {
    if (start < 0 || start >= list->count) return -1;
    int64_t left = r;
    for (int32_t i = start; i < list->count; i++) {
        left -= list->entries[i].weight;
        if (left < 0) return i;
    }
    return list->count - 1;
}
