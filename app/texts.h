// Every text of the shell that the user sees, each defined once. The menu, the accelerators
// and the version data are in resources/zellora.rc.
#pragma once

// The texts that the command line shows too are defined with the core.
#include "document/messages.h"

inline constexpr char16_t TextProgramName[] = u"Zellora";
inline constexpr char16_t TextCaptionFormat[] = u"%s - %s";
// Before the document's title in the caption while it has unsaved changes.
inline constexpr char16_t TextChangedMark[] = u"*";
inline constexpr char16_t TextStartTitle[] = u"Unbenannt";
inline constexpr const char16_t* TextUntitled = Texts::Untitled;
inline constexpr char16_t TextNeedsUnicode[] =
    u"Programm arbeitet mit Unicode und setzt Windows NT voraus!";

inline constexpr char16_t TextAddButton[] = u"Hinzufügen";
inline constexpr char16_t TextRemoveButton[] = u"Löschen";
inline constexpr char16_t TextListFontFace[] = u"Tahoma";

inline constexpr char16_t TextSavePrompt[] = u"Veränderungen in %s speichern?";
inline constexpr const char16_t* TextIsObjectFile = Texts::OpenObjectFile;
inline constexpr const char16_t* TextBadXml = Texts::OpenXmlError;
inline constexpr const char16_t* TextOpenFailed = Texts::OpenFailed;
inline constexpr const char16_t* TextNoMemory = Texts::OpenNoMemory;
inline constexpr const char16_t* TextNotGroupFile = Texts::OpenNotGroupFile;
inline constexpr char16_t TextListFillFailed[] = u"Fehler beim Darstellen von %s";
inline constexpr const char16_t* TextUnicodeLost = Texts::UnicodeLostOnSave;
inline constexpr char16_t TextCannotOpen[] = u"Fehler beim Öffnen von %s";
inline constexpr char16_t TextNameTooLong[] = u"Der Dateiname %s ist zu lang";
inline constexpr char16_t TextSystemErrorCaption[] = u"GetLastError";

inline constexpr char16_t TextRecentFileGone[] = u"%s existiert nicht mehr.";
inline constexpr char16_t TextExportTitle[] = u"Exportieren";
inline constexpr const char16_t* TextAddTitle = TextAddButton;

// The plan window.
inline constexpr char16_t TextPlanTitle[] = u"Lageplan";
inline constexpr char16_t TextPlanStatus[] = u"x: %s m    z: %s m    Maßstab: 1 m = %s Pixel";
inline constexpr char16_t TextPlanFit[] = u"Alles zeigen\tPos1";
inline constexpr char16_t TextPlanSaveSvg[] = u"Als SVG speichern…";
inline constexpr char16_t TextPlanSaveSvgTitle[] = u"Als SVG speichern";
inline constexpr char16_t TextPlanDefaultName[] = u"Lageplan.svg";
inline constexpr char16_t FilterSvg[] = u"SVG-Bilder (*.svg)\0*.svg\0";

inline constexpr char16_t TextHelpFile[] = u"Readme.pdf";
inline constexpr char16_t TextOpenVerb[] = u"open";

// Filters of the file dialogs: caption and pattern pairs, each ended by a NUL; the literal's
// own terminator is the closing NUL.
inline constexpr char16_t FilterEntryFiles[] =
    u"Ferrolinodateien (*.fzlobj;*.fzlgrp;*.efzlgrp)\0*.fzlobj;*.fzlgrp;*.efzlgrp\0"
    u"Objektdateien (*.fzlobj)\0*.fzlobj\0"
    u"Gruppendateien (*.fzlgrp)\0*.fzlgrp\0"
    u"Projektdateien (*.efzlgrp)\0*.xml\0"
    u"Alle Dateien (*.*)\0*.*\0";
inline constexpr char16_t FilterOpen[] =
    u"Alle Projektdateien (*.fzlgrp;*.efzlgrp)\0*.fzlgrp;*.efzlgrp\0"
    u"Ferrolino Gruppenobjekte (*.fzlgrp)\0*.fzlgrp\0"
    u"Projektdateien (*.efzlgrp)\0*.efzlgrp\0"
    u"Alle Dateien (*.*)\0*.*\0";
inline constexpr char16_t FilterSave[] = u"Projektdateien UTF-8 (*.efzlgrp)\0*.efzlgrp\0"
                                         u"Ferrolino Gruppenobjekte UTF-8 (*.fzlgrp)\0*.fzlgrp\0";
inline constexpr char16_t FilterExport[] = u"Ferrolino Gruppenobjekte UTF-8 (*.fzlgrp)\0*.fzlgrp\0"
                                           u"Projektdateien UTF-8 (*.efzlgrp)\0*.efzlgrp\0";

// The simulator folder, the export and the about box.
inline constexpr char16_t TextPathsCloseInMode1[] = u"Ok";
inline constexpr char16_t TextBadPath[] = u"Fehlerhafter Pfad";
inline constexpr char16_t TextBrowseTitle[] = u"Bitte geben Sie den Ferrolino Pfad an!";
inline constexpr char16_t InstallKey[] = u"SOFTWARE\\Ferrolino-Group\\Install";
inline constexpr char16_t InstallPathsValue[] = u"Paths";

// Adding entries and the entry panel.
inline constexpr char16_t TextNotANumber[] = u"Bitte geben Sie eine Zahl ein!";
inline constexpr char16_t TextNotARotation[] = u"Bitte geben Sie eine korrekte Zahl ein!";
// What "nur sichtbar bei" and "nur unsichtbar bei" offer: the simulator's signal aspects and
// states; the user may type any other condition or a formula.
// clang-format off
inline constexpr const char16_t* PanelConditionNames[] = {
    u"Hp0", u"Hp1", u"Hp2", u"Hp3", u"SIG100", u"SIG60", u"SIG40", u"SIG20",
    u"Vr0", u"Vr1", u"Vr2", u"Vr3", u"VSIG100", u"VSIG60", u"VSIG40", u"VSIG20",
    u"Zp9", u"Zp10", u"Sh0", u"Sh1", u"Zs1", u"Zs4", u"Zs5", u"Zs6", u"Zs7", u"Zs8", u"Zs13",
    u"Kennlicht", u"Bue0", u"Bue1", u"WeichenStellung1", u"WeichenStellung2", u"Bedarfshalt",
    u"BueLicht", u"BueSchranke"};
// clang-format on
inline constexpr const char16_t* PanelComparisons[] = {u">=", u"<="};
