#pragma once
// The terminal orvixctl writes to: UTF-8 text, and whether standard error is a terminal (progress
// is shown only there).

namespace orvix {

void prepareConsole();
bool stderrIsTerminal();

}  // namespace orvix
