// The plan seen from above: fitting a view, headings, nested groups placed as the export
// places them, hit-testing, zooming and culling, and where captions go. The SVG picture
// itself is checked through zellora-cli plan (cli_import_plan_test.sh).
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "document/loader.h"
#include "plan/plan_captions.h"
#include "plan/plan_drag.h"
#include "plan/plan_raster.h"
#include "plan/plan_scene.h"
#include "plan/plan_view.h"
#include "platform/platform.h"
#include "tests/test_support.h"

namespace {

PlanEntry At(double x, double z, ListLine top = {EntryArray::Objects, 0}) {
    PlanEntry e;
    e.Position = {x, 0, z};
    e.Top = top;
    return e;
}

Plan PlanOf(std::vector<PlanEntry> entries) {
    Plan plan;
    plan.Entries = std::move(entries);
    return plan;
}

TEST(PlanView, FitsTheDrawableEntriesWithRoomAround) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    struct Case {
        const char* What;
        std::vector<PlanEntry> Entries;
        double MinX, MaxX, MinZ, MaxZ, Scale;
    } cases[] = {
        {"nothing: ten metres round the origin", {}, -5.8, 5.8, -5.8, 5.8, 640 / 11.6},
        {"one entry: ten metres round it", {At(100, -20)}, 95, 105, -25, -15, 64},
        {"8 % more on each side", {At(0, 0), At(100, 50)}, -8, 108, -4, 54, 1100.0 / 116},
        {"far entries at the drawn edge",
         {At(-1e17, 0), At(1e17, 0)},
         -1.16e12,
         1.16e12,
         -5,
         5,
         1100 / 2.32e12},
        {"no place, no extent",
         {At(0, 0), At(nan, 7), At(inf, 0), At(2, 1e9 * inf)},
         -5,
         5,
         -5,
         5,
         64},
    };
    for (const Case& c : cases) {
        PlanView v = FitPlanView(PlanOf(c.Entries), 1100, 640, 56, 100);
        EXPECT_DOUBLE_EQ(v.MinX, c.MinX) << c.What;
        EXPECT_DOUBLE_EQ(v.MaxX, c.MaxX) << c.What;
        EXPECT_DOUBLE_EQ(v.MinZ, c.MinZ) << c.What;
        EXPECT_DOUBLE_EQ(v.MaxZ, c.MaxZ) << c.What;
        EXPECT_DOUBLE_EQ(v.Scale, c.Scale) << c.What;
    }
}

TEST(PlanView, ZoomKeepsThePointUnderTheCursorAndPanMovesThePicture) {
    PlanView v = FitPlanView(PlanOf({At(0, 0), At(100, 50)}), 800, 400, 0, 0);
    const double width = v.Width(), height = v.Height();
    const double x = v.MetresX(300), z = v.MetresZ(120);
    ZoomPlanView(v, 4, 300, 120);
    EXPECT_NEAR(v.X(x), 300, 1e-9);
    EXPECT_NEAR(v.Y(z), 120, 1e-9);
    EXPECT_NEAR(v.Width(), width, 1e-9);
    EXPECT_NEAR(v.Height(), height, 1e-9);
    PanPlanView(v, 25, -10);
    EXPECT_NEAR(v.X(x), 325, 1e-9);
    EXPECT_NEAR(v.Y(z), 110, 1e-9);
}

TEST(PlanView, CullsToTheSurfaceAndItsMargin) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    Plan plan = PlanOf({At(0, 0), At(10, 0), At(20, 0), At(10, 30), At(nan, 0), At(10.5, 0)});
    PlanView v;
    v.MinX = 5, v.MaxX = 15, v.MinZ = -5, v.MaxZ = 5, v.Scale = 10;
    EXPECT_EQ(VisiblePlanEntries(plan, v, 0), (std::vector<size_t>{1, 5}));
    EXPECT_EQ(VisiblePlanEntries(plan, v, 50), (std::vector<size_t>{0, 1, 2, 5}));
}

