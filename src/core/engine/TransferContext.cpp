#include "core/engine/TransferContext.h"

namespace vm {

TransferContext::~TransferContext() {
    if (root_ != 0) net.CloseHandle(root_);
}

void TransferContext::AcquireRoot() {
    if (root_ == 0) {
        root_ = net.OpenRoot(kUserAgent);
        if (root_ == 0) {
            rootError_ = net.LastError();
        } else {
            net.SetStatusCallback(root_);
            net.SetTimeoutOption(root_, kInternetOptionConnectTimeout, kInternetTimeoutMs);
            net.SetTimeoutOption(root_, kInternetOptionSendTimeout, kInternetTimeoutMs);
            net.SetTimeoutOption(root_, kInternetOptionReceiveTimeout, kInternetTimeoutMs);
        }
    }
    ++rootUsers_;
}

void TransferContext::ReleaseRoot() {
    if (rootUsers_ > 0) --rootUsers_;
    if (rootUsers_ == 0 && root_ != 0) {
        net.CloseHandle(root_);
        root_ = 0;
    }
}

}  // namespace vm
