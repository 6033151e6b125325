#pragma once
// Resource identifiers, shared by the program and parlo.rc (so: #defines only).

#define IDI_PARLO 1
#define IDB_GEM 101
#define IDB_GEM_PRESSED 102
#define IDB_ABOUT 103

// The same pictures drawn for displays at 125, 150 and 200 % (120, 144 and 192 dpi).
#define IDB_GEM_125 111
#define IDB_GEM_PRESSED_125 112
#define IDB_ABOUT_125 113
#define IDB_GEM_150 121
#define IDB_GEM_PRESSED_150 122
#define IDB_ABOUT_150 123
#define IDB_GEM_200 131
#define IDB_GEM_PRESSED_200 132
#define IDB_ABOUT_200 133
