/* Stands in for the game's installer as a real Windows program: it leaves a
   marker in its current folder saying whether it runs under wine (ntdll then
   exports wine_get_version), the wine version, its folder and its command
   line. */
#include <stdio.h>
#include <windows.h>

typedef const char*(__cdecl* WineVersion)(void);

int main(void) {
  char folder[MAX_PATH] = "";
  GetCurrentDirectoryA(sizeof folder, folder);
  HMODULE ntdll = GetModuleHandleA("ntdll.dll");
  WineVersion version =
      ntdll ? (WineVersion)(void*)GetProcAddress(ntdll, "wine_get_version") : NULL;
  FILE* marker = fopen("windows-installer-ran.part", "wb");
  if (marker == NULL) return 1;
  fprintf(marker, "under wine: %s\n", version ? "yes" : "no");
  fprintf(marker, "wine version: %s\n", version ? version() : "");
  fprintf(marker, "folder: %s\n", folder);
  fprintf(marker, "command line: %s\n", GetCommandLineA());
  fclose(marker);
  MoveFileA("windows-installer-ran.part", "windows-installer-ran.txt");
  return 0;
}
