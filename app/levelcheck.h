// levelcheck.h - whether the installed accounting package is at the level this component works with.
#pragma once

// Reads the installation's program level from "ZorvanDef.ini" in the current folder (the program's
// folder when the run sequence calls it). 1 when it is the level this component needs; 0 when the
// file or value is missing or the level differs, after the host's message when showMessage is set.
int CheckEnvironmentLevel(int showMessage);

// The level file's name, beside the program.
extern const char kLevelFileName[];
