#pragma once
// Resource numbers shared by the resource scripts and the code.
#define IDI_PROGRAM 128

// Camera window: images.
#define IDB_LOGO 312
#define IDB_DELETE_PRESSED 313
#define IDB_CAPTURE_DISABLED 314
#define IDB_CAPTURE_HOVER 315
#define IDB_CAPTURE_NORMAL 316
#define IDB_CAPTURE_PRESSED 317
#define IDB_DELETE_DISABLED 318
#define IDB_DELETE_HOVER 319
#define IDB_DELETE_NORMAL 320
#define IDB_LIST_HOVER 323
#define IDB_LIST_NORMAL 324
#define IDB_SELECTION 325
#define IDB_STRIP 326

// Camera window: controls, and the commands of the resolution list's entries.
#define IDC_CAPTURE 1000
#define IDC_DELETE 1001
#define IDC_RESOLUTION 1002
#define IDC_THUMBNAIL_SCROLL 1003
// The strip as the keyboard and a screen reader know it (an invisible window over it).
#define IDC_PHOTO_LIST 1007
#define ID_RESOLUTION_320X240 1004
#define ID_RESOLUTION_640X480 1005
#define ID_RESOLUTION_1280X1024 1006
