#include "core/base/FilterList.h"

#include <cstdio>

namespace vm {

bool BuildFilterList(const FilterPair* pairs, size_t count, std::string* list) {
    list->clear();
    char description[kMaxFilterDescription + 1];
    for (size_t i = 0; i < count; ++i) {
        std::snprintf(description, sizeof description, "%s (%s)", pairs[i].description,
                      pairs[i].pattern);
        list->append(description);
        list->push_back('\0');
        list->append(pairs[i].pattern);
        list->push_back('\0');
    }
    list->push_back('\0');
    list->push_back('\0');
    if (list->size() > kMaxFilterList) {
        list->clear();
        return false;
    }
    return true;
}

}  // namespace vm
