#pragma once
// The download half of the main dialog: the worker body, the piece check and
// the transfer callbacks, with the state they share with the window. The
// dialog derives from this class; tests construct it alone with a recording
// window. DownloadThread and the callbacks run on the worker thread; the
// window only signals m_hStopEvent, calls SetStatusText, and reads
// m_nTotalPieces and m_nDonePieces. m_packageKey is set before the worker
// starts; m_installerDigest is written by the worker before it posts
// WM_DOWNLOAD_FINISHED and read by the window only after that.

#include <atomic>
#include <boost/thread/mutex.hpp>
#include <cstddef>
#include <cstdint>
#include <iosfwd>
#include <list>
#include <optional>
#include <string>

#include "engine/package_manifest.h"
#include "engine/piece_acceptance.h"
#include "platform/win32/windows_types.h"

class CDownloadEngine {
 public:
  CDownloadEngine() = default;
  CDownloadEngine(const CDownloadEngine&) = delete;
  CDownloadEngine& operator=(const CDownloadEngine&) = delete;

  void DownloadThread();
  void CheckExistingPieces(const char* folder, std::list<PieceEntry>& entries);
  size_t OnCurlWrite(const char* data, size_t size, size_t count, void* stream);
  int OnCurlProgress(double downloadTotal, double downloadNow, double uploadTotal,
                     double uploadNow);
  // Any thread; does not repaint.
  void SetStatusText(const char* text);

  HWND m_hWnd = nullptr;
  HANDLE m_hStopEvent = nullptr;
  // The publisher's key, when the program was built with one: the package
  // must then be signed with it.
  std::optional<P256PublicKey> m_packageKey;
  // The installer's SHA-256 as the publisher signed it; none for a package
  // taken without a key.
  std::optional<Sha256Digest> m_installerDigest;

  // Rate estimation, worker thread only.
  std::int32_t m_nLastProgressTick = 0;
  double m_dLastProgressBytes = 0.0;
  std::int32_t m_nLastRateTick = 0;
  double m_dLastRateBytes = 0.0;
  std::uint64_t m_nPieceSize = 0;
  // Written by the worker, read by the window's rate handler.
  std::atomic<std::int32_t> m_nTotalPieces{0};
  std::atomic<std::int32_t> m_nDonePieces{0};
  // CRC-32 of the bytes written so far into the current piece.
  std::uint32_t m_dwPieceCrc = 0;
  // When the callbacks last tested the stop event, and whether it was set.
  std::optional<std::int32_t> m_lastStopTest;
  bool m_bStopSeen = false;

  boost::mutex m_mutex;
  std::string m_strStatus;  // Windows-1254; guarded by m_mutex

  // Which piece counts as done; worker thread only.
  CPieceAcceptance m_acceptance;

 private:
  enum class PieceOutcome { Done, Failed, FileError };

  bool StopRequested(DWORD milliseconds) const;
  bool StopNoticedByCallback();
  std::string FetchManifest();
  void PostReport(UINT message, WPARAM wParam, LPARAM lParam);
  std::int32_t OverallPosition() const;
  void PostCompletePieces(std::list<PieceEntry>& entries);
  void PostEnd();
  bool FetchSignedList(const std::string& baseUrl, std::list<PieceEntry>& entries);
  bool PieceCounts(const PieceEntry& entry, CSha256* digest);
  bool DownloadMissingPieces(const std::string& baseUrl, std::list<PieceEntry>& queue);
  PieceOutcome DownloadPiece(const std::string& baseUrl, const PieceEntry& entry);
  int TransferPiece(const std::string& url, std::fstream& file);
  void ResetRateState();
};
