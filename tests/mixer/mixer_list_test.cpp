// The mixer configuration list: order, lookup, duplicates, out of memory and
// release, run in-process on the applet's own list functions.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "general.h"
#include "host/host_seams.h"

namespace {

char* Text(const char* text) {
    return CopyText(text);
}

// Names from the first record to the last, checking the back links on the way.
std::vector<std::string> ListNames() {
    std::vector<std::string> names;
    const MixerConfig* prev = nullptr;
    for (const MixerConfig* config = General.MixerConfigList; config != nullptr; config = config->next) {
        EXPECT_EQ(config->prev, prev) << "back link of " << config->name;
        names.emplace_back(config->name);
        prev = config;
    }
    return names;
}

std::string Joined(const std::vector<std::string>& names) {
    std::string out;
    for (const std::string& name : names) {
        out += out.empty() ? "" : " ";
        out += name;
    }
    return out;
}

class MixerList : public ::testing::Test {
protected:
    void SetUp() override {
        FreeMixerConfigList();
        baseline_ = HostLiveAllocations();
    }
    void TearDown() override {
        HostFailAlloc(0);
        FreeMixerConfigList();
        EXPECT_EQ(HostLiveAllocations(), baseline_) << "blocks left after the list was released";
    }
    void Insert(const char* name, LONG inFile = 1) {
        ASSERT_EQ(InsertMixerConfig(name, Text("zp8a1"), inFile, 0), kInserted) << name;
    }
    long baseline_ = 0;
};

TEST_F(MixerList, InsertKeepsAscendingOrderIgnoringCase) {
    struct Case {
        std::vector<const char*> inserted;
        const char* expected;
    };
    const Case cases[] = {
        {{"b", "a", "c"}, "a b c"},
        {{"Zeta", "alpha", "Mid", "beta"}, "alpha beta Mid Zeta"},
        {{"new_string2", "new_string", "new_string1"}, "new_string new_string1 new_string2"},
        // Letters fold to lower case, so '_' (0x5F) sorts before them.
        {{"aB", "AA", "a_"}, "a_ AA aB"},
        {{"only"}, "only"},
    };
    for (const Case& c : cases) {
        FreeMixerConfigList();
        for (const char* name : c.inserted) {
            Insert(name);
        }
        EXPECT_EQ(Joined(ListNames()), c.expected);
    }
}

TEST_F(MixerList, FindAnswersTheRecordOrItsPlace) {
    Insert("alpha");
    Insert("Beta");
    Insert("delta");
    struct Case {
        const char* name;
        LONG found;
        const char* record;  // null: none
    };
    const Case cases[] = {
        {"beta", 1, "Beta"},   {"ALPHA", 1, "alpha"}, {"Delta", 1, "delta"},
        {"aaa", 0, "alpha"},   // below every name: the first record
        {"c", 0, "Beta"},      // between: the last record below it
        {"betb", 0, "Beta"},   {"zzz", 0, "delta"},  // above every name: the last record
    };
    for (const Case& c : cases) {
        LONG found = -1;
        const MixerConfig* config = FindMixerConfig(c.name, &found);
        ASSERT_NE(config, nullptr) << c.name;
        EXPECT_EQ(found, c.found) << c.name;
        EXPECT_STREQ(config->name, c.record) << c.name;
    }
    FreeMixerConfigList();
    LONG found = -1;
    EXPECT_EQ(FindMixerConfig("alpha", &found), nullptr);
    EXPECT_EQ(found, 0);
}

TEST_F(MixerList, DuplicateNameChangesNothing) {
    Insert("Studio");
    ASSERT_EQ(InsertMixerConfig("Late", Text("zp8a1 late"), 0, 1), kInserted);
    for (const char* name : {"studio", "STUDIO", "Studio", "late"}) {
        char* settings = Text("zp8a1 other");
        EXPECT_EQ(InsertMixerConfig(name, settings, 0, 0), kDuplicateName) << name;
        FreeMemory(settings);  // not taken over
    }
    EXPECT_EQ(Joined(ListNames()), "Late Studio");
    LONG found = 0;
    const MixerConfig* late = FindMixerConfig("late", &found);
    EXPECT_STREQ(late->settings, "zp8a1 late");
    EXPECT_EQ(late->inFile, 0);
    EXPECT_EQ(late->removed, 1);
}

TEST_F(MixerList, NoMemoryForRecordLinksNothing) {
    Insert("a");
    Insert("c");
    for (const char* name : {"0", "b", "d"}) {
        char* settings = Text("zp8a1");
        HostFailAlloc(1);
        EXPECT_EQ(InsertMixerConfig(name, settings, 0, 0), kNoMemoryForRecord) << name;
        HostFailAlloc(0);
        FreeMemory(settings);
        EXPECT_EQ(Joined(ListNames()), "a c") << name;
    }
}

TEST_F(MixerList, RecordTakesFieldsAndBoundedName) {
    char* settings = Text("zp8a1 fields");
    ASSERT_EQ(InsertMixerConfig("exactly_twenty_nine_character", settings, 1, 1), kInserted);
    const MixerConfig* config = General.MixerConfigList;
    EXPECT_STREQ(config->name, "exactly_twenty_nine_character");
    EXPECT_EQ(config->settings, settings);
    EXPECT_EQ(config->inFile, 1);
    EXPECT_EQ(config->removed, 1);
    FreeMixerConfigList();
    ASSERT_EQ(InsertMixerConfig("a_name_of_thirty_one_characters", Text("zp8a1"), 0, 0), kInserted);
    EXPECT_STREQ(General.MixerConfigList->name, "a_name_of_thirty_one_characte");
}

TEST_F(MixerList, ReleaseFreesEveryRecordAndText) {
    for (const char* name : {"one", "two", "three"}) {
        Insert(name);
    }
    ASSERT_EQ(InsertMixerConfig("none", nullptr, 0, 0), kInserted);
    EXPECT_GT(HostLiveAllocations(), baseline_);
    FreeMixerConfigList();
    EXPECT_EQ(General.MixerConfigList, nullptr);
    EXPECT_EQ(HostLiveAllocations(), baseline_);
    FreeMixerConfigList();  // nothing left to free twice
    EXPECT_EQ(HostLiveAllocations(), baseline_);
}

TEST(MixerSettingsText, OnlyTaggedTextsAreSettings) {
    struct Case {
        const char* text;
        bool expected;
    };
    const Case cases[] = {
        {"zp8a1", true}, {"ZP8A1 0 0 0", true}, {"Zp8a1x", true}, {"zp8a", false},
        {"", false},     {" zp8a1", false},     {"true", false},  {nullptr, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(IsMixerSettingsText(c.text), c.expected) << (c.text != nullptr ? c.text : "(null)");
    }
}

}  // namespace
