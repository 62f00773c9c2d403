// The edit layer: every kind of change with its undo and redo, the saved state, the bounds of
// the history, moving entries between arrays, and the lines of the entry list.
#include <gtest/gtest.h>

#include "document/writer.h"
#include "edit/edits.h"
#include "edit/entry_conversion.h"
#include "panel/entry_lines.h"
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

std::unique_ptr<FontEntry> Label(const std::u16string& text) {
    auto font = std::make_unique<FontEntry>(NewLoadedFontEntry());
    font->DefaultText = text;
    return font;
}

// Two IObjects, two Objects, one label.
void FillScene(GroupDocument& document) {
    document.HeaderText = std::u16string(NewDocumentHeader);
    document.IObjects.push_back(FullEntry(u"C:\\Sim\\a.fzlgrp"));
    document.IObjects.push_back(FullEntry(u"C:\\Sim\\Bahnhof\\b.fzlgrp"));
    document.Objects.push_back(FullEntry(u"C:\\Sim\\c.fzlobj"));
    document.Objects.push_back(FullEntry(u"C:\\Sim\\Bahnhof\\d.fzlobj"));
    document.Fonts.push_back(Label(u"Halt"));
}

std::string Bytes(const GroupDocument& document) {
    OutputSink sink;
    FormatGroupDocument(&document, sink);
    return sink.Buffer;
}

std::u16string& ShortenBelowSim(std::u16string& name) {
    if (name.rfind(u"C:\\Sim\\Bahnhof\\", 0) == 0) {
        name.erase(0, 14);
    }
    return name;
}

struct Session {
    GroupDocument Document;
    EditSession Edits;
    Session() {
        FillScene(Document);
        Edits.Document = &Document;
    }
};

ListLine At(EntryArray array, size_t index) {
    return {array, index};
}

void ExpectEntry(ListLine actual, ListLine expected, const char* what) {
    EXPECT_EQ(actual.Array, expected.Array) << what;
    EXPECT_EQ(actual.Index, expected.Index) << what;
}

TEST(Edits, EachStepUndoesAndRedoesToTheSameBytes) {
    const struct {
        const char* What;
        bool (*Do)(EditSession&);
        ListLine AfterDo;   // the entry redo ends on
        ListLine AfterUndo; // the entry undo ends on
    } cases[] = {
        {"a field",
         [](EditSession& s) {
             ObjectEntry value = *s.Document->Objects[1];
             value.Position.y = -12.5;
             return SetObjectEntry(s, At(EntryArray::Objects, 1), value);
         },
         At(EntryArray::Objects, 1), At(EntryArray::Objects, 1)},
        {"a label moved",
         [](EditSession& s) {
             FontEntry value = *s.Document->Fonts[0];
             value.Position.x = 7.25;
             return SetFontEntry(s, At(EntryArray::Fonts, 0), value);
         },
         At(EntryArray::Fonts, 0), At(EntryArray::Fonts, 0)},
        {"added files",
         [](EditSession& s) {
             std::vector<NewEntry> added(3);
             added[0] = {EntryArray::Objects, FullEntry(u"C:\\Sim\\e.fzlobj"), nullptr};
             added[1] = {EntryArray::IObjects, FullEntry(u"C:\\Sim\\f.fzlgrp"), nullptr};
             added[2] = {EntryArray::Objects, FullEntry(u"C:\\Sim\\g.fzlobj"), nullptr};
             return InsertEntries(s, std::move(added));
         },
         At(EntryArray::Objects, 3), At(EntryArray::None, 0)},
        {"a pasted label",
         [](EditSession& s) {
             std::vector<NewEntry> pasted(1);
             pasted[0] = {EntryArray::Fonts, nullptr, Label(u"Ausfahrt")};
             return InsertEntries(s, std::move(pasted));
         },
         At(EntryArray::Fonts, 1), At(EntryArray::None, 0)},
        {"a removed IObject",
         [](EditSession& s) { return RemoveEntry(s, At(EntryArray::IObjects, 0)); },
         At(EntryArray::None, 0), At(EntryArray::IObjects, 0)},
        {"a removed label", [](EditSession& s) { return RemoveEntry(s, At(EntryArray::Fonts, 0)); },
         At(EntryArray::None, 0), At(EntryArray::Fonts, 0)},
        {"a file of the same kind",
         [](EditSession& s) {
             return SetEntryFile(s, At(EntryArray::Objects, 0), KindObject, u"C:\\Sim\\x.fzlobj");
         },
         At(EntryArray::Objects, 0), At(EntryArray::Objects, 0)},
        {"an Object into IObjects",
         [](EditSession& s) {
             return SetEntryFile(s, At(EntryArray::Objects, 0), KindIObject, u"C:\\Sim\\x.fzlgrp");
         },
         At(EntryArray::IObjects, 2), At(EntryArray::Objects, 0)},
        {"an IObject into Objects",
         [](EditSession& s) {
             return SetEntryFile(s, At(EntryArray::IObjects, 1), KindObject, u"C:\\Sim\\x.fzlobj");
         },
         At(EntryArray::Objects, 2), At(EntryArray::IObjects, 1)},
        {"renamed names", [](EditSession& s) { return RenameEntries(s, ShortenBelowSim); },
         At(EntryArray::None, 0), At(EntryArray::None, 0)},
    };
    for (const auto& c : cases) {
        Session session;
        const std::string before = Bytes(session.Document);
        ASSERT_TRUE(c.Do(session.Edits)) << c.What;
        const std::string after = Bytes(session.Document);
        EXPECT_NE(after, before) << c.What;
        EXPECT_TRUE(IsModified(session.Edits)) << c.What;

        ExpectEntry(UndoStep(session.Edits), c.AfterUndo, c.What);
        EXPECT_EQ(Bytes(session.Document), before) << c.What;
        EXPECT_FALSE(IsModified(session.Edits)) << c.What;
        EXPECT_FALSE(CanUndo(session.Edits)) << c.What;

        ExpectEntry(RedoStep(session.Edits), c.AfterDo, c.What);
        EXPECT_EQ(Bytes(session.Document), after) << c.What;
        EXPECT_TRUE(IsModified(session.Edits)) << c.What;
        EXPECT_FALSE(CanRedo(session.Edits)) << c.What;
    }
}

