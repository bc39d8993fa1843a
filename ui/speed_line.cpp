#include "ui/speed_line.h"

#include <iomanip>
#include <sstream>

#include "ui/ui_texts.h"

std::uint32_t EstimateRemainingSeconds(std::int32_t totalPieces, std::int32_t donePieces,
                                       std::uint32_t pieceSize, std::uint32_t kilobytesPerSecond) {
  const std::int64_t remainingPieces = static_cast<std::int64_t>(totalPieces) - donePieces;
  if (remainingPieces <= 0 || kilobytesPerSecond == 0) return 0;
  const std::uint64_t remainingBytes = static_cast<std::uint64_t>(remainingPieces) * pieceSize;
  return static_cast<std::uint32_t>((remainingBytes >> 10) / kilobytesPerSecond);
}

std::string FormatSpeedLine(std::uint32_t kilobytesPerSecond, std::uint32_t minutes) {
  std::ostringstream line;
  line << kSpeedPrefix << std::setw(5) << kilobytesPerSecond << kSpeedMiddle << std::setw(3)
       << minutes << kSpeedSuffix;
  return line.str();
}
