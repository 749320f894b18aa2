#pragma once
// Resource numbers shared by the console's .rc file and its forms.
#define VELMARO_IDI_APP 1
// The Mouse panel's drawings: the right button marked (left-handed), the left
// button marked (right-handed).
#define VELMARO_IDB_MOUSE_LEFT_HANDED 101
#define VELMARO_IDB_MOUSE_RIGHT_HANDED 102
#define VELMARO_IDB_TREE 201
#define VELMARO_IDB_SPLASH 202
