#include "engine/background_write.h"

bool WriteWholeBlock(HANDLE file, const char* data, std::size_t count) {
  DWORD written = 0;
  return WriteFile(file, data, static_cast<DWORD>(count), &written, nullptr) &&
         written == static_cast<DWORD>(count);
}

bool DigestAndWrite(HANDLE file, CSha256* digest, const char* data, std::size_t count) {
  if (digest != nullptr) digest->Update(data, count);
  return WriteWholeBlock(file, data, count);
}

std::unique_ptr<CBackgroundWrite> CBackgroundWrite::Begin(HANDLE file, CSha256* digest) {
  std::unique_ptr<CBackgroundWrite> writer(new CBackgroundWrite(file, digest));
  try {
    writer->m_thread = boost::thread([raw = writer.get()] { raw->Run(); });
  } catch (const boost::thread_resource_error&) {
    return nullptr;
  }
  return writer;
}

CBackgroundWrite::~CBackgroundWrite() {
  AcquireSRWLockExclusive(&m_lock);
  WaitUntilIdle();
  m_closing = true;
  ReleaseSRWLockExclusive(&m_lock);
  WakeAllConditionVariable(&m_changed);
  if (m_thread.joinable()) m_thread.join();
}

bool CBackgroundWrite::Start(const char* data, std::size_t count) {
  AcquireSRWLockExclusive(&m_lock);
  WaitUntilIdle();
  const bool usable = !m_failed;
  if (usable) {
    m_block = data;
    m_count = count;
  }
  ReleaseSRWLockExclusive(&m_lock);
  if (usable) WakeAllConditionVariable(&m_changed);
  return usable;
}

bool CBackgroundWrite::Finish() {
  AcquireSRWLockExclusive(&m_lock);
  WaitUntilIdle();
  const bool usable = !m_failed;
  ReleaseSRWLockExclusive(&m_lock);
  return usable;
}

void CBackgroundWrite::WaitUntilIdle() {
  while (m_block != nullptr) SleepConditionVariableSRW(&m_changed, &m_lock, INFINITE, 0);
}

void CBackgroundWrite::Run() {
  AcquireSRWLockExclusive(&m_lock);
  for (;;) {
    while (m_block == nullptr && !m_closing) {
      SleepConditionVariableSRW(&m_changed, &m_lock, INFINITE, 0);
    }
    if (m_block == nullptr) break;
    const char* block = m_block;
    const std::size_t count = m_count;
    ReleaseSRWLockExclusive(&m_lock);
    const bool written = DigestAndWrite(m_file, m_digest, block, count);
    AcquireSRWLockExclusive(&m_lock);
    m_failed = m_failed || !written;
    m_block = nullptr;
    WakeAllConditionVariable(&m_changed);
  }
  ReleaseSRWLockExclusive(&m_lock);
}
