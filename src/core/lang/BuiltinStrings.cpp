#include "core/lang/BuiltinStrings.h"

#include <algorithm>
#include <iterator>

namespace vm {
namespace {

const BuiltinString kStrings[] = {
    {4, "%d item(s)"},
    {5, ", %d Selected"},
    {6, "Created by using"},
    {7, "Select a filename to save"},
    {8, "Downloads Speed Test"},
    {9, "Select a text file that contains a list of URLs"},
    {10, "Do you want to delete the selected downloads ?"},
    {11, "Do you want to delete the list of all download items ?"},
    {12, "Unknown Error"},
    {13, "Error %d:"},
    {14, "Loading... %d"},
    {15, "Server Status Code: %d"},
    {16, "Do you want to stop the download test and exit ?"},
    {17, "Select a file that you want to use for the speed test"},
    {18, "Do you want to create NSIS installation with your current Velocimark configuration ?"},
    {401, "Bytes"},
    {402, "KB"},
    {403, "MB"},
    {411, "KB/Sec"},
    {422, "Mbps"},
    {450, "Disabled"},
    {451, "Waiting..."},
    {452, "Connecting..."},
    {453, "Downloading"},
    {454, "Finished"},
    {455, "Failed"},
    {456, "Connect Timeout"},
    {471, "Active Mode"},
    {472, "Passive Mode"},
    {481, "Percent"},
    {482, "KB/Sec"},
    {501, "Text File"},
    {502, "Tab Delimited Text File"},
    {503, "Tabular Text File"},
    {504, "HTML File - Horizontal"},
    {505, "HTML File - Vertical"},
    {506, "XML File"},
    {507, "Comma Delimited Text File"},
    {601, "URLs Text File"},
    {602, "All Files"},
    {1001, "URL"},
    {1002, "Name"},
    {1003, "Downloaded"},
    {1004, "Start Time"},
    {1005, "Download Duration"},
    {1006, "Speed (Bytes)"},
    {1007, "Speed (Bits)"},
    {1008, "Status"},
    {1009, "Download Order"},
    {2000, "All Files"},
    {2020, "The server response could not be parsed."},
    {2050,
     "The configuration file cannot be read:\r\n%s\r\n\r\n%s\r\n\r\nThe file is left as it is, "
     "for you to repair. The list and the options of this session will not be saved."},
    {2051,
     "The configuration file holds more downloads than the program loads:\r\n%s\r\n\r\n"
     "Only the first %d are listed. The file is left as it is; the list and the options "
     "of this session will not be saved."},
    {2052,
     "The configuration could not be saved to:\r\n%s\r\n\r\n%s\r\n\r\n"
     "The file there was left as it was."},
    {2053,
     "The configuration file cannot be read:\r\n%s\r\n\r\n%s\r\n\r\n"
     "The export run was not started, and the file is left as it is."},
    {2054, "The file holds a NUL byte, which a configuration file never does."},
    {2055, "The file has more lines than the program reads."},
    {2056,
     "The report file name is longer than Windows allows; a shortened name would be "
     "another file:\r\n%s\r\n\r\nNothing was written."},
    {2057,
     "The report file would replace a file that the program itself uses (its "
     "configuration, its translation file or the program):\r\n%s\r\n\r\n"
     "Nothing was written."},
    {2058,
     "There is no free name for the report beside:\r\n%s\r\n\r\n"
     "Files of these names that the program did not create are left as they are."},
    {2100, "%s: average %s, steady %s, peak %s"},
    {2101, "not known yet"},
    {2102, "No download to show: select a row or start the test"},
    {2103, "%s: no samples yet"},
    {2104, "Comparing %d downloads: %s"},
    {2105, "%s average %s"},
    {2107, "ms"},
    {2108, "s"},
    {2109, "m:ss"},
    {2110, "time limit"},
    {2111, "size limit"},
    {2112, "Steady speed"},
    {2113, "Running average"},
    {2114, "Save the speed graph as"},
    {2115, "PNG Image"},
    {2116, "Bitmap Image"},
    {2117, "200 ms speed"},
    {2118, "Minimum speed"},
    {2119, "1 s speed"},
    {2120, "Average"},
    {2121, "Steady"},
    {2122, "Peak"},
    {2123, "Bytes"},
    {2124, "Name resolved"},
    {2125, "Connected"},
    {2126, "Request sent"},
    {2127, "First byte"},
    {2128, "%s: finished in %s: too short to draw"},
    {2129, "%s: failed: no data"},
    {2130, "200 ms speed above the scale"},
    {2200, "The run history could not be written:"},
    {2201, "The run history could not be read:"},
    {2202, "Speed Test Results"},
    {2203, "Run started (UTC):"},
    {2204, "Results"},
    {2205, "Speed over time"},
    {2206, "All items compared"},
    {2207, "Trend across runs"},
    {2208, "Speed"},
    {2209, "Average"},
    {2210, "Steady"},
    {2211, "Minimum"},
    {2212, "Median"},
    {2213, "Maximum"},
    {2214, "Failed"},
    {2215, "Latest run"},
    {2216, "Runs"},
    {2217, "Time (s)"},
    {2218, "Lines of the history that could not be read and were skipped:"},
    {2219,
     "The last line of the history was cut short (the program ended while writing it) and was "
     "skipped."},
    {2220, "No samples were taken."},
    {2221, "No run history is kept: this page shows this run only."},
    {2222, "URLs of older runs not shown:"},
    {2223, "Runs drawn (the others fall between them):"},
    {2224, "The history holds no run yet."},
    {2225, "Items not drawn:"},
    {2226,
     "No run history is kept, so there is no speed history to show.\r\n\r\n"
     "Keep a run history from now on (Options > Keep Run History)?"},
    {2227, "log scale"},
    {2300, "Finished (slow)"},
    {2301, "The Pushgateway did not take the metrics (HTTP status %d)."},
    {2600, "Server address"},
    {2601, "Cache"},
    {2602, "from %s"},
    {2603, "cache %s"},
    {2604, "not known"},
    {2605, "age %s s"},
    {2606, "Another server or cache status than the run before"},
    {2620, "latency"},
    {2621, "%s ms idle"},
    {2622, "%s ms loaded"},
    {2623, "(+%s ms)"},
    {2624, "%s RPM"},
    {2625, "%s probes failed"},
    {2626, "no idle time"},
};

}  // namespace

const BuiltinString* BuiltinStrings(size_t* count) {
    *count = std::size(kStrings);
    return kStrings;
}

const char* FindBuiltinString(uint32_t id) {
    const auto it = std::lower_bound(std::begin(kStrings), std::end(kStrings), id,
                                     [](const BuiltinString& s, uint32_t v) { return s.id < v; });
    return it != std::end(kStrings) && it->id == id ? it->text : nullptr;
}

}  // namespace vm
