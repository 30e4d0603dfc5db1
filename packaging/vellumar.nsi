; Installer of Vellumar for Windows: the viewer and the command-line converter in the 32-bit
; program files folder, a Start-menu entry, the .hyp file type and an uninstaller that removes
; all of it again. German texts throughout.
;
; Built by packaging/dist.sh (through scripts/package.sh) with these defines:
;   VERSION         the program version, e.g. 0.5 (the project version of the build)
;   VERSION_FIELDS  the same as four numbers, e.g. 0.5.0.0 (the installer's own version resource)
;   BUILD_DIR       the Windows build whose vellumar.exe and hypconv.exe are packed
;   SOURCE_DIR      the source tree (the program's icon)
;   OUT_FILE        the installer to write
;   AMD64           optional: an x86-64 installer around an x86-64 build. It exists only for the
;                   tests on machines that cannot run 32-bit code; what is shipped is 32-bit.
;
; Command line (besides NSIS's own /S for silent and /D=FOLDER):
;   setup.exe /HYPSTANDARD      make Vellumar the default program for .hyp files even when
;                               another program owns them (the choice of the page below)
;   uninstall.exe /REMOVESETTINGS  remove the user's settings too (the choice of the page below)
; Without them, a silent run never takes .hyp from another program and never removes settings.

!ifdef AMD64
  Target amd64-unicode
!else
  Target x86-unicode
!endif

!include MUI2.nsh
!include LogicLib.nsh
!include nsDialogs.nsh
!include FileFunc.nsh

!define PRODUCT "Vellumar"
!define PUBLISHER "Ostwick"
; The file type that .hyp files point to; its "open" verb starts the viewer on the file.
!define PROGID "Vellumar.Hypertext"
!define CLASSES "Software\Classes"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Vellumar"
; Where the viewer keeps the user's settings (written by the program, not by the installer).
!define SETTINGS_KEY "Software\Ostwick\Vellumar"
; The program that owned .hyp before Vellumar took it over, to be given back on uninstall.
!define PREVIOUS_OWNER_VALUE "PreviousHypProgID"
!define SHCNE_ASSOCCHANGED 0x08000000

Name "${PRODUCT} ${VERSION}"
OutFile "${OUT_FILE}"
InstallDir "$PROGRAMFILES32\${PRODUCT}"
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
RequestExecutionLevel admin
SetCompressor /SOLID lzma
BrandingText "${PRODUCT} ${VERSION}"
ShowInstDetails show
ShowUninstDetails show

Var HypOwner          ; ProgID that owns .hyp and is not ours, or "" when .hyp is free or ours
Var TakeOverHyp       ; 1: make Vellumar the default for .hyp although $HypOwner owns it
Var TakeOverBox
Var RemoveSettings    ; 1: the uninstaller removes the user's settings too
Var RemoveSettingsBox

!define MUI_ICON "${SOURCE_DIR}/resources/images/icon1.ico"
!define MUI_UNICON "${SOURCE_DIR}/resources/images/icon1.ico"
!define MUI_ABORTWARNING
!define MUI_WELCOMEPAGE_TEXT "Dieser Assistent installiert Vellumar ${VERSION}, den Betrachter und Konverter für ST-Guide-Hypertexte (HYP-Dateien).$\r$\n$\r$\nKlicken Sie auf Weiter, um fortzufahren."

!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_DIRECTORY
Page custom HypOwnerPage HypOwnerPageLeave
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
UninstPage custom un.SettingsPage un.SettingsPageLeave
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "German"

VIProductVersion "${VERSION_FIELDS}"
VIFileVersion "${VERSION_FIELDS}"
VIAddVersionKey /LANG=${LANG_GERMAN} "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=${LANG_GERMAN} "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_GERMAN} "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=${LANG_GERMAN} "FileDescription" "Installation von ${PRODUCT} ${VERSION}"
VIAddVersionKey /LANG=${LANG_GERMAN} "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_GERMAN} "LegalCopyright" "© ${PUBLISHER}"

; --- installer -------------------------------------------------------------------------------

Function .onInit
    StrCpy $TakeOverHyp 0
    ; .hyp belongs to another program when it names a file type that exists (its key may hold
    ; no more than a description). A name left behind by a program that is gone owns nothing.
    StrCpy $HypOwner ""
    ReadRegStr $0 HKCR ".hyp" ""
    ${If} $0 != ""
    ${AndIf} $0 != "${PROGID}"
        ; Enumerating fails (error flag) only when the key is not there.
        ClearErrors
        EnumRegKey $1 HKCR "$0" 0
        ${IfNot} ${Errors}
            StrCpy $HypOwner $0
        ${EndIf}
    ${EndIf}
    ${GetParameters} $0
    ClearErrors
    ${GetOptions} $0 "/HYPSTANDARD" $1
    ${IfNot} ${Errors}
        StrCpy $TakeOverHyp 1
    ${EndIf}
FunctionEnd

; Asked only when another program owns .hyp: by default it stays the owner and Vellumar joins
; the "Open with" list.
Function HypOwnerPage
    ${If} $HypOwner == ""
        Abort
    ${EndIf}
    ReadRegStr $0 HKCR "$HypOwner" ""
    ${If} $0 == ""
        StrCpy $0 "$HypOwner"
    ${EndIf}
    !insertmacro MUI_HEADER_TEXT "Dateizuordnung" "Womit sollen HYP-Dateien geöffnet werden?"
    nsDialogs::Create 1018
    Pop $1
    ${If} $1 == error
        Abort
    ${EndIf}
    ${NSD_CreateLabel} 0 0 100% 48u "HYP-Dateien (.hyp) werden bisher mit einem anderen Programm geöffnet (Dateityp „$0“). Es bleibt das Standardprogramm; Vellumar wird unter „Öffnen mit“ eingetragen.$\r$\n$\r$\nSoll stattdessen Vellumar HYP-Dateien beim Doppelklick öffnen?"
    Pop $1
    ${NSD_CreateCheckbox} 0 56u 100% 12u "&Vellumar zum Standardprogramm für HYP-Dateien machen"
    Pop $TakeOverBox
    ${If} $TakeOverHyp == 1
        ${NSD_Check} $TakeOverBox
    ${EndIf}
    nsDialogs::Show
FunctionEnd

Function HypOwnerPageLeave
    ${NSD_GetState} $TakeOverBox $0
    ${If} $0 == ${BST_CHECKED}
        StrCpy $TakeOverHyp 1
    ${Else}
        StrCpy $TakeOverHyp 0
    ${EndIf}
FunctionEnd

Section "Vellumar" SectionProgram
    SectionIn RO
    SetShellVarContext all
    SetOutPath "$INSTDIR"
    File "${BUILD_DIR}/vellumar.exe"
    File "${BUILD_DIR}/hypconv.exe"
    WriteUninstaller "$INSTDIR\uninstall.exe"
    CreateShortcut "$SMPROGRAMS\${PRODUCT}.lnk" "$INSTDIR\vellumar.exe" "" "$INSTDIR\vellumar.exe" 0 \
        SW_SHOWNORMAL "" "Betrachter für ST-Guide-Hypertexte"

    ; The file type: its name in Explorer, the program's icon and the verb a double click uses.
    WriteRegStr HKLM "${CLASSES}\${PROGID}" "" "ST-Guide-Hypertext"
    WriteRegStr HKLM "${CLASSES}\${PROGID}\DefaultIcon" "" "$INSTDIR\vellumar.exe,0"
    WriteRegStr HKLM "${CLASSES}\${PROGID}\shell" "" "open"
    WriteRegStr HKLM "${CLASSES}\${PROGID}\shell\open" "" "&Öffnen"
    WriteRegStr HKLM "${CLASSES}\${PROGID}\shell\open\command" "" '"$INSTDIR\vellumar.exe" "%1"'
    ; Always offered under "Open with"; the default only when .hyp is free or the user says so.
    WriteRegNone HKLM "${CLASSES}\.hyp\OpenWithProgids" "${PROGID}"
    ${If} $HypOwner == ""
        WriteRegStr HKLM "${CLASSES}\.hyp" "" "${PROGID}"
    ${ElseIf} $TakeOverHyp == 1
        WriteRegStr HKLM "${UNINSTALL_KEY}" "${PREVIOUS_OWNER_VALUE}" "$HypOwner"
        WriteRegStr HKLM "${CLASSES}\.hyp" "" "${PROGID}"
    ${EndIf}

    ; The entry of "Programs and Features".
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\vellumar.exe,0"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
    WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
    ; Size in KiB of what the installer wrote: the packed programs and the uninstaller. Not the
    ; folder's size, which counts whatever else the user keeps in a folder chosen for Vellumar.
    SectionGetSize ${SectionProgram} $0
    FileOpen $1 "$INSTDIR\uninstall.exe" r
    FileSeek $1 0 END $2
    FileClose $1
    IntOp $2 $2 / 1024
    IntOp $0 $0 + $2
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0

    System::Call 'shell32::SHChangeNotify(i ${SHCNE_ASSOCCHANGED}, i 0, p 0, p 0)'
SectionEnd

; --- uninstaller -----------------------------------------------------------------------------

Function un.onInit
    StrCpy $RemoveSettings 0
    ${un.GetParameters} $0
    ClearErrors
    ${un.GetOptions} $0 "/REMOVESETTINGS" $1
    ${IfNot} ${Errors}
        StrCpy $RemoveSettings 1
    ${EndIf}
FunctionEnd

Function un.SettingsPage
    !insertmacro MUI_HEADER_TEXT "Persönliche Einstellungen" "Sollen Ihre Einstellungen erhalten bleiben?"
    nsDialogs::Create 1018
    Pop $0
    ${If} $0 == error
        Abort
    ${EndIf}
    ${NSD_CreateLabel} 0 0 100% 40u "Vellumar hat Ihre Einstellungen, Lesezeichen und die zuletzt gelesene Stelle in der Registrierung gespeichert (HKEY_CURRENT_USER\${SETTINGS_KEY}). Bleiben sie erhalten, findet eine spätere Installation sie wieder vor."
    Pop $0
    ${NSD_CreateCheckbox} 0 48u 100% 12u "&Einstellungen ebenfalls entfernen"
    Pop $RemoveSettingsBox
    ${If} $RemoveSettings == 1
        ${NSD_Check} $RemoveSettingsBox
    ${EndIf}
    nsDialogs::Show
FunctionEnd

Function un.SettingsPageLeave
    ${NSD_GetState} $RemoveSettingsBox $0
    ${If} $0 == ${BST_CHECKED}
        StrCpy $RemoveSettings 1
    ${Else}
        StrCpy $RemoveSettings 0
    ${EndIf}
FunctionEnd

Section "Uninstall"
    SetShellVarContext all
    ; Only the files the installer wrote: the folder goes only when nothing else is left in it.
    Delete /REBOOTOK "$INSTDIR\vellumar.exe"
    Delete /REBOOTOK "$INSTDIR\hypconv.exe"
    Delete /REBOOTOK "$INSTDIR\uninstall.exe"
    RMDir /REBOOTOK "$INSTDIR"
    Delete "$SMPROGRAMS\${PRODUCT}.lnk"

    ; .hyp goes back to the program that owned it before, or to nobody; an owner that came
    ; after Vellumar keeps it.
    ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "${PREVIOUS_OWNER_VALUE}"
    ReadRegStr $1 HKLM "${CLASSES}\.hyp" ""
    ${If} $1 == "${PROGID}"
        ${If} $0 != ""
            WriteRegStr HKLM "${CLASSES}\.hyp" "" "$0"
        ${Else}
            DeleteRegValue HKLM "${CLASSES}\.hyp" ""
        ${EndIf}
    ${EndIf}
    DeleteRegValue HKLM "${CLASSES}\.hyp\OpenWithProgids" "${PROGID}"
    DeleteRegKey /ifempty HKLM "${CLASSES}\.hyp\OpenWithProgids"
    DeleteRegKey /ifempty HKLM "${CLASSES}\.hyp"
    DeleteRegKey HKLM "${CLASSES}\${PROGID}"
    DeleteRegKey HKLM "${UNINSTALL_KEY}"

    ${If} $RemoveSettings == 1
        DeleteRegKey HKCU "${SETTINGS_KEY}"
        DeleteRegKey /ifempty HKCU "Software\Ostwick"
    ${EndIf}

    System::Call 'shell32::SHChangeNotify(i ${SHCNE_ASSOCCHANGED}, i 0, p 0, p 0)'
SectionEnd
