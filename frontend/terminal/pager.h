// pager.h - a text shown in the user's pager, with this program waiting for it to end.
#pragma once

#include <string>

// Shows text (already in the terminal's encoding) in the program of $PAGER, run through /bin/sh so
// that it may carry options, or else in less; the pager's output goes to outFd. Returns when the
// pager has ended. False when neither could be started. The terminal must be in its normal mode.
bool RunPager(const std::string& text, int outFd);
