#include "core/lang/LanguageFile.h"

#include <cstdio>

#include "core/base/CompanionFileName.h"
#include "core/base/NumberText.h"
#include "core/ini/ProfileText.h"
#include "core/lang/BuiltinStrings.h"
#include "core/platform/FileReplacement.h"
#include <utility>

namespace vm {
namespace {

// Longest version text taken from the version resource.
constexpr size_t kMaxVersionText = 254;

std::string Cut(std::string_view text, size_t limit) { return std::string(text.substr(0, limit)); }

std::string TrimBlanks(std::string_view text) {
    const size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) return std::string();
    const size_t last = text.find_last_not_of(' ');
    return std::string(text.substr(first, last - first + 1));
}

LanguageFile& Active() {
    static LanguageFile file;
    return file;
}

}  // namespace

std::string MenuSectionName(int menuId) {
    char name[kMaxLanguageSectionName + 1];
    std::snprintf(name, sizeof name, "menu_%d", menuId);
    return name;
}

std::string DialogSectionName(int dialogId) {
    char name[kMaxLanguageSectionName + 1];
    std::snprintf(name, sizeof name, "dialog_%d", dialogId);
    return name;
}

bool LanguageFile::Load(FileSystem& fileSystem, const std::string& path) {
    *this = LanguageFile();
    std::string bytes;
    uint32_t error = 0;
    if (!fileSystem.ReadWhole(path, kMaxLanguageFileBytes, &bytes, &error)) return false;
    std::string text;
    ProfileEncoding encoding = ProfileEncoding::Ansi;
    if (!DecodeProfileText(std::move(bytes), SystemCodePage(), &text, &encoding) ||
        !file_.Parse(std::move(text))) {
        file_ = IniFile();
        return false;
    }
    path_ = path;
    active_ = true;
    std::string value;
    using namespace language_key;
    state_.rightToLeft = ReadText(kGeneralSection, kRtl, &value) && ParseDecimalInt(value) == 1;
    if (ReadText(kGeneralSection, kCharset, &value)) state_.charset = Cut(value, kMaxCharsetName);
    if (ReadText(kGeneralSection, kTranslatorName, &value)) {
        state_.translatorName = Cut(value, kMaxTranslatorName);
    }
    if (ReadText(kGeneralSection, kTranslatorUrl, &value)) {
        state_.translatorUrl = Cut(value, kMaxTranslatorUrl);
    }
    return true;
}

bool LanguageFile::ReadText(std::string_view section, std::string_view key,
                            std::string* text) const {
    std::string_view value;
    if (!active_ || !file_.Find(section, key, &value) || value.empty()) return false;
    *text = Cut(value, kMaxLanguageValue);
    return true;
}

bool LanguageFile::ReadString(uint16_t id, std::string* text) {
    return ReadText(language_key::kStringsSection, std::to_string(id), text);
}

bool LoadLanguageFile(FileSystem& fileSystem, const std::string& executablePath) {
    LanguageFile& file = Active();
    if (!file.Load(fileSystem, CompanionFileName(executablePath, kLanguageFileSuffix))) {
        SetStringTranslation(nullptr);
        return false;
    }
    SetStringTranslation(&file);
    return true;
}

bool ReadTranslatedString(uint16_t id, std::string* text) { return Active().ReadString(id, text); }

const LanguageFile& ActiveLanguageFile() { return Active(); }
bool LanguageIsRightToLeft() { return Active().State().rightToLeft; }
const std::string& LanguageCharset() { return Active().State().charset; }
const std::string& TranslatorName() { return Active().State().translatorName; }
const std::string& TranslatorUrl() { return Active().State().translatorUrl; }

void UnloadLanguageFileForTesting() {
    SetStringTranslation(nullptr);
    Active() = LanguageFile();
}

void LanguageFileWriter::SetSection(std::string_view section) {
    section_ = Cut(section, kMaxLanguageSectionName);
}

std::string LanguageFileWriter::Stored(std::string_view value) const {
    if (utf8From_ == nullptr) return std::string(value);
    return Utf16ToUtf8(utf8From_->ToUtf16(value));
}

void LanguageFileWriter::WriteIfAbsent(std::string_view key, std::string_view value) {
    std::string_view current;
    if (file_.Find(section_, key, &current) && !current.empty()) return;
    file_.Set(section_, key, Stored(value));
}

void LanguageFileWriter::WriteAlways(std::string_view key, std::string_view value) {
    file_.Set(section_, key, Stored(value));
}

LanguageSaveResult SaveLanguageFile(FileSystem& fileSystem, const std::string& path,
                                    const std::string& version, LanguageResourceTexts* resources) {
    IniFile file;
    std::string bytes;
    uint32_t error = 0;
    ProfileEncoding encoding = ProfileEncoding::Ansi;
    if (fileSystem.ReadWhole(path, kMaxLanguageFileBytes, &bytes, &error)) {
        // A UTF-16 file is edited as UTF-8, which holds every character it can hold, so
        // the lines left alone are written back unchanged.
        encoding = DetectProfileEncoding(bytes);
        std::string text = encoding == ProfileEncoding::Ansi ? std::move(bytes)
                                                             : Utf16BytesToUtf8(bytes, encoding);
        if (encoding == ProfileEncoding::Ansi && text.find('\0') != std::string::npos) {
            return LanguageSaveResult::NotReplaced;
        }
        if (!file.Parse(std::move(text))) return LanguageSaveResult::NotReplaced;
    } else if (error != kErrorFileNotFound) {
        return LanguageSaveResult::NotReplaced;
    }

    using namespace language_key;
    LanguageFileWriter writer(file,
                              encoding == ProfileEncoding::Ansi ? nullptr : &SystemCodePage());
    writer.SetSection(kGeneralSection);
    writer.WriteIfAbsent(kTranslatorName, "");
    writer.WriteIfAbsent(kTranslatorUrl, "");
    writer.WriteAlways(kVersion, TrimBlanks(Cut(version, kMaxVersionText)));
    writer.WriteIfAbsent(kRtlWritten, "0");

    if (resources != nullptr) resources->AddTexts(writer);

    writer.SetSection(kStringsSection);
    size_t count = 0;
    const BuiltinString* strings = BuiltinStrings(&count);
    for (size_t i = 0; i < count; ++i) {
        if (strings[i].text[0] == '\0') continue;
        writer.WriteIfAbsent(std::to_string(strings[i].id), strings[i].text);
    }

    const auto write = [&file, encoding](OutputFile& out) {
        if (encoding == ProfileEncoding::Ansi) return file.WriteTo(out);
        return out.Write(Utf8ToUtf16Bytes(file.Serialize(), encoding));
    };
    return WriteFileReplacing(fileSystem, path, write, &error) ? LanguageSaveResult::Done
                                                               : LanguageSaveResult::WriteFailed;
}

}  // namespace vm
