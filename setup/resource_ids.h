#pragma once
// Resource numbers shared by Setup's .rc file and its window.
#define SETUP_IDI_APP 1
#define SETUP_IDB_WELCOME 201
#define SETUP_IDB_README 202
#define SETUP_IDB_FOLDER 203
#define SETUP_IDB_SHORTCUTS 204
#define SETUP_IDB_INSTALLING 205
#define SETUP_IDB_FINISHED 206
#define SETUP_IDB_LOGO 207
