#pragma once
// Dialog templates as resources hold them, for the framework's ActiveX
// hosting: items whose class is a class identifier ("{...}") are taken out
// of a copy of the template, which the system can then make, and made by the
// framework itself as host windows; their initial data comes from the
// dialog's DLGINIT resource. Pure data; any thread.

#include <windows.h>

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

struct HostedItem {
  DWORD id;
  DWORD style;
  DWORD exStyle;
  RECT dialogUnits;  // left, top, right, bottom
  std::wstring classId;
  // The item that precedes it in the template (and so in the Z order and
  // tab order), or 0 for the first.
  DWORD previousId;
};

struct SplitDialogTemplate {
  std::vector<BYTE> dialog;  // DWORD-aligned, ready for CreateDialogIndirectParam
  std::vector<HostedItem> hosted;
};

// An extended template (DIALOGEX) with its hosted items taken out; a plain
// one is copied as it is. Empty when the bytes are no template.
std::optional<SplitDialogTemplate> SplitHostedItems(const BYTE* data, std::size_t size);

// The persisted state (WM_OCC_LOADFROMSTREAM records) of a DLGINIT resource,
// by control identifier. Records of other kinds are passed over; a record
// that runs past the end stops the reading.
std::map<DWORD, std::vector<BYTE>> ParseDialogInit(const BYTE* data, std::size_t size);

constexpr WORD WM_OCC_LOADFROMSTREAM = 0x0376;
