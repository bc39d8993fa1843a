#include "tests/e2e/screen_image.h"

#include <cctype>
#include <fstream>
#include <iterator>

namespace e2e {

namespace {

std::string ReadAll(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

std::uint32_t Little(const std::string& bytes, std::size_t at, int size) {
  std::uint32_t value = 0;
  for (int i = size - 1; i >= 0; --i) value = value << 8 | static_cast<std::uint8_t>(bytes[at + i]);
  return value;
}

// The next header field of a PPM: skips white space and comments.
bool NextNumber(const std::string& bytes, std::size_t& at, int& value) {
  for (;;) {
    while (at < bytes.size() && std::isspace(static_cast<unsigned char>(bytes[at]))) ++at;
    if (at < bytes.size() && bytes[at] == '#') {
      while (at < bytes.size() && bytes[at] != '\n') ++at;
      continue;
    }
    break;
  }
  if (at >= bytes.size() || !std::isdigit(static_cast<unsigned char>(bytes[at]))) return false;
  value = 0;
  while (at < bytes.size() && std::isdigit(static_cast<unsigned char>(bytes[at]))) {
    value = value * 10 + (bytes[at++] - '0');
  }
  return true;
}

}  // namespace

int Image::Differences(int x, int y, const Image& part, int partX, int partY, int w, int h) const {
  int differences = 0;
  for (int row = 0; row < h; ++row) {
    for (int column = 0; column < w; ++column) {
      const bool inside = Contains(x + column, y + row);
      if (!inside || At(x + column, y + row) != part.At(partX + column, partY + row)) ++differences;
    }
  }
  return differences;
}

bool Image::WritePpm(const std::string& path) const {
  std::ofstream file(path, std::ios::binary);
  file << "P6\n" << m_width << " " << m_height << "\n255\n";
  for (const Rgb& pixel : m_pixels) file << pixel.r << pixel.g << pixel.b;
  return static_cast<bool>(file);
}

std::optional<Image> ReadPpm(const std::string& path) {
  const std::string bytes = ReadAll(path);
  if (bytes.size() < 2 || bytes[0] != 'P' || bytes[1] != '6') return std::nullopt;
  std::size_t at = 2;
  int width = 0, height = 0, maximum = 0;
  if (!NextNumber(bytes, at, width) || !NextNumber(bytes, at, height) ||
      !NextNumber(bytes, at, maximum) || maximum != 255) {
    return std::nullopt;
  }
  ++at;  // the single white-space byte before the raster
  if (bytes.size() < at + static_cast<std::size_t>(width) * height * 3) return std::nullopt;
  Image image(width, height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x, at += 3) {
      image.Set(x, y,
                Rgb{static_cast<std::uint8_t>(bytes[at]), static_cast<std::uint8_t>(bytes[at + 1]),
                    static_cast<std::uint8_t>(bytes[at + 2])});
    }
  }
  return image;
}

std::optional<Image> ReadBmp(const std::string& path) {
  const std::string bytes = ReadAll(path);
  if (bytes.size() < 54 || bytes[0] != 'B' || bytes[1] != 'M') return std::nullopt;
  const std::uint32_t offset = Little(bytes, 10, 4);
  const auto width = static_cast<std::int32_t>(Little(bytes, 18, 4));
  const auto rawHeight = static_cast<std::int32_t>(Little(bytes, 22, 4));
  if (Little(bytes, 28, 2) != 24 || Little(bytes, 30, 4) != 0 || width <= 0 || rawHeight == 0) {
    return std::nullopt;
  }
  const bool bottomUp = rawHeight > 0;
  const int height = bottomUp ? rawHeight : -rawHeight;
  const std::size_t stride = (static_cast<std::size_t>(width) * 3 + 3) / 4 * 4;
  if (bytes.size() < offset + stride * height) return std::nullopt;
  Image image(width, height);
  for (int row = 0; row < height; ++row) {
    const std::size_t line = offset + stride * row;
    const int y = bottomUp ? height - 1 - row : row;
    for (int x = 0; x < width; ++x) {
      const std::size_t at = line + 3 * x;
      image.Set(
          x, y,
          Rgb{static_cast<std::uint8_t>(bytes[at + 2]), static_cast<std::uint8_t>(bytes[at + 1]),
              static_cast<std::uint8_t>(bytes[at])});
    }
  }
  return image;
}

}  // namespace e2e