TEST(PlanView, HitTestFindsTheTopEntryOfTheNearestMark) {
    const ListLine lamp{EntryArray::Objects, 0}, group{EntryArray::IObjects, 2},
        label{EntryArray::Fonts, 1}, none{};
    const double nan = std::numeric_limits<double>::quiet_NaN();
    Plan plan = PlanOf({At(0, 0, lamp), At(10, 0, group), At(10.2, 0, group), At(20, 0, label),
                        At(20, 0, lamp), At(nan, 0, label)});
    PlanView v;
    v.MinX = -5, v.MaxX = 25, v.MinZ = -5, v.MaxZ = 5, v.Scale = 10; // (0, 0) at pixel (50, 50)
    struct Case {
        double X, Y, Tolerance;
        ListLine Expected;
    } cases[] = {
        {52, 51, 5, lamp},   // beside the lamp
        {57, 50, 5, none},   // too far from it
        {154, 50, 5, group}, // a flattened entry selects the group that brings it
        {250, 50, 5, lamp},  // two marks on one spot: the one drawn on top
        {400, 50, 1e6, lamp},
    };
    for (const Case& c : cases) {
        ListLine hit = HitTest(plan, LocatePlanEntries(plan), v, c.X, c.Y, c.Tolerance);
        EXPECT_EQ(hit.Array, c.Expected.Array) << c.X << ", " << c.Y;
        EXPECT_EQ(hit.Index, c.Expected.Index) << c.X << ", " << c.Y;
    }
}

TEST(PlanModel, HeadingIsTheYawTheRotationLibraryReports) {
    struct Case {
        Vec3 Rotation;
        double Heading;
    } cases[] = {
        {{-135, 0, 0}, -135},
        {{30, 120, 0}, 30.000001907348633}, // single precision, as the export writes it
        {{30, 0, 180}, -150},               // rolled over: it looks the other way
        {{400, 0, 0}, 40},
    };
    for (const Case& c : cases)
        EXPECT_DOUBLE_EQ(PlanHeading(c.Rotation), c.Heading) << c.Rotation.x;
    EXPECT_FALSE(std::isfinite(PlanHeading({1e308, 0, 0})));
}

TEST(PlanModel, DocumentEntriesAreTheirOwnTopEntries) {
    GroupDocument d;
    d.Objects.push_back(std::make_unique<ObjectEntry>());
    d.Objects.back()->Name = u"\\Objekte\\Lampe.fzlobj";
    d.Objects.push_back(nullptr);
    d.Objects.push_back(std::make_unique<ObjectEntry>());
    d.IObjects.push_back(std::make_unique<ObjectEntry>());
    d.IObjects.back()->Name = u"Gruppe.fzlgrp";
    d.Fonts.push_back(std::make_unique<FontEntry>());
    d.Fonts.back()->DefaultText = u"Gleis 1";
    for (bool withGroups : {false, true}) {
        Plan plan;
        AddDocumentToPlan(plan, d, 0, withGroups);
        std::vector<std::tuple<PlanKind, std::u16string, EntryArray, size_t>> expected = {
            {PlanObject, u"Lampe.fzlobj", EntryArray::Objects, 0},
            {PlanObject, u"", EntryArray::Objects, 2}};
        if (withGroups)
            expected.push_back({PlanGroup, u"Gruppe.fzlgrp", EntryArray::IObjects, 0});
        expected.push_back({PlanLabel, u"Gleis 1", EntryArray::Fonts, 0});
        std::vector<std::tuple<PlanKind, std::u16string, EntryArray, size_t>> seen;
        for (const PlanEntry& e : plan.Entries)
            seen.push_back({e.Kind, e.Caption, e.Top.Array, e.Top.Index});
        EXPECT_EQ(seen, expected) << withGroups;
    }
}

