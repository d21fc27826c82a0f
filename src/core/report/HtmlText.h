#pragma once
#include <string>

namespace vm {

// Appends UTF-8 text escaped for HTML content and quoted attribute values, which inline
// SVG shares: & < > " ' become references, and control characters other than tab, line
// feed and carriage return (which no HTML document may hold) become U+FFFD. Names and
// URLs come from the user's list, so nothing in them may open a tag or end an attribute.
void AppendHtmlText(std::string& out, const std::string& utf8);

// Ends an opening tag, with a class attribute when cls is given (one of ours, never the
// user's), and appends the element's text escaped.
void AppendClassAndText(std::string& out, const char* cls, const std::string& utf8);

}  // namespace vm
