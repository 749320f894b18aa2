#pragma once
// Resource numbers shared by Uninstall's .rc file and its window.
#define UNINSTALL_IDI_APP 1
#define UNINSTALL_IDB_REMOVING 201
