// filekind.cpp - what Windows' attributes and reparse tag make of a path, for both builds alike.
#include "osapi.h"

namespace {

// The values Windows gives them; spelled out so that the rule builds and is tested everywhere.
const unsigned long kAttributeDirectory = 0x10;
const unsigned long kAttributeReparsePoint = 0x400;
// The tag bit that marks a name surrogate: the reparse point names another file or folder.
const unsigned long kTagNameSurrogate = 0x20000000;

}  // namespace

// Cloud placeholders (every synced OneDrive file), system-compressed and deduplicated files are
// reparse points too, but hold their own data: only a name surrogate is a link. Every reparse
// point has a tag; where none could be read (Wine shows a folder link so), it may be a link.
_FileKind OsKindOfAttributes(unsigned long attributes, unsigned long reparseTag) {
    if ((attributes & kAttributeReparsePoint) && (reparseTag == 0 || (reparseTag & kTagNameSurrogate)))
        return FileSpecial;
    return (attributes & kAttributeDirectory) ? FileFolder : FilePlain;
}
