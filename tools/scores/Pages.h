#pragma once
// The server's HTML pages: the game's home page and the world high scores.
#include <string>
#include <string_view>
#include <vector>

#include "ScoreStore.h"

namespace fusewick::scores {

// Escapes & < > " ' for HTML text and attribute values.
std::string HtmlEscape(std::string_view text);

// The world high-score page: rank, name, score, free text and date of each row.
std::string ShowPage(const std::vector<TResultRow>& rows, int64_t total);

// The game's home page, linking to the world high scores at showTarget.
std::string HomePage(const std::string& showTarget);

}  // namespace fusewick::scores
