// currentbuild.cpp - binds a program to its deliverable; compiled once per edition number.
#include "buildtable.h"

#ifndef ASSETEXPORT_EDITION
#error "ASSETEXPORT_EDITION must name the edition of this build"
#endif

namespace {
constexpr int kIndex = BuildIndex(ASSETEXPORT_EDITION);
static_assert(kIndex >= 0, "ASSETEXPORT_EDITION is not one of the deliverables in the table of builds");
}  // namespace

const StBUILDINFO& CurrentBuild() { return G_BUILDS[kIndex]; }
