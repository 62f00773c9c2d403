#include "bench/anchors.h"

#include <cstdio>

#include <expat.h>

#include "base/text.h"
#include "platform/platform.h"

namespace {

void XMLCALL Start(void*, const XML_Char*, const XML_Char**) {}
void XMLCALL End(void*, const XML_Char*) {}

std::string Utf8(const OptText& text) {
    return text ? Utf16ToUtf8(*text) : std::string();
}

} // namespace

bool BareExpatParse(const std::u16string& path) {
    std::string bytes;
    if (ReadWholeFile(path, bytes) != ReadOk)
        return false;
    XML_Parser parser = XML_ParserCreate(nullptr);
    XML_SetElementHandler(parser, Start, End);
    bool ok = XML_Parse(parser, bytes.data(), int(bytes.size()), XML_TRUE) == XML_STATUS_OK;
    XML_ParserFree(parser);
    return ok;
}

BareWriterInput PrepareBareWriter(const GroupDocument& document) {
    BareWriterInput input;
    input.Header = Utf8(document.HeaderText);
    auto entry = [](const ObjectEntry& e) {
        return BareWriterInput::Entry{e.Rotation,
                                      e.Position,
                                      e.BlinkIntervall,
                                      e.ZoomFaktor,
                                      Utf8(e.Name),
                                      Utf8(e.ShowOn),
                                      Utf8(e.HideOn),
                                      Utf8(e.DynamicVisibility),
                                      e.Brightness,
                                      e.GreaterAs,
                                      e.ShowIfBrightness,
                                      e.WeitSichtbar,
                                      e.FixedDynamicVisibility};
    };
    for (const auto& e : document.Objects)
        input.Objects.push_back(entry(*e));
    for (const auto& e : document.IObjects)
        input.IObjects.push_back(entry(*e));
    for (const auto& f : document.Fonts)
        input.Fonts.push_back({f->Rotation, f->Position, f->NormTopLeft, f->NormTopRight,
                               f->NormBottomLeft, f->NormBottomRight, f->Fonthoehe,
                               f->BlinkIntervall, f->Leuchtend, f->Color, f->AlignHorz,
                               f->AlignVert, Utf8(f->Name), Utf8(f->DefaultText),
                               Utf8(f->GroupProperty), Utf8(f->DynamicVisibility)});
    return input;
}

bool BareSnprintfSave(const std::u16string& path, const BareWriterInput& input) {
    std::string buffer;
    buffer.reserve(input.Objects.size() * 400);
    char piece[4096];
    int n = snprintf(piece, sizeof piece,
                     "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<GRUPPENOBJECT>\r\n"
                     "<Props %s/>",
                     input.Header.c_str());
    buffer.append(piece, size_t(n));
    auto entries = [&](const std::vector<BareWriterInput::Entry>& list, const char* element) {
        for (const auto& e : list) {
            n = snprintf(piece, sizeof piece,
                         "\r\n<%s>\r\n<Props Rotation=\"%.3f;%.3f;%.3f\" BlinkIntervall=\"%f\" "
                         "ZoomFaktor=\"%f\" Position=\"%.3f;%.3f;%.3f\" Name=\"%s\" ",
                         element, e.Rotation.x, e.Rotation.y, e.Rotation.z, e.BlinkIntervall,
                         e.ZoomFaktor, e.Position.x, e.Position.y, e.Position.z, e.Name.c_str());
            buffer.append(piece, size_t(n));
            if (!e.ShowOn.empty()) {
                n = snprintf(piece, sizeof piece, "ShowOn=\"%s\" ", e.ShowOn.c_str());
                buffer.append(piece, size_t(n));
            }
            if (!e.DynamicVisibility.empty()) {
                n = snprintf(piece, sizeof piece,
                             "DynamicVisibility=\"%s\" FixedDynamicVisibility=\"%s\" ",
                             e.DynamicVisibility.c_str(), e.Fixed ? "TRUE" : "FALSE");
                buffer.append(piece, size_t(n));
            }
            if (!e.HideOn.empty()) {
                n = snprintf(piece, sizeof piece, "HideOn=\"%s\" ", e.HideOn.c_str());
                buffer.append(piece, size_t(n));
            }
            if (e.ShowIfBrightness == 1) {
                n = snprintf(piece, sizeof piece,
                             "Brightness=\"%d\" GreaterAs=\"%s\" ShowIfBrightness=\"TRUE\" ",
                             e.Brightness, e.GreaterAs == 1 ? "TRUE" : "FALSE");
                buffer.append(piece, size_t(n));
            }
            if (e.WeitSichtbar == 1)
                buffer += "WeitSichtbar=\"TRUE\" ";
            n = snprintf(piece, sizeof piece, "/>\r\n</%s>", element);
            buffer.append(piece, size_t(n));
        }
    };
    entries(input.Objects, "Object");
    entries(input.IObjects, "IObject");
    for (const auto& f : input.Fonts) {
        n = snprintf(piece, sizeof piece,
                     "\r\n<Font>\r\n<Props Rotation=\"%.3f;%.3f;%.3f\" Position=\"%.3f;%.3f;%.3f\" "
                     "NormTopLeft=\"%.3f;%.3f;%.3f\" NormTopRight=\"%.3f;%.3f;%.3f\" "
                     "NormBottomLeft=\"%.3f;%.3f;%.3f\" NormBottomRight=\"%.3f;%.3f;%.3f\" "
                     "Leuchtend=\"%s\" Fonthoehe=\"%.3f\" Color=\"%d\" AlignHorz=\"%d\" "
                     "AlignVert=\"%d\" BlinkIntervall=\"%f\" Name=\"%s\" DefaultText=\"%s\" ",
                     f.Rotation.x, f.Rotation.y, f.Rotation.z, f.Position.x, f.Position.y,
                     f.Position.z, f.TopLeft.x, f.TopLeft.y, f.TopLeft.z, f.TopRight.x,
                     f.TopRight.y, f.TopRight.z, f.BottomLeft.x, f.BottomLeft.y, f.BottomLeft.z,
                     f.BottomRight.x, f.BottomRight.y, f.BottomRight.z,
                     f.Leuchtend == 1 ? "TRUE" : "FALSE", f.Fonthoehe, f.Color, f.AlignHorz,
                     f.AlignVert, f.BlinkIntervall, f.Name.c_str(), f.DefaultText.c_str());
        buffer.append(piece, size_t(n));
        if (!f.DynamicVisibility.empty()) {
            n = snprintf(piece, sizeof piece,
                         "DynamicVisibility=\"%s\" FixedDynamicVisibility=\"FALSE\" ",
                         f.DynamicVisibility.c_str());
            buffer.append(piece, size_t(n));
        }
        n = snprintf(piece, sizeof piece, "GroupProperty=\"%s\" />\r\n</Font>",
                     f.GroupProperty.c_str());
        buffer.append(piece, size_t(n));
    }
    buffer += "\r\n</GRUPPENOBJECT>";
    OutputFile file;
    if (!CreateOutputFile(path, file))
        return false;
    if (!WriteOutputFile(file, buffer.data(), buffer.size())) {
        DiscardOutputFile(file);
        return false;
    }
    return CommitOutputFile(file);
}
