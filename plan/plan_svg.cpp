#include "plan/plan_svg.h"

#include <algorithm>
#include <cmath>

#include "base/text.h"
#include "document/numbers.h"
#include "plan/plan_captions.h"
#include "plan/plan_view.h"
#include "platform/platform.h"

namespace {

constexpr double PlotWidth = 1100; // pixels for the entries' extent, at most
constexpr double PlotHeight = 640;
constexpr double Margin = 56;
constexpr double TitleHeight = 44;
constexpr double FooterHeight = 56;
constexpr double LegendWidth = 300;
constexpr double StrokeLength = 16; // pixels of the heading stroke

const char* const KindColours[] = {"#1f5fa8", "#b8322a", "#2b7a3d", "#b8322a"};
const char* const SourceColours[] = {"#1f5fa8", "#d0601a", "#2b8a3e", "#b8322a", "#7048a8",
                                     "#8c5a2b", "#c2458c", "#5b6770", "#8a8a00", "#139aa8"};

std::string Xml(const std::u16string& text) {
    std::string out;
    for (char c : Utf16ToUtf8(text)) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        default:
            // Characters an XML file cannot hold are left out.
            if (static_cast<unsigned char>(c) >= 0x20 || c == '\t' || c == '\n')
                out += c;
        }
    }
    return out;
}

std::string Px(double value) {
    return FormatFixed(std::abs(value) < 0.05 ? 0.0 : value, 1);
}

std::string Metres(double value) {
    std::string text = FormatFixed(value, value == std::floor(value) ? 0 : 1);
    return text == "-0" ? "0" : text;
}

std::string Short(double value) {
    std::string text = FormatFixed(value, 3);
    text.erase(text.find_last_not_of('0') + 1);
    if (text.back() == '.')
        text.pop_back();
    return text == "-0" ? "0" : text;
}

void Grid(std::string& svg, const PlanView& v, double step) {
    svg += "<g class=\"grid\" stroke=\"#d9dde2\" stroke-width=\"1\">\n";
    std::string labels;
    // Counted, not summed: far from the origin, adding a step may not change the sum.
    const double firstX = std::ceil(v.MinX / step);
    const int linesX = int(std::floor(v.MaxX / step) - firstX);
    for (int i = 0; i <= linesX; ++i) {
        double x = (firstX + i) * step;
        svg += "<line x1=\"" + Px(v.X(x)) + "\" y1=\"" + Px(v.Top) + "\" x2=\"" + Px(v.X(x)) +
               "\" y2=\"" + Px(v.Top + v.Height()) + "\"/>\n";
        labels += "<text x=\"" + Px(v.X(x)) + "\" y=\"" + Px(v.Top + v.Height() + 14) +
                  "\" text-anchor=\"middle\">" + Metres(x) + "</text>\n";
    }
    const double firstZ = std::ceil(v.MinZ / step);
    const int linesZ = int(std::floor(v.MaxZ / step) - firstZ);
    for (int i = 0; i <= linesZ; ++i) {
        double z = (firstZ + i) * step;
        svg += "<line x1=\"" + Px(v.Left) + "\" y1=\"" + Px(v.Y(z)) + "\" x2=\"" +
               Px(v.Left + v.Width()) + "\" y2=\"" + Px(v.Y(z)) + "\"/>\n";
        labels += "<text x=\"" + Px(v.Left - 6) + "\" y=\"" + Px(v.Y(z) + 4) +
                  "\" text-anchor=\"end\">" + Metres(z) + "</text>\n";
    }
    svg += "</g>\n<g class=\"axes\" font-size=\"11\" fill=\"#6b7580\">\n" + labels;
    svg += "<text x=\"" + Px(v.Left + v.Width()) + "\" y=\"" + Px(v.Top + v.Height() + 30) +
           "\" text-anchor=\"end\">x [m] \u2192</text>\n";
    svg += "<text x=\"" + Px(v.Left - 6) + "\" y=\"" + Px(v.Top - 8) +
           "\" text-anchor=\"end\">z [m] \u2191</text>\n</g>\n";
    svg += "<rect x=\"" + Px(v.Left) + "\" y=\"" + Px(v.Top) + "\" width=\"" + Px(v.Width()) +
           "\" height=\"" + Px(v.Height()) + "\" fill=\"none\" stroke=\"#9aa3ad\"/>\n";
}

