// Resource ids of the product launcher.
#pragma once

#define IDI_ORVANE 1

#define IDB_BACKGROUND 101
#define IDB_INDICE 102
#define IDB_LICENZA 103
#define IDB_CHIUDI 104