TEST(Edits, AStepThatChangesNothingIsNoStep) {
    Session session;
    EXPECT_FALSE(RemoveEntry(session.Edits, At(EntryArray::Objects, 2)));
    EXPECT_FALSE(SetEntryFile(session.Edits, At(EntryArray::Fonts, 0), KindObject, u"x.fzlobj"));
    EXPECT_FALSE(InsertEntries(session.Edits, {}));
    EXPECT_FALSE(
        RenameEntries(session.Edits, [](std::u16string& name) -> std::u16string& { return name; }));
    EXPECT_FALSE(CanUndo(session.Edits));
    EXPECT_FALSE(IsModified(session.Edits));
}

void RemoveFirstObject(EditSession& edits) {
    ASSERT_TRUE(RemoveEntry(edits, At(EntryArray::Objects, 0)));
}

TEST(Edits, TheSavedStateIsKnownAgainByUndoAndRedo) {
    Session session;
    RemoveFirstObject(session.Edits);
    MarkSaved(session.Edits);
    EXPECT_FALSE(IsModified(session.Edits));
    RemoveFirstObject(session.Edits);
    EXPECT_TRUE(IsModified(session.Edits));
    UndoStep(session.Edits);
    EXPECT_FALSE(IsModified(session.Edits));
    UndoStep(session.Edits);
    EXPECT_TRUE(IsModified(session.Edits));
    RedoStep(session.Edits);
    EXPECT_FALSE(IsModified(session.Edits));

    // A new action after undoing past the save loses the way back to it.
    UndoStep(session.Edits);
    RemoveEntry(session.Edits, At(EntryArray::Fonts, 0));
    EXPECT_FALSE(CanRedo(session.Edits));
    UndoStep(session.Edits);
    EXPECT_TRUE(IsModified(session.Edits));

    BeginHistory(session.Edits, false); // a new document, never saved
    EXPECT_TRUE(IsModified(session.Edits));
    EXPECT_FALSE(CanUndo(session.Edits));
    BeginHistory(session.Edits, true); // an opened file
    EXPECT_FALSE(IsModified(session.Edits));
}

TEST(Edits, TheOldestStepsGoFirst) {
    const struct {
        size_t MaxSteps;
        size_t MaxBytes;
        size_t Kept;
    } cases[] = {{1000, size_t(64) << 20, 4}, {3, size_t(64) << 20, 3}, {1000, 1, 1}};
    for (const auto& c : cases) {
        Session session;
        session.Edits.MaxSteps = c.MaxSteps;
        session.Edits.MaxBytes = c.MaxBytes;
        for (int i = 0; i < 4; ++i) {
            std::vector<NewEntry> pasted(1);
            pasted[0] = {EntryArray::Fonts, nullptr, Label(u"Schild")};
            ASSERT_TRUE(InsertEntries(session.Edits, std::move(pasted)));
        }
        EXPECT_EQ(session.Edits.Undo.size(), c.Kept) << c.MaxSteps << " " << c.MaxBytes;
        while (CanUndo(session.Edits)) {
            UndoStep(session.Edits);
        }
        EXPECT_EQ(session.Document.Fonts.size(), 5 - c.Kept);
        // The saved state went with the oldest steps.
        EXPECT_EQ(IsModified(session.Edits), c.Kept < 4) << c.MaxSteps << " " << c.MaxBytes;
    }
}

