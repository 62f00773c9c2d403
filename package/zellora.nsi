; The installer of Zellora: per user into %LOCALAPPDATA%\Programs\Zellora, without
; administrator rights, so that options.cfg beside the program stays writable.
;
; makensis -DVERSION=1.9.0 -DSTAGE=folder -DOUTFILE=setup.exe -DICON=zellora.ico [-DTARGET=amd64-unicode] zellora.nsi
; STAGE holds the stripped programs, Readme.pdf and the licence texts.

!ifndef VERSION | STAGE | OUTFILE | ICON
  !error "VERSION, STAGE, OUTFILE and ICON must be given with -D"
!endif

; TARGET=amd64-unicode gives the 64-bit twin that the release test installs where the machine
; runs no 32-bit programs; the release itself is 32-bit and runs on every Windows.
!ifdef TARGET
  Target "${TARGET}"
!else
  Unicode true
!endif
RequestExecutionLevel user
SetCompressor /SOLID lzma
ManifestDPIAware true

!include "MUI2.nsh"
!include "LogicLib.nsh"
!include "FileFunc.nsh"

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Zellora"
!define CLASSES "Software\Classes"
; The shell rereads file associations after this notice (SHCNE_ASSOCCHANGED, SHCNF_IDLIST).
!define NOTIFY_ASSOCIATIONS "shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)"

Name "Zellora ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\Zellora"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "Zellora ${VERSION}"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!define MUI_FINISHPAGE_RUN "$INSTDIR\Zellora.exe"
!define MUI_FINISHPAGE_SHOWREADME "$INSTDIR\Readme.pdf"
!define MUI_FINISHPAGE_SHOWREADME_TEXT "Handbuch anzeigen"
!define MUI_FINISHPAGE_SHOWREADME_NOTCHECKED

!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_LICENSE "${STAGE}\LICENSE.txt"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "German"

VIProductVersion "${VERSION}.0"
VIFileVersion "${VERSION}.0"
VIAddVersionKey /LANG=${LANG_GERMAN} "ProductName" "Zellora"
VIAddVersionKey /LANG=${LANG_GERMAN} "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_GERMAN} "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_GERMAN} "FileDescription" "Installation von Zellora ${VERSION}"
VIAddVersionKey /LANG=${LANG_GERMAN} "CompanyName" "The Zellora developers"
VIAddVersionKey /LANG=${LANG_GERMAN} "LegalCopyright" "MIT-Lizenz, The Zellora developers"

; 1 when the installer runs under Wine, which reads file types from HKLM only (it does not
; merge HKCU\Software\Classes into them as Windows does).
Var Wine

!macro DefineDetectWine UN
  Function ${UN}DetectWine
    StrCpy $Wine 0
    System::Call 'kernel32::GetModuleHandle(t "ntdll.dll") p .r0'
    System::Call 'kernel32::GetProcAddress(p r0, m "wine_get_version") p .r0'
    ${If} $0 != 0
      StrCpy $Wine 1
    ${EndIf}
  FunctionEnd
!macroend
!insertmacro DefineDetectWine ""
!insertmacro DefineDetectWine "un."

; The type's program identifier and its place among the extension's programs, under SHCTX.
!macro WriteType EXT PROGID DESCRIPTION
  WriteRegStr SHCTX "${CLASSES}\${PROGID}" "" "${DESCRIPTION}"
  WriteRegStr SHCTX "${CLASSES}\${PROGID}\DefaultIcon" "" '"$INSTDIR\Zellora.exe",0'
  WriteRegStr SHCTX "${CLASSES}\${PROGID}\shell\open\command" "" '"$INSTDIR\Zellora.exe" "%1"'
  WriteRegStr SHCTX "${CLASSES}\${EXT}\OpenWithProgids" "${PROGID}" ""
!macroend

; A file type is offered to Zellora through OpenWithProgids; the extension's own default is
; set only where no program has claimed it yet, so an earlier choice of the user stays.
; Under Wine the same goes into HKLM, following the per-user choice.
!macro Associate EXT PROGID DESCRIPTION
  !insertmacro WriteType "${EXT}" "${PROGID}" "${DESCRIPTION}"
  ReadRegStr $0 HKCU "${CLASSES}\${EXT}" ""
  ReadRegStr $1 HKCR "${EXT}" ""
  ${If} $0 == ""
  ${AndIf} $1 == ""
    WriteRegStr HKCU "${CLASSES}\${EXT}" "" "${PROGID}"
  ${EndIf}
  ${If} $Wine == 1
    SetShellVarContext all
    !insertmacro WriteType "${EXT}" "${PROGID}" "${DESCRIPTION}"
    ReadRegStr $0 HKCU "${CLASSES}\${EXT}" ""
    ReadRegStr $1 HKLM "${CLASSES}\${EXT}" ""
    ${If} $0 == "${PROGID}"
    ${AndIf} $1 == ""
      WriteRegStr HKLM "${CLASSES}\${EXT}" "" "${PROGID}"
    ${EndIf}
    SetShellVarContext current
  ${EndIf}