struct ExportCollector {
    std::vector<std::pair<Vec3, double>> Placed; // position and heading
};

void CollectExported(void* receiver, GroupDocument& level, const std::u16string&) {
    auto& c = *static_cast<ExportCollector*>(receiver);
    for (const auto& e : level.Objects)
        c.Placed.push_back({e->Position, PlanHeading(e->Rotation)});
    for (const auto& f : level.Fonts)
        c.Placed.push_back({f->Position, PlanHeading(f->Rotation)});
}

const std::string Xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<GRUPPENOBJECT>\r\n"
                        "<Props />";

std::string Entry(const char* element, const std::string& position, const std::string& rotation,
                  const std::string& name) {
    return std::string("\r\n<") + element + ">\r\n<Props Position=\"" + position +
           "\" Rotation=\"" + rotation + "\" Name=\"" + name + "\" />\r\n</" + element + ">";
}

TEST(PlanModel, NestedGroupsArePlacedAsTheExportPlacesThem) {
    ScratchFolder folder;
    folder.Write("Mast.fzlgrp", Xml + Entry("Object", "0;5;0", "10;0;0", "Lampe.fzlobj") +
                                    Entry("Object", "1;2;3", "0;30;0", "Schirm.fzlobj") +
                                    "\r\n</GRUPPENOBJECT>");
    folder.Write("Signal.fzlgrp", Xml + Entry("Object", "2;0;0", "0;0;0", "Fuss.fzlobj") +
                                      Entry("IObject", "0;0;4", "90;0;0", "Mast.fzlgrp") +
                                      "\r\n</GRUPPENOBJECT>");
    GroupDocument top;
    for (const char* name : {"Signal.fzlgrp", "Fehlt.fzlgrp", "Mast.fzlgrp"}) {
        top.IObjects.push_back(std::make_unique<ObjectEntry>());
        top.IObjects.back()->Name = folder.File(name);
        top.IObjects.back()->Position = {100, 0, 50};
        top.IObjects.back()->Rotation = {-135, 10, 0};
    }
    // What the export writes for the two groups it can expand.
    ExportCollector exported;
    for (size_t i : {0, 2}) {
        GroupDocument one;
        one.IObjects.push_back(std::make_unique<ObjectEntry>(*top.IObjects[i]));
        ExportJob job;
        job.Document = &one;
        job.TakeEntries = CollectExported;
        job.EntryReceiver = &exported;
        ASSERT_TRUE(FlattenInMemory(job));
    }

    Plan plan;
    EXPECT_FALSE(AddFlattenedGroups(plan, top, u"", nullptr, nullptr, false));
    ASSERT_EQ(plan.Entries.size(), exported.Placed.size() + 1);
    std::vector<PlanKind> kinds;
    std::vector<size_t> tops, sources;
    for (size_t i = 0, j = 0; i < plan.Entries.size(); ++i) {
        const PlanEntry& e = plan.Entries[i];
        kinds.push_back(e.Kind);
        tops.push_back(e.Top.Index);
        sources.push_back(e.Source);
        EXPECT_EQ(e.Top.Array, EntryArray::IObjects);
        if (e.Kind == PlanUnloadable)
            continue;
        EXPECT_EQ(e.Position.x, exported.Placed[j].first.x) << i;
        EXPECT_EQ(e.Position.y, exported.Placed[j].first.y) << i;
        EXPECT_EQ(e.Position.z, exported.Placed[j].first.z) << i;
        EXPECT_EQ(e.Heading, exported.Placed[j].second) << i;
        ++j;
    }
    EXPECT_EQ(kinds, (std::vector<PlanKind>{PlanObject, PlanObject, PlanObject, PlanUnloadable,
                                            PlanObject, PlanObject}));
    EXPECT_EQ(tops, (std::vector<size_t>{0, 0, 0, 1, 2, 2}));
    // Mast.fzlgrp is one source however often it is placed.
    EXPECT_EQ(sources, (std::vector<size_t>{0, 1, 1, 0, 1, 1}));
    EXPECT_EQ(plan.Sources, (std::vector<std::u16string>{folder.File("Signal.fzlgrp"),
                                                         folder.File("Mast.fzlgrp")}));

    Plan stopped;
    EXPECT_FALSE(AddFlattenedGroups(stopped, top, u"", nullptr, nullptr, true));
    EXPECT_EQ(stopped.Entries.size(), 3u); // the first group's, then nothing more
}

