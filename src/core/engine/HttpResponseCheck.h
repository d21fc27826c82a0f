#pragma once
#include <cstdint>
#include <string>

namespace vm {

// What an http(s) attempt makes of the response the library accepted for it.
enum class HttpVerdict {
    Accept,
    FailWithStatus,  // a status the attempt cannot use: shown as the server's status code
    FailInvalid,     // no valid response at all: failed with the library's parse error
};

// The header block Wine makes up for an answer that has no status line (the answer's first
// line is dropped and the rest taken as the body): a real server sends headers.
constexpr const char kMadeUpHeaders[] = "HTTP/1.0 200 OK\r\n\r\n";

// status: the library's status code, 0 when it has none (it says 0 for an answer without
// any byte and for "000"). rawHeaders: the whole header block when the library gave it in a
// short query, else nullptr. A status outside 100-599 or of a redirect (the library follows
// those it can; one it gives back was not followed, to ftp:, file: or nowhere) fails, as
// does 400 and above.
HttpVerdict JudgeHttpResponse(uint32_t status, const std::string* rawHeaders);

}  // namespace vm
