#pragma once
// Resource numbers shared by the console's .rc file and its forms.
#define VELMARO_IDI_APP 1
#define VELMARO_IDB_TREE 201
#define VELMARO_IDB_SPLASH 202
