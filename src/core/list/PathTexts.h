#pragma once
#include <string>

#include "core/engine/PathIdentity.h"

namespace vm {

// The Properties dialog's "Server address" row: "127.0.0.1, HTTP/1.1, TLS 1.2, AES 256",
// the parts that are known; "not known" when none is.
std::string ServerAddressText(const PathIdentity& identity);
// The "Cache" row: "HIT, age 12 s", or "not known".
std::string CacheText(const PathIdentity& identity);
// The graph's words on the path: "from 127.0.0.1, HTTP/1.1, cache HIT", the parts that are
// known; "" when none is.
std::string PathFigures(const PathIdentity& identity);

}  // namespace vm
