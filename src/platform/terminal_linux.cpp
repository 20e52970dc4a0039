#include "terminal.h"

#include <unistd.h>

namespace platform {
bool standardOutputIsTerminal()
{
    return ::isatty(STDOUT_FILENO) != 0;
}
} // namespace platform
