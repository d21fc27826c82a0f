#pragma once
#include <cstdint>
#include <string>

namespace vm {

// The executable's version resource, as the platform reads it.
class VersionResource {
public:
    virtual ~VersionResource() = default;
    // The first language and code page pair of "\VarFileInfo\Translation".
    virtual bool FirstTranslation(uint16_t* language, uint16_t* codePage) = 0;
    // Whether the resource has the block or value at that path ("\StringFileInfo\...").
    virtual bool HasBlock(const std::string& path) = 0;
    virtual bool QueryText(const std::string& path, std::string* text) = 0;
};

// The language file's "Version": the FileVersion string of the resource's first
// translation ("040904E4" when it has none or no such string block), at most 254
// characters, blanks trimmed; empty without a version resource.
std::string FileVersionText(VersionResource& resource);

}  // namespace vm