bool FreeOfAll(const std::vector<CaptionBox>& taken, const CaptionBox& box) {
    for (const CaptionBox& other : taken)
        if (box.Overlaps(other))
            return false;
    return true;
}

std::vector<PlanKind> KindsOf(const Plan& plan) {
    std::vector<PlanKind> kinds;
    for (const PlanEntry& e : plan.Entries)
        kinds.push_back(e.Kind);
    return kinds;
}

// The window's plan: what the groups hold beneath the document's own entries, the files read
// once, and a group that cannot be expanded marked in place, without a message.
TEST(PlanScene, NestedFilesAreReadOnceUntilAGroupNameChanges) {
    ScratchFolder folder;
    folder.Write("Mast.fzlgrp", Xml + Entry("Object", "0;5;0", "10;0;0", "Lampe.fzlobj") +
                                    Entry("Object", "1;2;3", "0;30;0", "Schirm.fzlobj") +
                                    "\r\n</GRUPPENOBJECT>");
    folder.Write("Kaputt.fzlgrp", Xml + "<Object>");
    GroupDocument d;
    for (int i = 0; i < 2; ++i) {
        d.IObjects.push_back(std::make_unique<ObjectEntry>());
        d.IObjects.back()->Name = folder.File("Mast.fzlgrp");
        d.IObjects.back()->Position = {10.0 * i, 0, 0};
        d.IObjects.back()->Rotation = {30.0 * i, 0, 0};
    }
    d.Objects.push_back(std::make_unique<ObjectEntry>());
    ToldMessages told;
    PlanScene scene;
    BuildPlanScene(scene, d, u"Bahnhof.fzlgrp", u"");
    EXPECT_EQ(scene.FilesRead, 1u);
    EXPECT_EQ(KindsOf(scene.Drawn),
              (std::vector<PlanKind>{PlanObject, PlanObject, PlanObject, PlanObject, PlanObject,
                                     PlanGroup, PlanGroup}));
    EXPECT_EQ(scene.Drawn.Sources,
              (std::vector<std::u16string>{u"Bahnhof.fzlgrp", folder.File("Mast.fzlgrp")}));
    EXPECT_EQ(scene.Spots.size(), 7u);

    // Moved and turned, a group brings its entries where the export puts them, from the file
    // read before, also when only its own entries are made anew (as while it is dragged).
    d.IObjects[1]->Position = {-40, 1, 7};
    d.IObjects[1]->Rotation = {-75, 5, 0};
    folder.Write("Mast.fzlgrp", Xml + "\r\n</GRUPPENOBJECT>");
    PlanScene whole = {};
    whole.NestedFiles.swap(scene.NestedFiles);
    whole.GroupNames = scene.GroupNames;
    BuildPlanScene(whole, d, u"Bahnhof.fzlgrp", u"");
    whole.NestedFiles.swap(scene.NestedFiles);
    RebuildPlanEntry(scene, d, {EntryArray::IObjects, 1}, u"");
    EXPECT_EQ(scene.FilesRead + whole.FilesRead, 1u);
    EXPECT_EQ(scene.Drawn.Sources, whole.Drawn.Sources);
    Plan flattened;
    folder.Write("Mast.fzlgrp", Xml + Entry("Object", "0;5;0", "10;0;0", "Lampe.fzlobj") +
                                    Entry("Object", "1;2;3", "0;30;0", "Schirm.fzlobj") +
                                    "\r\n</GRUPPENOBJECT>");
    AddFlattenedGroups(flattened, d, u"", nullptr, nullptr, true);
    ASSERT_EQ(flattened.Entries.size(), 4u);
    // Group 1's entries come last after RebuildPlanEntry: its two flattened, then its square.
    const size_t rebuilt[] = {0, 1, 4, 5};
    for (size_t i = 0; i < 4; ++i) {
        for (const Plan* plan : {&whole.Drawn, &scene.Drawn}) {
            const PlanEntry& e = plan->Entries[plan == &whole.Drawn ? i : rebuilt[i]];
            EXPECT_EQ(e.Position.x, flattened.Entries[i].Position.x) << i;
            EXPECT_EQ(e.Position.z, flattened.Entries[i].Position.z) << i;
            EXPECT_EQ(e.Heading, flattened.Entries[i].Heading) << i;
            EXPECT_TRUE(BroughtBy(e, {EntryArray::IObjects, i / 2}));
        }
    }
    EXPECT_EQ(scene.Drawn.Entries[6].Kind, PlanGroup);
    EXPECT_TRUE(BroughtBy(scene.Drawn.Entries[6], {EntryArray::IObjects, 1}));

    // Another name: every file is read anew; the broken and the missing one are marked.
    d.IObjects[0]->Name = folder.File("Kaputt.fzlgrp");
    d.IObjects[1]->Name = folder.File("Fehlt.fzlgrp");
    BuildPlanScene(scene, d, u"Bahnhof.fzlgrp", u"");
    EXPECT_EQ(scene.FilesRead, 3u);
    EXPECT_EQ(KindsOf(scene.Drawn),
              (std::vector<PlanKind>{PlanObject, PlanUnloadable, PlanUnloadable}));
    EXPECT_EQ(ToldMessages::All, u"");
}

