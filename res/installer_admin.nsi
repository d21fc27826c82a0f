


SetCompressor /SOLID lzma


InstallDir "$PROGRAMFILES\Brannoc\Velocimark"
!define BASE_SOURCE_DIR "%source_dir%"

RequestExecutionLevel admin

!include LogicLib.nsh
!include Sections.nsh
!include MUI.nsh


Name "Brannoc Velocimark"
Caption "Brannoc Velocimark Setup"


Var StartMenuGroup

!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_STARTMENU Application $StartMenuGroup
!insertmacro MUI_PAGE_INSTFILES

!define MUI_FINISHPAGE_RUN "$INSTDIR\velocimark.exe"
!define MUI_FINISHPAGE_SHOWREADME "$INSTDIR\readme.txt"
!define MUI_FINISHPAGE_SHOWREADME_NOTCHECKED
!define MUI_FINISHPAGE_LINK "Visit Brannoc Web Site"
!define MUI_FINISHPAGE_LINK_LOCATION "https://velocimark.example.org/"
!define MUI_FINISHPAGE_NOREBOOTSUPPORT
!insertmacro MUI_PAGE_FINISH
	
#!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE English


XPStyle on
ShowInstDetails show
OutFile velocimark_setup.exe

Section Main

SetOutPath $INSTDIR

SetOverwrite on


File "${BASE_SOURCE_DIR}\Velocimark.exe" 
File "${BASE_SOURCE_DIR}\Velocimark.chm"
File "${BASE_SOURCE_DIR}\readme.txt"
File "${BASE_SOURCE_DIR}\Velocimark.cfg"
File "${BASE_SOURCE_DIR}\Velocimark_lng.ini"

!insertmacro MUI_STARTMENU_WRITE_BEGIN Application
SetOutPath $SMPROGRAMS\$StartMenuGroup
CreateShortcut "$SMPROGRAMS\$StartMenuGroup\Velocimark.lnk" "$INSTDIR\Velocimark.exe"	
CreateShortcut "$SMPROGRAMS\$StartMenuGroup\Velocimark Help.lnk" "$INSTDIR\Velocimark.chm"	
CreateShortcut "$SMPROGRAMS\$StartMenuGroup\Uninstall.lnk" "$INSTDIR\uninst.exe"
!insertmacro MUI_STARTMENU_WRITE_END
	
WriteRegExpandStr HKLM "Software\Microsoft\Windows\CurrentVersion\Uninstall\Brannoc Velocimark" "UninstallString" '"$INSTDIR\uninst.exe"'
WriteRegExpandStr HKLM "Software\Microsoft\Windows\CurrentVersion\Uninstall\Brannoc Velocimark" "InstallLocation" "$INSTDIR"
WriteRegStr HKLM "Software\Microsoft\Windows\CurrentVersion\Uninstall\Brannoc Velocimark" "DisplayName" "Brannoc Velocimark"


WriteUninstaller $INSTDIR\uninst.exe

SectionEnd

Section un.Uninstall1

DeleteRegKey HKLM "Software\Microsoft\Windows\CurrentVersion\Uninstall\Brannoc Velocimark"

Delete $INSTDIR\Velocimark.exe
Delete $INSTDIR\Velocimark.chm
Delete $INSTDIR\readme.txt
Delete $INSTDIR\Velocimark.cfg
Delete $INSTDIR\Velocimark_lng.ini
Delete $INSTDIR\uninst.exe

Delete "$SMPROGRAMS\$StartMenuGroup\Velocimark.lnk"
Delete "$SMPROGRAMS\$StartMenuGroup\Velocimark Help.lnk"
Delete "$SMPROGRAMS\$StartMenuGroup\Uninstall.lnk"
RMDir "$SMPROGRAMS\$StartMenuGroup"
	
RMDir $INSTDIR


SectionEnd



Function un.onInit
    !insertmacro MUI_STARTMENU_GETFOLDER Application $StartMenuGroup
FunctionEnd


