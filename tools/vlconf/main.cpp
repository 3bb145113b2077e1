// vlconf.exe: the settings tool of varnel.
#include <fcntl.h>
#include <io.h>
#include <stdio.h>

#include "engine/object_security.h"
#include "tools/vlconf/vlconf.h"

int main(int argc, char **argv)
{
    // Output is written byte for byte: vl.ini text carries its own line
    // breaks, and the reference is kept with plain newlines.
    _setmode(_fileno(stdout), _O_BINARY);
    // The shared block's name carries the user, read through advapi32: from
    // the system folder where the process has not loaded it already.
    loadSecurityLibrary();
    return runVlconf(argc, argv);
}
