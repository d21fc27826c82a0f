#pragma once
#include <string>

namespace vm {

// The address a run's metrics are PUT to: the gateway's address as given ("http://host:9091",
// a trailing slash or not), then "/metrics/job/velocimark/instance/" and the computer name
// (UTF-8) percent-encoded; an empty name is sent in the gateway's base64 form ("@base64/=").
// Empty when the address is not an http or https URL with a host.
std::string PushgatewayGroupUrl(const std::string& gatewayUrl, const std::string& computerName);

}  // namespace vm
