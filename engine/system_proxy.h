#pragma once
// Gives a transfer the proxy the user's system names for its address. Worker
// thread, or any thread that owns the handle.

#include <curl/curl.h>

#include <string>

// When libcurl's proxy variables name no proxy for the address, sets the
// handle's CURLOPT_PROXY from the user's Internet settings: their automatic
// configuration (a script, or one detected on the network) when they ask for
// it and it answers, else their own proxy list and bypass list; a direct
// connection when none of these names a proxy. The settings are asked once
// for each scheme, host and port in the process's life.
void UseSystemProxy(CURL* handle, const std::string& url);
