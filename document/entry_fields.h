// The fields of the two kinds of entry, one row each in member order: the name a file and
// the JSON form use for it, the member, and how its value is read. The loader, the JSON
// output and import, the change of an entry's array and the writer's names all work from
// these rows: a new attribute needs its member, its row and its place in the writer's pieces.
#pragma once

#include <cassert>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <variant>

#include "document/document.h"

// How a value is read. The member's type alone does not say it: a text may be a file name
// that the loader completes, and a 32-bit number a flag or a plain number.
enum class FieldKind {
    Triple,           // Vec3, "x;y;z"
    Number,           // double
    FileName,         // OptText, a relative name completed when loaded
    Text,             // OptText
    Flag,             // int32_t, 0 or 1, "TRUE" reads as 1
    DecimalInteger,   // int32_t
    TruncatedInteger, // int32_t
    Alignment,        // int16_t, the low 16 bits of a 32-bit number
};

// What an object entry keeps of a field when it changes between Objects and IObjects.
enum class KeptOnMove { Never, Always, IntoObjects };

template <typename Entry>
using FieldMember = std::variant<Vec3 Entry::*, double Entry::*, OptText Entry::*, int32_t Entry::*,
                                 int16_t Entry::*>;

template <typename Entry> struct EntryField {
    std::string_view Name; // as written in files and JSON keys
    FieldMember<Entry> Member;
    FieldKind Kind;
    KeptOnMove Kept = KeptOnMove::Never;
};

template <typename Entry> struct FieldTable {
    const EntryField<Entry>* Rows;
    size_t Count;

    const EntryField<Entry>* begin() const { return Rows; }
    const EntryField<Entry>* end() const { return Rows + Count; }
};

template <typename Entry> const FieldTable<Entry>& FieldsOf();
template <> const FieldTable<ObjectEntry>& FieldsOf<ObjectEntry>();
template <> const FieldTable<FontEntry>& FieldsOf<FontEntry>();

// The name of the row that holds member.
template <typename Entry> std::string_view FieldName(FieldMember<Entry> member) {
    for (const auto& field : FieldsOf<Entry>())
        if (field.Member == member)
            return field.Name;
    assert(!"every member of an entry has a row");
    return "";
}

template <typename Member> struct MemberOf;
template <typename Value, typename Entry> struct MemberOf<Value Entry::*> {
    using EntryType = Entry;
};

// The name of a field for the writer, looked up once: AttributeName<&FontEntry::Color>().
template <auto Member> std::string_view AttributeName() {
    using Entry = typename MemberOf<decltype(Member)>::EntryType;
    static const std::string_view name = FieldName<Entry>(Member);
    return name;
}
