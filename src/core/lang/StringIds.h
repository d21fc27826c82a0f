#pragma once
#include <cstdint>

namespace vm {

// String table ids. Adding kBuiltinStringFlag to an id asks for the built-in text.
constexpr uint32_t kBuiltinStringFlag = 0x10000;

enum StringId : uint32_t {
    IDS_ITEM_COUNT = 4,      // "%d item(s)"
    IDS_SELECTED_COUNT = 5,  // ", %d Selected"
    IDS_CREATED_BY = 6,
    IDS_SELECT_SAVE_FILE = 7,
    IDS_REPORT_TITLE = 8,
    IDS_SELECT_URL_LIST = 9,
    IDS_ASK_DELETE_SELECTED = 10,
    IDS_ASK_DELETE_ALL = 11,
    IDS_UNKNOWN_ERROR = 12,
    IDS_ERROR_CODE = 13,     // "Error %d:"
    IDS_LOADING = 14,        // "Loading... %d"
    IDS_SERVER_STATUS = 15,  // "Server Status Code: %d"
    IDS_ASK_STOP_AND_EXIT = 16,
    IDS_SELECT_TEST_FILE = 17,
    IDS_ASK_CREATE_INSTALLER = 18,
    IDS_UNIT_BYTES = 401,
    IDS_UNIT_KB = 402,
    IDS_UNIT_MB = 403,
    IDS_UNIT_KB_PER_SEC = 411,
    IDS_UNIT_MBPS = 422,
    IDS_STATUS_DISABLED = 450,  // 450 + status value gives the status texts
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
    IDS_REPORT_TYPE_BASE = 500,  // 500 + report type 1..7
    IDS_URL_LIST_FILES = 601,
    IDS_ALL_FILES = 602,
    IDS_URL_INPUT_HINT = 701,  // no built-in text
    IDS_COLUMN_URL = 1001,
    IDS_COLUMN_NAME = 1002,
    IDS_COLUMN_DOWNLOADED = 1003,
    IDS_COLUMN_START_TIME = 1004,
    IDS_COLUMN_DURATION = 1005,
    IDS_COLUMN_SPEED_BYTES = 1006,
    IDS_COLUMN_SPEED_BITS = 1007,
    IDS_COLUMN_STATUS = 1008,
    IDS_COLUMN_ORDER = 1009,
    IDS_ERROR_INVALID_RESPONSE = 2020,  // error 12152's text where the system has none
    IDS_STATUS_FINISHED_SLOW = 2300,    // a finished item below its minimum speed
    IDS_PUSH_REFUSED = 2301,            // "... (HTTP status %d)"
    // The user's files: configuration problems and refused export targets.
    IDS_CONFIG_UNREADABLE = 2050,         // "%s" file, "%s" reason
    IDS_CONFIG_TRUNCATED = 2051,          // "%s" file, "%d" items loaded
    IDS_CONFIG_NOT_SAVED = 2052,          // "%s" file, "%s" reason
    IDS_CONFIG_UNREADABLE_EXPORT = 2053,  // "%s" file, "%s" reason
    IDS_CONFIG_NUL_BYTE = 2054,
    IDS_CONFIG_TOO_MANY_LINES = 2055,
    IDS_EXPORT_TARGET_TOO_LONG = 2056,      // "%s" file
    IDS_EXPORT_TARGET_PROGRAM_FILE = 2057,  // "%s" file
    IDS_SCRATCH_NAMES_TAKEN = 2058,         // "%s" file
    IDS_EXPORT_TARGET_INVALID_NAME = 2059,  // "%s" file
    IDS_CONFIG_NOT_A_CONFIGURATION = 2060,
    IDS_SWITCH_WITHOUT_VALUE = 2061,         // "%s" switch; a start without an export
    IDS_SWITCH_WITHOUT_VALUE_EXPORT = 2062,  // "%s" switch; an export run not started
    IDS_PUSH_URL_TOO_LONG = 2063,            // "%d" characters
    // The run history and its results page.
    IDS_HISTORY_NOT_WRITTEN = 2200,
    IDS_HISTORY_NOT_READ = 2201,
    IDS_PAGE_TITLE = 2202,
    IDS_PAGE_RUN_START = 2203,
    IDS_PAGE_RESULTS = 2204,
    IDS_PAGE_SPEED_OVER_TIME = 2205,
    IDS_PAGE_COMPARISON = 2206,
    IDS_PAGE_TRENDS = 2207,
    IDS_PAGE_SPEED = 2208,
    IDS_PAGE_AVERAGE = 2209,
    IDS_PAGE_STEADY = 2210,
    IDS_PAGE_MINIMUM = 2211,
    IDS_PAGE_MEDIAN = 2212,
    IDS_PAGE_MAXIMUM = 2213,
    IDS_PAGE_FAILED = 2214,
    IDS_PAGE_LATEST = 2215,
    IDS_PAGE_RUNS = 2216,
    IDS_PAGE_SECONDS = 2217,
    IDS_PAGE_DAMAGED_LINES = 2218,
    IDS_PAGE_TORN_LAST_LINE = 2219,
    IDS_PAGE_NO_SAMPLES = 2220,
    IDS_PAGE_NO_HISTORY = 2221,
    IDS_PAGE_MORE_URLS = 2222,
    IDS_PAGE_POINTS_SHOWN = 2223,
    IDS_PAGE_NO_RUN = 2224,
    IDS_PAGE_ITEMS_NOT_DRAWN = 2225,
    IDS_HISTORY_OFF_ASK = 2226,  // View > Speed History while no history is kept
    IDS_PAGE_LOG_SCALE = 2227,
    IDS_ADD_FILE_FILTER = 2000,  // "All Files": Add File's filter while 701 has no text
    // The speed graph pane.
    IDS_GRAPH_SUMMARY = 2100,
    IDS_GRAPH_NOT_KNOWN = 2101,
    IDS_GRAPH_NOTHING = 2102,
    IDS_GRAPH_NO_SAMPLES = 2103,
    IDS_GRAPH_COMPARE = 2104,
    IDS_GRAPH_COMPARE_ITEM = 2105,
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
    IDS_GRAPH_MIN_SPEED = 2118,  // the legend of an item's minimum speed line
    IDS_GRAPH_SECOND = 2119,     // the legend of the one-second line
    // The labels of the line of figures under the graph.
    IDS_GRAPH_FIG_AVERAGE = 2120,
    IDS_GRAPH_FIG_STEADY = 2121,
    IDS_GRAPH_FIG_PEAK = 2122,
    IDS_GRAPH_FIG_BYTES = 2123,
    IDS_GRAPH_FIG_RESOLVED = 2124,
    IDS_GRAPH_FIG_CONNECTED = 2125,
    IDS_GRAPH_FIG_SENT = 2126,
    IDS_GRAPH_FIG_FIRST_BYTE = 2127,
    IDS_GRAPH_TOO_SHORT = 2128,
    IDS_GRAPH_FAILED = 2129,
    IDS_GRAPH_CLIPPED = 2130,  // the legend of the marks where bursts pass the top
    // How far a speed can be trusted (the graph's figures line, the results page).
    IDS_CONFIDENCE_LOW = 2400,  // + the confidence: low, medium, high
    IDS_CONFIDENCE_MEDIUM = 2401,
    IDS_CONFIDENCE_HIGH = 2402,
    IDS_CONFIDENCE_REPEATS = 2403,
    IDS_CONFIDENCE_STEADY = 2404,
    IDS_CONFIDENCE_ONLY = 2405,
    IDS_PAGE_CONFIDENCE = 2406,

