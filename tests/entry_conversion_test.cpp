// Giving an entry a file of the other kind moves it between Objects and IObjects.
#include <gtest/gtest.h>

#include "panel/entry_conversion.h"
#include "tests/failing_allocation.h"
#include "tests/test_support.h"

namespace {

std::unique_ptr<ObjectEntry> FullEntry(const std::u16string& name) {
    auto entry = std::make_unique<ObjectEntry>();
    entry->Name = name;
    entry->Position = {1, 2, 3};
    entry->Rotation = {4, 5, 6};
    entry->ZoomFaktor = 7;
    entry->BlinkIntervall = 8;
    entry->ShowOn = u"Hp1";
    entry->HideOn = u"Hp0";
    entry->ShowIfBrightness = 1;
    entry->Brightness = 50;
    entry->GreaterAs = 1;
    entry->WeitSichtbar = 1;
    entry->DynamicVisibility = u">=";
    entry->FixedDynamicVisibility = 1;
    return entry;
}

void ExpectCarried(const ObjectEntry& moved, bool dynamicKept) {
    EXPECT_EQ(moved.Position.z, 3);
    EXPECT_EQ(moved.Rotation.x, 4);
    EXPECT_EQ(moved.ZoomFaktor, 7);
    EXPECT_EQ(moved.BlinkIntervall, 8);
    EXPECT_EQ(moved.ShowOn, std::u16string(u"Hp1"));
    EXPECT_EQ(moved.HideOn, std::u16string(u"Hp0"));
    EXPECT_EQ(moved.WeitSichtbar, 0);
    EXPECT_EQ(moved.ShowIfBrightness, 0);
    EXPECT_EQ(moved.Brightness, 0);
    EXPECT_EQ(moved.GreaterAs, 0);
    EXPECT_EQ(moved.DynamicVisibility.has_value(), dynamicKept);
    EXPECT_EQ(moved.FixedDynamicVisibility, dynamicKept ? 1 : 0);
}

TEST(EntryConversion, AGroupFileMovesAnObjectToTheEndOfIObjects) {
    GroupDocument document;
    document.IObjects.push_back(FullEntry(u"C:\\a.fzlgrp"));
    document.Objects.push_back(FullEntry(u"C:\\b.fzlobj"));
    document.Objects.push_back(FullEntry(u"C:\\c.fzlobj"));
    ObjectEntry* entry = document.Objects[0].get();
    ObjectEntry* moved = SetEntryFile(document, entry, KindIObject, u"C:\\neu.fzlgrp");
    ASSERT_NE(moved, nullptr);
    ASSERT_EQ(document.IObjects.size(), 2u);
    EXPECT_EQ(document.IObjects[1].get(), moved);
    ASSERT_EQ(document.Objects.size(), 1u);
    EXPECT_EQ(document.Objects[0]->Name, std::u16string(u"C:\\c.fzlobj"));
    EXPECT_EQ(document.Objects.capacity(), 1u);
    EXPECT_EQ(moved->Name, std::u16string(u"C:\\neu.fzlgrp"));
    ExpectCarried(*moved, false);
}

TEST(EntryConversion, AnObjectFileMovesAGroupAndKeepsItsDynamicVisibility) {
    GroupDocument document;
    document.IObjects.push_back(FullEntry(u"C:\\a.fzlgrp"));
    ObjectEntry* moved =
        SetEntryFile(document, document.IObjects[0].get(), KindObject, u"C:\\neu.fzlobj");
    ASSERT_NE(moved, nullptr);
    EXPECT_TRUE(document.IObjects.empty());
    EXPECT_EQ(document.IObjects.capacity(), 0u);
    ASSERT_EQ(document.Objects.size(), 1u);
    EXPECT_EQ(document.Objects[0].get(), moved);
    ExpectCarried(*moved, true);
}

TEST(EntryConversion, AFileOfTheSameKindOnlyRenames) {
    GroupDocument document;
    document.Objects.push_back(FullEntry(u"C:\\b.fzlobj"));
    ObjectEntry* entry = document.Objects[0].get();
    EXPECT_EQ(SetEntryFile(document, entry, KindObject, u"C:\\x.fzlobj"), entry);
    EXPECT_EQ(entry->Name, std::u16string(u"C:\\x.fzlobj"));
    EXPECT_EQ(entry->WeitSichtbar, 1);
    EXPECT_EQ(entry->Brightness, 50);
}

TEST(EntryConversion, AnEntryOutsideTheDocumentIsLeftAlone) {
    GroupDocument document;
    document.Objects.push_back(FullEntry(u"C:\\b.fzlobj"));
    auto stranger = FullEntry(u"C:\\s.fzlobj");
    EXPECT_EQ(SetEntryFile(document, stranger.get(), KindIObject, u"C:\\x.fzlgrp"), nullptr);
    EXPECT_EQ(stranger->Name, std::u16string(u"C:\\s.fzlobj"));
    EXPECT_EQ(document.Objects.size(), 1u);
    EXPECT_TRUE(document.IObjects.empty());
}

std::vector<const ObjectEntry*> Entries(const ObjectList& list) {
    std::vector<const ObjectEntry*> entries;
    for (const auto& entry : list)
        entries.push_back(entry.get());
    return entries;
}

TEST(EntryConversion, WithoutMemoryTheDocumentStaysAsItWas) {
    int failures = 0;
    for (long after = 0;; ++after) {
        GroupDocument document;
        document.IObjects.push_back(FullEntry(u"C:\\a.fzlgrp"));
        document.Objects.push_back(FullEntry(u"C:\\b.fzlobj"));
        const auto groups = Entries(document.IObjects);
        const auto objects = Entries(document.Objects);
        ObjectEntry* entry = document.Objects[0].get();
        const std::u16string name = u"C:\\neu.fzlgrp";
        ObjectEntry* moved;
        bool failed;
        {
            FailingAllocation failing(after);
            moved = SetEntryFile(document, entry, KindIObject, name);
            failed = FailingAllocation::Happened();
        }
        if (!failed) {
            ASSERT_NE(moved, nullptr);
            EXPECT_EQ(document.IObjects.size(), 2u);
            EXPECT_TRUE(document.Objects.empty());
            break;
        }
        EXPECT_EQ(moved, nullptr) << after;
        ++failures;
        EXPECT_EQ(Entries(document.IObjects), groups) << after;
        EXPECT_EQ(Entries(document.Objects), objects) << after;
        EXPECT_EQ(entry->Name, std::u16string(u"C:\\b.fzlobj")) << after;
        EXPECT_EQ(entry->DynamicVisibility, std::u16string(u">=")) << after;
    }
    EXPECT_GT(failures, 2);
}

} // namespace

TEST(EntryList, EachLineLeadsToItsArrayAndIndex) {
    GroupDocument document;
    document.IObjects.resize(2);
    document.Objects.resize(1);
    document.Fonts.resize(2);
    const struct {
        int64_t Line;
        EntryArray Array;
        size_t Index;
    } cases[] = {
        {-1, EntryArray::None, 0},   {0, EntryArray::IObjects, 0}, {1, EntryArray::IObjects, 1},
        {2, EntryArray::Objects, 0}, {3, EntryArray::Fonts, 0},    {4, EntryArray::Fonts, 1},
        {5, EntryArray::None, 0},
    };
    for (const auto& c : cases) {
        const ListLine line = EntryAtLine(document, c.Line);
        EXPECT_EQ(line.Array, c.Array) << c.Line;
        EXPECT_EQ(line.Index, c.Index) << c.Line;
    }
}
