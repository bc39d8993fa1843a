#pragma once
// Address of the promotional page, fixed when the program is built. The
// dialog reads it through this one variable (tests point it elsewhere).

extern const char* g_szPromoUrl;
