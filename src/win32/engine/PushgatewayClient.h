#pragma once
#include <cstdint>
#include <string>

namespace vm {

// How long a push may take before it counts as failed. Wine applies no receive time-out
// to a request, so a gateway that accepts the connection and never answers would hold the
// program for ever without a limit of our own.
constexpr uint32_t kPushTimeoutMs = 30000;

// The result of one push.
struct PushResult {
    uint32_t error = 0;       // the library's error code; 0 when a response came
    uint32_t httpStatus = 0;  // the gateway's answer
    bool Succeeded() const { return error == 0 && httpStatus >= 200 && httpStatus < 300; }
};

// Sends the metrics text with an HTTP PUT to url (a group URL, see PushgatewayGroupUrl),
// synchronously on a thread of its own, with timeoutMs as the library's connect, send and
// receive time-outs; a thread that is still not done a few seconds later is left behind
// and the push fails with error 12002 (the library's time-out). Redirects are not
// followed: a PUT that moved is a failure.
PushResult PushMetricsText(const std::string& url, const std::string& body,
                           uint32_t timeoutMs = kPushTimeoutMs);

// The computer's NetBIOS name in the system code page; empty when it cannot be read.
std::string ComputerName();

}  // namespace vm
