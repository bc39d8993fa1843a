#pragma once
// The user-facing texts, Windows-1254 bytes.

extern const char g_szWindowTitle[];
extern const char kSpeedPlaceholder[];
extern const char kSpeedPrefix[];
extern const char kSpeedMiddle[];
extern const char kSpeedSuffix[];
extern const char kErrorCaption[];
extern const char kFileWriteErrorText[];
extern const char kPackageDataErrorText[];
extern const char kConnectionErrorPrefix[];
