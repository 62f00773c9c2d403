#include "bench/generate.h"

#include <cstdio>
#include <cstdlib>
#include <random>

#include "base/text.h"
#include "document/writer.h"
#include "paths/path_utils.h"

namespace {

const char16_t* const Formulas[] = {u"Hp1 && !Vr2", u"Nebel || Regen", u"Zs1 && Uhrzeit > 18",
                                    u"Winter"};
const char16_t* const Objects[] = {u"\\Objekte\\Gebäude\\Stellwerk", u"\\Objekte\\Bäume\\Linde",
                                   u"Lampen\\Bahnsteiglampe", u"Signale\\Hauptsignal",
                                   u"\\Objekte\\Zäune\\Holzzaun"};

std::u16string Number(size_t n) {
    return AsciiToUtf16(std::to_string(n).c_str());
}

std::unique_ptr<ObjectEntry> MakeObject(std::mt19937& random, size_t i) {
    std::uniform_real_distribution<double> coordinate(-500, 500);
    std::uniform_int_distribution<int> angle(0, 359);
    auto e = std::make_unique<ObjectEntry>();
    e->Position = {coordinate(random), coordinate(random) / 50, coordinate(random)};
    e->Rotation = {double(angle(random)), 0, i % 5 == 0 ? 2.5 : 0};
    e->ZoomFaktor = 1;
    e->Name = std::u16string(Objects[i % 5]) + u"_" + Number(i % 97) + u".fzlobj";
    if (i % 10 == 3) {
        e->ShowOn = Formulas[i % 4];
        e->HideOn = u"Sperrfahrt";
    }
    if (i % 10 == 7)
        e->DynamicVisibility = Formulas[(i / 10) % 4];
    if (i % 7 == 0) {
        e->ShowIfBrightness = 1;
        e->Brightness = int32_t(i % 200);
        e->GreaterAs = int32_t(i % 2);
    }
    e->WeitSichtbar = i % 13 == 0;
    return e;
}

std::unique_ptr<FontEntry> MakeFont(std::mt19937& random, size_t i) {
    std::uniform_real_distribution<double> coordinate(-500, 500);
    auto f = std::make_unique<FontEntry>(NewLoadedFontEntry());
    f->Position = {coordinate(random), 2.5, coordinate(random)};
    f->NormTopRight = {1.5, 0.4, 0};
    f->Fonthoehe = 0.3;
    f->Color = 16777215;
    f->Name = u"";
    f->DefaultText = u"Gleis " + Number(i % 12) + u" – Süd";
    f->GroupProperty = u"Gleisnummer";
    if (i % 10 == 5)
        f->DynamicVisibility = u"Nacht";
    return f;
}

// Thousands of files are written here: without the flush of a real save, which would
// make setting up the data take longer than measuring it.
void Save(const std::u16string& path, GroupDocument& document) {
    OutputSink sink;
    sink.Settings = SaveSettingsFor(path, true, std::u16string());
    FormatGroupDocument(&document, sink);
    std::string native = Utf16ToUtf8(path.substr(2)); // Z:\... with the exact letter case
    for (char& c : native)
        if (c == '\\')
            c = '/';
    FILE* file = fopen(native.c_str(), "wb");
    if (file) {
        fwrite(sink.Buffer.data(), 1, sink.Buffer.size(), file);
        fclose(file);
    }
}

GroupDocument LevelDocument(size_t objects, unsigned seed) {
    return MakeObjectsDocument(objects, 0, 0, seed);
}

std::unique_ptr<ObjectEntry> GroupEntry(const std::u16string& name, size_t i) {
    auto g = std::make_unique<ObjectEntry>();
    g->Name = name;
    g->Position = {double(i % 10) * 25, 0, double(i / 10) * 25};
    g->Rotation = {double((i * 37) % 360), 0, 0};
    g->ZoomFaktor = 1;
    return g;
}

Vec3 Sum(const Vec3& a, const Vec3& b) {
    return {a.x + b.x, a.y + b.y, a.z + b.z};
}

Vec3 Difference(const Vec3& a, const Vec3& b) {
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}

// What the tree's files hold, each from a seed of its own.
GroupDocument TopDocument() {
    return LevelDocument(10, 7);
}

GroupDocument MiddleDocument(size_t branch) {
    return LevelDocument(10, unsigned(branch));
}

GroupDocument LeafDocument(size_t branch, size_t leaf, size_t objects) {
    return LevelDocument(objects, unsigned(branch * 1000 + leaf));
}

// The tree's nested file number k (from 1) in the order of the walk, a middle file followed
// by its leaves, and where it lands in the top file's frame.
struct PlacedFile {
    GroupDocument Document;
    Vec3 Position, Rotation;
};

PlacedFile NestedTreeFile(size_t k, size_t leaves, size_t objectsPerLeaf) {
    size_t branch = (k - 1) / (leaves + 1), leaf = (k - 1) % (leaves + 1);
    auto middlePlace = GroupEntry(u"", branch);
    if (leaf == 0)
        return {MiddleDocument(branch), middlePlace->Position, middlePlace->Rotation};
    auto leafPlace = GroupEntry(u"", leaf - 1);
    return {LeafDocument(branch, leaf - 1, objectsPerLeaf),
            Sum(middlePlace->Position, leafPlace->Position),
            Sum(middlePlace->Rotation, leafPlace->Rotation)};
}

} // namespace

