#include "ui/promo_address.h"

#ifndef VELTRA_PROMO_URL
#error "VELTRA_PROMO_URL must be set by the build"
#endif

const char* g_szPromoUrl = VELTRA_PROMO_URL;
