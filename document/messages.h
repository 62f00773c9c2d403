// Texts that both the editor and the command line show, each defined once.
#pragma once

#include <string>

#include "base/fill_text.h" // the texts are formats for FillText
#include "document/loader.h"

namespace Texts {
constexpr const char16_t* Untitled = u"(unbenannt)";
constexpr const char16_t* OpenObjectFile = u"%s ist eine Objektdatei";
constexpr const char16_t* OpenXmlError = u"%s ist eine fehlerhafte XML-Datei!";
constexpr const char16_t* OpenFailed = u"%s konnte nicht geöffnet werden: %s";
constexpr const char16_t* OpenNoMemory =
    u"%s konnte nicht eingelesen werden, da nicht genug Speicher frei ist";
constexpr const char16_t* OpenNotGroupFile = u"%s ist weder eine Gruppen- noch ein Objektdatei";
constexpr const char16_t* UnicodeLostOnSave =
    u"Beim Speichern gingen Unicode Informationen verloren!";
constexpr const char16_t* ExportNotFound = u"Fehler beim Exportieren: %s konnte nicht gefunden "
                                           u"werden oder ist keine Gruppen- oder Objektdatei";
constexpr const char16_t* ExportLoop = u"Fehler beim Exportieren zu %s: Endlosschleife";
constexpr const char16_t* ExportCannotCreate = u"%s konnte nicht angelegt werden";
constexpr const char16_t* RootNotSet = u"Ferrolino Pfad konnte nicht gesetzt werden!";
} // namespace Texts

// The name of the file without its folder.
std::u16string FileNameOf(const std::u16string& path);

// The message the editor's Open shows for a load result other than LoadOk; empty for LoadOk.
std::u16string OpenResultMessage(LoadResult result, const std::u16string& title,
                                 const std::u16string& systemErrorText);
