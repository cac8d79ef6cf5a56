// Load reports: the first fault of a load and its first loose number, in words.
#include "modules/load_report.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace {

void CopyText(char* out, uint32_t capacity, const char* text) {
    std::snprintf(out, capacity, "%s", text ? text : "");
}

const char* ListProblemText(ListProblem problem) {
    switch (problem) {
        case ListProblem::kNoCount: return "its count is missing or not ended by a comma";
        case ListProblem::kNegative: return "its count is negative";
        case ListProblem::kTooMany: return "its count is more than the script holds";
        case ListProblem::kCutShort: return "a name or weight is missing or not ended by a comma";
        case ListProblem::kNameTooLong: return "a name is longer than";
        case ListProblem::kNoMemory: return "no memory was left to read it";
        case ListProblem::kNone: break;
    }
    return "it does not read";
}

}  // namespace

void ClearLoadReport(LoadReport* report) {
    if (report) std::memset(report, 0, sizeof *report);
}

void ReportFault(LoadReport* report, const char* entry, const char* part, int32_t line, const char* format, ...) {
    if (!report || report->what[0]) return;
    CopyText(report->entry, sizeof report->entry, entry);
    CopyText(report->part, sizeof report->part, part);
    report->line = line;
    va_list args;
    va_start(args, format);
    std::vsnprintf(report->what, sizeof report->what, format, args);
    va_end(args);
    if (!report->what[0]) CopyText(report->what, sizeof report->what, "does not load");
}

void ReportField(LoadReport* report, const char* entry, const ScriptCursor& cursor, const char* what) {
    if (!report) return;
    ReportFault(report, entry, "", ScriptLine(&cursor, cursor.fieldStart), "%s", what);
}

int32_t ReadReportedNumber(ScriptCursor* cursor, LoadReport* report, const char* entry, const char* field,
                           int32_t index) {
    bool wasFailed = cursor->failed;
    int32_t value = ReadNumber(cursor);
    if (report && cursor->failed && !wasFailed) {
        char name[96];
        std::snprintf(name, sizeof name, field, static_cast<int>(index));
        char what[160];
        std::snprintf(what, sizeof what, "%s is missing or not ended by a comma", name);
        ReportField(report, entry, *cursor, what);
    }
    return value;
}

int ReadReportedList(ScriptCursor* cursor, WeightedList* list, uint32_t maxNameLength, LoadReport* report,
                     const char* entry, const char* listName) {
    ListProblem problem = ListProblem::kNone;
    if (ReadWeightedList(cursor, list, maxNameLength, report ? &problem : nullptr)) return 1;
    if (report) {
        char what[200];
        if (problem == ListProblem::kNameTooLong)
            std::snprintf(what, sizeof what, "%s: a name is longer than %u bytes", listName, maxNameLength);
        else
            std::snprintf(what, sizeof what, "%s: %s", listName, ListProblemText(problem));
        ReportField(report, entry, *cursor, what);
    }
    return 0;
}

void ReportLooseNumber(LoadReport* report, const ScriptCursor& cursor) {
    if (!report || !cursor.loose || report->looseLine) return;
    const uint8_t* text = cursor.text + cursor.looseStart;
    uint32_t length = cursor.looseEnd - cursor.looseStart;
    char quoted[96];
    QuoteBytes(quoted, sizeof quoted, text, length);
    bool broken = std::memchr(text, '\n', length) || std::memchr(text, '\r', length);
    std::snprintf(report->loose, sizeof report->loose, "'%s' is not a number: the program reads it as %d%s", quoted,
                  static_cast<int>(ParseNumber(text, length)),
                  broken ? " (is the comma at the end of the line missing?)" : "");
    report->looseLine = ScriptLine(&cursor, cursor.looseStart);
}

const char* EntryProblem(ContainerError why) {
    switch (why) {
        case ContainerError::kDamaged: return "lies partly outside the module file";
        case ContainerError::kNotModuleFile: return "cannot be read: the file is not a module";
        case ContainerError::kNoMemory: return "cannot be read: no memory left";
        case ContainerError::kNone:
        case ContainerError::kNoModuleFile:
        case ContainerError::kNoSuchEntry: break;
    }
    return "is missing";
}

void QuoteBytes(char* out, uint32_t capacity, const uint8_t* text, uint32_t length) {
    if (capacity == 0) return;
    uint32_t at = 0;
    for (uint32_t i = 0; i < length; i++) {
        char piece[8];
        uint8_t c = text[i];
        if (c == '\n') std::snprintf(piece, sizeof piece, "\\n");
        else if (c == '\r') std::snprintf(piece, sizeof piece, "\\r");
        else if (c == '\t') std::snprintf(piece, sizeof piece, "\\t");
        else if (c < 0x20 || c == 0x7F || c == '\\') std::snprintf(piece, sizeof piece, "\\x%02X", c);
        else std::snprintf(piece, sizeof piece, "%c", c);
        uint32_t size = static_cast<uint32_t>(std::strlen(piece));
        // Room for this piece, and for "..." should more follow.
        if (at + size + (i + 1 < length ? 3 : 0) >= capacity) {
            std::snprintf(out + at, capacity - at, "...");
            return;
        }
        std::memcpy(out + at, piece, size);
        at += size;
    }
    out[at] = 0;
}
