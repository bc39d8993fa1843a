#pragma once
// Address of the promotional page, fixed when the program is built (defined
// by the program; tests define their own).

extern const char* g_szPromoUrl;
