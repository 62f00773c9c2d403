#include "document/entry_fields.h"

#include <iterator>

namespace {

using K = FieldKind;
using O = ObjectEntry;
using F = FontEntry;

constexpr EntryField<ObjectEntry> ObjectRows[] = {
    {"Rotation", &O::Rotation, K::Triple, KeptOnMove::Always},
    {"BlinkIntervall", &O::BlinkIntervall, K::Number, KeptOnMove::Always},
    {"ZoomFaktor", &O::ZoomFaktor, K::Number, KeptOnMove::Always},
    {"Name", &O::Name, K::FileName, KeptOnMove::Never},
    {"Position", &O::Position, K::Triple, KeptOnMove::Always},
    {"ShowOn", &O::ShowOn, K::Text, KeptOnMove::Always},
    {"HideOn", &O::HideOn, K::Text, KeptOnMove::Always},
    {"ShowIfBrightness", &O::ShowIfBrightness, K::Flag, KeptOnMove::Never},
    {"Brightness", &O::Brightness, K::DecimalInteger, KeptOnMove::Never},
    {"GreaterAs", &O::GreaterAs, K::Flag, KeptOnMove::Never},
    {"WeitSichtbar", &O::WeitSichtbar, K::Flag, KeptOnMove::Never},
    {"DynamicVisibility", &O::DynamicVisibility, K::Text, KeptOnMove::IntoObjects},
    {"FixedDynamicVisibility", &O::FixedDynamicVisibility, K::Flag, KeptOnMove::IntoObjects},
};

constexpr EntryField<FontEntry> FontRows[] = {
    {"Name", &F::Name, K::FileName},
    {"Position", &F::Position, K::Triple},
    {"Rotation", &F::Rotation, K::Triple},
    {"NormBottomLeft", &F::NormBottomLeft, K::Triple},
    {"NormTopLeft", &F::NormTopLeft, K::Triple},
    {"NormBottomRight", &F::NormBottomRight, K::Triple},
    {"NormTopRight", &F::NormTopRight, K::Triple},
    {"BlinkIntervall", &F::BlinkIntervall, K::Number},
    {"Leuchtend", &F::Leuchtend, K::Flag},
    {"AlignHorz", &F::AlignHorz, K::Alignment},
    {"AlignVert", &F::AlignVert, K::Alignment},
    {"Fonthoehe", &F::Fonthoehe, K::Number},
    {"Color", &F::Color, K::TruncatedInteger},
    {"DefaultText", &F::DefaultText, K::Text},
    {"GroupProperty", &F::GroupProperty, K::Text},
    {"Vertikal", &F::Vertikal, K::Flag},
    {"DynamicVisibility", &F::DynamicVisibility, K::Text},
    {"FixedDynamicVisibility", &F::FixedDynamicVisibility, K::Flag},
};

constexpr FieldTable<ObjectEntry> ObjectTable{ObjectRows, std::size(ObjectRows)};
constexpr FieldTable<FontEntry> FontTable{FontRows, std::size(FontRows)};

} // namespace

template <> const FieldTable<ObjectEntry>& FieldsOf<ObjectEntry>() {
    return ObjectTable;
}

template <> const FieldTable<FontEntry>& FieldsOf<FontEntry>() {
    return FontTable;
}
