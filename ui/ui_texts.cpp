#include "ui/ui_texts.h"

// Letters outside ASCII: 0xDD I with dot, 0xFD dotless i, 0xFC u umlaut,
// 0xFE s cedilla, 0xF6 o umlaut, 0xE7 c cedilla, 0xF0 g breve. A literal is
// split after an escape that a hex digit follows.
const char g_szWindowTitle[] = "Veltra Kurulum";
const char kSpeedPlaceholder[] = "\xDDndirme h\xFDz\xFD: ? kb/s Kalan s\xFCre: ? dk";
const char kSpeedPrefix[] = "\xDDndirme h\xFDz\xFD: ";
const char kSpeedMiddle[] = "kb/s Kalan s\xFCre: ";
const char kSpeedSuffix[] = "dk";
const char kErrorCaption[] = "Hata";
const char kFileWriteErrorText[] =
    "Bir dosya yazma hatas\xFD olu\xFEtu. Diskinizi kontrol edin ve/veya program\xFD "
    "y\xF6netici haklar\xFDyla \xE7"
    "al\xFD\xFEt\xFDr\xFDp tekrar deneyiniz. ";
const char kPackageDataErrorText[] =
    "Bozuk veya ge\xE7"
    "ersiz paket verisi !";
const char kConnectionErrorPrefix[] = "Ba\xF0lant\xFD hatas\xFD: 0x";
const char kLaunchFailedText[] = "Kurulum program\xFD ba\xFElat\xFDlamad\xFD.";
const char kWineNeededText[] =
    " Windows programlar\xFDn\xFD \xE7"
    "al\xFD\xFEt\xFDrmak i\xE7in Wine gereklidir.";
