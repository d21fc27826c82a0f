#include "core/dialogs/AboutTexts.h"

#include "core/base/ScrambledText.h"

namespace vm {
namespace {

constexpr auto kStoredProductText =
    Scramble("Velocimark v1.27\r\nDownload speed test for a list of URLs");
constexpr auto kStoredLinkText = Scramble("https://velocimark.example.org/");

}  // namespace

std::string AboutProductText() { return Unscramble(kStoredProductText, kAboutProductTextLimit); }

std::string AboutLinkText() { return Unscramble(kStoredLinkText, kAboutLinkTextLimit); }

}  // namespace vm
