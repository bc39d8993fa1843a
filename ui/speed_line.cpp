#include "ui/speed_line.h"

#include <iomanip>
#include <limits>
#include <sstream>

#include "ui/ui_texts.h"

std::uint32_t EstimateRemainingSeconds(std::int32_t totalPieces, std::int32_t donePieces,
                                       std::uint64_t pieceSize, std::uint32_t kilobytesPerSecond) {
  constexpr std::uint64_t kMost = std::numeric_limits<std::uint32_t>::max();
  const std::int64_t remainingPieces = static_cast<std::int64_t>(totalPieces) - donePieces;
  if (remainingPieces <= 0 || kilobytesPerSecond == 0) return 0;
  const auto pieces = static_cast<std::uint64_t>(remainingPieces);
  if (pieceSize > std::numeric_limits<std::uint64_t>::max() / pieces) return kMost;
  const std::uint64_t seconds = ((pieces * pieceSize) >> 10) / kilobytesPerSecond;
  return static_cast<std::uint32_t>(seconds < kMost ? seconds : kMost);
}

std::string FormatSpeedLine(std::uint32_t kilobytesPerSecond, std::uint32_t minutes) {
  std::ostringstream line;
  line << kSpeedPrefix << std::setw(5) << kilobytesPerSecond << kSpeedMiddle << std::setw(3)
       << minutes << kSpeedSuffix;
  return line.str();
}
