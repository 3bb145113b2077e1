// The engine's files: its folder "varnels" under the Windows directory, and
// every file the engine, the loader and vlconf look for in it, as suffixes of
// the Windows directory (GetWindowsDirectoryA gives no trailing backslash).
#pragma once

inline constexpr char engineFolderSuffix[] = "\\varnels";

inline constexpr char settingsFileName[] = "vl.ini";  // in the current directory, tried first
inline constexpr char settingsFileSuffix[] = "\\varnels\\vl.ini";
inline constexpr char disableMarkerSuffix[] = "\\varnels\\vldis.ini";
inline constexpr char pluginMarkerSuffix[] = "\\varnels\\vlplug.ini";
inline constexpr char progressMarkerSuffix[] = "\\varnels\\vlprog.ini";
inline constexpr char exclusionListSuffix[] = "\\varnels\\vlexcl.ini";
// A process loads only libraries of its own bitness: the 64-bit engine's
// plug-in is a library of its own beside the 32-bit one, wanted by the same
// marker.
#ifdef _WIN64
inline constexpr char pluginLibrarySuffix[] = "\\varnels\\vlplug64.dll";
#else
inline constexpr char pluginLibrarySuffix[] = "\\varnels\\vlplug.dll";
#endif

// The skin bitmaps.
inline constexpr char backgroundBitmapSuffix[] = "\\varnels\\vl.bmp";
inline constexpr char mdiBitmapSuffix[] = "\\varnels\\vlmdi.bmp";
inline constexpr char folderBitmapSuffix[] = "\\varnels\\vlback.bmp";
inline constexpr char progressBitmapSuffix[] = "\\varnels\\vlprog.bmp";
inline constexpr char scrollBarBitmapSuffix[] = "\\varnels\\vlscr.bmp";
inline constexpr char closeBoxBitmapSuffix[] = "\\varnels\\maccl.bmp";
inline constexpr char zoomBoxBitmapSuffix[] = "\\varnels\\macmx.bmp";
inline constexpr char minimiseBoxBitmapSuffix[] = "\\varnels\\macmn.bmp";
inline constexpr char zoomBoxDisabledBitmapSuffix[] = "\\varnels\\macmxd.bmp";
inline constexpr char minimiseBoxDisabledBitmapSuffix[] = "\\varnels\\macmnd.bmp";

// Builds windowsDirectory + suffix into path (size bytes); returns path.
char *engineFilePath(char *path, int size, const char *windowsDirectory, const char *suffix);
