// messages.h - texts of the link error log entries; each begins with a line feed and its kind.
#pragma once

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
