// The README documents the vocabularies that administrators and vendors rely
// on (exit codes, log events, result file fields) in tables; the tests read
// them back and compare them with the code's own tables, so that neither can
// change alone.
#pragma once

#include <fstream>
#include <string>
#include <vector>

namespace vorn {

using ReadmeRow = std::vector<std::string>;

// The rows of the README's table whose header row is `header` exactly, each
// a list of its cells without their surrounding blanks; none when the README
// has no such table.
inline std::vector<ReadmeRow> ReadmeTable(const std::string& header) {
    std::ifstream readme(VORN_README);
    std::vector<ReadmeRow> rows;
    std::string line;
    bool inTable = false;
    while (std::getline(readme, line)) {
        if (!inTable) {
            inTable = line == header;
            if (inTable)
                std::getline(readme, line); // the separator row
            continue;
        }
        if (line.empty() || line[0] != '|')
            break;
        // A cell's "\|" is a bar of its text, not the cell's end.
        ReadmeRow row;
        std::string cell;
        for (size_t at = 1; at < line.size(); ++at) {
            if (line[at] == '\\' && at + 1 < line.size() && line[at + 1] == '|') {
                cell += line[++at];
            } else if (line[at] != '|') {
                cell += line[at];
            } else {
                cell.erase(0, cell.find_first_not_of(' '));
                cell.erase(cell.find_last_not_of(' ') + 1);
                row.push_back(cell);
                cell.clear();
            }
        }
        rows.push_back(row);
    }
    return rows;
}

} // namespace vorn
