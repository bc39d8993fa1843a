#include "utility/easy_curl.h"

namespace kelpa {
namespace utility {

easy_curl::easy_curl() : curl(curl_easy_init()), error_buffer{} {
  if (curl == nullptr) throw curl_init_error();
  curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, error_buffer);
}

easy_curl::~easy_curl() { curl_easy_cleanup(curl); }

int easy_curl::perform() {
  if (!write_function.empty()) {
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, this);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &easy_curl::write_thunk);
  }
  if (!read_function.empty()) {
    curl_easy_setopt(curl, CURLOPT_READDATA, this);
    curl_easy_setopt(curl, CURLOPT_READFUNCTION, &easy_curl::read_thunk);
  }
  if (!progress_function.empty()) {
    curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, &easy_curl::progress_thunk);
    curl_easy_setopt(curl, CURLOPT_XFERINFODATA, this);
  }
  curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
  return curl_easy_perform(curl);
}

// libcurl always gets the wrapper itself as its user pointer: the callback and
// its own user pointer are looked up afresh on every call.
size_t easy_curl::write_thunk(char* data, size_t size, size_t count, void* object) {
  auto* self = static_cast<easy_curl*>(object);
  if (self == nullptr || self->write_function.empty()) return 0;
  return self->write_function(data, size, count, self->write_data);
}

size_t easy_curl::read_thunk(char* buffer, size_t size, size_t count, void* object) {
  auto* self = static_cast<easy_curl*>(object);
  if (self == nullptr || self->read_function.empty()) return 0;
  return self->read_function(buffer, size, count, self->read_data);
}

// The byte-count form of libcurl's progress call (the double form is
// deprecated); the counts reach progress_function as doubles all the same.
int easy_curl::progress_thunk(void* object, curl_off_t downloadTotal, curl_off_t downloadNow,
                              curl_off_t uploadTotal, curl_off_t uploadNow) {
  auto* self = static_cast<easy_curl*>(object);
  if (self == nullptr || self->progress_function.empty()) return 0;
  return self->progress_function(static_cast<double>(downloadTotal),
                                 static_cast<double>(downloadNow), static_cast<double>(uploadTotal),
                                 static_cast<double>(uploadNow), self->progress_data);
}

}  // namespace utility
}  // namespace kelpa
