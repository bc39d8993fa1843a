#include "engine/download_engine.h"

#include <curl/curl.h>

#include <boost/bind/bind.hpp>
#include <fstream>
#include <limits>
#include <memory>

#include "engine/download_globals.h"
#include "engine/download_messages.h"
#include "engine/piece_content.h"
#include "engine/piece_file.h"
#include "engine/piece_path.h"
#include "engine/system_proxy.h"
#include "platform/win32/kernel_event.h"
#include "platform/win32/message_target.h"
#include "platform/win32/process_clock.h"
#include "platform/win32/utf8_path.h"
#include "utility/crc32_fold.h"
#include "utility/easy_curl.h"
#include "utility/fetch_url.h"

namespace {

namespace ph = boost::placeholders;

constexpr double kTicksPerSecond = 1000.0;
constexpr double kProgressInterval = 0.1;
constexpr double kRateInterval = 2.4;
constexpr double kBytesPerKilobyte = 1024.0;
constexpr size_t kStopTransfer = static_cast<size_t>(-1);
constexpr long kReceiveBlock = 512 * 1024;       // libcurl's largest
constexpr std::uint32_t kStopTestInterval = 10;  // milliseconds

// "Önceden indirilmiş parçalar kontrol ediliyor" in Windows-1254.
const char kCheckingText[] =
    "\xD6nceden indirilmi\xFE par\xE7"
    "alar kontrol ediliyor";

std::int32_t ScaledPosition(double part, double whole) {
  const double scaled = part / whole * kProgressScale;
  if (!(scaled < static_cast<double>(std::numeric_limits<std::int32_t>::max()))) {
    return std::numeric_limits<std::int32_t>::max();
  }
  return static_cast<std::int32_t>(scaled);
}

bool ChecksumsReadable(const std::list<PieceEntry>& entries) {
  std::uint32_t value = 0;
  for (const PieceEntry& entry : entries) {
    if (!ParseChecksum(entry.crc, value)) return false;
  }
  return true;
}

}  // namespace

void CDownloadEngine::SetStatusText(const char* text) {
  boost::mutex::scoped_lock lock(m_mutex);
  m_strStatus = text;
}

bool CDownloadEngine::StopRequested(DWORD milliseconds) const {
  return WaitForSingleObject(m_hStopEvent, milliseconds) == WAIT_OBJECT_0;
}

// libcurl calls back for every block of at most 16 KiB; under wine each test
// of a kernel event is a round trip to the wine server, which at that rate
// halved the throughput. So the callbacks test the event only when the clock
// has moved on since their last test (or back: tests set it), and keep a stop
// once seen. A close is noticed at most that interval later.
bool CDownloadEngine::StopNoticedByCallback() {
  if (m_bStopSeen) return true;
  const std::int32_t now = ProcessClock();
  if (m_lastStopTest) {
    const auto since =
        static_cast<std::uint32_t>(now) - static_cast<std::uint32_t>(*m_lastStopTest);
    if (since < kStopTestInterval) return false;
  }
  m_lastStopTest = now;
  m_bStopSeen = StopRequested(0);
  return m_bStopSeen;
}

void CDownloadEngine::PostReport(UINT message, WPARAM wParam, LPARAM lParam) {
  PostMessageA(m_hWnd, message, wParam, lParam);
}

std::int32_t CDownloadEngine::OverallPosition() const {
  const std::int32_t total = m_nTotalPieces.load(std::memory_order_relaxed);
  if (total <= 0) return 0;
  return ScaledPosition(m_nDonePieces.load(std::memory_order_relaxed), total);
}

void CDownloadEngine::DownloadThread() {
  const std::string text = FetchManifest();
  if (StopRequested(0)) return;

  std::optional<PackageManifest> plan = ParseManifest(text);
  if (!plan || !ChecksumsReadable(plan->entries)) {
    PostReport(WM_DOWNLOAD_ERROR, DOWNLOAD_ERROR_PACKAGE_DATA, 0);
    return;
  }
  m_acceptance = m_packageKey ? CPieceAcceptance(*m_packageKey, plan->entries) : CPieceAcceptance();
  if (!m_acceptance.ListComesFirst()) {
    PostReport(WM_DOWNLOAD_ERROR, DOWNLOAD_ERROR_PACKAGE_DATA, 0);
    return;
  }
  m_nTotalPieces = plan->totalPieces;
  if (!plan->installerName.empty())
    g_strInstallerPath = PiecePath(g_strTempDir, plan->installerName);

  CheckExistingPieces(g_strTempDir.c_str(), plan->entries);
  PostCompletePieces(plan->entries);
  if (m_acceptance.AwaitsList() && !FetchSignedList(plan->baseUrl, plan->entries)) return;
  m_installerDigest = m_acceptance.SignedDigestOf(plan->installerName);
  PostReport(WM_DOWNLOAD_RATE, 0, 0);

  if (!DownloadMissingPieces(plan->baseUrl, plan->entries)) return;
  PostEnd();
}

