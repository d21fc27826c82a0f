#include <gtest/gtest.h>

#include "core/base/UrlKind.h"

namespace vm {
namespace {

TEST(UrlKind, SchemeClass) {
    struct Case {
        const char* url;
        SchemeClass scheme;
    } cases[] = {
        {"https://a", SchemeClass::Https}, {"HtTpS://a", SchemeClass::Https},
        {"http://a", SchemeClass::Http},   {"ftp://a", SchemeClass::Ftp},
        {"gopher:x", SchemeClass::Gopher}, {"https:/a", SchemeClass::Other},
        {"", SchemeClass::Other},          {"file://a", SchemeClass::Other},
    };
    for (const Case& c : cases) EXPECT_EQ(SchemeOf(c.url), c.scheme) << c.url;
}

TEST(UrlKind, LocalPaths) {
    struct Case {
        const char* url;
        bool local;
    } cases[] = {
        {"\\\\server\\share\\f", true},
        {"C:\\f", true},
        {"z:\\", true},
        {"C:/f", false},
        {"\\f", false},
        {"C:", false},
        {"http://a\\", false},
        {"", false},
        {"ab:\\", false},
    };
    for (const Case& c : cases) EXPECT_EQ(IsLocalPath(c.url), c.local) << c.url;
}

}  // namespace
}  // namespace vm
