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
// A failed installer launch; the second sentence follows on the same line
// when the installer is a Windows program and there is no Wine to run it.
extern const char kLaunchFailedText[];
extern const char kWineNeededText[];
