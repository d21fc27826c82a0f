#include "app/ColumnLayoutExchange.h"

namespace vm {

bool ColumnLayoutAcceptable(const std::vector<uint8_t>& bytes) {
    int atZero = 0;
    for (size_t i = 0; i + kColumnLayoutEntryBytes <= bytes.size(); i += kColumnLayoutEntryBytes) {
        const int16_t position = static_cast<int16_t>(bytes[i + 2] | bytes[i + 3] << 8);
        if (position == 0) ++atZero;
    }
    return atZero < 2;
}

}  // namespace vm
