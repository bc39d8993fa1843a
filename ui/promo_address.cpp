#include "ui/promo_address.h"

#include "veltra_addresses.h"

const char* g_szPromoUrl = kPromoUrl;
