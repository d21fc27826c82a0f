#pragma once
#include <windows.h>

#include <string>

namespace vm {

// The common file dialogs. path carries the initial name in and the chosen path out (at
// most 259 characters); filterList is a list built by BuildFilterList. Both return false
// when the user cancels.
bool ChooseOpenFile(HWND owner, std::string* path, const std::string& filterList, const char* title,
                    const char* defaultExtension);
// filterIndex (optional) carries the 1-based filter in and the one the user picked out.
bool ChooseSaveFile(HWND owner, int* filterIndex, std::string* path, const std::string& filterList,
                    const char* title, const char* defaultExtension);

}  // namespace vm
