/* Ids shared by the resource script and the code. */
#ifndef LUMTRA_RESOURCE_H
#define LUMTRA_RESOURCE_H

#define IDD_CONFIG 101

/* Settings controls: setting i is control 1000 + i. */
#define IDC_Enable 1000
#define IDC_IfStatus 1001
#define IDC_IfPicture 1002
#define IDC_IfAny 1003
#define IDC_SetPicture 1004
#define IDC_SetStatus 1005
#define IDC_SetLongStatus 1006
#define IDC_LongStatus 1007
#define IDC_SaveRestore 1008
#define IDC_Picture 1009
#define IDC_Status 1010
#define IDC_SetTray 1011
#define IDC_About 1012
#define IDC_CustomQIP 1013
#define IDC_AllQIP 1014
#define IDC_AllQIPNo 1015
#define IDC_Tray 1016
#define IDC_AllowOpen 1017
#define IDC_DelayV 1018
#define IDC_DelayT 1019
#define IDC_grQIP 1020
#define IDC_grIf 1021
#define IDC_grSet 1022
#define IDC_grMain 1023
#define IDC_Lang 1024
#define IDC_VirtPlayState 1025
#define IDC_Compatible 1026

#define IDC_Default 3

/* What the last update did: a heading and a read-only list, outside the settings. */
#define IDC_LastUpdateT 1100
#define IDC_LastUpdate 1101

/* Controls the code never addresses (the separator line). */
#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif

/* The string-table entry holding the INI key of the language name. */
#define IDS_ININameLang 65520

#endif
