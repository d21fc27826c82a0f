// The translation file on arbitrary bytes (8-bit, UTF-16 or neither): loading never
// crashes, every string lookup through GetString gives a usable text, and saving over the
// file twice gives the same bytes as saving once.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "core/lang/BuiltinStrings.h"
#include "core/lang/LanguageFile.h"
#include "core/lang/StringTable.h"
#include "support/FakeCodePage.h"
#include "support/MemoryFileSystem.h"

namespace {

constexpr char kExe[] = "C:\\Tools\\velocimark.exe";
constexpr char kLng[] = "C:\\Tools\\velocimark_lng.ini";

void LookUpEveryString() {
    size_t count = 0;
    const vm::BuiltinString* strings = vm::BuiltinStrings(&count);
    for (size_t i = 0; i < count; ++i) {
        const char* text = vm::GetString(strings[i].id);
        if (text == nullptr || std::strlen(text) > vm::kMaxLanguageValue) std::abort();
    }
    // Ids without a built-in text, and the built-in flag.
    for (uint32_t id : {0u, 3u, 999u, 65535u, 455u + 0x10000u}) {
        if (vm::GetString(id) == nullptr) std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    // Half of the inputs run under a double-byte code page.
    std::unique_ptr<vm::test::FakeDoubleByteCodePage> codePage;
    if (size > 0 && (data[size - 1] & 1) != 0) {
        codePage = std::make_unique<vm::test::FakeDoubleByteCodePage>();
    }
    vm::test::MemoryFileSystem fs;
    fs.files[kLng] = bytes;

    vm::ResetStringCacheForTesting();
    vm::LoadLanguageFile(fs, kExe);
    LookUpEveryString();
    if (vm::LanguageCharset().size() > vm::kMaxCharsetName ||
        vm::TranslatorName().size() > vm::kMaxTranslatorName ||
        vm::TranslatorUrl().size() > vm::kMaxTranslatorUrl) {
        std::abort();
    }
    vm::UnloadLanguageFileForTesting();
    vm::ResetStringCacheForTesting();

    const vm::LanguageSaveResult first = vm::SaveLanguageFile(fs, kLng, "1.27", nullptr);
    if (first != vm::LanguageSaveResult::Done) {
        if (fs.files[kLng] != bytes) std::abort();  // a file not replaced is left as it was
        return 0;
    }
    const std::string once = fs.files[kLng];
    if (vm::SaveLanguageFile(fs, kLng, "1.27", nullptr) != vm::LanguageSaveResult::Done ||
        fs.files[kLng] != once || fs.files.size() != 1) {
        std::abort();
    }
    return 0;
}
