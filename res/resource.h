#pragma once
// Resource identifiers, shared by the program and parlo.rc (so: #defines only).

#define IDI_PARLO 1
#define IDB_GEM 101
#define IDB_GEM_PRESSED 102
#define IDB_ABOUT 103
