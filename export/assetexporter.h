// assetexporter.h - one export run: the output path, the host's rule object and the writer.
#pragma once

#include <memory>
#include <string>

#include "assetwriter.h"
#include "records.h"

class ClRuleGenkashokyaku;

class ClAssetExporter {
public:
    ClAssetExporter();
    // Finishes the rule object's walk, then releases the writer, the rule object and the path.
    virtual ~ClAssetExporter();
    ClAssetExporter(const ClAssetExporter&) = delete;
    ClAssetExporter& operator=(const ClAssetExporter&) = delete;

    // The full path of the asset data file; set before the first step.
    void SetOutputPath(const char* path) { m_outputPath = path ? path : ""; }
    const std::string& GetOutputPath() const { return m_outputPath; }
    // The name of the link error log beside the data file (the program's own); set before the first step.
    void SetLogName(const char* name) { m_writer.SetLogName(name); }

    // Opens the link error log and the asset data file and writes the data-file header; 1.
    int StartOutput(const StDATAINFO* set);
    // Converts every asset of the data set, then closes the data file; the log stays open for
    // the entries of the type file. 0 only when no rule object could be made.
    int ExportAssets();
    // Writes syurui.SSC beside the data file, then closes it and the log; 0 only when no rule
    // object could be made.
    int ExportAssetTypes(const StDATAINFO* set);

    // 1 once a file could not be opened or a line was lost; the steps go on regardless.
    int HadOutputFailure() const { return m_writer.HadOutputFailure(); }
    // Which files failed so: bit 1 << _OutputFile for each.
    int FailedFiles() const { return m_writer.FailedFiles(); }
    // The entries this run made for its log, what the log it put in place is, and what lay at
    // the log's name before.
    long LogEntries() const { return m_writer.LogEntries(); }
    const StFILEID& PlacedLog() const { return m_writer.PlacedLog(); }
    const StFILEID& PreviousLog() const { return m_writer.PreviousLog(); }

    ClAssetWriter& Writer() { return m_writer; }
    // Takes over a rule object that the caller has bound already; the steps then use it as it is.
    void AdoptRule(ClRuleGenkashokyaku* rule);
    ClRuleGenkashokyaku* Rule() { return m_rule.get(); }

private:
    struct StRuleDeleter {
        void operator()(ClRuleGenkashokyaku* rule) const;
    };
    int EnsureRule();

    // Declared in this order so that the writer goes first, then the rule object, then the path.
    std::string m_outputPath;
    std::unique_ptr<ClRuleGenkashokyaku, StRuleDeleter> m_rule;
    ClAssetWriter m_writer;
};