    // Several connections per download (2500-2549).
    IDS_GRAPH_CONNECTIONS = 2500,   // "%d connections", on the graph's figures line
    IDS_RANGE_WRONG_STATUS = 2501,  // a range request not answered with 206
    IDS_RANGE_WRONG_RANGE = 2502,   // a 206 for other bytes, or of a file of another length
    IDS_RANGE_WRONG_LENGTH = 2503,  // a 206 whose length is not its range's
    IDS_PAGE_CONNECTIONS = 2504,
    IDS_LIMIT_PER_CONNECTION = 2505,  // the results page's verdict words
    IDS_LIMIT_PATH = 2506,

    // Which server answered (the Properties rows, the graph's figures, the results page).
    IDS_PATH_SERVER_ADDRESS = 2600,
    IDS_PATH_CACHE = 2601,
    IDS_PATH_FROM = 2602,          // "%s" the address
    IDS_PATH_CACHE_STATUS = 2603,  // "%s" HIT, MISS...
    IDS_PATH_NOT_KNOWN = 2604,
    IDS_PATH_AGE = 2605,  // "%s" the age header's seconds
    IDS_PATH_CHANGED = 2606,
    // Latency under load (the graph's summary and figures).
    IDS_LATENCY_CAPTION = 2620,
    IDS_LATENCY_IDLE = 2621,    // "%s" milliseconds
    IDS_LATENCY_LOADED = 2622,  // "%s" milliseconds
    IDS_LATENCY_ADDED = 2623,   // "%s" milliseconds
    IDS_LATENCY_RPM = 2624,     // "%s" round trips per minute
    IDS_LATENCY_FAILED = 2625,  // "%s" probes
    IDS_LATENCY_NONE = 2626,
    IDS_GRAPH_LATENCY = 2627,  // the caption of the graph's latency strip
    // Watching links: the Run the Test Every dialog, the notification area and alerts.
    IDS_WATCH_TITLE = 2700,
    IDS_WATCH_MINUTES = 2701,
    IDS_WATCH_KEEP_IN_TRAY = 2702,
    IDS_WATCH_NEXT_RUN = 2703,  // "Next run in %d:%02d"
    IDS_TRAY_OPEN = 2704,
    IDS_TRAY_RUN_NOW = 2705,
    IDS_TRAY_STOP_WATCHING = 2706,
    IDS_TRAY_EXIT = 2707,
    IDS_WATCH_BAD_MINUTES = 2708,
    IDS_STATUS_SPEED_DOWN = 2710,  // "Finished (speed down %d%%)"
    IDS_ALERT_DROP = 2711,
    IDS_ALERT_FAILURES = 2712,
    IDS_ALERT_SLOW = 2713,
    IDS_ALERT_RECOVERED = 2714,
    IDS_ALERT_TITLE = 2715,
    IDS_NUMBER_REFUSED = 2720,  // a number option that is not a plain decimal number
};

}  // namespace vm