std::vector<DocumentChange> Told;
void Listen(const DocumentChange& change) {
    Told.push_back(change);
}

TEST(Edits, ListenersHearWhatChanged) {
    Session session;
    session.Edits.Listeners.push_back(Listen);
    Told.clear();
    ObjectEntry value = *session.Document.IObjects[1];
    value.ZoomFaktor = 2;
    SetObjectEntry(session.Edits, At(EntryArray::IObjects, 1), value);
    RemoveEntry(session.Edits, At(EntryArray::Objects, 0));
    UndoStep(session.Edits);
    BeginHistory(session.Edits, true);
    const struct {
        ChangeScope Scope;
        ListLine Entry;
        bool Modified;
    } expected[] = {
        {ChangeScope::Fields, At(EntryArray::IObjects, 1), true},
        {ChangeScope::Lines, At(EntryArray::None, 0), true},
        {ChangeScope::Lines, At(EntryArray::Objects, 0), true},
        {ChangeScope::All, At(EntryArray::None, 0), false},
    };
    ASSERT_EQ(Told.size(), std::size(expected));
    for (size_t i = 0; i < Told.size(); ++i) {
        EXPECT_EQ(Told[i].Scope, expected[i].Scope) << i;
        ExpectEntry(Told[i].Entry, expected[i].Entry, "told");
        EXPECT_EQ(Told[i].Modified, expected[i].Modified) << i;
    }
}

TEST(Edits, AnEntryMovedIntoTheOtherArrayKeepsWhatTheFormatCarries) {
    for (const bool intoObjects : {false, true}) {
        const ObjectEntry moved = MovedEntry(*FullEntry(u"C:\\a"), intoObjects, u"C:\\neu");
        EXPECT_EQ(moved.Name, std::u16string(u"C:\\neu"));
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
        EXPECT_EQ(moved.DynamicVisibility.has_value(), intoObjects);
        EXPECT_EQ(moved.FixedDynamicVisibility, intoObjects ? 1 : 0);
    }
}

TEST(Edits, WithoutMemoryTheDocumentStaysAsItWas) {
    int failures = 0;
    for (long after = 0;; ++after) {
        Session session;
        ASSERT_TRUE(RemoveEntry(session.Edits, At(EntryArray::Fonts, 0)));
        const std::string before = Bytes(session.Document);
        const std::u16string name = u"C:\\Sim\\neu.fzlgrp";
        bool changed = false;
        bool undone = false;
        bool failed = false;
        {
            FailingAllocation failing(after);
            changed = SetEntryFile(session.Edits, At(EntryArray::Objects, 0), KindIObject, name);
            undone = changed && UndoStep(session.Edits).Array == EntryArray::Objects &&
                     UndoStep(session.Edits).Array == EntryArray::Fonts;
            failed = FailingAllocation::Happened();
        }
        if (!failed) {
            EXPECT_TRUE(undone);
            break;
        }
        ++failures;
        if (!changed) {
            EXPECT_EQ(Bytes(session.Document), before) << after;
            EXPECT_EQ(session.Edits.Undo.size(), 1u) << after;
        } else if (!undone) {
            // An undo that failed left the document at one of its recorded states.
            const size_t steps = session.Edits.Undo.size();
            EXPECT_EQ(steps + session.Edits.Redo.size(), 2u) << after;
            EXPECT_EQ(session.Document.Fonts.size(), steps == 0 ? 1u : 0u) << after;
        }
    }
    EXPECT_GT(failures, 2);
}

TEST(EntryLines, NamesAndTextsWithThePositionWhereNamesRepeat) {
    GroupDocument document;
    document.IObjects.push_back(FullEntry(u"C:\\Sim\\Haus.fzlgrp"));
    document.Objects.push_back(FullEntry(u"C:\\Sim\\A\\Bahnsteig.fzlobj"));
    document.Objects.push_back(FullEntry(u"Bahnsteig.fzlobj"));
    document.Objects.back()->Position = {12, -0.01, 24.06};
    document.Objects.push_back(std::make_unique<ObjectEntry>());
    document.Fonts.push_back(Label(u"Halt"));
    document.Fonts.push_back(Label(u""));
    document.Fonts.back()->Name = u"C:\\Sim\\schild.fzlfnt";
    const std::vector<std::u16string> expected = {u"Haus.fzlgrp",
                                                  u"Bahnsteig.fzlobj (1.0; 2.0; 3.0)",
                                                  u"Bahnsteig.fzlobj (12.0; 0.0; 24.1)",
                                                  u"",
                                                  u"Halt",
                                                  u"schild.fzlfnt"};
    EXPECT_EQ(EntryLines(document), expected);
    EXPECT_EQ(LineOfEntry(document, At(EntryArray::Fonts, 1)), 5);
    EXPECT_EQ(LineOfEntry(document, At(EntryArray::Objects, 0)), 1);
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
