// Tests of the script tokenizer and the weighted lists.
#include "modules/script.h"
#include "platform/memory.h"
#include "tests/support/platform_support.h"

#include <gtest/gtest.h>

#include <cstring>
#include <deque>
#include <string>

namespace {

// A cursor on the n-th comma of a copy of `script`; the copies live until the
// test program ends, since cursors point into the text they read.
ScriptCursor At(const std::string& script, int comma) {
    static std::deque<std::string> texts;
    texts.push_back(script);
    ScriptCursor cursor;
    ScriptAtComma(&cursor, reinterpret_cast<const uint8_t*>(texts.back().data()),
                  static_cast<uint32_t>(texts.back().size()), comma);
    return cursor;
}

std::string TakeText(ScriptCursor* cursor) {
    char* text = ReadText(cursor);
    std::string out = text ? text : "<none>";
    SysFree(text);
    return out;
}

TEST(ScriptTest, NumbersReadLikeTheScriptsMeanThem) {
    // `loose`: more than white space around one number, which the cursor marks.
    struct Case {
        const char* field;
        int32_t value;
        bool loose;
    } cases[] = {
        {"120px", 120, true}, {"", 0, true},          {"-5", -5, false},      {"+7", 7, false},   {"x", 0, true},
        {" \t 42 ", 42, false}, {"- 3", 0, true},      {"12 34", 12, true},    {"\v\f9", 9, false}, {"0042", 42, false},
        {"50\r\n1", 50, true}, {"2147483647", 2147483647, false}, {"99999999999", 2147483647, false},
        {"-2147483648", -2147483647 - 1, false},     {"-99999999999", -2147483647 - 1, false},
    };
    for (const Case& c : cases) {
        std::string script = std::string(",") + c.field + ",";
        ScriptCursor cursor = At(script, 1);
        EXPECT_EQ(ReadNumber(&cursor), c.value) << '"' << c.field << '"';
        EXPECT_FALSE(cursor.failed);
        EXPECT_EQ(cursor.position, script.size() - 1);
        EXPECT_EQ(cursor.loose != 0, c.loose) << '"' << c.field << '"';
    }
}

TEST(ScriptTest, LineBreaksAfterACommaCarryNoMeaning) {
    std::string plain = "x,1,name,2,";
    std::string broken = "x,\r\n\r\n1,\n\nname,\r2,";
    for (const std::string& script : {plain, broken}) {
        ScriptCursor cursor = At(script, 1);
        EXPECT_EQ(ReadNumber(&cursor), 1);
        EXPECT_EQ(TakeText(&cursor), "name");
        EXPECT_EQ(ReadNumber(&cursor), 2);
        EXPECT_FALSE(cursor.failed);
    }
    // Spaces and tabs belong to a text field; only the breaks right after the comma go.
    ScriptCursor cursor = At("x,\r\n  walk\t, a\nb,", 1);
    EXPECT_EQ(TakeText(&cursor), "  walk\t");
    EXPECT_EQ(TakeText(&cursor), " a\nb");
}

TEST(ScriptTest, TheTextEndsAtItsFirstNulOrItsLastByte) {
    std::string withNul("x,1,2\0,3,", 9);
    ScriptCursor cursor = At(withNul, 1);
    EXPECT_EQ(ReadNumber(&cursor), 1);
    EXPECT_EQ(ReadNumber(&cursor), 0);  // "2" has no comma before the NUL
    EXPECT_TRUE(cursor.failed);
    EXPECT_EQ(ReadNumber(&cursor), 0) << "failure stays";

    cursor = At("x,1", 1);
    EXPECT_EQ(TakeText(&cursor), "<none>");
    EXPECT_TRUE(cursor.failed);

    ScriptCursor none;
    EXPECT_EQ(ScriptAtComma(&none, reinterpret_cast<const uint8_t*>("abc"), 3, 1), 0);
    EXPECT_EQ(ReadNumber(&none), 0);
    EXPECT_TRUE(none.failed);
}

TEST(ScriptTest, TextIntoABufferIsNeverCut) {
    char buffer[8];
    ScriptCursor cursor = At("x,1234567,12345678,", 1);
    EXPECT_EQ(ReadTextInto(&cursor, buffer, sizeof buffer), 1);
    EXPECT_STREQ(buffer, "1234567");
    std::memset(buffer, 'Z', sizeof buffer);
    EXPECT_EQ(ReadTextInto(&cursor, buffer, sizeof buffer), 0);
    EXPECT_TRUE(cursor.failed);
    for (char c : buffer) EXPECT_EQ(c, 'Z') << "nothing written on failure";
}

TEST(ScriptTest, WeightedListsReadWholeOrNotAtAll) {
    int64_t before = SysLiveBlocks();
    WeightedList list;
    ScriptCursor cursor = At("x,2,walk,60,\r\nsit,40,", 1);
    ASSERT_EQ(ReadWeightedList(&cursor, &list, 255), 1);
    ASSERT_EQ(list.count, 2);
    EXPECT_STREQ(list.entries[0].name, "walk");
    EXPECT_EQ(list.entries[0].weight, 60);
    EXPECT_STREQ(list.entries[1].name, "sit");
    ReleaseWeightedList(&list);
    EXPECT_EQ(list.count, 0);
    ReleaseWeightedList(&list);  // safe on an empty list

    const char* bad[] = {
        "x,2,walk,60,sit,",     // second weight missing
        "x,-1,",                // negative count
        "x,2147483647,a,1,",    // a count the text cannot hold
        "x,1,abcdefgh,1,",      // name longer than allowed below
        "x,",                   // no count
    };
    for (const char* script : bad) {
        cursor = At(script, 1);
        EXPECT_EQ(ReadWeightedList(&cursor, &list, 7), 0) << script;
        EXPECT_EQ(list.count, 0);
        EXPECT_EQ(list.entries, nullptr);
    }
    cursor = At("x,0,", 1);
    EXPECT_EQ(ReadWeightedList(&cursor, &list, 7), 1);
    EXPECT_EQ(list.count, 0);

    // A refused allocation in the middle of the list frees the names already read.
    for (int failAt = 0; failAt < 3 && InjectAllocFailureAfter(-1); failAt++) {
        InjectAllocFailureAfter(failAt);
        cursor = At("x,2,walk,60,sit,40,", 1);
        EXPECT_EQ(ReadWeightedList(&cursor, &list, 255), 0);
        InjectAllocFailureAfter(-1);
    }
    EXPECT_EQ(SysLiveBlocks(), before);
}

TEST(ScriptTest, PickWeightedWalksTheRunningSums) {
    WeightedName two[] = {{30, nullptr}, {70, nullptr}};
    WeightedList list = {2, two};
    EXPECT_EQ(PickWeighted(&list, 0), 0);
    EXPECT_EQ(PickWeighted(&list, 29), 0);
    EXPECT_EQ(PickWeighted(&list, 30), 1);
    EXPECT_EQ(PickWeighted(&list, 99), 1);
    EXPECT_EQ(PickWeighted(&list, 100), 1) << "weights that do not cover the draw take the last entry";
    EXPECT_EQ(PickWeighted(&list, 2147483647), 1);

    WeightedName four[] = {{30, nullptr}, {30, nullptr}, {40, nullptr}, {900, nullptr}};
    WeightedList idle = {4, four};
    EXPECT_EQ(PickWeightedFrom(&idle, 3, 899), 3);
    EXPECT_EQ(PickWeightedFrom(&idle, 4, 0), -1);
    EXPECT_EQ(PickWeightedFrom(&idle, 1, 30), 2);

    WeightedList empty = {0, nullptr};
    EXPECT_EQ(PickWeighted(&empty, 0), -1);
}

}  // namespace
