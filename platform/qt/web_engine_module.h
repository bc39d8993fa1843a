#pragma once
#include "layer_private.h"
// The web engine's module (libveltra-webview.so, in lib/veltra-setup/plugins/ beside
// the program's bin/): its two entry points, by name. The program loads it
// when it first makes a web view. Platform layer only; user-interface thread.

#include <QString>

class QWidget;

extern "C" {
using MakeWebViewFunction = QWidget* (*)(QWidget* parent);
using LoadWebViewFunction = void (*)(QWidget* view, const QString& url);
QWidget* VeltraMakeWebView(QWidget* parent);
void VeltraLoadWebView(QWidget* view, const QString& url);
}

// Where the module lies, relative to the program's folder.
constexpr char kWebEngineModule[] = "/../lib/veltra-setup/plugins/libveltra-webview.so";
