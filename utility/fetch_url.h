#pragma once
// Fetches one URL into memory. Same threading as easy_curl.

#include <cstddef>
#include <string>

#include "utility/easy_curl.h"

namespace kelpa {
namespace utility {

class fetch_url {
 public:
  explicit fetch_url(const char* address);

  // The body, or an empty string when the transfer failed.
  std::string fetch();
  size_t write(const char* bytes, size_t size, size_t count, void* user);

  easy_curl curl;
  std::string data;
};

}  // namespace utility
}  // namespace kelpa
