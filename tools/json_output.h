// tarrengard-cfg's answers on standard output: ASCII JSON in which every
// string is a byte string, so any file, whatever bytes it holds, can be shown
// without loss ('"' and '\' escaped with a backslash, every other byte below
// 0x20 or from 0x7F up written as \u00XX).
#pragma once

#include <cstddef>
#include <vector>

#include "config/config.h"

namespace cfg {

// `length` bytes of `text` as a JSON string.
void putJsonBytes(const char *text, size_t length);
// A null text prints as JSON null: the library answers some queries with null.
void putJsonString(const char *text);
// The string a query wrote into a buffer filled with a marker (see "get"),
// or null when the query left it untouched.
void putDecodedToken(const std::vector<char> &buffer);
// Every section and entry of the document, with a line feed:
// {"sections":[{"name":S,"entries":[[KEY,VALUE],...]},...]}
void putDocument(ConfigHandle handle);
// The loaded game settings, with a line feed: one line per section, and each
// list of bindings on a line of its own; arrays show every entry the record
// holds.
void putSettingsRecord();

}  // namespace cfg
