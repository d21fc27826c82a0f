#pragma once
#include "core/engine/LiveTransferRegistry.h"
#include "core/platform/InternetLibrary.h"

namespace vm {

// WinINet in asynchronous mode, and events posted as window messages. The status callback
// hands every completion to the registry given here (one per process).
class WinInternetLibrary : public InternetLibrary {
public:
    void BindRegistry(LiveTransferRegistry* registry);

    InternetHandle OpenRoot(const char* agent) override;
    bool SetStatusCallback(InternetHandle root) override;
    bool SetTimeoutOption(InternetHandle root, uint32_t option, uint32_t milliseconds) override;
    InternetHandle OpenUrl(InternetHandle root, const char* url, const char* headers,
                           uint32_t flags, uint32_t context) override;
    bool QueryInfoNumber(InternetHandle request, uint32_t query, uint32_t* value) override;
    bool QueryInfoText(InternetHandle request, uint32_t query, std::string* text) override;
    bool QueryInfoLongText(InternetHandle request, uint32_t query, std::string* text,
                           size_t maxBytes) override;
    bool QuerySecureConnection(InternetHandle request, uint32_t* protocol, uint32_t* cipher,
                               uint32_t* strength) override;
    bool QueryDataAvailable(InternetHandle request, uint32_t* available) override;
    bool ReadFile(InternetHandle request, void* buffer, uint32_t size, uint32_t* count) override;
    bool ReadArrived(InternetHandle request, void* buffer, uint32_t size, uint32_t* count) override;
    bool CloseHandle(InternetHandle handle) override;
    void CloseHandleHere(InternetHandle handle) override;
    uint32_t LastError() override;
    bool LastResponse(uint32_t* error, std::string* text, size_t maxText) override;
    bool PostEvent(uintptr_t window, uint32_t message, uint32_t code, uint32_t serial) override;
    bool PostEventAfterInput(uintptr_t window, uint32_t message, uint32_t code,
                             uint32_t serial) override;
    void DebugOutput(const char* text) override;
};

}  // namespace vm
