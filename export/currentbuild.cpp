// currentbuild.cpp - binds a program to its deliverable; compiled once per edition number.
#include "buildtable.h"

#ifndef ASSETEXPORT_EDITION
#error "ASSETEXPORT_EDITION must name the edition of this build"
#endif

#if ASSETEXPORT_EDITION == 3
#define BUILD_INDEX 0
#elif ASSETEXPORT_EDITION == 5
#define BUILD_INDEX 1
#elif ASSETEXPORT_EDITION == 4
#define BUILD_INDEX 2
#elif ASSETEXPORT_EDITION == 0
#define BUILD_INDEX 3
#else
#error "ASSETEXPORT_EDITION is not one of the deliverables (3, 5, 4, 0)"
#endif

const StBUILDINFO& CurrentBuild() { return G_BUILDS[BUILD_INDEX]; }
