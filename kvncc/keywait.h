#pragma once

namespace kvncc {

// Waits for one key on standard input. On a terminal the key counts at
// once, without Enter and without being echoed, and the terminal is left
// as it was found; keys typed before the wait are dropped when
// dropTypeahead is set. Anything else (a pipe, a file) gives up one byte.
// False when the input is at its end or cannot be read.
bool waitForKey(bool dropTypeahead);

// The prompt of the classic "pause" command.
inline constexpr const char *pausePrompt = "Press any key to continue . . . ";

} // namespace kvncc
