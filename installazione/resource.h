// Resource ids of the CD setup chooser.
#pragma once

#define IDI_ORVANE 1

#define IDB_BACKGROUND 101
#define IDB_WIN9X 102
#define IDB_VISTA 103
#define IDB_CHIUDI 104
