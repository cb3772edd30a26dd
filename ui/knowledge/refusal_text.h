#pragma once

#include "curation/refusal.h"

#include <QString>

#include <filesystem>

namespace besedka {

// A refusal of a curation step in Russian, worded from its code and facts
// as a clause that follows "Ничего не изменено: " or the like; `workdir` is
// the base the step was about. Every code has its wording here: a new one
// without it does not build.
QString refusalText(Refusal code, const RefusalFacts& facts, const std::filesystem::path& workdir);

} // namespace besedka
