#pragma once
// Pictures the end-to-end tests compare: screenshots of the virtual display
// (binary PPM, as ImageMagick's import writes it) and the skin's bitmaps
// (24-bit uncompressed BMP).

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace e2e {

struct Rgb {
  std::uint8_t r = 0, g = 0, b = 0;
  bool operator==(const Rgb& o) const { return r == o.r && g == o.g && b == o.b; }
  bool operator!=(const Rgb& o) const { return !(*this == o); }
};

class Image {
 public:
  Image() = default;
  Image(int width, int height) : m_width(width), m_height(height), m_pixels(width * height) {}

  int Width() const { return m_width; }
  int Height() const { return m_height; }
  bool Empty() const { return m_pixels.empty(); }
  bool Contains(int x, int y) const { return x >= 0 && y >= 0 && x < m_width && y < m_height; }
  Rgb At(int x, int y) const { return m_pixels[y * m_width + x]; }
  void Set(int x, int y, Rgb colour) { m_pixels[y * m_width + x] = colour; }

  // Pixels of `part` (from partX, partY, size w x h) that differ from this
  // image at (x, y) and on; a pixel outside this image counts as different.
  int Differences(int x, int y, const Image& part, int partX, int partY, int w, int h) const;
  bool operator==(const Image& o) const {
    return m_width == o.m_width && m_height == o.m_height && m_pixels == o.m_pixels;
  }

  bool WritePpm(const std::string& path) const;

 private:
  int m_width = 0;
  int m_height = 0;
  std::vector<Rgb> m_pixels;
};

std::optional<Image> ReadPpm(const std::string& path);
std::optional<Image> ReadBmp(const std::string& path);

}  // namespace e2e
