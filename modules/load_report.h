// Why a character or an action does not load, said in an author's words: the
// loaders fill a LoadReport only when a caller passes one (the module tool's
// check does; the program never does, and pays nothing for it).
#pragma once

#include "modules/container.h"
#include "modules/script.h"

#include <cstdint>

constexpr uint32_t kReportEntry = 272;  // any entry name a script can make: a 255-byte base name, digits, suffix
constexpr uint32_t kReportText = 320;
constexpr uint32_t kReportSoundBase = 40;  // a sound base name holds at most 39 bytes

// What one load found. All texts are empty (and lines 0) where nothing was found.
struct LoadReport {
    // The fault that stopped the load.
    char entry[kReportEntry];  // the entry at fault: the script read, or a picture, region or sound it names
    char part[64];             // what that entry is to the load ("cel 1's picture"); empty for a script field
    char what[kReportText];    // what is wrong, one line of English
    int32_t line;              // for a fault in a script field, its line (from 1); else 0
    // The script's first number field that holds more than one number (a
    // left-out comma shows this way). The program reads the number and
    // ignores the rest, so this is told whether or not the load succeeded.
    char loose[kReportText];
    int32_t looseLine;
    // The sound base name the action script gives, so a caller can name the
    // sounds the action keeps silent.
    char soundBase[kReportSoundBase];
};

// Clears the report, when there is one.
void ClearLoadReport(LoadReport* report);

// Sets the report's fault (printf-style `format`) unless there is no report
// or a fault is set already: the first fault found is the one told.
void ReportFault(LoadReport* report, const char* entry, const char* part, int32_t line, const char* format, ...);

// As ReportFault for a fault in the script field the cursor tried last.
void ReportField(LoadReport* report, const char* entry, const ScriptCursor& cursor, const char* what);

// The next field as ReadNumber reads it; when it is missing or not ended by a
// comma and no fault is set yet, the report says so, naming the field with
// `field` (a printf format that may take `index`).
int32_t ReadReportedNumber(ScriptCursor* cursor, LoadReport* report, const char* entry, const char* field,
                           int32_t index = 0);

// ReadWeightedList, with the report told why a list does not read.
int ReadReportedList(ScriptCursor* cursor, WeightedList* list, uint32_t maxNameLength, LoadReport* report,
                     const char* entry, const char* listName);

// Copies the cursor's first loose number field into the report, when there
// is a report and the field is not told yet.
void ReportLooseNumber(LoadReport* report, const ScriptCursor& cursor);

// How an entry that could not be read is described ("is missing", "lies
// partly outside the module file", ...).
const char* EntryProblem(ContainerError why);

// Writes `length` bytes of `text` into `out` (of `capacity` bytes) as a
// readable quotation: text bytes as they are (GBK too), line breaks, tabs,
// other control bytes and backslashes as \r, \n, \t or \xHH; cut with "..."
// where it does not fit.
void QuoteBytes(char* out, uint32_t capacity, const uint8_t* text, uint32_t length);