void ScaleBar(std::string& svg, const PlanView& v, double step) {
    double y = v.Top + v.Height() + 44;
    double x = v.Left;
    double length = step * v.Scale;
    svg += "<g class=\"scale\" stroke=\"#222\" stroke-width=\"2\">\n";
    svg += "<line x1=\"" + Px(x) + "\" y1=\"" + Px(y) + "\" x2=\"" + Px(x + length) + "\" y2=\"" +
           Px(y) + "\"/>\n";
    for (double end : {x, x + length})
        svg += "<line x1=\"" + Px(end) + "\" y1=\"" + Px(y - 5) + "\" x2=\"" + Px(end) +
               "\" y2=\"" + Px(y + 5) + "\"/>\n";
    svg += "<text x=\"" + Px(x + length + 8) + "\" y=\"" + Px(y + 4) +
           "\" stroke=\"none\" font-size=\"12\">" + Metres(step) + " m</text>\n</g>\n";
}

void Entry(std::string& svg, const Plan& plan, const PlanView& v, const PlanEntry& e,
           CaptionIndex& captions) {
    double x = v.X(e.Position.x);
    double y = v.Y(e.Position.z);
    const char* colour = PlanEntryColour(plan, e);
    std::u16string shown = !e.Name.empty() ? e.Name : u"\u201E" + e.Caption + u"\u201C";
    svg += "<g class=\"entry\"><title>" + Xml(shown) + " (" + Short(e.Position.x) + "; " +
           Short(e.Position.y) + "; " + Short(e.Position.z) + ")</title>";
    // A heading beyond what the rotation library can turn shows no stroke.
    if (std::isfinite(e.Heading)) {
        double radians = e.Heading * Pi / 180;
        svg += "<line x1=\"" + Px(x) + "\" y1=\"" + Px(y) + "\" x2=\"" +
               Px(x + std::sin(radians) * StrokeLength) + "\" y2=\"" +
               Px(y - std::cos(radians) * StrokeLength) + "\" stroke=\"" + colour +
               "\" stroke-width=\"2\"/>";
    }
    switch (e.Kind) {
    case PlanObject:
        svg +=
            "<circle cx=\"" + Px(x) + "\" cy=\"" + Px(y) + "\" r=\"4.5\" fill=\"" + colour + "\"/>";
        break;
    case PlanGroup:
        svg += "<rect x=\"" + Px(x - 5) + "\" y=\"" + Px(y - 5) +
               "\" width=\"10\" height=\"10\" fill=\"" + colour + "\"/>";
        break;
    case PlanLabel:
        svg += "<path d=\"M" + Px(x) + " " + Px(y - 5) + "L" + Px(x + 5) + " " + Px(y) + "L" +
               Px(x) + " " + Px(y + 5) + "L" + Px(x - 5) + " " + Px(y) +
               "Z\" fill=\"white\" "
               "stroke=\"" +
               colour + "\" stroke-width=\"1.5\"/>";
        break;
    case PlanUnloadable: // a crossed square: the group's file could not be read
        svg += "<rect x=\"" + Px(x - 5) + "\" y=\"" + Px(y - 5) +
               "\" width=\"10\" height=\"10\" fill=\"white\" stroke=\"" + colour +
               "\" stroke-width=\"1.5\"/><path d=\"M" + Px(x - 5) + " " + Px(y - 5) + "L" +
               Px(x + 5) + " " + Px(y + 5) + "M" + Px(x + 5) + " " + Px(y - 5) + "L" + Px(x - 5) +
               " " + Px(y + 5) + "\" stroke=\"" + colour + "\" stroke-width=\"1.5\"/>";
        break;
    }
    if (!e.Caption.empty()) {
        CaptionPlace place = PlaceCaption(captions, x, y, CaptionCharacters(e.Caption));
        svg += "<text x=\"" + Px(place.X) + "\" y=\"" + Px(place.Y) + "\" fill=\"" + colour +
               "\" stroke=\"white\" stroke-width=\"3\" stroke-linejoin=\"round\"" +
               (place.AnchorEnd ? " text-anchor=\"end\"" : "") +
               (e.Kind == PlanLabel ? " font-style=\"italic\"" : "") + ">" + Xml(e.Caption) +
               "</text>";
    }
    svg += "</g>\n";
}

