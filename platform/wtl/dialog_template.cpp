#include "platform/wtl/dialog_template.h"

#include <cstring>

namespace {

constexpr WORD kExtendedVersion = 1;
constexpr WORD kExtendedSignature = 0xFFFF;

// Reads the template's little-endian fields in order and copies whatever it
// is told to keep.
class CTemplateReader {
 public:
  CTemplateReader(const BYTE* data, std::size_t size) : m_data(data), m_size(size) {}

  bool Failed() const { return m_failed; }
  std::size_t Offset() const { return m_offset; }

  template <typename Field>
  Field Read() {
    Field value{};
    if (!Fits(sizeof value)) return value;
    std::memcpy(&value, m_data + m_offset, sizeof value);
    m_offset += sizeof value;
    return value;
  }
  // A name or an ordinal: 0 for none, 0xFFFF and a number, or a zero-ended
  // UTF-16 string, which is returned.
  std::wstring ReadNameOrOrdinal() {
    const WORD first = Peek();
    if (first == 0) {
      Read<WORD>();
      return std::wstring();
    }
    if (first == 0xFFFF) {
      Read<WORD>();
      Read<WORD>();
      return std::wstring();
    }
    return ReadString();
  }
  std::wstring ReadString() {
    std::wstring text;
    for (WORD unit = Read<WORD>(); !m_failed && unit != 0; unit = Read<WORD>()) {
      text.push_back(static_cast<wchar_t>(unit));
    }
    return text;
  }
  void Skip(std::size_t bytes) {
    if (Fits(bytes)) m_offset += bytes;
  }
  // The last item may end the template without its padding.
  void AlignToDword() {
    const std::size_t padding = (4 - m_offset % 4) % 4;
    if (m_offset + padding <= m_size) m_offset += padding;
  }

 private:
  WORD Peek() {
    WORD value = 0;
    if (Fits(sizeof value)) std::memcpy(&value, m_data + m_offset, sizeof value);
    return value;
  }
  bool Fits(std::size_t bytes) {
    if (m_offset + bytes > m_size) m_failed = true;
    return !m_failed;
  }

  const BYTE* m_data;
  std::size_t m_size;
  std::size_t m_offset = 0;
  bool m_failed = false;
};

void AppendBytes(std::vector<BYTE>& out, const BYTE* from, std::size_t count) {
  out.insert(out.end(), from, from + count);
}

void PadToDword(std::vector<BYTE>& out) {
  while (out.size() % 4 != 0) out.push_back(0);
}

}  // namespace

std::optional<SplitDialogTemplate> SplitHostedItems(const BYTE* data, std::size_t size) {
  SplitDialogTemplate split;
  CTemplateReader reader(data, size);
  const WORD version = reader.Read<WORD>();
  const WORD signature = reader.Read<WORD>();
  if (reader.Failed()) return std::nullopt;
  if (version != kExtendedVersion || signature != kExtendedSignature) {
    AppendBytes(split.dialog, data, size);
    return split;
  }
  reader.Read<DWORD>();  // help id
  reader.Read<DWORD>();  // extended style
  const DWORD style = reader.Read<DWORD>();
  const std::size_t countOffset = reader.Offset();
  WORD itemCount = reader.Read<WORD>();
  reader.Skip(4 * sizeof(short));
  reader.ReadNameOrOrdinal();  // menu
  reader.ReadNameOrOrdinal();  // class
  reader.ReadString();         // title
  if (style & (DS_SETFONT | DS_SHELLFONT)) {
    reader.Skip(2 * sizeof(WORD) + 2 * sizeof(BYTE));  // size, weight, italic, character set
    reader.ReadString();
  }
  reader.AlignToDword();
  if (reader.Failed()) return std::nullopt;
  AppendBytes(split.dialog, data, reader.Offset());

  WORD kept = 0;
  DWORD previousId = 0;
  for (WORD index = 0; index < itemCount; ++index) {
    const std::size_t start = reader.Offset();
    HostedItem item{};
    reader.Read<DWORD>();  // help id
    item.exStyle = reader.Read<DWORD>();
    item.style = reader.Read<DWORD>();
    item.dialogUnits.left = reader.Read<short>();
    item.dialogUnits.top = reader.Read<short>();
    item.dialogUnits.right = item.dialogUnits.left + reader.Read<short>();
    item.dialogUnits.bottom = item.dialogUnits.top + reader.Read<short>();
    item.id = reader.Read<DWORD>();
    const std::wstring className = reader.ReadNameOrOrdinal();
    reader.ReadNameOrOrdinal();  // title
    reader.Skip(reader.Read<WORD>());
    reader.AlignToDword();
    if (reader.Failed()) return std::nullopt;
    if (!className.empty() && className[0] == L'{') {
      item.classId = className;
      item.previousId = previousId;
      split.hosted.push_back(item);
    } else {
      AppendBytes(split.dialog, data + start, reader.Offset() - start);
      PadToDword(split.dialog);
      ++kept;
    }
    previousId = item.id;
  }
  std::memcpy(split.dialog.data() + countOffset, &kept, sizeof kept);
  return split;
}

std::map<DWORD, std::vector<BYTE>> ParseDialogInit(const BYTE* data, std::size_t size) {
  std::map<DWORD, std::vector<BYTE>> records;
  CTemplateReader reader(data, size);
  for (;;) {
    const WORD id = reader.Read<WORD>();
    if (reader.Failed() || id == 0) break;
    const WORD message = reader.Read<WORD>();
    const DWORD length = reader.Read<DWORD>();
    if (reader.Failed() || length > size - reader.Offset()) break;
    if (message == WM_OCC_LOADFROMSTREAM) {
      records[id].assign(data + reader.Offset(), data + reader.Offset() + length);
    }
    reader.Skip(length);
  }
  return records;
}
