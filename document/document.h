// The in-memory group document: a header and three arrays of placed entries.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

using Text = std::u16string;
// A text field that a file may leave out: nullopt is "no such attribute".
using OptText = std::optional<std::u16string>;

struct Vec3 {
    double x = 0;
    double y = 0;
    double z = 0;
};

struct ObjectEntry {
    Vec3 Rotation;
    double BlinkIntervall = 0;
    double ZoomFaktor = 0;
    OptText Name;
    Vec3 Position;
    OptText ShowOn;
    OptText HideOn;
    int32_t ShowIfBrightness = 0;
    int32_t Brightness = 0;
    int32_t GreaterAs = 0;
    int32_t WeitSichtbar = 0;
    OptText DynamicVisibility;
    int32_t FixedDynamicVisibility = 0;
};

struct FontEntry {
    OptText Name;
    Vec3 Position;
    Vec3 Rotation;
    Vec3 NormBottomLeft;
    Vec3 NormTopLeft;
    Vec3 NormBottomRight;
    Vec3 NormTopRight;
    double BlinkIntervall = 0;
    int32_t Leuchtend = 0;
    int16_t AlignHorz = 0;
    int16_t AlignVert = 0;
    double Fonthoehe = 0;
    int32_t Color = 0;
    OptText DefaultText;
    OptText GroupProperty;
    int32_t Vertikal = 0;
    OptText DynamicVisibility;
    int32_t FixedDynamicVisibility = 0;
};

// Entries are held by pointer so that an entry keeps its address while the arrays grow:
// the property panel edits the selected entry in place.
using ObjectList = std::vector<std::unique_ptr<ObjectEntry>>;
using FontList = std::vector<std::unique_ptr<FontEntry>>;

struct GroupDocument {
    // The root Props attributes as ready attribute text, `name="value" ` each. Values are
    // held with the characters that would break the file already written as character
    // references (see EscapeAttributeValue), so the text is written out unchanged.
    OptText HeaderText;
    ObjectList Objects;
    ObjectList IObjects;
    FontList Fonts;
};

// Encoding switch of the writers: nonzero writes UTF-8, zero ISO-8859-1.
extern int WriteUtf8;
// Left by the last save: nonzero when a character had no ISO-8859-1 form.
extern int UnicodeLost;
// While set (during an export) the loader completes relative names against the folder of
// the file being read instead of the current directory.
extern bool ResolveAgainstFileFolder;

extern const char16_t* const NewDocumentHeader; // FileInfo="Bearbeitet mit Zellora"

void FreeObjectEntry(std::unique_ptr<ObjectEntry>& entry);
void FreeFontEntry(std::unique_ptr<FontEntry>& entry);
void FreeGroupDocument(GroupDocument* document);

bool CopyObjectEntry(const ObjectEntry* source, ObjectEntry* target);
bool CopyFontEntry(const FontEntry* source, FontEntry* target);
// Makes target a deep copy of source. False when an entry cannot be copied (a missing one,
// or memory ran out): target is then empty.
bool CopyGroupDocument(const GroupDocument& source, GroupDocument& target);

// A font made by the loader starts with these corners and blink interval.
FontEntry NewLoadedFontEntry();

size_t EntryCount(const GroupDocument& document);

// Where a line of the editor's entry list leads: the list shows the IObjects, then the
// Objects, then the Fonts.
enum class EntryArray { None, IObjects, Objects, Fonts };
struct ListLine {
    EntryArray Array = EntryArray::None; // None for a line that shows no entry
    size_t Index = 0;                    // in that array
};
ListLine EntryAtLine(const GroupDocument& document, int64_t line);
