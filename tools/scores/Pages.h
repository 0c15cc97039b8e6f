#pragma once
// The server's HTML pages: the game's home page and the world high scores.
#include <string>
#include <string_view>
#include <vector>

#include "Store.h"

namespace fusewick::scores {

// Escapes & < > " ' for HTML text and attribute values.
std::string HtmlEscape(std::string_view text);

// Names and free texts are stored up to 1 KB; the page shows this much of
// them (spaces at their ends dropped) and an ellipsis for the rest.
inline constexpr size_t ShownNameLength = 32;
inline constexpr size_t ShownNoteLength = 64;

// Where a verified result's recording is served.
std::string ReplayPath(int64_t resultId);

// The world high-score page: rank, name, score, free text and date of each
// row; a verified one is marked and links its recording, any other shows
// its status (pending, failed, unverifiable: made by version N).
std::string ShowPage(const std::vector<TResultRow>& rows, int64_t total);

// Escapes a text for a JSON string (without the quotes).
std::string JsonEscape(std::string_view text);

// The results as a JSON array of objects: rank, name, score, verified,
// replay (its path, or null), note, date, status. Names and notes as on the page.
std::string ScoresJson(const std::vector<TResultRow>& rows, int64_t offset);

// The game's home page, linking to the world high scores at showTarget.
std::string HomePage(const std::string& showTarget);

}  // namespace fusewick::scores
