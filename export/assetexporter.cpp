// assetexporter.cpp - the three steps of a run over the host's depreciation rule object.
#include "assetexporter.h"

#include <cstring>
#include <new>

#include "ledgercore.h"
#include "shareddata.h"
#include "taskmem.h"

void ClAssetExporter::StRuleDeleter::operator()(ClRuleGenkashokyaku* rule) const { delete rule; }

ClAssetExporter::ClAssetExporter() {}

ClAssetExporter::~ClAssetExporter() {
    if (m_rule) m_rule->MoveFinish();
}

void ClAssetExporter::AdoptRule(ClRuleGenkashokyaku* rule) { m_rule.reset(rule); }

int ClAssetExporter::StartOutput(const StDATAINFO* set) {
    // OpenFile copies the path into its own fixed buffer and refuses one that does not fit.
    m_writer.OpenFile(ErrorLog, m_outputPath.c_str());
    m_writer.OpenFile(DataFile, m_outputPath.c_str());
    m_writer.WriteDataHeader(set);
    return 1;
}

// Creates and binds the rule object when the exporter holds none; 0 when it cannot be made.
int ClAssetExporter::EnsureRule() {
    if (m_rule) return 1;
    ClRuleGenkashokyaku* rule = new (std::nothrow) ClRuleGenkashokyaku();
    if (!rule) return 0;
    m_rule.reset(rule);
    rule->AttachSetMgr(ClDataMgr::Inst()->GetSetMgr());
    ClSetData* sets = ClDataMgr::Inst()->GetSetObject(5, 1);
    const StDATAINFO* selected = sets ? sets->GetSelectedInfo() : nullptr;
    if (selected) rule->SetCurDataID(reinterpret_cast<const char*>(selected));
    rule->AttachOptLink(ClLinkMgr::Inst()->GetOptLink());
    return 1;
}

int ClAssetExporter::ExportAssets() {
    if (!EnsureRule()) return 0;
    ClRuleGenkashokyaku& rule = *m_rule;

    // Reused for every asset; zero-filled before each fetch so a failed fetch leaves zeros.
    StKOTEISHISANINFO master;
    StKOTEINENINFO yearly;
    StKOTEITSUKIINFO monthly;
    StIKKATSUINFO breakdown;
    std::memset(&breakdown, 0, sizeof breakdown);
    unsigned char key[sizeof master.assetKey];

    long count = 0;
    rule.MoveReady(nullptr, SortHostOrder, SumNone);
    rule.GetCount(&count);
    // Most rows are assets of their own; breakdowns may still grow the index later.
    m_writer.ReserveCodes(count > 0 ? static_cast<size_t>(count) : 0);
    for (long i = 0; i < count; ++i) {
        std::memset(&master, 0, sizeof master);
        std::memset(&yearly, 0, sizeof yearly);
        std::memset(&monthly, 0, sizeof monthly);
        // A record the host could not hand over is named in the log, never written from the zeros.
        if (rule.Move(i, &master, &yearly, &monthly) != 0) {
            m_writer.UnreadAssetMessage(i);
            continue;
        }
        if (master.methodCode == 4) {
            std::memcpy(key, master.assetKey, sizeof key);
            long parts = 0;
            rule.MoveReadyIkkatsu(key);
            rule.GetIkkatsuCount(&parts);
            // At most 101 breakdowns (0 to 100) are converted; the 102nd is fetched and dropped.
            for (long j = 0; j < parts; ++j) {
                std::memset(&breakdown, 0, sizeof breakdown);
                const long fetched = rule.MoveIkkatsu(j, &breakdown);
                if (j > 100) break;
                if (fetched != 0) {
                    m_writer.UnreadBreakdownMessage(&master, j);
                    continue;
                }
                if (m_writer.WriteAssetRow(&master, &yearly, &monthly, &breakdown) == 0) break;
            }
            rule.MoveFinishIkkatsu();
            continue;
        }
        if (m_writer.WriteAssetRow(&master, &yearly, &monthly, &breakdown) == 0) break;
    }
    // The log stays open for the entries of the type file; ExportAssetTypes puts it in place.
    m_writer.CloseFile(DataFile);
    return 1;
}

int ClAssetExporter::ExportAssetTypes(const StDATAINFO* set) {
    m_writer.OpenFile(TypeFile, m_outputPath.c_str());
    m_writer.WriteTypeHeader(set);
    if (!EnsureRule()) {
        m_writer.CloseFile(TypeFile);
        m_writer.CloseFile(ErrorLog);
        return 0;
    }

    StSHISANKUBUNINFO* categories = nullptr;
    long count = 0;
    if (m_rule->LoadShisanKubunInfo(&categories, &count) != 0) {
        m_writer.UnreadCategoriesMessage();
        count = 0;
    }
    for (long i = 0; categories && i < count; ++i) m_writer.WriteTypeRow(&categories[i]);
    m_writer.CloseFile(TypeFile);
    m_writer.CloseFile(ErrorLog);
    if (categories) TaskMemFree(categories);
    return 1;
}
