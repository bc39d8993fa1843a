#include "utility/fetch_url.h"

#include <boost/bind/bind.hpp>

namespace kelpa {
namespace utility {

fetch_url::fetch_url(const char* address) {
  namespace ph = boost::placeholders;
  curl.url = address;
  curl.write_function = boost::bind(&fetch_url::write, this, ph::_1, ph::_2, ph::_3, ph::_4);
  curl.write_data = &data;
}

std::string fetch_url::fetch() {
  data.clear();
  if (curl.perform() != CURLE_OK) return std::string();
  return data;
}

size_t fetch_url::write(const char* bytes, size_t size, size_t count, void* user) {
  static_cast<std::string*>(user)->append(bytes, size * count);
  return size * count;
}

}  // namespace utility
}  // namespace kelpa
