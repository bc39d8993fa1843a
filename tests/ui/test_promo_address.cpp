#include "ui/promo_address.h"

// The tests host no browser; nothing is ever loaded from here.
const char* g_szPromoUrl = "http://127.0.0.1:1/DownloaderPromo.aspx";
