#pragma once
// The status line during transfers: speed in KiB/s and the remaining time in
// whole minutes, Windows-1254.

#include <cstdint>
#include <string>

// Seconds left for the pieces not done yet at the given speed; 0 when the
// count of done pieces has reached (or passed) the total, and the largest
// value when the answer would not fit.
std::uint32_t EstimateRemainingSeconds(std::int32_t totalPieces, std::int32_t donePieces,
                                       std::uint64_t pieceSize, std::uint32_t kilobytesPerSecond);

// Speed right-aligned in 5 places, minutes in 3; wider numbers take more room.
std::string FormatSpeedLine(std::uint32_t kilobytesPerSecond, std::uint32_t minutes);
