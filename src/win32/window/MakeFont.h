#pragma once
#include <windows.h>

namespace vm {

// A bold font of the face and height (logical units), underlined as asked, in the
// default character set. The caller deletes it.
HFONT MakeFont(const char* face, int height, bool underline);

}  // namespace vm
