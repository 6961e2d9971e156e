// linklog.h - the link error log: its entries, their texts and formatting, and how the log is closed.
#pragma once

#include "outputfiles.h"
#include "records.h"
#include "writerbase.h"

// The texts of the entries; each begins with a line feed and its kind (＜ERROR＞ or ＜WARNING＞).
extern const char MsgCodeDigits[];
extern const char MsgCodeChars[];
extern const char MsgCodeDuplicate[];
extern const char MsgTypeDigits[];
extern const char MsgNameLength[];
extern const char MsgQuantityDigits[];
extern const char MsgAmountDigits[];
extern const char MsgMemoLength[];
extern const char MsgBreakdownLimit[];
extern const char MsgBreakdownCodeDigits[];
extern const char MsgBreakdownCodeChars[];
extern const char MsgBreakdownDuplicate[];
extern const char MsgBreakdownPrefixDuplicate[];
extern const char MsgBreakdownNameLength[];
extern const char MsgTextSeparator[];
extern const char MsgAssetUnread[];
extern const char MsgBreakdownUnread[];
extern const char MsgCategoriesUnread[];

// The log is the ErrorLog of files, written line by line through the G_HEADER accessor it shares
// with the header lines. Every entry counts, whether or not the log takes it: an entry that comes
// when the log is not open fails the log and goes nowhere else.
class ClLinkLog {
public:
    ClLinkLog(ClOutputFiles& files, ClHeaderAccessor& line);
    ClLinkLog(const ClLinkLog&) = delete;
    ClLinkLog& operator=(const ClLinkLog&) = delete;

    // An entry of one of the texts above with its values: formatted in full, then cut as
    // WriteLinkMessage cuts it.
    void LinkMessage(const char* format, ...);
    // One entry, at most 152 bytes of whole characters of text.
    void WriteLinkMessage(const char* text);
    // The entries for what the host could not hand over: the asset at position index of the run,
    // the breakdown at index of the lump-sum asset master, the asset categories.
    void UnreadAssetMessage(long index);
    void UnreadBreakdownMessage(const StKOTEISHISANINFO& master, long index);
    void UnreadCategoriesMessage();

    // Puts a log with entries in place. One without entries is discarded: a run with nothing to
    // say never takes the place of another run's log; what an earlier run left there is the
    // closing report's to judge.
    void Close();
    // How many entries this run made.
    long Entries() const { return m_entries; }

private:
    ClOutputFiles& m_files;
    ClHeaderAccessor& m_line;
    long m_entries;
};
