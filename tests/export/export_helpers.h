// export_helpers.h - a writer over real files in a temporary folder, and records built by hand.
#pragma once

#include <cstring>
#include <string>
#include <vector>

#include "assetwriter.h"
#include "records.h"
#include "testutil.h"

inline std::vector<std::string> SplitLines(const std::string& bytes) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end; (end = bytes.find("\r\n", start)) != std::string::npos; start = end + 2) {
        lines.push_back(bytes.substr(start, end - start));
    }
    if (start < bytes.size()) lines.push_back(bytes.substr(start));  // an unterminated tail
    return lines;
}

inline std::vector<std::string> SplitFields(const std::string& line) {
    std::vector<std::string> fields;
    size_t start = 0;
    for (size_t end; (end = line.find(',', start)) != std::string::npos; start = end + 1) {
        fields.push_back(line.substr(start, end - start));
    }
    fields.push_back(line.substr(start));
    return fields;
}

// The log name the tests give the writer; any name works, the programs give their own.
const char kLogName[] = "Marlo3SysErr.txt";

template <typename T>
T Zeroed() {
    T record;
    std::memset(&record, 0, sizeof record);
    return record;
}

template <size_t N>
void Put(char (&field)[N], const std::string& text) {
    std::memset(field, 0, N);
    std::memcpy(field, text.data(), text.size() < N ? text.size() : N);
}

inline StDATAINFO DataSet(const std::string& company, int entityKind) {
    StDATAINFO set = Zeroed<StDATAINFO>();
    Put(set.dataId, "SET0001");
    set.dataNo = 1;
    Put(set.companyName, company);
    set.periodStart = 20240401;
    set.periodEnd = 20250331;
    set.entityKind = static_cast<uint8_t>(entityKind);
    return set;
}

// A writer with the log and the data file open and the data-file header written, as a run has
// them before its first row.
struct WriterRun {
    TempDir dir;
    std::string dataPath = dir.File("assets.csv");
    ClAssetWriter writer;

    explicit WriterRun(int entityKind = 0) {
        const StDATAINFO set = DataSet("Company", entityKind);
        writer.SetLogName(kLogName);
        writer.OpenFile(ErrorLog, dataPath.c_str());
        writer.OpenFile(DataFile, dataPath.c_str());
        writer.WriteDataHeader(&set);
    }
    void Close() {
        writer.CloseFile(DataFile);
        writer.CloseFile(ErrorLog);
    }
    std::string LogPath() const { return dir.File(kLogName); }
    std::string Log() {
        Close();
        return ReadBytes(LogPath());
    }
    // The data rows, after the six header lines and the column-name line.
    std::vector<std::string> Rows() {
        Close();
        std::vector<std::string> lines = SplitLines(ReadBytes(dataPath));
        return lines.size() > 7 ? std::vector<std::string>(lines.begin() + 7, lines.end())
                                : std::vector<std::string>();
    }
    // The log entries: each begins with the line feed of its text and ends with CR LF.
    std::vector<std::string> Entries() { return SplitLines(Log()); }
};
