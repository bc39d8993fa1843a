#pragma once
// The headers of platform/qt/ are the layer's own: the program above it sees
// only the Windows-named services of platform/win32/. The layer and its
// white-box tests define VELTRA_PLATFORM_QT; nothing else may include these.

#ifndef VELTRA_PLATFORM_QT
#error "platform/qt headers are private to the platform layer; include platform/win32/ instead"
#endif
