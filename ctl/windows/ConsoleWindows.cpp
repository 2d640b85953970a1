#include <io.h>
#include <windows.h>

#include <cstdio>

#include "ctl/Console.h"

namespace orvix {

// Captions are UTF-8; the console shows them as such only when told.
void prepareConsole() { SetConsoleOutputCP(CP_UTF8); }

bool stderrIsTerminal() { return _isatty(_fileno(stderr)) != 0; }

}  // namespace orvix
