#pragma once
// One libcurl easy handle with function-object callbacks. Owns the handle;
// belongs to the thread that calls perform(), and every callback runs inside
// perform() on that thread.

#include <curl/curl.h>

#include <boost/function.hpp>
#include <boost/noncopyable.hpp>
#include <cstddef>
#include <exception>
#include <string>

namespace kelpa {
namespace utility {

// Raised by easy_curl's constructor when libcurl cannot make a handle.
class curl_init_error : public std::exception {
 public:
  const char* what() const noexcept override { return "cURL handle initialization failed !"; }
};

class easy_curl : boost::noncopyable {
 public:
  using data_function = boost::function<size_t(const char*, size_t, size_t, void*)>;
  using progress_callback = boost::function<int(double, double, double, double, void*)>;

  easy_curl();
  virtual ~easy_curl();

  // Applies the callbacks and the URL, runs one blocking transfer and returns
  // libcurl's result code unchanged.
  int perform();
  CURL* handle() const { return curl; }

 private:
  CURL* curl;
  char error_buffer[CURL_ERROR_SIZE];

 public:
  data_function write_function;
  data_function read_function;
  progress_callback progress_function;
  std::string url;
  void* write_data = nullptr;
  void* read_data = nullptr;
  void* progress_data = nullptr;

 private:
  static size_t write_thunk(char* data, size_t size, size_t count, void* object);
  static size_t read_thunk(char* buffer, size_t size, size_t count, void* object);
  static int progress_thunk(void* object, curl_off_t downloadTotal, curl_off_t downloadNow,
                            curl_off_t uploadTotal, curl_off_t uploadNow);
};

}  // namespace utility
}  // namespace kelpa
