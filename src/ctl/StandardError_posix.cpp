#include "ctl/StandardError.h"

#include <unistd.h>

bool standardErrorIsTerminal() {
    return isatty(STDERR_FILENO) != 0;
}
