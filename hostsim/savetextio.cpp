// savetextio.cpp - the stand-in saved column orders, kept in one file of the ledger folder.
//
// One line per data set and table: the identifier in hex, the table name, the count and the
// indices, separated by blanks. Saving writes the whole file beside the old one and then
// replaces it, so a failure in between leaves the earlier orders intact.
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "hostsim.h"
#include "ledgercore.h"
#include "setmgr.h"

namespace {

const char kOrderFile[] = "textio-orders.txt";

std::string HexId(const unsigned char* id) {
    static const char digits[] = "0123456789ABCDEF";
    std::string s;
    for (int i = 0; i < kDataIdBytes; ++i) {
        s += digits[id[i] >> 4];
        s += digits[id[i] & 15];
    }
    return s;
}

}  // namespace

ClSaveBase::ClSaveBase() : m_setMgr(nullptr), m_hasDataId(false) {
    std::memset(m_dataId, 0, sizeof m_dataId);
}
ClSaveBase::~ClSaveBase() {}

long ClSaveBase::AttachSetMgr(ClSetMgr* mgr) {
    const ClHostCall call;
    const auto r = [&]() -> long {
        m_setMgr = mgr;
        return mgr ? 0 : -1;
    }();
    call.Journal("ClSaveTextIO::AttachSetMgr\t" + std::to_string(r));
    return r;
}

long ClSaveBase::SetCurDataID(const unsigned char* id) {
    const ClHostCall call;
    const auto r = [&]() -> long {
        if (!id) return -1;
        std::memcpy(m_dataId, id, sizeof m_dataId);
        m_hasDataId = true;
        return 0;
    }();
    call.Journal("ClSaveTextIO::SetCurDataID\t" + std::to_string(r));
    return r;
}

ClSaveTextIO::ClSaveTextIO() {}
ClSaveTextIO::~ClSaveTextIO() {}

long ClSaveTextIO::GetData(StTEXTIOSAVEINFO* info) {
    const ClHostCall call;
    const auto r = [&]() -> long {
        if (!info || !m_setMgr || !m_hasDataId) return -1;
        std::ifstream in(m_setMgr->LedgerPath(kOrderFile), std::ios::binary);
        if (!in) return -1;
        const std::string id = HexId(m_dataId);
        const std::string name(info->name, strnlen(info->name, sizeof info->name));
        std::string line;
        while (std::getline(in, line)) {
            std::istringstream fields(line);
            std::string lineId, lineName;
            long count = -1;
            if (!(fields >> lineId >> lineName >> count) || lineId != id || lineName != name) continue;
            if (count < 0 || count > 256) return -1;
            std::vector<int32_t> items(static_cast<size_t>(count));
            for (auto& item : items)
                if (!(fields >> item)) return -1;
            info->count = static_cast<int16_t>(count);
            std::memcpy(info->items, items.data(), items.size() * sizeof(int32_t));
            return 0;
        }
        return -1;
    }();
    call.Journal("ClSaveTextIO::GetData\t" +
                 ClHostSim::JournalText(
                     info ? std::string(info->name, strnlen(info->name, sizeof info->name)).c_str() : "") +
                 "\t" + std::to_string(r));
    return r;
}

long ClSaveTextIO::SetData(const StTEXTIOSAVEINFO* info) {
    const ClHostCall call;
    const auto r = [&]() -> long {
        if (!info || !m_setMgr || !m_hasDataId || info->count < 0 || info->count > 256) return -1;
        const std::string path = m_setMgr->LedgerPath(kOrderFile);
        const std::string id = HexId(m_dataId);
        const std::string name(info->name, strnlen(info->name, sizeof info->name));
        if (name.empty() || name.find_first_of(" \t\r\n") != std::string::npos) return -1;

        std::ostringstream content;
        {
            std::ifstream in(path, std::ios::binary);
            std::string line;
            while (std::getline(in, line)) {
                std::istringstream fields(line);
                std::string lineId, lineName;
                if (fields >> lineId >> lineName && lineId == id && lineName == name) continue;
                if (!line.empty()) content << line << '\n';
            }
        }
        content << id << ' ' << name << ' ' << info->count;
        for (int i = 0; i < info->count; ++i) content << ' ' << info->items[i];
        content << '\n';

        const std::string temp = path + ".new";
        {
            std::ofstream out(temp, std::ios::binary | std::ios::trunc);
            out << content.str();
            out.close();
            if (!out) {
                std::remove(temp.c_str());
                return -1;
            }
        }
        // rename() does not replace an existing file on every platform.
        if (std::rename(temp.c_str(), path.c_str()) != 0) {
            std::remove(path.c_str());
            if (std::rename(temp.c_str(), path.c_str()) != 0) return -1;
        }
        return 0;
    }();
    call.Journal("ClSaveTextIO::SetData\t" +
                 ClHostSim::JournalText(
                     info ? std::string(info->name, strnlen(info->name, sizeof info->name)).c_str() : "") +
                 "\t" + std::to_string(r));
    return r;
}