void CDownloadEngine::PostEnd() {
  PostReport(WM_DOWNLOAD_PROGRESS, kProgressScale, kProgressScale);
  PostReport(WM_DOWNLOAD_FINISHED, 0, 0);
}

// The list was not on disk, or not the package's: it is fetched before
// anything else, and the rest is checked only once it counts. False when
// the worker has ended (a failed fetch ends as a failed piece does).
bool CDownloadEngine::FetchSignedList(const std::string& baseUrl, std::list<PieceEntry>& entries) {
  if (StopRequested(0)) {
    PostEnd();
    return false;
  }
  switch (DownloadPiece(baseUrl, entries.front())) {
    case PieceOutcome::Done:
      break;
    case PieceOutcome::Failed:
      PostEnd();
      return false;
    case PieceOutcome::FileError:
      return false;
  }
  entries.pop_front();
  CheckExistingPieces(g_strTempDir.c_str(), entries);
  PostCompletePieces(entries);
  return true;
}

// HTTP errors fail the fetch, and closing the window aborts a stalled fetch at
// libcurl's next progress call.
// A fetch that cannot even make its handle yields no text, like any failed one.
std::string CDownloadEngine::FetchManifest() {
  try {
    kelpa::utility::fetch_url manifest(g_szManifestUrl);
    curl_easy_setopt(manifest.curl.handle(), CURLOPT_FAILONERROR, 1L);
    if (!UseSystemProxy(manifest.curl.handle(), g_szManifestUrl, m_hStopEvent)) {
      return std::string();
    }
    manifest.curl.progress_function = [this](double, double, double, double, void*) {
      return StopRequested(0) ? -1 : 0;
    };
    return manifest.fetch();
  } catch (const kelpa::utility::curl_init_error&) {
    return std::string();
  }
}

void CDownloadEngine::PostCompletePieces(std::list<PieceEntry>& entries) {
  for (auto entry = entries.begin(); entry != entries.end();) {
    if (!entry->complete) {
      ++entry;
      continue;
    }
    ++m_nDonePieces;
    PostReport(WM_DOWNLOAD_PROGRESS, 0, OverallPosition());
    entry = entries.erase(entry);
  }
}

// False after a file error, which ends the worker without the final pair.
bool CDownloadEngine::DownloadMissingPieces(const std::string& baseUrl,
                                            std::list<PieceEntry>& queue) {
  while (!StopRequested(0) && !queue.empty()) {
    const PieceEntry entry = queue.front();
    queue.pop_front();
    switch (DownloadPiece(baseUrl, entry)) {
      case PieceOutcome::Done:
        break;
      case PieceOutcome::Failed:
        return true;
      case PieceOutcome::FileError:
        return false;
    }
  }
  return true;
}

CDownloadEngine::PieceOutcome CDownloadEngine::DownloadPiece(const std::string& baseUrl,
                                                             const PieceEntry& entry) {
  // Outlives the file, whose writes feed it.
  std::unique_ptr<CSha256> digest;
  if (m_acceptance.WantsDigest()) digest = std::make_unique<CSha256>();
  CPieceFile file(PiecePath(g_strTempDir, entry.name), digest.get());
  if (!file.Opened()) {
    PostReport(WM_DOWNLOAD_ERROR, DOWNLOAD_ERROR_FILE_WRITE, 0);
    return PieceOutcome::FileError;
  }
  const int code = TransferPiece(baseUrl + "/" + entry.name, file);
  if (code != CURLE_OK) {
    PostReport(WM_DOWNLOAD_ERROR, MakeConnectionError(code), 0);
    return PieceOutcome::Failed;
  }
  // The last block may still sit in the stream's buffer.
  if (!file.flush()) {
    PostReport(WM_DOWNLOAD_ERROR, DOWNLOAD_ERROR_FILE_WRITE, 0);
    return PieceOutcome::Failed;
  }
  if (!PieceCounts(entry, digest.get())) {
    PostReport(WM_DOWNLOAD_ERROR, DOWNLOAD_ERROR_PACKAGE_DATA, 0);
    return PieceOutcome::Failed;
  }
  ++m_nDonePieces;
  PostReport(WM_DOWNLOAD_PROGRESS, kProgressScale, OverallPosition());
  ResetRateState();
  return PieceOutcome::Done;
}

// The list is read back from its file: what counts is what lies on disk.
bool CDownloadEngine::PieceCounts(const PieceEntry& entry, CSha256* digest) {
  if (m_acceptance.AwaitsList()) {
    const std::optional<std::string> bytes =
        ReadSmallPiece(PiecePath(g_strTempDir, entry.name), kSignedListLargest);
    return bytes && m_acceptance.TakeList(*bytes);
  }
  std::optional<Sha256Digest> sha;
  if (digest != nullptr) sha = digest->Finish();
  return m_acceptance.Counts(entry, m_dwPieceCrc, sha);
}

