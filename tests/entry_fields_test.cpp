// The one table of entry fields: each member has one row and one name, and every field comes
// back unchanged through load, info's JSON, import and save.
#include <gtest/gtest.h>

#include "cli/json.h"
#include "cli/json_document.h"
#include "document/entry_fields.h"
#include "document/loader.h"
#include "document/writer.h"
#include "tests/test_support.h"

namespace {

template <typename Entry> void ExpectEachMemberAndNameOnce() {
    const FieldTable<Entry>& table = FieldsOf<Entry>();
    for (const auto* a = table.begin(); a != table.end(); ++a) {
        for (const auto* b = a + 1; b != table.end(); ++b) {
            EXPECT_FALSE(a->Member == b->Member) << a->Name << " and " << b->Name;
            EXPECT_NE(a->Name, b->Name);
        }
    }
}

TEST(EntryFieldsTest, EachMemberHasOneRowAndItsOwnName) {
    ExpectEachMemberAndNameOnce<ObjectEntry>();
    ExpectEachMemberAndNameOnce<FontEntry>();
}

// Every attribute set, each value its own, in the exact form the writer gives.
const std::string EveryField =
    "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<GRUPPENOBJECT>\r\n<Props />"
    "\r\n<Object>\r\n<Props Rotation=\"1.000;2.000;3.000\" BlinkIntervall=\"4.000000\" "
    "ZoomFaktor=\"5.000000\" Position=\"6.000;7.000;8.000\" Name=\"C:\\o.fzlobj\" "
    "ShowOn=\"s\" DynamicVisibility=\"d\" FixedDynamicVisibility=\"TRUE\" HideOn=\"h\" "
    "Brightness=\"9\" GreaterAs=\"TRUE\" ShowIfBrightness=\"TRUE\" WeitSichtbar=\"TRUE\" "
    "/>\r\n</Object>"
    "\r\n<Font>\r\n<Props Rotation=\"1.000;2.000;3.000\" Position=\"4.000;5.000;6.000\" "
    "NormTopLeft=\"7.000;8.000;9.000\" NormTopRight=\"10.000;11.000;12.000\" "
    "NormBottomLeft=\"13.000;14.000;15.000\" NormBottomRight=\"16.000;17.000;18.000\" "
    "Leuchtend=\"TRUE\" Vertikal=\"TRUE\" Fonthoehe=\"19.000\" Color=\"20\" AlignHorz=\"21\" "
    "AlignVert=\"22\" BlinkIntervall=\"23.000000\" Name=\"C:\\f.fzlobj\" DefaultText=\"t\" "
    "DynamicVisibility=\"e\" FixedDynamicVisibility=\"TRUE\" GroupProperty=\"g\" "
    "/>\r\n</Font>"
    "\r\n</GRUPPENOBJECT>";

std::string Saved(GroupDocument& document) {
    OutputSink sink;
    FormatGroupDocument(&document, sink);
    return sink.Buffer;
}

TEST(EntryFieldsTest, EveryFieldComesBackThroughLoadJsonImportAndSave) {
    std::string bytes = EveryField;
    GroupDocument loaded;
    ASSERT_EQ(LoadGroupDocumentFromBytes(bytes, u"C:\\a.fzlgrp", &loaded), LoadOk);
    EXPECT_EQ(Saved(loaded), EveryField);

    JsonOutput json;
    WriteDocumentJson(json, LoadOk, 1, loaded);
    JsonDocument imported;
    std::u16string problem;
    ASSERT_TRUE(ReadJsonDocument(json.Buffer, imported, problem)) << U8(problem);
    EXPECT_EQ(Saved(imported.Document), EveryField);
}

TEST(EntryFieldsTest, LastAttributeWinsWhateverItsLetterCase) {
    std::string bytes = "<GRUPPENOBJECT><Object><Props ZoomFaktor=\"1\" ZOOMFAKTOR=\"2\" "
                        "zoomfaktor=\"3\" zoomFaktorX=\"4\"/></Object></GRUPPENOBJECT>";
    GroupDocument loaded;
    ASSERT_EQ(LoadGroupDocumentFromBytes(bytes, u"C:\\a.fzlgrp", &loaded), LoadOk);
    ASSERT_EQ(loaded.Objects.size(), 1u);
    EXPECT_EQ(loaded.Objects[0]->ZoomFaktor, 3);
}

} // namespace
