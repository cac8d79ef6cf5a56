// Script tokenizer and weighted lists for the module scripts (info.txt and the
// action scripts): texts of comma-ended fields, GBK as the module holds them.
//
// A cursor stands on the comma that ended the previous field. Reading a field
// moves one past that comma, skips any CR and LF right there, and takes the
// bytes up to the next comma. A field whose comma is missing before the end of
// the text (its last byte or its first NUL) fails: the reader returns nothing
// and sets `failed`, which stays set, so a loader may read a run of fields and
// check once. The cursor also keeps where the last field began and the first
// number field that held more than a number, so that a caller can say where
// a script goes wrong.
#pragma once

#include <cstdint>

struct ScriptCursor {
    const uint8_t* text = nullptr;
    uint32_t length = 0;      // bytes up to the first NUL or the end of the entry
    uint32_t position = 0;    // index of the comma the cursor stands on
    int failed = 0;           // a field had no ending comma
    uint32_t fieldStart = 0;  // where the field last read (or tried) begins
    int loose = 0;            // a number field held more than white space around a number
    uint32_t looseStart = 0;  // the first such field: [looseStart, looseEnd)
    uint32_t looseEnd = 0;
};

// Why ReadWeightedList failed.
enum class ListProblem {
    kNone,
    kNoCount,      // the count is missing or not ended by a comma
    kNegative,     // the count is below 0
    kTooMany,      // the count is more than the script can hold
    kCutShort,     // a name or weight is missing or not ended by a comma
    kNameTooLong,  // a name is longer than the list allows
    kNoMemory,
};

// One entry of a weighted list: a percentage weight and an owned name.
struct WeightedName {
    int32_t weight;
    char* name;
};

// A count and an array of that many entries, owned by the record holding it.
struct WeightedList {
    int32_t count;
    WeightedName* entries;
};

// Puts a cursor on the n-th comma (1 = the first) of a script of `size`
// bytes. Returns 1, or 0 when the text has fewer commas (the cursor then
// reads nothing).
int ScriptAtComma(ScriptCursor* cursor, const uint8_t* script, uint32_t size, int n);

// 1 when the `size` bytes of `text` begin with a UTF-8 byte-order mark (EF BB
// BF), which some editors write: the scripts' first field would hold it.
int StartsWithByteOrderMark(const uint8_t* text, uint32_t size);

// The number at the start of `length` bytes of text, read as ReadNumber reads a field.
int32_t ParseNumber(const uint8_t* text, uint32_t length);

// The next field as a signed 32-bit number: leading white space, an optional
// sign, then digits up to the first non-digit; no digits read as 0. Values
// beyond the 32-bit range stop at its ends. Returns 0 on failure. A field
// that holds more than white space around one number (such as "4O", "x", an
// empty field, or a number and the next line where a comma was left out)
// reads all the same; the first such field is kept in the cursor's `loose`
// fields.
int32_t ReadNumber(ScriptCursor* cursor);

// The line (from 1) of the script on which byte `position` lies: LF, CR LF
// and a lone CR each end a line. Positions past the text count as its end.
int32_t ScriptLine(const ScriptCursor* cursor, uint32_t position);

// The next field as a new NUL-terminated text (caller frees it with SysFree),
// or nullptr on failure or when the block cannot be allocated (`failed` set).
char* ReadText(ScriptCursor* cursor);

// Copies the next field into `buffer` of `capacity` bytes, NUL-terminated.
// Returns 1, or 0 (and sets `failed`) when the field is missing or does not
// fit: a field is never cut, and nothing is written past the buffer. A field
// too long still moves the cursor onto its comma.
int ReadTextInto(ScriptCursor* cursor, char* buffer, uint32_t capacity);

// Reads a count, then that many pairs of a name and a weight, into `list`.
// A count of 0 gives an empty list; a negative count, a count the script
// cannot hold, a missing field or a name longer than `maxNameLength` bytes
// fails. On failure `list` is left empty, nothing stays allocated and
// `problem`, when given, says why (kNone on success).
int ReadWeightedList(ScriptCursor* cursor, WeightedList* list, uint32_t maxNameLength,
                     ListProblem* problem = nullptr);

// Frees every name and the array; leaves the list empty. Safe on an empty list.
void ReleaseWeightedList(WeightedList* list);

// The index of the first entry whose running sum of weights exceeds r (r >= 0).
// Takes the last entry when the weights do not cover r; -1 for an empty list.
int32_t PickWeighted(const WeightedList* list, int32_t r);

// The same walk from entry `start` on (the behaviour's second block of an
// idle list). -1 when `start` lies outside the list.
int32_t PickWeightedFrom(const WeightedList* list, int32_t start, int32_t r);
