#include <unistd.h>

#include "ctl/Console.h"

namespace orvix {

void prepareConsole() {}  // terminals here take UTF-8 as it is

bool stderrIsTerminal() { return isatty(STDERR_FILENO) == 1; }

}  // namespace orvix
