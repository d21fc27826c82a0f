#include "core/engine/HttpResponseCheck.h"

namespace vm {

HttpVerdict JudgeHttpResponse(uint32_t status, const std::string* rawHeaders) {
    if (status == 0) return HttpVerdict::FailInvalid;
    if (status < 100 || status > 599 || status >= 300) return HttpVerdict::FailWithStatus;
    if (rawHeaders != nullptr && *rawHeaders == kMadeUpHeaders) return HttpVerdict::FailInvalid;
    return HttpVerdict::Accept;
}

}  // namespace vm
