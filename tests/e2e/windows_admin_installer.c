/* The stand-in installer, asking in its manifest for administrator rights as
   a game's installer does (windows_admin_installer.rc). */
#include "windows_installer.c"
