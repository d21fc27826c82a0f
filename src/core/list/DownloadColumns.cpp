#include "core/list/DownloadColumns.h"
#include "core/list/ItemCells.h"

#include "core/lang/StringIds.h"

namespace vm {
namespace {

constexpr int kTabularWidth = 20;

const ColumnSpec kColumns[kDownloadColumnCount] = {
    {IDS_COLUMN_URL, 300, true, kTabularWidth, ""},
    {IDS_COLUMN_NAME, 150, true, kTabularWidth, ""},
    {IDS_COLUMN_STATUS, 100, true, kTabularWidth, ""},
    {IDS_COLUMN_SPEED_BYTES, 100, true, kTabularWidth, ""},
    {IDS_COLUMN_SPEED_BITS, 100, true, kTabularWidth, ""},
    {IDS_COLUMN_DOWNLOADED, 100, true, kTabularWidth, ""},
    {IDS_COLUMN_START_TIME, 120, true, kTabularWidth, ""},
    {IDS_COLUMN_DURATION, 110, true, kTabularWidth, ""},
    {IDS_COLUMN_ORDER, 110, true, kTabularWidth, ""},
};

}  // namespace

const ColumnSpec& DownloadColumnSpec(int column) {
    if (column < 0 || column >= kDownloadColumnCount) column = 0;
    return kColumns[column];
}

}  // namespace vm