TEST(PlanDrag, MovesInXAndZAndTurnsTheYawInWholeDegrees) {
    const Vec3 moved = DraggedPosition({1, 2, 3}, 10, 10, 12.5, 7);
    EXPECT_EQ(moved.x, 3.5);
    EXPECT_EQ(moved.y, 2);
    EXPECT_EQ(moved.z, 0);
    struct Case {
        double Yaw, Heading, ToX, ToZ, Turned;
    } cases[] = {
        {0, 0, 1, 0, 90},                 // a quarter turn towards +x
        {0, 0, -1, 0, -90},               // and the other way
        {12.4, 0, 0, 1, 12},              // no turn: whole degrees
        {170, 170, -0.174, -0.985, -170}, // through 180
        {30, 210, 0, -1, 0},              // a heading that is not the yaw
        {5, 5, 0, 0, 5},                  // the cursor on the entry
        {0, 0, 0, -1, 180},
    };
    for (const Case& c : cases)
        EXPECT_EQ(TurnedYaw(c.Yaw, c.Heading, 0, 0, c.ToX, c.ToZ), c.Turned) << c.Yaw;
    EXPECT_EQ(TurnedYaw(5, 5, 100, 100, 101, 100), 90); // about the entry's own place
}

TEST(PlanRaster, MarksAndStrokesLandOnTheirPixelsAndStayInsideThePicture) {
    std::vector<uint32_t> pixels(12 * 10, 0);
    RasterSurface surface{pixels.data(), 12, 10};
    auto at = [&](int x, int y) { return pixels[size_t(y) * 12 + size_t(x)]; };
    const uint32_t blue = RasterColour("#1f5fa8");
    EXPECT_EQ(blue, 0x1f5fa8u);
    RasterMark(surface, PlanObject, 4, 4, 3, blue);
    EXPECT_EQ(at(4, 4), blue);
    EXPECT_EQ(at(7, 4), blue);
    EXPECT_EQ(at(7, 7), 0u); // a dot leaves its corners
    RasterMark(surface, PlanLabel, 9, 4, 2, blue);
    EXPECT_EQ(at(9, 4), 0xFFFFFFu); // a diamond is white inside its rim
    EXPECT_EQ(at(9, 2), blue);
    RasterStroke(surface, 0, 9, 3, 9, 1, blue);
    EXPECT_EQ(at(0, 9) & at(3, 9), blue);
    EXPECT_EQ(at(4, 9), 0u);
    // Partly or wholly outside: clipped, never written beyond the picture (the sanitizer
    // build would see it).
    for (PlanKind kind : {PlanObject, PlanGroup, PlanLabel, PlanUnloadable}) {
        RasterMark(surface, kind, -2, -2, 4, blue);
        RasterMark(surface, kind, 13, 11, 4, blue);
        RasterMark(surface, kind, 1000000, -1000000, 4, blue);
    }
    RasterStroke(surface, -5, -5, 20, 20, 3, blue);
    EXPECT_EQ(at(0, 0), blue);
}

