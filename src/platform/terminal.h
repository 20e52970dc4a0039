#pragma once

namespace platform {
// True when the standard output is a terminal, where a person watches a progress line.
bool standardOutputIsTerminal();
} // namespace platform
