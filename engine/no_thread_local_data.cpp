// Only in varnel.dll, never in the static library the tests link.
//
// Windows 95 refuses to LoadLibrary a DLL that has a TLS directory (Microsoft
// KB118816), and the hooks are installed by loading this DLL into every GUI
// process. MinGW-w64's DLL start-up code links its TLS support, and with it
// the directory, only through its reference to this callback pointer; the
// engine keeps no thread-local data, so a definition of its own that points
// nowhere leaves the directory out.
#include <windows.h>

extern "C" const PIMAGE_TLS_CALLBACK __dyn_tls_init_callback = NULL;
