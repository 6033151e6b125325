#pragma once
// Window classes and control identifiers of Parlo's windows. The end-to-end driver finds
// controls by these too, so they are part of what stays stable.

#define PARLO_CLASS_MAIN "TForm_Main"
#define PARLO_CLASS_GRID "TStringGrid"
#define PARLO_CLASS_PANEL "TPanel"
#define PARLO_CLASS_CONFIG "TForm_Config"
#define PARLO_CLASS_INPUTBOX "TForm_InputBox"
#define PARLO_CLASS_ABOUT "TAboutBox"
#define PARLO_CLASS_QUICKSAY "TForm_QuickSay"

// Main window
#define IDC_PANEL_TOP 100
#define IDC_COMBOBOX_FILES 101
#define IDC_BUTTON_SAVE 102
#define IDC_BUTTON1 103
#define IDC_STRINGGRID1 110
#define IDC_PANEL1 120
#define IDC_BUTTON_PASTE 121
#define IDC_BUTTON_BARD 122
#define IDC_BUTTON_ADD 123
#define IDC_BUTTON_DELETE 124
#define IDC_BUTTON_INSERT 125
#define IDC_BUTTON_CONFIG 126
#define IDC_BUTTON_ABOUT 127
#define IDC_CHECKBOX_PASTE 128
#define IDC_CHECKBOX_YELL 129
#define IDC_CHECKBOX_RANDOM 130
#define IDC_IMAGE1 131
#define IDC_LABEL_DUMMY 132
#define IDC_BEVEL1 133
#define IDC_IMAGE2 140
#define IDC_FILELISTBOX_SAY 141
// The grid's context menu
#define IDM_GRID_UNDO 150
#define IDM_GRID_REDO 151
#define IDM_GRID_INSERT 152
#define IDM_GRID_DELETE 153
#define IDM_GRID_FIND 154
#define IDM_GRID_IMPORT 155

// Configuration dialog
#define IDC_CFG_PANEL1 200
#define IDC_CFG_CHECKBOX_ONTOP 201
#define IDC_CFG_LABEL_BARD 202
#define IDC_CFG_CHECKBOX_ALT 203
#define IDC_CFG_CHECKBOX_CTRL 204
#define IDC_CFG_CHECKBOX_SHIFT 205
#define IDC_CFG_HOTKEY_BARD 206
#define IDC_CFG_LABEL2 207
#define IDC_CFG_LABEL_FONT 208
#define IDC_CFG_BUTTON1 209
#define IDC_CFG_LABEL1 210
#define IDC_CFG_COMBOBOX_CAPTION 211
#define IDC_CFG_LABEL_GAME 212
#define IDC_CFG_LABEL_QUICKSAY 213
#define IDC_CFG_CHECKBOX_QS_ALT 214
#define IDC_CFG_CHECKBOX_QS_CTRL 215
#define IDC_CFG_CHECKBOX_QS_SHIFT 216
#define IDC_CFG_HOTKEY_QUICKSAY 217
#define IDC_CFG_CHECKBOX_FOLLOW 218
// OK and Cancel use IDOK (1) and IDCANCEL (2) in every dialog.

// Save-As dialog
#define IDC_INPUT_LABEL1 300
#define IDC_INPUT_EDIT_TEXT 301

// About box
#define IDC_ABOUT_PANEL1 400
#define IDC_ABOUT_LABEL1 401
#define IDC_ABOUT_LABEL2 402
#define IDC_ABOUT_LABEL3 403
#define IDC_ABOUT_LABEL4 404
#define IDC_ABOUT_LABEL5 405
#define IDC_ABOUT_IMAGE1 406

// Quick Say box
#define IDC_QUICKSAY_EDIT 500
#define IDC_QUICKSAY_LIST 501
