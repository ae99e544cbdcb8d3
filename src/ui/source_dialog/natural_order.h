#pragma once

#include <QString>

namespace morvane {

// Orders names the way people read them: a run of digits compares by its numeric value
// ("level2" before "level10") and letters compare without regard to case ("Beta" after
// "alpha"). Names that are equal by that measure (differing only in case or in leading zeros)
// still get a fixed order, so a listing comes out the same on every run.
bool NaturalLess(const QString& a, const QString& b);

}  // namespace morvane
