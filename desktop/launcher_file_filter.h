#pragma once

// The launcher browser's file-name filter, without the toolkit: a filter is one or more
// wildcard patterns ('*' any run of characters, '?' one character) separated by ';' or blanks,
// compared without regard to case, since plot files arrive as PLAN.PLT as often as plan.plt.
// "*.*" and "*" list every file, names without a full stop included, as plot rooms expect from
// "*.*".

#include <string>
#include <string_view>
#include <vector>

namespace kestrum {

bool MatchesFileFilter(std::string_view name, std::string_view filter);

// Whether a typed name is a filter rather than a file name.
bool IsFileFilter(std::string_view text);

// The browser's filter list; the first is the initial filter. With the AutoCAD preference on
// only drawings can be added, so the drawing the renderer reads comes first.
std::vector<std::string> FileFilterChoices(bool autoCad);

}  // namespace kestrum
