#pragma once
#include <cstdint>

namespace vm {

// String table ids. Adding kBuiltinStringFlag to an id asks for the built-in text.
constexpr uint32_t kBuiltinStringFlag = 0x10000;

enum StringId : uint32_t {
    IDS_ITEM_COUNT = 4,             // "%d item(s)"
    IDS_SELECTED_COUNT = 5,         // ", %d Selected"
    IDS_CREATED_BY = 6,
    IDS_SELECT_SAVE_FILE = 7,
    IDS_REPORT_TITLE = 8,
    IDS_SELECT_URL_LIST = 9,
    IDS_ASK_DELETE_SELECTED = 10,
    IDS_ASK_DELETE_ALL = 11,
    IDS_UNKNOWN_ERROR = 12,
    IDS_ERROR_CODE = 13,            // "Error %d:"
    IDS_LOADING = 14,               // "Loading... %d"
    IDS_SERVER_STATUS = 15,         // "Server Status Code: %d"
    IDS_ASK_STOP_AND_EXIT = 16,
    IDS_SELECT_TEST_FILE = 17,
    IDS_ASK_CREATE_INSTALLER = 18,
    IDS_UNIT_BYTES = 401,
    IDS_UNIT_KB = 402,
    IDS_UNIT_MB = 403,
    IDS_UNIT_KB_PER_SEC = 411,
    IDS_UNIT_MBPS = 422,
    IDS_STATUS_DISABLED = 450,      // 450 + status value gives the status texts
    IDS_STATUS_WAITING = 451,
    IDS_STATUS_CONNECTING = 452,
    IDS_STATUS_DOWNLOADING = 453,
    IDS_STATUS_FINISHED = 454,
    IDS_STATUS_FAILED = 455,
    IDS_STATUS_CONNECT_TIMEOUT = 456,
    IDS_FTP_ACTIVE = 471,
    IDS_FTP_PASSIVE = 472,
    IDS_STABLE_PERCENT = 481,
    IDS_STABLE_KB_PER_SEC = 482,
    IDS_REPORT_TYPE_BASE = 500,     // 500 + report type 1..7
    IDS_URL_LIST_FILES = 601,
    IDS_ALL_FILES = 602,
    IDS_URL_INPUT_HINT = 701,       // no built-in text
    IDS_COLUMN_URL = 1001,
    IDS_COLUMN_NAME = 1002,
    IDS_COLUMN_DOWNLOADED = 1003,
    IDS_COLUMN_START_TIME = 1004,
    IDS_COLUMN_DURATION = 1005,
    IDS_COLUMN_SPEED_BYTES = 1006,
    IDS_COLUMN_SPEED_BITS = 1007,
    IDS_COLUMN_STATUS = 1008,
    IDS_COLUMN_ORDER = 1009,
    // The speed graph pane.
    IDS_GRAPH_SUMMARY = 2100,
    IDS_GRAPH_NOT_KNOWN = 2101,
    IDS_GRAPH_NOTHING = 2102,
    IDS_GRAPH_NO_SAMPLES = 2103,
    IDS_GRAPH_COMPARE = 2104,
    IDS_GRAPH_COMPARE_ITEM = 2105,
    IDS_GRAPH_FIGURES = 2106,
    IDS_GRAPH_MS = 2107,
    IDS_GRAPH_SECONDS = 2108,
    IDS_GRAPH_MINUTES_SECONDS = 2109,
    IDS_GRAPH_TIME_LIMIT = 2110,
    IDS_GRAPH_SIZE_LIMIT = 2111,
    IDS_GRAPH_STEADY = 2112,
    IDS_GRAPH_AVERAGE = 2113,
    IDS_GRAPH_SAVE_TITLE = 2114,
    IDS_GRAPH_PNG_FILES = 2115,
    IDS_GRAPH_BMP_FILES = 2116,
    IDS_GRAPH_SPEED = 2117,
};

}  // namespace vm