void Legend(std::string& svg, const Plan& plan, const PlanView& v) {
    double x = v.Left + v.Width() + 40;
    double y = v.Top + 4;
    svg += "<g class=\"legend\" font-size=\"12\">\n<text x=\"" + Px(x) + "\" y=\"" + Px(y) +
           "\" font-weight=\"bold\">Gruppendateien</text>\n";
    for (size_t i = 0; i < plan.Sources.size(); ++i) {
        y += 22;
        const char* colour = SourceColours[i % (sizeof SourceColours / sizeof *SourceColours)];
        svg += "<rect x=\"" + Px(x) + "\" y=\"" + Px(y - 10) +
               "\" width=\"12\" height=\"12\" "
               "fill=\"" +
               std::string(colour) + "\"/><text x=\"" + Px(x + 20) + "\" y=\"" + Px(y) + "\">" +
               Xml(plan.Sources[i]) + "</text>\n";
    }
    svg += "</g>\n";
}

void KindKey(std::string& svg, const PlanView& v) {
    double y = v.Top + v.Height() + 44;
    double x = v.Left + v.Width();
    svg += "<g class=\"key\" font-size=\"12\" fill=\"#333\" text-anchor=\"end\">\n"
           "<text x=\"" +
           Px(x) + "\" y=\"" + Px(y + 4) +
           "\">\u25CF Objekt   \u25A0 Gruppe   "
           "\u25C7 Beschriftung   \u2014 Blickrichtung</text>\n</g>\n";
}

} // namespace

const char* PlanEntryColour(const Plan& plan, const PlanEntry& e) {
    if (plan.Sources.size() > 1)
        return SourceColours[e.Source % (sizeof SourceColours / sizeof *SourceColours)];
    return KindColours[e.Kind];
}

std::u16string UndrawnNote(const Plan& plan) {
    size_t count = 0;
    for (const PlanEntry& e : plan.Entries)
        count += PlanDrawable(e) ? 0 : 1;
    if (count == 0)
        return u"";
    return Utf8ToUtf16(std::to_string(count)) +
           (count == 1 ? u" Eintrag ohne gültige Lage ist nicht gezeichnet"
                       : u" Einträge ohne gültige Lage sind nicht gezeichnet");
}

std::string PlanSvg(const Plan& plan) {
    PlanView v = FitPlanView(plan, PlotWidth, PlotHeight, Margin, Margin + TitleHeight);
    double step = PlanGridStep(60 / v.Scale); // grid lines at least 60 pixels apart
    bool legend = plan.Sources.size() > 1;
    double width = v.Left + v.Width() + Margin + (legend ? LegendWidth : 0);
    double height = v.Top + v.Height() + FooterHeight + 16;
    std::string svg = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    svg += "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + Px(width) + "\" height=\"" +
           Px(height) + "\" viewBox=\"0 0 " + Px(width) + " " + Px(height) +
           "\" font-family=\"DejaVu Sans, Arial, sans-serif\" font-size=\"11\">\n";
    svg += "<title>" + Xml(plan.Title) + "</title>\n";
    svg += "<rect width=\"100%\" height=\"100%\" fill=\"white\"/>\n";
    svg += "<text x=\"" + Px(v.Left) + "\" y=\"" + Px(Margin + 8) +
           "\" font-size=\"18\" font-weight=\"bold\">" + Xml(plan.Title) + "</text>\n";
    Grid(svg, v, step);
    svg += "<g class=\"entries\" paint-order=\"stroke\">\n";
    // Captions keep clear of every mark, not only of the marks drawn before them.
    CaptionIndex captions = MakeCaptionIndex(0, 0, width, height);
    for (const PlanEntry& e : plan.Entries) {
        if (!PlanDrawable(e))
            continue;
        double x = v.X(e.Position.x);
        double y = v.Y(e.Position.z);
        TakeCaptionBox(captions, {x - 6, y - 6, x + 6, y + 6});
    }
    for (const PlanEntry& e : plan.Entries)
        if (PlanDrawable(e))
            Entry(svg, plan, v, e, captions);
    svg += "</g>\n";
    ScaleBar(svg, v, step);
    KindKey(svg, v);
    std::u16string note = UndrawnNote(plan);
    if (!note.empty())
        svg += "<text class=\"note\" x=\"" + Px(v.Left) + "\" y=\"" + Px(v.Top + v.Height() + 66) +
               "\" font-size=\"12\" fill=\"#b8322a\">" + Xml(note) + "</text>\n";
    if (legend)
        Legend(svg, plan, v);
    svg += "</svg>\n";
    return svg;
}

bool WritePlanSvg(const std::u16string& path, const Plan& plan) {
    const std::string svg = PlanSvg(plan);
    OutputFile file;
    if (CreateOutputFile(path, file) && WriteOutputFile(file, svg.data(), svg.size()))
        return CommitOutputFile(file);
    DiscardOutputFile(file);
    return false;
}
