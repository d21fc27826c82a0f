#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

#include "core/options/AppSettings.h"

namespace vm {

enum class OptionType : uint8_t { Bool, Int, Double, Text };

// How the JSON options object shows an option: as the run applies it, not as stored.
enum class JsonForm : uint8_t {
    None,             // not in the object
    Seconds,          // a count of seconds; a negative one as 0
    RetryLimit,       // the retries the run allows, 0 while the retry switch is off
    SizeBytes,        // the size limit in bytes, its unit applied
    StableRule,       // {"value", "unit"}; left out when the unit is unknown
    IsPassiveFtp,     // true for passive mode
    IsOff,            // true while the flag is off ("include_disabled" of DontAddDisabled)
    KBytesPerSecond,  // KB/s as bytes per second; left out while 0 or below (none)
};

// One option: where it lives in the record and every fact the file, the command line, the
// Advanced Options dialog and the JSON report need about it.
struct OptionSpec {
    const char* key;  // the file's key; "/" + key overrides it on the command line
    OptionType type;
    int32_t AppSettings::*number = nullptr;    // kBool, kInt
    double AppSettings::*decimal = nullptr;    // kDouble
    std::string AppSettings::*text = nullptr;  // kText
    int32_t numberDefault = 0;
    double decimalDefault = 0;
    const char* textDefault = "";
    // kText: the capacity a value is read with (it keeps capacity - 1 characters);
    // kDouble: the decimals it is written with. Numbers are not range-checked.
    size_t bound = 0;
    // The Advanced Options dialog edits it (and copies it back on OK).
    bool advanced = false;
    // The check box that makes it apply: the dialog enables its control only while that
    // switch is on, and the JSON report leaves out a rule that cannot fire.
    int32_t AppSettings::*enabledBy = nullptr;
    // Its name in the JSON options object; "group.name" nests it in object "group". The
    // object lists its members by jsonOrder, not by the file's order.
    const char* jsonName = nullptr;
    JsonForm json = JsonForm::None;
    int jsonOrder = 0;
    // A key the specified file does not have: written only while it differs from its
    // default (or is non-empty), so the files of a user who never sets it stay exactly as
    // they were.
    bool writtenWhenSet = false;
    // kInt: only a plain decimal number within [low, high] is taken; any other text
    // ("0x1E8480", "2e6", "12abc") is refused and the value keeps its default.
    bool plainNumber = false;
    int32_t low = 0;
    int32_t high = 0;

    constexpr OptionSpec Advanced(int32_t AppSettings::*switchField = nullptr) const {
        OptionSpec copy = *this;
        copy.advanced = true;
        copy.enabledBy = switchField;
        return copy;
    }
    constexpr OptionSpec WrittenWhenSet() const {
        OptionSpec copy = *this;
        copy.writtenWhenSet = true;
        return copy;
    }
    constexpr OptionSpec PlainNumber(int32_t lowest, int32_t highest) const {
        OptionSpec copy = *this;
        copy.plainNumber = true;
        copy.low = lowest;
        copy.high = highest;
        return copy;
    }
    constexpr OptionSpec Json(int order, const char* name, JsonForm form) const {
        OptionSpec copy = *this;
        copy.jsonOrder = order;
        copy.jsonName = name;
        copy.json = form;
        return copy;
    }
};

// Every option of section General, in the order the file holds them.
struct OptionTable {
    const OptionSpec* rows;
    size_t count;
    const OptionSpec* begin() const { return rows; }
    const OptionSpec* end() const { return rows + count; }
};
OptionTable Options();

// The row of a key (exact spelling), or nullptr.
const OptionSpec* FindOption(const char* key);

// Whether the option applies: it has no switch, or its switch is on (any non-zero value).
bool OptionSwitchedOn(const AppSettings& settings, const OptionSpec& option);

}  // namespace vm
