/* Shows a message box made as the Windows program makes its error boxes (no
   icon, one OK button) with the text given as the only argument, under the
   title "e2e-reference-box". The text comes as its UTF-16 code units, four
   hexadecimal digits each ("0042" "0061" "011F" ...): plain ASCII, which
   wine passes on unchanged whatever the locale it decodes a Unix command
   line with. It stays open until killed. */
#include <stdlib.h>
#include <string.h>
#include <windows.h>

static int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

/* The text the digits spell, or NULL when they do not spell one. */
static LPWSTR DecodeUnits(const char* digits) {
  size_t length = strlen(digits), i, j;
  LPWSTR text;
  if (length == 0 || length % 4 != 0) return NULL;
  text = calloc(length / 4 + 1, sizeof(WCHAR));
  if (text == NULL) return NULL;
  for (i = 0; i < length / 4; ++i) {
    unsigned unit = 0;
    for (j = 0; j < 4; ++j) {
      const int value = HexDigit(digits[4 * i + j]);
      if (value < 0) {
        free(text);
        return NULL;
      }
      unit = unit * 16 + (unsigned)value;
    }
    text[i] = (WCHAR)unit;
  }
  return text;
}

int main(int argc, char** argv) {
  LPWSTR text;
  if (argc != 2 || (text = DecodeUnits(argv[1])) == NULL) return 2;
  for (;;) MessageBoxW(NULL, text, L"e2e-reference-box", MB_OK);
}
