// The file services as the program uses them. On Windows they are the
// system's own, so the same cases check that the POSIX side behaves as
// Windows (or wine) does.

#include "platform/win32/file_api.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "tests/support/planted_files.h"
#include "tests/support/scratch_folder.h"

namespace {

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

HANDLE Open(const std::string& path, DWORD access, DWORD disposition, DWORD flags = 0) {
  return CreateFileA(path.c_str(), access, kShareAll, nullptr, disposition, flags, nullptr);
}

// Both calls that tell them, which must agree.
DWORD AttributesThroughHandle(const std::string& path, DWORD flags) {
  HANDLE file = Open(path, 0, OPEN_EXISTING, flags);
  if (file == INVALID_HANDLE_VALUE) return INVALID_FILE_ATTRIBUTES;
  BY_HANDLE_FILE_INFORMATION information{};
  FILE_BASIC_INFO basic{};
  const BOOL known = GetFileInformationByHandle(file, &information) &&
                     GetFileInformationByHandleEx(file, FileBasicInfo, &basic, sizeof basic);
  CloseHandle(file);
  if (!known) return INVALID_FILE_ATTRIBUTES;
  EXPECT_EQ(basic.FileAttributes, information.dwFileAttributes) << path;
  return information.dwFileAttributes;
}

TEST(FileApi, OpenErrorsSayWhatWasMissingOrThere) {
  test_support::ScratchFolder folder;
  folder.Write("present", "x");
  EXPECT_EQ(Open(folder.PathOf("absent"), GENERIC_READ, OPEN_EXISTING), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  EXPECT_EQ(Open(folder.PathOf("no-folder/absent"), GENERIC_READ, OPEN_EXISTING),
            INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
  EXPECT_EQ(Open(folder.PathOf("present"), GENERIC_WRITE, CREATE_NEW), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_EXISTS));
}

// A folder opens only when asked for as one.
TEST(FileApi, FoldersNeedBackupSemantics) {
  test_support::ScratchFolder folder;
  EXPECT_EQ(Open(folder.PathOf(""), GENERIC_READ, OPEN_EXISTING), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  EXPECT_EQ(AttributesThroughHandle(folder.PathOf(""), FILE_FLAG_BACKUP_SEMANTICS) &
                FILE_ATTRIBUTE_DIRECTORY,
            static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY));
}

TEST(FileApi, WriteEndAndReadBack) {
  test_support::ScratchFolder folder;
  folder.Write("piece", "stale bytes, longer than the new ones");
  HANDLE file = Open(folder.PathOf("piece"), GENERIC_READ | GENERIC_WRITE, OPEN_ALWAYS);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetFileType(file), static_cast<DWORD>(FILE_TYPE_DISK));
  ASSERT_TRUE(SetEndOfFile(file));
  DWORD done = 0;
  ASSERT_TRUE(WriteFile(file, "fresh", 5, &done, nullptr));
  EXPECT_EQ(done, 5u);
  DWORD high = 7;
  EXPECT_EQ(GetFileSize(file, &high), 5u);
  EXPECT_EQ(high, 0u);
  CloseHandle(file);

  file = Open(folder.PathOf("piece"), GENERIC_READ, OPEN_EXISTING);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  char bytes[16] = {};
  ASSERT_TRUE(ReadFile(file, bytes, sizeof bytes, &done, nullptr));
  EXPECT_EQ(std::string(bytes, done), "fresh");
  ASSERT_TRUE(ReadFile(file, bytes, sizeof bytes, &done, nullptr));
  EXPECT_EQ(done, 0u) << "a read at the end reads nothing and succeeds";
  CloseHandle(file);
}

TEST(FileApi, MappingOutlivesItsFileHandle) {
  test_support::ScratchFolder folder;
  folder.Write("piece", "mapped bytes");
  HANDLE file = Open(folder.PathOf("piece"), GENERIC_READ, OPEN_EXISTING);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  HANDLE mapping = CreateFileMappingA(file, nullptr, PAGE_READONLY, 0, 0, nullptr);
  ASSERT_NE(mapping, nullptr);
  CloseHandle(file);
  const void* view = MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 12);
  ASSERT_NE(view, nullptr);
  CloseHandle(mapping);
  EXPECT_EQ(std::memcmp(view, "mapped bytes", 12), 0);
  EXPECT_TRUE(UnmapViewOfFile(view));
}

// Opened as itself, a link to a folder says it is a reparse point. Wine
// opens a Unix link as what it names and shows the link only in the
// attributes of its name.
TEST(FileApi, ReparsePointFlagOpensTheLinkItself) {
  test_support::ScratchFolder folder;
  boost::filesystem::create_directory(folder.PathOf("real"));
  const std::string refused =
      test_support::PlantFolderLink(folder.PathOf("real"), folder.PathOf("link"));
  if (!refused.empty()) GTEST_SKIP() << refused;
  const DWORD asItself = AttributesThroughHandle(
      folder.PathOf("link"), FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT);
  EXPECT_NE(asItself, INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ((asItself & FILE_ATTRIBUTE_REPARSE_POINT) != 0, !test_support::UnderWine());
  EXPECT_EQ(GetFileAttributesA(folder.PathOf("link").c_str()) & FILE_ATTRIBUTE_REPARSE_POINT,
            static_cast<DWORD>(FILE_ATTRIBUTE_REPARSE_POINT));
}

// Nobody writes into the FIFO, and the open does not wait for one.
TEST(FileApi, FifoOpensAtOnceAsAPipe) {
  test_support::ScratchFolder folder;
  const std::string refused = test_support::PlantFifo(folder.PathOf("fifo"));
  if (!refused.empty()) GTEST_SKIP() << refused;
  HANDLE fifo = Open(folder.PathOf("fifo"), GENERIC_READ, OPEN_EXISTING);
  ASSERT_NE(fifo, INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetFileType(fifo), static_cast<DWORD>(FILE_TYPE_PIPE));
  CloseHandle(fifo);
}

}  // namespace
