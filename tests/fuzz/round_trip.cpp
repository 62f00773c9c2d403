#include "tests/fuzz/round_trip.h"

#include "document/loader.h"
#include "document/writer.h"
#include "paths/path_utils.h"

namespace {

const std::u16string FileName = u"Z:\\fuzz\\a.fzlgrp";

struct Counts {
    size_t Objects, IObjects, Fonts;
    bool operator==(const Counts& o) const {
        return Objects == o.Objects && IObjects == o.IObjects && Fonts == o.Fonts;
    }
};

Counts CountsOf(const GroupDocument& d) {
    return {d.Objects.size(), d.IObjects.size(), d.Fonts.size()};
}

// In the encoding the last load found, as the editor saves.
std::string Save(GroupDocument& document) {
    OutputSink sink; // in memory: no file, no flush
    sink.Settings.Utf8 = WriteUtf8 != 0;
    FormatGroupDocument(&document, sink);
    return sink.Buffer;
}

} // namespace

std::string CheckLoadSaveRoundTrip(const std::string& input) {
    SimulatorRoot.clear();
    DocumentFolder.clear();
    std::string bytes = input;
    GroupDocument first;
    if (LoadGroupDocumentFromBytes(bytes, FileName, &first) != LoadOk)
        return "";
    Counts counts = CountsOf(first);
    std::string saves[3];
    saves[0] = Save(first);
    for (int i = 1; i < 3; ++i) {
        std::string again = saves[i - 1];
        GroupDocument reloaded;
        if (LoadGroupDocumentFromBytes(again, FileName, &reloaded) != LoadOk)
            return "save " + std::to_string(i) + " does not load";
        if (!(CountsOf(reloaded) == counts))
            return "save " + std::to_string(i) + " loads other entry counts";
        saves[i] = Save(reloaded);
    }
    if (saves[1] != saves[2])
        return "the second and third save differ";
    return "";
}