!macroend

; Removes what Associate wrote under SHCTX, and no other program's entries.
!macro UnassociateIn EXT PROGID
  DeleteRegValue SHCTX "${CLASSES}\${EXT}\OpenWithProgids" "${PROGID}"
  Push "${CLASSES}\${EXT}\OpenWithProgids"
  Call un.DeleteKeyIfEmpty
  ReadRegStr $0 SHCTX "${CLASSES}\${EXT}" ""
  ${If} $0 == "${PROGID}"
    DeleteRegValue SHCTX "${CLASSES}\${EXT}" ""
  ${EndIf}
  Push "${CLASSES}\${EXT}"
  Call un.DeleteKeyIfEmpty
  DeleteRegKey SHCTX "${CLASSES}\${PROGID}"
!macroend

!macro Unassociate EXT PROGID
  !insertmacro UnassociateIn "${EXT}" "${PROGID}"
  ${If} $Wine == 1
    SetShellVarContext all
    !insertmacro UnassociateIn "${EXT}" "${PROGID}"
    SetShellVarContext current
  ${EndIf}
!macroend

Section "Zellora"
  SetShellVarContext current
  SetOutPath "$INSTDIR"
  File "${STAGE}\Zellora.exe"
  File "${STAGE}\rotation.dll"
  File "${STAGE}\zellora-cli.exe"
  File "${STAGE}\Readme.pdf"
  File "${STAGE}\LICENSE.txt"
  File "${STAGE}\THIRD-PARTY-NOTICES.txt"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  CreateShortcut "$SMPROGRAMS\Zellora.lnk" "$INSTDIR\Zellora.exe" "" "$INSTDIR\Zellora.exe" 0

  Call DetectWine
  !insertmacro Associate ".fzlgrp" "Zellora.fzlgrp" "Ferrolino Gruppenobjekt"
  !insertmacro Associate ".efzlgrp" "Zellora.efzlgrp" "Ferrolino Projektdatei"

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "Zellora"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "The Zellora developers"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Zellora.exe,0"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  IntFmt $0 "0x%08X" $0
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" "$0"

  System::Call "${NOTIFY_ASSOCIATIONS}"
SectionEnd

; Deletes the key on the stack from SHCTX when it holds no value and no subkey any more.
Function un.DeleteKeyIfEmpty
  Exch $R0
  Push $R1
  EnumRegKey $R1 SHCTX $R0 0
  StrCmp $R1 "" 0 done
  EnumRegValue $R1 SHCTX $R0 0
  StrCmp $R1 "" 0 done
  ; The default value has an empty name; it keeps the key too.
  ClearErrors
  ReadRegStr $R1 SHCTX $R0 ""
  IfErrors 0 done
  DeleteRegKey SHCTX $R0
done:
  Pop $R1
  Pop $R0
FunctionEnd

Section "Uninstall"
  SetShellVarContext current
  Delete "$INSTDIR\Zellora.exe"
  Delete "$INSTDIR\rotation.dll"
  Delete "$INSTDIR\zellora-cli.exe"
  Delete "$INSTDIR\Readme.pdf"
  Delete "$INSTDIR\LICENSE.txt"
  Delete "$INSTDIR\THIRD-PARTY-NOTICES.txt"
  ; Written by the program itself: the simulator folder the user chose, and the window's place
  ; and the recent files.
  Delete "$INSTDIR\options.cfg"
  Delete "$INSTDIR\settings.cfg"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  RMDir "$LOCALAPPDATA\Programs"

  Delete "$SMPROGRAMS\Zellora.lnk"

  Call un.DetectWine
  !insertmacro Unassociate ".fzlgrp" "Zellora.fzlgrp"
  !insertmacro Unassociate ".efzlgrp" "Zellora.efzlgrp"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"

  System::Call "${NOTIFY_ASSOCIATIONS}"
SectionEnd
