#pragma once

// True when the process's standard error is a terminal (a person watches it), not a file or a
// pipe.
bool standardErrorIsTerminal();