// Returns libcurl's code; a handle that cannot be made counts as a failed
// initialisation of the transfer.
int CDownloadEngine::TransferPiece(const std::string& url, std::fstream& file) {
  m_dwPieceCrc = 0;
  try {
    kelpa::utility::easy_curl transfer;
    curl_easy_setopt(transfer.handle(), CURLOPT_FAILONERROR, 1L);
    // A stop while the proxy is awaited ends the piece as a stop in the
    // transfer would.
    if (!UseSystemProxy(transfer.handle(), url, m_hStopEvent)) return CURLE_ABORTED_BY_CALLBACK;
    // libcurl's default 16 KiB blocks cost about a fifth of the throughput on a
    // fast link, and under wine every receive is a round trip to the wine
    // server: the largest block takes the fewest.
    curl_easy_setopt(transfer.handle(), CURLOPT_BUFFERSIZE, kReceiveBlock);
    transfer.write_function =
        boost::bind(&CDownloadEngine::OnCurlWrite, this, ph::_1, ph::_2, ph::_3, ph::_4);
    transfer.progress_function =
        boost::bind(&CDownloadEngine::OnCurlProgress, this, ph::_1, ph::_2, ph::_3, ph::_4);
    transfer.url = url;
    transfer.write_data = &file;
    return transfer.perform();
  } catch (const kelpa::utility::curl_init_error&) {
    return CURLE_FAILED_INIT;
  }
}

void CDownloadEngine::ResetRateState() {
  m_nLastProgressTick = 0;
  m_nLastRateTick = 0;
  m_dLastProgressBytes = 0.0;
  m_dLastRateBytes = 0.0;
}

// With a key and no list yet, only the list, the manifest's first piece, is
// looked at: nothing else can count before it does.
void CDownloadEngine::CheckExistingPieces(const char* folder, std::list<PieceEntry>& entries) {
  const DWORD attributes = GetFileAttributesUtf8(folder);
  if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) return;

  std::int32_t step = 1;
  for (PieceEntry& entry : entries) {
    if (StopRequested(0)) return;
    const std::string path = PiecePath(folder, entry.name);
    if (m_acceptance.AwaitsList()) {
      if (&entry != &entries.front()) return;
      const std::optional<std::string> bytes = ReadSmallPiece(path, kSignedListLargest);
      entry.complete = bytes && m_acceptance.TakeList(*bytes);
    } else {
      const PieceContent content = ReadPieceContent(path, m_acceptance.WantsDigest());
      entry.complete = m_acceptance.Counts(entry, content.crc, content.digest);
    }

    ++step;
    const std::string status = std::string(kCheckingText) + std::string(step % 4, '.');
    SetStatusText(status.c_str());
    InvalidateRect(m_hWnd, &g_rcStatus, TRUE);
  }
}

size_t CDownloadEngine::OnCurlWrite(const char* data, size_t size, size_t count, void* stream) {
  if (StopNoticedByCallback()) return kStopTransfer;
  const size_t bytes = size * count;
  auto* file = static_cast<std::fstream*>(stream);
  file->write(data, static_cast<std::streamsize>(bytes));
  if (file->bad()) {
    PostReport(WM_DOWNLOAD_ERROR, DOWNLOAD_ERROR_FILE_WRITE, 0);
    return kStopTransfer;
  }
  m_dwPieceCrc = Crc32Update(m_dwPieceCrc, data, bytes);
  return bytes;
}

int CDownloadEngine::OnCurlProgress(double downloadTotal, double downloadNow, double, double) {
  if (StopNoticedByCallback()) return -1;
  if (downloadTotal == 0) return 0;
  if (m_nPieceSize < downloadTotal) {
    m_nPieceSize = static_cast<std::uint64_t>(downloadTotal);
  }
  const std::int32_t piecePosition = ScaledPosition(downloadNow, downloadTotal);
  const std::int32_t overallPosition = OverallPosition();

  const std::int32_t now = ProcessClock();
  const double sinceProgress = (now - m_nLastProgressTick) / kTicksPerSecond;
  const double sinceRate = (now - m_nLastRateTick) / kTicksPerSecond;
  if (sinceProgress > kProgressInterval) {
    PostReport(WM_DOWNLOAD_PROGRESS, piecePosition, overallPosition);
    m_dLastProgressBytes = downloadNow;
    m_nLastProgressTick = now;
  }
  if (sinceRate > kRateInterval) {
    const auto rate = static_cast<std::uint32_t>((downloadNow - m_dLastRateBytes) /
                                                 kBytesPerKilobyte / sinceRate);
    if (m_nLastRateTick > 0) PostReport(WM_DOWNLOAD_RATE, NominalSizeParam(m_nPieceSize), rate);
    m_dLastRateBytes = downloadNow;
    m_nLastRateTick = now;
  }
  return 0;
}
