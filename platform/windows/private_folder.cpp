#include "platform/win32/private_folder.h"

#include <aclapi.h>
#include <sddl.h>
#include <windows.h>

#include <memory>
#include <vector>

#include "platform/win32/kernel_handle.h"
#include "platform/win32/utf8_path.h"

namespace {

// Rights that let someone put a file into a folder, take one out or take the
// folder over.
constexpr ACCESS_MASK kChangingRights = FILE_ADD_FILE | FILE_ADD_SUBDIRECTORY | FILE_DELETE_CHILD |
                                        WRITE_DAC | WRITE_OWNER | GENERIC_WRITE | GENERIC_ALL |
                                        MAXIMUM_ALLOWED;

struct LocalFreeDeleter {
  void operator()(void* memory) const { LocalFree(memory); }
};
using LocalMemory = std::unique_ptr<void, LocalFreeDeleter>;

std::string WithoutTrailingSeparator(std::string path) {
  while (path.size() > 1 && (path.back() == '\\' || path.back() == '/')) path.pop_back();
  return path;
}

// One token information record, or empty.
std::vector<BYTE> TokenRecord(TOKEN_INFORMATION_CLASS kind) {
  HANDLE raw = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &raw)) return {};
  CHandle token(raw);
  DWORD length = 0;
  GetTokenInformation(token.Get(), kind, nullptr, 0, &length);
  std::vector<BYTE> record(length);
  if (length == 0 || !GetTokenInformation(token.Get(), kind, record.data(), length, &length)) {
    return {};
  }
  return record;
}

// The user, and the owner this user's new objects get (for an elevated
// administrator that is the Administrators group).
struct CUserSids {
  CUserSids() : m_user(TokenRecord(TokenUser)), m_owner(TokenRecord(TokenOwner)) {}
  PSID User() const {
    return m_user.empty() ? nullptr : reinterpret_cast<const TOKEN_USER*>(m_user.data())->User.Sid;
  }
  PSID Owner() const {
    return m_owner.empty() ? nullptr : reinterpret_cast<const TOKEN_OWNER*>(m_owner.data())->Owner;
  }
  bool IsOneOfUs(PSID sid) const {
    return (User() != nullptr && EqualSid(sid, User())) ||
           (Owner() != nullptr && EqualSid(sid, Owner()));
  }

 private:
  std::vector<BYTE> m_user;
  std::vector<BYTE> m_owner;
};

bool IsWellKnown(PSID sid, WELL_KNOWN_SID_TYPE type) { return IsWellKnownSid(sid, type) != FALSE; }

// Those who may change the folder without making it anyone else's: its owner,
// the system and the administrators, who can take any folder anyway.
bool MayChangeIt(PSID sid, PSID folderOwner, const CUserSids& us) {
  return us.IsOneOfUs(sid) || EqualSid(sid, folderOwner) || IsWellKnown(sid, WinLocalSystemSid) ||
         IsWellKnown(sid, WinBuiltinAdministratorsSid) || IsWellKnown(sid, WinCreatorOwnerSid);
}

// No access list at all lets everyone in.
bool OnlyUsMayChange(PACL dacl, PSID folderOwner, const CUserSids& us) {
  if (dacl == nullptr) return false;
  for (DWORD index = 0; index < dacl->AceCount; ++index) {
    void* entry = nullptr;
    if (!GetAce(dacl, index, &entry)) return false;
    const auto* header = static_cast<const ACE_HEADER*>(entry);
    // Entries that only pass on to what the folder holds do not apply to it.
    if (header->AceType != ACCESS_ALLOWED_ACE_TYPE || (header->AceFlags & INHERIT_ONLY_ACE)) {
      continue;
    }
    const auto* allowed = static_cast<const ACCESS_ALLOWED_ACE*>(entry);
    PSID sid = const_cast<DWORD*>(&allowed->SidStart);
    if ((allowed->Mask & kChangingRights) != 0 && !MayChangeIt(sid, folderOwner, us)) return false;
  }
  return true;
}

}  // namespace

bool CreatePrivateFolder(const std::string& path) {
  const CUserSids us;
  LPSTR user = nullptr;
  if (us.User() == nullptr || !ConvertSidToStringSidA(us.User(), &user)) return false;
  const LocalMemory userText(user);
  // Protected: nothing is inherited from the folder it is made in.
  const std::string rules = std::string("D:P(A;OICI;FA;;;SY)(A;OICI;FA;;;") + user + ")";
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (!ConvertStringSecurityDescriptorToSecurityDescriptorA(rules.c_str(), SDDL_REVISION_1,
                                                            &descriptor, nullptr)) {
    return false;
  }
  const LocalMemory descriptorMemory(descriptor);
  SECURITY_ATTRIBUTES attributes{sizeof attributes, descriptor, FALSE};
  return CreateDirectoryUtf8(WithoutTrailingSeparator(path).c_str(), &attributes) != FALSE;
}

// Looked at through one handle, so what is tested is what was opened. Wine
// opens a Unix link to a folder as the folder, and only the name's own
// attributes show the link, so those are looked at first.
bool IsPrivateFolder(const std::string& path) {
  if (path.empty()) return false;
  const DWORD named = GetFileAttributesUtf8(WithoutTrailingSeparator(path).c_str());
  if (named == INVALID_FILE_ATTRIBUTES || (named & FILE_ATTRIBUTE_REPARSE_POINT)) return false;
  CHandle folder(
      CreateFileUtf8(WithoutTrailingSeparator(path).c_str(), READ_CONTROL | FILE_READ_ATTRIBUTES,
                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                     FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  if (!folder.IsValid()) return false;
  BY_HANDLE_FILE_INFORMATION information{};
  if (!GetFileInformationByHandle(folder.Get(), &information)) return false;
  const DWORD attributes = information.dwFileAttributes;
  if (!(attributes & FILE_ATTRIBUTE_DIRECTORY) || (attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
    return false;
  }
  PSID owner = nullptr;
  PACL dacl = nullptr;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (GetSecurityInfo(folder.Get(), SE_FILE_OBJECT,
                      OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, &owner, nullptr,
                      &dacl, nullptr, &descriptor) != ERROR_SUCCESS) {
    return false;
  }
  const LocalMemory descriptorMemory(descriptor);
  const CUserSids us;
  return owner != nullptr && us.IsOneOfUs(owner) && OnlyUsMayChange(dacl, owner, us);
}