GroupDocument MakeObjectsDocument(size_t objects, size_t fonts, size_t iobjects, unsigned seed) {
    std::mt19937 random(seed);
    GroupDocument d;
    d.HeaderText = u"FileInfo=\"Bahnhof Süd/nBearbeitet mit Zellora\" ";
    d.Objects.reserve(objects);
    for (size_t i = 0; i < objects; ++i)
        d.Objects.push_back(MakeObject(random, i));
    for (size_t i = 0; i < fonts; ++i)
        d.Fonts.push_back(MakeFont(random, i));
    for (size_t i = 0; i < iobjects; ++i)
        d.IObjects.push_back(GroupEntry(u"\\Gruppen\\Gruppe_" + Number(i) + u".fzlgrp", i));
    return d;
}

std::u16string WriteGroupTree(const std::u16string& folder, size_t branches, size_t leaves,
                              size_t objectsPerLeaf) {
    GroupDocument top = TopDocument();
    for (size_t b = 0; b < branches; ++b) {
        std::u16string middleName = u"Mitte_" + Number(b) + u".fzlgrp";
        GroupDocument middle = MiddleDocument(b);
        for (size_t l = 0; l < leaves; ++l) {
            std::u16string leafName = u"Blatt_" + Number(b) + u"_" + Number(l) + u".fzlgrp";
            GroupDocument leaf = LeafDocument(b, l, objectsPerLeaf);
            Save(folder + leafName, leaf);
            middle.IObjects.push_back(GroupEntry(leafName, l)); // relative to the middle file
        }
        Save(folder + middleName, middle);
        top.IObjects.push_back(GroupEntry(folder + middleName, b));
    }
    std::u16string topPath = folder + u"Oben.fzlgrp";
    Save(topPath, top);
    return topPath;
}

std::u16string WriteGroupChain(const std::u16string& folder, size_t length, size_t leaves,
                               size_t objectsPerLeaf) {
    PlacedFile level{TopDocument(), {}, {}};
    for (size_t k = 0; k < length; ++k) {
        PlacedFile next;
        if (k + 1 < length) {
            next = NestedTreeFile(k + 1, leaves, objectsPerLeaf);
            // A nested group's place adds up along the chain, unturned.
            auto entry = GroupEntry(u"Kette_" + Number(k + 1) + u".fzlgrp", 0);
            entry->Position = Difference(next.Position, level.Position);
            entry->Rotation = Difference(next.Rotation, level.Rotation);
            level.Document.IObjects.push_back(std::move(entry));
        }
        Save(folder + u"Kette_" + Number(k) + u".fzlgrp", level.Document);
        level = std::move(next);
    }
    return folder + u"Kette_0.fzlgrp";
}

void WriteObjectFiles(const std::u16string& folder) {
    for (const char16_t* stem : Objects) {
        std::u16string relative = stem[0] == u'\\' ? stem + 1 : stem;
        std::string native = Utf16ToUtf8(folder.substr(2) + relative);
        for (char& c : native)
            if (c == '\\')
                c = '/';
        std::string command = "mkdir -p '" + native.substr(0, native.rfind('/')) + "'";
        if (system(command.c_str()) != 0)
            abort();
        for (size_t n = 0; n < 97; ++n) {
            std::string name = native + "_" + std::to_string(n) + ".fzlobj";
            if (FILE* file = fopen(name.c_str(), "wb")) {
                fputs("<Objekt><Point/><Point/></Objekt>\r\n", file);
                fclose(file);
            }
        }
    }
}

LoadResult LoadAsEditor(const std::u16string& path, GroupDocument& document) {
    std::u16string working = path;
    ResolveAgainstFileFolder = true;
    LoadResult result = LoadGroupDocument(working, &document);
    ResolveAgainstFileFolder = false;
    return result;
}
