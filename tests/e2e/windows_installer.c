/* Stands in for the game's installer as a real Windows program: it leaves a
   marker in its current folder saying whether it runs under wine (ntdll then
   exports wine_get_version), the wine version, the ANSI code page, its folder
   and its command line. Folder and command line are read wide and written in
   UTF-8, so no letter of a path is lost to the code page. */
#include <stdio.h>
#include <windows.h>

typedef const char*(__cdecl* WineVersion)(void);

static void WriteUtf8(FILE* marker, const wchar_t* text) {
  char bytes[4 * MAX_PATH * 4];
  if (WideCharToMultiByte(CP_UTF8, 0, text, -1, bytes, sizeof bytes, NULL, NULL) > 0) {
    fputs(bytes, marker);
  }
}

int main(void) {
  wchar_t folder[MAX_PATH] = L"";
  GetCurrentDirectoryW(MAX_PATH, folder);
  HMODULE ntdll = GetModuleHandleA("ntdll.dll");
  WineVersion version =
      ntdll ? (WineVersion)(void*)GetProcAddress(ntdll, "wine_get_version") : NULL;
  FILE* marker = fopen("windows-installer-ran.part", "wb");
  if (marker == NULL) return 1;
  fprintf(marker, "under wine: %s\n", version ? "yes" : "no");
  fprintf(marker, "wine version: %s\n", version ? version() : "");
  fprintf(marker, "code page: %u\n", GetACP());
  fputs("folder: ", marker);
  WriteUtf8(marker, folder);
  fputs("\ncommand line: ", marker);
  WriteUtf8(marker, GetCommandLineW());
  fputs("\n", marker);
  fclose(marker);
  MoveFileA("windows-installer-ran.part", "windows-installer-ran.txt");
  return 0;
}
