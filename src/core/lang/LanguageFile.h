#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/ini/IniFile.h"
#include "core/lang/LanguageState.h"
#include "core/lang/StringTable.h"
#include "core/platform/CodePage.h"
#include "core/platform/FileSystem.h"

namespace vm {

constexpr const char kLanguageFileSuffix[] = "_lng.ini";
// A full translation is some tens of kilobytes; a file above this is not used.
constexpr size_t kMaxLanguageFileBytes = 8u << 20;
constexpr size_t kMaxLanguageSectionName = 63;
constexpr size_t kMaxLanguageValue = 4095;

namespace language_key {
constexpr const char kGeneralSection[] = "general";
constexpr const char kStringsSection[] = "strings";
constexpr const char kRtl[] = "rtl";
constexpr const char kRtlWritten[] = "RTL";
constexpr const char kCharset[] = "charset";
constexpr const char kTranslatorName[] = "TranslatorName";
constexpr const char kTranslatorUrl[] = "TranslatorURL";
constexpr const char kVersion[] = "Version";
constexpr const char kCaption[] = "caption";
}  // namespace language_key

// "menu_%d" and "dialog_%d": the sections of a menu's and a dialog's texts.
std::string MenuSectionName(int menuId);
std::string DialogSectionName(int dialogId);

// The translation file, read once into memory. A key whose value is empty counts as absent.
class LanguageFile : public StringTranslation {
public:
    // Reads the file and the "general" values; a UTF-16 file is read in the system code
    // page. False, and inactive with every text built in, when the file is missing or
    // cannot be taken (unreadable, too large, no text).
    [[nodiscard]] bool Load(FileSystem& fileSystem, const std::string& path);

    bool IsActive() const { return active_; }
    const std::string& Path() const { return path_; }
    const LanguageState& State() const { return state_; }

    // The non-empty value of a key (at most kMaxLanguageValue characters); false otherwise.
    // Menus and dialogs read their sections through this.
    [[nodiscard]] bool ReadText(std::string_view section, std::string_view key,
                                std::string* text) const;

    // The "strings" value of a string id: the translated-string read of GetString.
    bool ReadString(uint16_t id, std::string* text) override;

private:
    IniFile file_;
    std::string path_;
    LanguageState state_;
    bool active_ = false;
};

// The one translation of the process (GUI thread only).
// Forms the file name beside the executable and, when the file can be read, activates it
// for GetString. Call before the first GetString.
bool LoadLanguageFile(FileSystem& fileSystem, const std::string& executablePath);
// The active file's value for a string id; false without a file or without a value.
[[nodiscard]] bool ReadTranslatedString(uint16_t id, std::string* text);
const LanguageFile& ActiveLanguageFile();
bool LanguageIsRightToLeft();
const std::string& LanguageCharset();
const std::string& TranslatorName();
const std::string& TranslatorUrl();
// Deactivates the translation again; only for tests.
void UnloadLanguageFileForTesting();

// Writes values into a language file being saved: only where the key is absent or empty,
// except the values written always (the version). Values come in the system code page;
// a document held in UTF-8 (a UTF-16 file being saved) gets them converted.
class LanguageFileWriter {
public:
    explicit LanguageFileWriter(IniFile& file, const CodePage* utf8From = nullptr)
        : file_(file), utf8From_(utf8From) {}
    // Section names are cut to kMaxLanguageSectionName characters.
    void SetSection(std::string_view section);
    void WriteIfAbsent(std::string_view key, std::string_view value);
    void WriteAlways(std::string_view key, std::string_view value);

private:
    std::string Stored(std::string_view value) const;

    IniFile& file_;
    const CodePage* utf8From_;
    std::string section_;
};

// The menu and dialog texts of a saved file; the GUI supplies them from its resources,
// writing section by section (menus, then dialogs) in resource order.
class LanguageResourceTexts {
public:
    virtual ~LanguageResourceTexts() = default;
    virtual void AddTexts(LanguageFileWriter& writer) = 0;
};

enum class LanguageSaveResult {
    Done,
    NotReplaced,  // the file exists but could not be read: left as it was
    WriteFailed,
};

// "/savelangfile": keeps every non-empty value already in the file and adds the missing
// ones: "general" (TranslatorName, TranslatorURL, Version always, RTL), the resource texts,
// then every built-in string under "strings". version is the executable's file version
// text (empty without one); only its first 254 characters are used, blanks trimmed.
// Lines it does not change are written back as they were, in the file's own encoding
// (8-bit or UTF-16); the file is replaced only when the new one was written whole.
LanguageSaveResult SaveLanguageFile(FileSystem& fileSystem, const std::string& path,
                                    const std::string& version, LanguageResourceTexts* resources);

}  // namespace vm
