// caption.h - the program's name as the user sees it: the caption of every box, the host's title.
#pragma once

const char kCaption[] = "減価償却";
