// Text as the diagnostics log writes it: one line per event whatever the
// text holds. Command lines, file names and serials come from outside; a
// line end, an escape sequence or a right-to-left override inside them
// would forge lines or hide text in a viewer.
#pragma once

#include <string>

namespace velmora {

// `text` with every character that does not print escaped: "\n", "\r",
// "\t", other C0 controls and DEL as "\x1b", C1 controls, line and paragraph
// separators and bidirectional overrides as "\u202e", bytes that are not
// UTF-8 as "\xff". Letters of any script stay as they are.
std::string escapeLogText(const std::string& text);

} // namespace velmora