TEST(PlanCaptions, TheIndexAnswersAsComparingEveryBoxTaken) {
    struct Layout {
        const char* What;
        double (*X)(int), (*Y)(int);
        size_t (*Characters)(int);
    } layouts[] = {
        {"a crowd on one spot", [](int) { return 300.0; }, [](int) { return 200.0; },
         [](int i) { return size_t(5 + i % 9); }},
        {"a dense grid", [](int i) { return 20.0 + (i % 40) * 9.5; },
         [](int i) { return 30.0 + (i / 40) * 6.25; }, [](int i) { return size_t(3 + i % 11); }},
        {"a diagonal in small steps", [](int i) { return 100 + i * 0.37; },
         [](int i) { return 500 - i * 0.61; }, [](int) { return size_t(12); }},
        {"scattered, long captions past the area", [](int i) { return double((i * 7919) % 1013); },
         [](int i) { return double((i * 104729) % 611); },
         [](int i) { return size_t(i % 5 == 0 ? 400 : 8); }},
        {"on cell edges", [](int i) { return 16.0 * (i % 30) - 8; },
         [](int i) { return 16.0 * (i / 30) + 3; }, [](int) { return size_t(1); }},
    };
    for (const Layout& layout : layouts) {
        const int count = 300;
        CaptionIndex index = MakeCaptionIndex(0, 0, 1000, 600);
        std::vector<CaptionBox> all;
        for (int i = 0; i < count; ++i) {
            const double x = layout.X(i), y = layout.Y(i);
            TakeCaptionBox(index, {x - 6, y - 6, x + 6, y + 6});
            all.push_back({x - 6, y - 6, x + 6, y + 6});
        }
        // Every place tried is free exactly when it overlaps none of the boxes taken.
        for (int i = 0; i < count; ++i) {
            const double x = layout.X(i), y = layout.Y(i);
            const auto candidates = CaptionCandidates(x, y, layout.Characters(i));
            const CaptionCandidate* chosen = nullptr;
            for (const CaptionCandidate& c : candidates) {
                const bool free = FreeOfAll(all, c.Box);
                ASSERT_EQ(CaptionBoxFree(index, c.Box), free) << layout.What << ", caption " << i;
                if (free && !chosen)
                    chosen = &c;
            }
            CaptionPlace got = PlaceCaption(index, x, y, layout.Characters(i));
            CaptionPlace want = chosen ? chosen->Place : candidates[0].Place;
            if (chosen)
                all.push_back(chosen->Box);
            ASSERT_EQ(got.X, want.X) << layout.What << ", caption " << i;
            ASSERT_EQ(got.Y, want.Y) << layout.What << ", caption " << i;
            ASSERT_EQ(got.AnchorEnd, want.AnchorEnd) << layout.What << ", caption " << i;
        }
    }
}

} // namespace
